#include "net/TNetSocketHandle.h"
#include "net/ENetException.h"
#include "net/TNetStack.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace net {

namespace {

bool toAddress(const std::string& text, int port, sockaddr_storage& out, socklen_t& length) {
    std::memset(&out, 0, sizeof out);
    auto* v4 = reinterpret_cast<sockaddr_in*>(&out);
    if (inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(port));
        length = sizeof(sockaddr_in);
        return true;
    }
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&out);
    if (inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(port));
        length = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

void fromAddress(const sockaddr_storage& in, std::string& text, int& port) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (in.ss_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&in);
        inet_ntop(AF_INET, &v4->sin_addr, buffer, sizeof buffer);
        port = ntohs(v4->sin_port);
    } else if (in.ss_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&in);
        inet_ntop(AF_INET6, &v6->sin6_addr, buffer, sizeof buffer);
        port = ntohs(v6->sin6_port);
    }
    text = buffer;
}

int familyOf(int handle) {
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return AF_INET;
    return local.ss_family;
}

} // namespace

TNetSocketHandle::~TNetSocketHandle() {
    closeHandle();
}

void TNetSocketHandle::closeHandle() {
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    allocated_ = false;
}

void TNetSocketHandle::OpenSocket(int type, int protocol) {
    closeHandle();
    type_ = type;
    protocol_ = protocol;
    handle_ = TNetStack::NewSocket(AF_INET, type, protocol);
    allocated_ = true;
}

void TNetSocketHandle::ShutSocket(bool resetLocal) {
    if (allocated_) {
        allocated_ = false;
        ::shutdown(handle_, SHUT_WR);
        closeHandle();
    }
    Reset(resetLocal);
}

void TNetSocketHandle::Reset(bool resetLocal) {
    closeHandle();
    PeerIP.clear();
    PeerPort = 0;
    if (resetLocal) {
        IP.clear();
        Port = 0;
    }
}

void TNetSocketHandle::BindLocal() {
    // Binding to any address and any port is what connect does by itself; doing it here
    // would fix the socket's family before the peer's is known.
    if (IP.empty() && Port == 0)
        return;
    sockaddr_storage address{};
    socklen_t length = 0;
    if (!toAddress(IP.empty() ? "0.0.0.0" : IP, Port, address, length))
        TNetStack::RaiseError(10049);
    if (address.ss_family != familyOf(handle_)) {
        closeHandle();
        handle_ = TNetStack::NewSocket(address.ss_family, type_, protocol_);
        allocated_ = true;
    }
    if (::bind(handle_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        if (TNetStack::MapErrno(errno) == TNetStack::WSAEADDRINUSE)
            throw ENetCouldNotBindSocket();
        TNetStack::RaiseLastError();
    }
    readBackAddresses();
}

void TNetSocketHandle::AssignPeer(const std::string& address, int port) {
    PeerIP = address;
    PeerPort = port;
}

int TNetSocketHandle::ConnectPeer(int timeoutMs) {
    sockaddr_storage address{};
    socklen_t length = 0;
    if (!toAddress(PeerIP, PeerPort, address, length)) {
        errno = EINVAL;
        return -1;
    }
    if (address.ss_family != familyOf(handle_)) {
        closeHandle();
        handle_ = TNetStack::NewSocket(address.ss_family, type_, protocol_);
        allocated_ = true;
        SetIoTimeout(ioTimeoutMs_);
    }

    const int flags = fcntl(handle_, F_GETFL);
    fcntl(handle_, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(handle_, reinterpret_cast<sockaddr*>(&address), length);
    if (rc != 0 && errno == EINPROGRESS) {
        pollfd entries[2] = {{handle_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        int ready;
        do {
            ready = ::poll(entries, wakeFd_ >= 0 ? 2 : 1, timeoutMs > 0 ? timeoutMs : -1);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0) {
            errno = ETIMEDOUT;
        } else if (ready > 0 && !(entries[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            errno = ECANCELED;
        } else if (ready > 0) {
            int error = 0;
            socklen_t size = sizeof error;
            getsockopt(handle_, SOL_SOCKET, SO_ERROR, &error, &size);
            if (error == 0)
                rc = 0;
            else
                errno = error;
        }
    }
    const int savedErrno = errno;
    fcntl(handle_, F_SETFL, flags);
    if (rc == 0)
        readBackAddresses();
    errno = savedErrno;
    return rc;
}

void TNetSocketHandle::readBackAddresses() {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        fromAddress(address, IP, Port);
    length = sizeof address;
    if (getpeername(handle_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        fromAddress(address, PeerIP, PeerPort);
}

bool TNetSocketHandle::WaitReadable(int timeoutMs) const {
    if (!allocated_)
        throw ENetConnClosedGracefully();
    pollfd entries[2] = {{handle_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int wait = timeoutMs == -2 ? -1 : timeoutMs;
    int ready;
    do {
        ready = ::poll(entries, wakeFd_ >= 0 ? 2 : 1, wait);
    } while (ready < 0 && errno == EINTR);
    return ready > 0 && entries[0].revents != 0;
}

long TNetSocketHandle::ReceiveRaw(void* buffer, std::size_t length, int flags) {
    long rc;
    do {
        rc = ::recv(handle_, buffer, length, flags);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

long TNetSocketHandle::SendRaw(const void* buffer, std::size_t length, int flags) {
    long rc;
    do {
        rc = ::send(handle_, buffer, length, flags | MSG_NOSIGNAL);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

void TNetSocketHandle::SetOption(int level, int name, const void* value, unsigned length) {
    TNetStack::CheckError(::setsockopt(handle_, level, name, value, length));
}

void TNetSocketHandle::SetIoTimeout(int timeoutMs) {
    ioTimeoutMs_ = timeoutMs;
    if (handle_ < 0)
        return;
    timeval tv{};
    if (timeoutMs > 0) {
        tv.tv_sec = timeoutMs / 1000;
        tv.tv_usec = (timeoutMs % 1000) * 1000;
    }
    ::setsockopt(handle_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    ::setsockopt(handle_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

} // namespace net
