#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace net {

// Every failure of the network classes is one of these; the texts are fixed and user-facing.
class ENetException : public std::runtime_error {
public:
    explicit ENetException(const std::string& message) : std::runtime_error(message) {}
};

class ENetConnClosedGracefully : public ENetException {
public:
    ENetConnClosedGracefully() : ENetException("Connection Closed Gracefully.") {}
};

class ENetNotEnoughDataInBuffer : public ENetException {
public:
    ENetNotEnoughDataInBuffer() : ENetException("Not enough data in buffer.") {}
};

class ENetAlreadyConnected : public ENetException {
public:
    ENetAlreadyConnected() : ENetException("Already connected.") {}
};

class ENetCouldNotBindSocket : public ENetException {
public:
    ENetCouldNotBindSocket()
        : ENetException("Could not bind socket. Address and port are already in use.") {}
};

class ENetInvalidSocket : public ENetException {
public:
    ENetInvalidSocket() : ENetException("Cannot allocate socket.") {}
};

class ENetStackSetSizeExceeded : public ENetException {
public:
    ENetStackSetSizeExceeded() : ENetException("Set Size Exceeded.") {}
};

class ENetStackCanNotLoadWinsock : public ENetException {
public:
    explicit ENetStackCanNotLoadWinsock(const std::string& library)
        : ENetException(library + " could not be loaded.") {}
};

class ENetStackInitializationFailed : public ENetException {
public:
    ENetStackInitializationFailed() : ENetException("Winsock Initialization Error.") {}
};

// A socket call failed; the code is the Winsock number the errno was mapped to.
class ENetSocketError : public ENetException {
public:
    ENetSocketError(int code, const std::string& message) : ENetException(message), code_(code) {}
    int LastError() const { return code_; }

private:
    int code_;
};

// No byte arrived (or none could be sent) for the connection's timeout. It is a socket
// error 10060 so callers that only know socket errors still see a timed-out connection.
class ENetReadTimeout : public ENetSocketError {
public:
    using ENetSocketError::ENetSocketError;
};

// A line (status or header) longer than the connection accepts; guards memory against a
// server that never ends its line.
class ENetLineTooLong : public ENetException {
public:
    ENetLineTooLong() : ENetException("Line too long.") {}
};

// Abort() was called from another thread; the transfer stopped where it was.
class ENetAborted : public ENetException {
public:
    ENetAborted() : ENetException("Transfer aborted.") {}
};

// A second thread tried to use a client that is in the middle of a request.
class ENetClientBusy : public ENetException {
public:
    ENetClientBusy() : ENetException("Client is busy with another request.") {}
};

class ENetProtocolReplyError : public ENetException {
public:
    ENetProtocolReplyError(int code, const std::string& statusLine)
        : ENetException(statusLine), code_(code) {}
    int ReplyErrorCode() const { return code_; }

private:
    int code_;
};

// The response broke the message framing (an unreadable chunk size, a header block without
// end); what had arrived stays in the target stream.
class ENetProtocolError : public ENetException {
public:
    using ENetException::ENetException;
};

// A URL the client will not fetch: no host, a port outside 1 to 65535, a scheme other than
// http and https, control bytes in the host.
class ENetInvalidURL : public ENetProtocolError {
public:
    using ENetProtocolError::ENetProtocolError;
};

// A server kept a request going past one of the client's bounds: too many header lines, a
// header block or trailer that took too long, a body slower than the lowest rate, a decoded
// body larger than allowed. The connection is closed; what arrived stays in the stream.
class ENetLimitExceeded : public ENetException {
public:
    using ENetException::ENetException;
};

class ENetObjectTypeNotSupported : public ENetException {
public:
    ENetObjectTypeNotSupported() : ENetException("Object type not supported.") {}
};

class ENetInterceptPropInvalid : public ENetException {
public:
    ENetInterceptPropInvalid() : ENetException("Intercept value is not valid") {}
};

class ENetFailedToRetreiveTimeZoneInfo : public ENetException {
public:
    ENetFailedToRetreiveTimeZoneInfo()
        : ENetException("Failed attempting to retrieve time zone information.") {}
};

// TLS failed: the handshake, or a record on an established connection.
class ENetSSLError : public ENetException {
public:
    using ENetException::ENetException;
};

// The server's certificate was not accepted (unknown issuer, wrong host name, expired...).
class ENetSSLVerifyError : public ENetSSLError {
public:
    using ENetSSLError::ENetSSLError;
};

// A text that should have been a number was not, as the framework's string-to-integer
// conversion reports it. Deliberately not an ENetException: it is not a network failure.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

} // namespace net
