#pragma once

#include <cstddef>
#include <string>

namespace net {

// One socket and the addresses at both ends. Closing is idempotent and the destructor closes.
class TNetSocketHandle {
public:
    TNetSocketHandle() = default;
    ~TNetSocketHandle();
    TNetSocketHandle(const TNetSocketHandle&) = delete;
    TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

    // Creates an IPv4 socket; ConnectPeer swaps it for an IPv6 one when the peer needs it.
    void OpenSocket(int type, int protocol);
    void ShutSocket(bool resetLocal);
    void Reset(bool resetLocal);
    void BindLocal();
    void AssignPeer(const std::string& address, int port);
    // Connects to the peer, giving up after timeoutMs (<= 0: the system's own limit).
    // Answers 0 or -1 with errno set, like the socket call.
    int ConnectPeer(int timeoutMs);
    // Waits also end early when this descriptor becomes readable (an abort request).
    void SetWakeFd(int fd) { wakeFd_ = fd; }
    // Raises ENetConnClosedGracefully when there is no socket; -2 waits without limit.
    bool WaitReadable(int timeoutMs) const;
    long ReceiveRaw(void* buffer, std::size_t length, int flags);
    long SendRaw(const void* buffer, std::size_t length, int flags);
    void SetOption(int level, int name, const void* value, unsigned length);
    // Send and receive calls give up after this long without progress (<= 0: never).
    void SetIoTimeout(int timeoutMs);

    int Handle() const { return handle_; }
    bool HandleAllocated() const { return allocated_; }

    std::string IP;
    int Port = 0;
    std::string PeerIP;
    int PeerPort = 0;

private:
    void readBackAddresses();
    void closeHandle();

    int handle_ = -1;
    bool allocated_ = false;
    int type_ = 0;
    int protocol_ = 0;
    int ioTimeoutMs_ = 0;
    int wakeFd_ = -1;
};

} // namespace net
