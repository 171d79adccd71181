#include "net/TNetStack.h"
#include "net/ENetException.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace net {

namespace {

struct ErrorEntry {
    int code;
    const char* text;
};

constexpr ErrorEntry kErrorTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
};

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool readsAsByte(const std::string& part) {
    if (part.empty() || part.size() > 3)
        return false;
    int value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 255;
}

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

} // namespace

std::string TNetStack::LookUpHost(const std::string& name) {
    if (upper(name) == "LOCALHOST")
        return "127.0.0.1";
    if (IsDottedAddress(name))
        return name;
    std::string bare = name;
    if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']')
        bare = bare.substr(1, bare.size() - 2);
    if (IsIPv6Address(bare))
        return bare;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    errno = 0;
    const int rc = getaddrinfo(bare.c_str(), nullptr, &hints, &raw);
    if (rc != 0)
        RaiseError(MapResolverError(rc, errno));
    const std::unique_ptr<addrinfo, AddrInfoDeleter> result(raw);

    const std::string address = PickAddress(result.get());
    if (!address.empty())
        return address;
    RaiseError(WSANO_DATA);
}

std::string TNetStack::PickAddress(const addrinfo* list) {
    // IPv4 first keeps dual-stack hosts on the path the program always took.
    for (const int family : {AF_INET, AF_INET6}) {
        for (const addrinfo* it = list; it; it = it->ai_next) {
            if (it->ai_family != family || !it->ai_addr)
                continue;
            char text[INET6_ADDRSTRLEN] = {};
            const void* address =
                family == AF_INET
                    ? static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in*>(it->ai_addr)->sin_addr)
                    : static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in6*>(it->ai_addr)->sin6_addr);
            if (inet_ntop(family, address, text, sizeof text))
                return text;
        }
    }
    return {};
}

bool TNetStack::IsDottedAddress(const std::string& text) {
    std::string rest = text;
    for (int i = 0; i < 3; ++i) {
        const auto dot = rest.find('.');
        if (dot == std::string::npos)
            return false;
        if (!readsAsByte(rest.substr(0, dot)))
            return false;
        rest.erase(0, dot + 1);
    }
    return readsAsByte(rest);
}

bool TNetStack::IsIPv6Address(const std::string& text) {
    in6_addr address{};
    return inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

int TNetStack::NewSocket(int family, int type, int protocol) {
    const int handle = ::socket(family, type | SOCK_CLOEXEC, protocol);
    if (handle < 0)
        throw ENetInvalidSocket();
    return handle;
}

void TNetStack::CheckError(int result) {
    if (result == -1)
        RaiseLastError();
}

bool TNetStack::CheckError(int result, std::initializer_list<int> ignored) {
    if (result != -1)
        return false;
    const int code = MapErrno(errno);
    if (std::find(ignored.begin(), ignored.end(), code) != ignored.end())
        return true;
    RaiseError(code);
}

void TNetStack::RaiseError(int code) {
    char head[64];
    std::snprintf(head, sizeof head, "Socket Error # %d\r\n", code);
    if (code == WSAETIMEDOUT)
        throw ENetReadTimeout(code, head + ErrorText(code));
    throw ENetSocketError(code, head + ErrorText(code));
}

void TNetStack::RaiseLastError() {
    RaiseError(MapErrno(errno));
}

std::string TNetStack::ErrorText(int code) {
    for (const auto& entry : kErrorTexts) {
        if (entry.code == code)
            return entry.text;
    }
    return {};
}

int TNetStack::MapErrno(int error) {
    switch (error) {
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
    case ENFILE:
        return 10024;
    case EAGAIN:
        return 10035;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case EPIPE:
    case ESHUTDOWN:
        return 10058;
    case ETOOMANYREFS:
        return 10059;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    case ENOTEMPTY:
        return 10066;
    default:
        // No Winsock counterpart: keep the system's own number so it can still be looked up.
        return error;
    }
}

int TNetStack::MapResolverError(int error, int savedErrno) {
    switch (error) {
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_SYSTEM:
        return savedErrno ? MapErrno(savedErrno) : WSANO_RECOVERY;
    case EAI_MEMORY:
        return 10055;
    default:
        return WSANO_RECOVERY;
    }
}

} // namespace net
