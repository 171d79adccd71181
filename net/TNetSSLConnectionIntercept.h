#pragma once

#include "net/TNetConnectionIntercept.h"

#include <functional>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace net {

// TLS over OpenSSL. The server's certificate must chain to a trusted authority (the system's
// store, plus any added with AddTrustedCertificateFile) and name the host that was asked for;
// anything else fails the connection with ENetSSLVerifyError.
class TNetSSLConnectionIntercept final : public TNetConnectionIntercept {
public:
    TNetSSLConnectionIntercept();
    ~TNetSSLConnectionIntercept() override;
    TNetSSLConnectionIntercept(const TNetSSLConnectionIntercept&) = delete;
    TNetSSLConnectionIntercept& operator=(const TNetSSLConnectionIntercept&) = delete;

    // Trusts the authorities of a PEM file as well (a company or test authority).
    void AddTrustedCertificateFile(const std::string& path);

    // Runs on the plain connection before the handshake (a proxy tunnel is opened here).
    std::function<void()> OnConnect;
    // Milliseconds the whole handshake may take (0 or less: no limit); the connection's idle
    // time still bounds each silence within it. A server that sends its handshake a byte at
    // a time would otherwise hold the connection for ever. Breaking it raises
    // ENetLimitExceeded.
    int HandshakeTimeout = 60000;

    void Connect(TNetSocketHandle& socket, const std::string& host, int timeoutMs) override;
    void Disconnect() override;
    long Receive(char* buffer, std::size_t length) override;
    std::size_t Send(const char* buffer, std::size_t length) override;
    std::size_t Pending() const override;

private:
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
};

} // namespace net
