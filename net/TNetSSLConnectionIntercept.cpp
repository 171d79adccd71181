#include "net/TNetSSLConnectionIntercept.h"
#include "net/ENetException.h"
#include "net/TNetSocketHandle.h"
#include "net/TNetStack.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <fcntl.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <ctime>

#include <algorithm>

namespace net {

namespace {

std::string openSslErrors() {
    std::string text;
    while (const unsigned long code = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text.empty() ? "unknown error" : text;
}

// OpenSSL writes to the socket with write(), which raises SIGPIPE on a closed peer. Block the
// signal on this thread for the call and swallow one that arrived, so a server hanging up is
// an error instead of the end of the program.
class SigPipeGuard {
public:
    SigPipeGuard() {
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        sigset_t block;
        sigemptyset(&block);
        sigaddset(&block, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &block, &old_);
    }
    ~SigPipeGuard() {
        if (!wasPending_) {
            sigset_t pending;
            sigemptyset(&pending);
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                sigset_t only;
                sigemptyset(&only);
                sigaddset(&only, SIGPIPE);
                const timespec none{0, 0};
                while (sigtimedwait(&only, nullptr, &none) == -1 && errno == EINTR) {
                }
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;

private:
    sigset_t old_;
    bool wasPending_ = false;
};

std::string durationText(int ms) {
    if (ms % 1000 == 0)
        return std::to_string(ms / 1000) + (ms == 1000 ? " second" : " seconds");
    return std::to_string(ms) + " milliseconds";
}

// A failed call on a blocking socket with send and receive timeouts: "want" means the
// timeout ran out, a system error is a socket error, the rest is TLS itself.
[[noreturn]] void raiseIoError(int sslError, int savedErrno, const char* what) {
    if (sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE)
        TNetStack::RaiseError(TNetStack::WSAETIMEDOUT);
    if (sslError == SSL_ERROR_SYSCALL && savedErrno != 0) {
        int code = TNetStack::MapErrno(savedErrno);
        if (code == TNetStack::WSAEWOULDBLOCK)
            code = TNetStack::WSAETIMEDOUT;
        TNetStack::RaiseError(code);
    }
    if (sslError == SSL_ERROR_SYSCALL)
        throw ENetConnClosedGracefully();
    throw ENetSSLError(std::string(what) + ": " + openSslErrors());
}

} // namespace

TNetSSLConnectionIntercept::TNetSSLConnectionIntercept() {
    ctx_ = SSL_CTX_new(TLS_client_method());
    if (!ctx_)
        throw ENetSSLError("Cannot create the TLS context: " + openSslErrors());
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    // Reading must come back after a record that carried no data (session tickets), or a
    // short poll on a quiet connection would block until the idle timeout.
    SSL_CTX_clear_mode(ctx_, SSL_MODE_AUTO_RETRY);
#ifdef SSL_OP_IGNORE_UNEXPECTED_EOF
    // Many servers close without a close-notify; counted bodies notice a short read anyway.
    SSL_CTX_set_options(ctx_, SSL_OP_IGNORE_UNEXPECTED_EOF);
#endif
    if (SSL_CTX_set_default_verify_paths(ctx_) != 1)
        ERR_clear_error();
}

TNetSSLConnectionIntercept::~TNetSSLConnectionIntercept() {
    Disconnect();
    SSL_CTX_free(ctx_);
}

void TNetSSLConnectionIntercept::AddTrustedCertificateFile(const std::string& path) {
    if (SSL_CTX_load_verify_locations(ctx_, path.c_str(), nullptr) != 1)
        throw ENetSSLError("Cannot load trusted certificates from \"" + path +
                           "\": " + openSslErrors());
}

void TNetSSLConnectionIntercept::Connect(TNetSocketHandle& socket, const std::string& host,
                                         int timeoutMs) {
    Disconnect();
    if (OnConnect)
        OnConnect();
    ERR_clear_error();
    ssl_ = SSL_new(ctx_);
    if (!ssl_ || SSL_set_fd(ssl_, socket.Handle()) != 1)
        throw ENetSSLError("Cannot start TLS: " + openSslErrors());

    std::string name = host;
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    const bool literal = TNetStack::IsDottedAddress(name) || TNetStack::IsIPv6Address(name);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    const int named = literal ? X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str())
                              : X509_VERIFY_PARAM_set1_host(param, name.c_str(), name.size());
    if (named != 1)
        throw ENetSSLVerifyError("SSL certificate verification failed: bad host name \"" + name +
                                 "\"");
    if (!literal)
        SSL_set_tlsext_host_name(ssl_, name.c_str());

    SigPipeGuard guard;
    // The handshake runs on a non-blocking socket so that both its silences and its whole
    // length can be bounded; the socket is blocking again afterwards, as the reads expect.
    const int fd = socket.Handle();
    const int flags = ::fcntl(fd, F_GETFL);
    struct RestoreFlags {
        int fd;
        int flags;
        ~RestoreFlags() {
            if (flags >= 0)
                ::fcntl(fd, F_SETFL, flags);
        }
    } restore{fd, flags};
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    using Clock = std::chrono::steady_clock;
    const bool limited = HandshakeTimeout > 0;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(0, HandshakeTimeout));
    int rc;
    int error;
    int savedErrno;
    for (;;) {
        ERR_clear_error();
        errno = 0;
        rc = SSL_connect(ssl_);
        if (rc == 1)
            return;
        savedErrno = errno;
        error = SSL_get_error(ssl_, rc);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE)
            break;
        int wait = timeoutMs > 0 ? timeoutMs : -1;
        bool cutShort = false;
        if (limited) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                throw ENetLimitExceeded("TLS handshake not complete within " +
                                        durationText(HandshakeTimeout) + ".");
            if (wait < 0 || left < wait) {
                wait = static_cast<int>(std::min<int64_t>(left, INT_MAX));
                cutShort = true;
            }
        }
        pollfd entry{fd, static_cast<short>(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
        int ready;
        do {
            ready = ::poll(&entry, 1, wait);
        } while (ready < 0 && errno == EINTR);
        if (ready == 0 && !cutShort)
            TNetStack::RaiseError(TNetStack::WSAETIMEDOUT);
    }
    const long verify = SSL_get_verify_result(ssl_);
    if (verify != X509_V_OK) {
        ERR_clear_error();
        throw ENetSSLVerifyError(std::string("SSL certificate verification failed: ") +
                                 X509_verify_cert_error_string(verify));
    }
    raiseIoError(error, savedErrno, "SSL handshake failed");
}

void TNetSSLConnectionIntercept::Disconnect() {
    if (ssl_)
        SSL_free(ssl_);
    ssl_ = nullptr;
}

long TNetSSLConnectionIntercept::Receive(char* buffer, std::size_t length) {
    if (!ssl_)
        throw ENetConnClosedGracefully();
    ERR_clear_error();
    errno = 0;
    const int n = SSL_read(ssl_, buffer, static_cast<int>(std::min<std::size_t>(length, INT_MAX)));
    if (n > 0)
        return n;
    const int savedErrno = errno;
    const int error = SSL_get_error(ssl_, n);
    if (error == SSL_ERROR_ZERO_RETURN)
        return 0;
    if (error == SSL_ERROR_WANT_READ && SSL_pending(ssl_) == 0 && savedErrno == 0)
        return -1;
    if (error == SSL_ERROR_SYSCALL && savedErrno == 0)
        return 0;
    raiseIoError(error, savedErrno, "SSL read failed");
}

std::size_t TNetSSLConnectionIntercept::Send(const char* buffer, std::size_t length) {
    if (!ssl_)
        throw ENetConnClosedGracefully();
    SigPipeGuard guard;
    for (int attempt = 0;; ++attempt) {
        ERR_clear_error();
        errno = 0;
        const int n =
            SSL_write(ssl_, buffer, static_cast<int>(std::min<std::size_t>(length, INT_MAX)));
        if (n > 0)
            return static_cast<std::size_t>(n);
        const int savedErrno = errno;
        const int error = SSL_get_error(ssl_, n);
        // A record of TLS's own may have to be read first; a few rounds at most.
        if (error == SSL_ERROR_WANT_READ && savedErrno == 0 && attempt < 8)
            continue;
        raiseIoError(error, savedErrno, "SSL write failed");
    }
}

std::size_t TNetSSLConnectionIntercept::Pending() const {
    return ssl_ ? static_cast<std::size_t>(SSL_pending(ssl_)) : 0;
}

} // namespace net
