#pragma once

#include <initializer_list>
#include <string>

struct addrinfo;

namespace net {

// The socket library: name look-up, address checks, socket creation and the Winsock-style
// error numbers and texts every socket failure is reported with. It keeps no state, so every
// component may use it from any thread.
class TNetStack {
public:
    // Winsock numbers that have a meaning of their own in the callers.
    static constexpr int WSAEWOULDBLOCK = 10035;
    static constexpr int WSAEADDRINUSE = 10048;
    static constexpr int WSAESHUTDOWN = 10058;
    static constexpr int WSAETIMEDOUT = 10060;
    static constexpr int WSAHOST_NOT_FOUND = 11001;
    static constexpr int WSATRY_AGAIN = 11002;
    static constexpr int WSANO_RECOVERY = 11003;
    static constexpr int WSANO_DATA = 11004;

    // "localhost" in any case is 127.0.0.1 and a dotted (or IPv6) address comes back as it
    // is, both without asking the resolver. Other names resolve to their first IPv4 address,
    // or to their first IPv6 address when they have no IPv4 one. Brackets round an IPv6
    // literal are dropped.
    static std::string LookUpHost(const std::string& name);
    static bool IsDottedAddress(const std::string& text);
    // The address LookUpHost answers from a resolver's list: the first IPv4 one, else the
    // first IPv6 one, else empty.
    static std::string PickAddress(const addrinfo* list);
    static bool IsIPv6Address(const std::string& text);

    // Creates a socket of the address family (AF_INET or AF_INET6); failure raises
    // ENetInvalidSocket.
    static int NewSocket(int family, int type, int protocol);

    // Result -1 raises the socket error of errno.
    static void CheckError(int result);
    // Result -1 answers true when errno maps to one of the ignored codes, else raises.
    static bool CheckError(int result, std::initializer_list<int> ignored);

    [[noreturn]] static void RaiseError(int code);
    [[noreturn]] static void RaiseLastError();
    static std::string ErrorText(int code);

    static int MapErrno(int error);
    static int MapResolverError(int error, int savedErrno);
};

} // namespace net
