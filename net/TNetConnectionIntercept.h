#pragma once

#include <cstddef>
#include <string>

namespace net {

class TNetSocketHandle;

// A layer between the connection and its socket (TLS is the one the program has). Once
// enabled on a connection, every byte sent and received goes through it.
class TNetConnectionIntercept {
public:
    virtual ~TNetConnectionIntercept() = default;

    // Runs right after the TCP connect; host is the name the user asked for, not the address.
    virtual void Connect(TNetSocketHandle& socket, const std::string& host, int timeoutMs) = 0;
    // The socket is about to close (or has closed).
    virtual void Disconnect() = 0;
    // Answers the count received, 0 when the peer closed, -1 when what the socket held was
    // the layer's own (nothing for the reader yet); raises on failure. Called only when the
    // socket is readable or Pending() is not 0.
    virtual long Receive(char* buffer, std::size_t length) = 0;
    // Answers the count sent (> 0); raises on failure.
    virtual std::size_t Send(const char* buffer, std::size_t length) = 0;
    // Bytes the layer already holds for the reader, so waiting on the socket would be wrong.
    virtual std::size_t Pending() const = 0;
};

} // namespace net
