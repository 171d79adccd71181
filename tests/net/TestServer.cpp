#include "tests/net/TestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace nettest {

namespace {

bool waitReadable(int fd, int ms) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, ms) > 0;
}

} // namespace

long ServerConnection::readSome(char* buffer, std::size_t length) {
    // Poll in short steps so stopping the server never waits on a silent client.
    while (!server_.stopping()) {
        if (ssl_ && SSL_pending(ssl_) > 0)
            break;
        if (waitReadable(fd_, 50))
            break;
    }
    if (server_.stopping())
        return 0;
    if (ssl_) {
        const int n = SSL_read(ssl_, buffer, static_cast<int>(length));
        return n > 0 ? n : 0;
    }
    const long n = ::recv(fd_, buffer, length, 0);
    return n > 0 ? n : 0;
}

std::string ServerConnection::readRequest() {
    for (;;) {
        const auto end = pending_.find("\r\n\r\n");
        if (end != std::string::npos) {
            std::string request = pending_.substr(0, end + 4);
            pending_.erase(0, end + 4);
            server_.record(request);
            return request;
        }
        char buffer[4096];
        const long n = readSome(buffer, sizeof buffer);
        if (n <= 0)
            return {};
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string ServerConnection::readBody(std::size_t count) {
    while (pending_.size() < count) {
        char buffer[4096];
        const long n = readSome(buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
    std::string body = pending_.substr(0, count);
    pending_.erase(0, body.size());
    return body;
}

bool ServerConnection::send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size() && !server_.stopping()) {
        long n;
        if (ssl_)
            n = SSL_write(ssl_, bytes.data() + sent, static_cast<int>(bytes.size() - sent));
        else
            n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return sent == bytes.size();
}

void ServerConnection::repeat(const std::string& bytes, int pauseMs) {
    while (send(bytes))
        stall(pauseMs);
}

void ServerConnection::trickle(const std::string& bytes, std::size_t piece, int pauseMs) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        send(bytes.substr(at, piece));
        stall(pauseMs);
    }
}

void ServerConnection::stall(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!server_.stopping() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

bool ServerConnection::waitForClientClose(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!server_.stopping() && std::chrono::steady_clock::now() < until) {
        if (waitReadable(fd_, 20)) {
            char byte;
            const long n = ::recv(fd_, &byte, 1, MSG_PEEK);
            if (n <= 0)
                return true;
            if (ssl_) {
                char buffer[256];
                if (SSL_read(ssl_, buffer, sizeof buffer) <= 0)
                    return true;
            } else {
                ::recv(fd_, &byte, 1, 0);
            }
        }
    }
    return false;
}

void ServerConnection::relayTo(int port) {
    const int upstream = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(upstream);
        return;
    }
    if (!pending_.empty())
        ::send(upstream, pending_.data(), pending_.size(), MSG_NOSIGNAL);
    pending_.clear();
    char buffer[16384];
    while (!server_.stopping()) {
        pollfd entries[2] = {{fd_, POLLIN, 0}, {upstream, POLLIN, 0}};
        if (::poll(entries, 2, 50) <= 0)
            continue;
        bool done = false;
        for (int i = 0; i < 2 && !done; ++i) {
            if (!entries[i].revents)
                continue;
            const int from = i == 0 ? fd_ : upstream;
            const int to = i == 0 ? upstream : fd_;
            const long n = ::recv(from, buffer, sizeof buffer, 0);
            if (n <= 0 || ::send(to, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) != n)
                done = true;
        }
        if (done)
            break;
    }
    ::close(upstream);
}

void ServerConnection::close() {
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_RDWR);
}

TestServer::TestServer(Script script, Options options)
    : script_(std::move(script)), options_(std::move(options)) {
    // The server's own TLS writes to a client that already left must not end the test run.
    std::signal(SIGPIPE, SIG_IGN);
    const int family = options_.ipv6 ? AF_INET6 : AF_INET;
    listenFd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error("test server: socket failed");
    const int on = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage address{};
    socklen_t length;
    if (options_.ipv6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof *v6;
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *v4;
    }
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listenFd_, 16) != 0)
        throw std::runtime_error("test server: bind or listen failed");
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(options_.ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                : reinterpret_cast<sockaddr_in*>(&address)->sin_port);

    if (!options_.certificateFile.empty()) {
        tls_ = SSL_CTX_new(TLS_server_method());
        if (SSL_CTX_use_certificate_chain_file(tls_, options_.certificateFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(tls_, options_.keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
            throw std::runtime_error("test server: cannot load the certificate");
    }
    thread_ = std::thread([this] { run(); });
}

TestServer::~TestServer() {
    stopping_ = true;
    ::shutdown(listenFd_, SHUT_RDWR);
    const int current = currentFd_;
    if (current >= 0)
        ::shutdown(current, SHUT_RDWR);
    thread_.join();
    ::close(listenFd_);
    if (tls_)
        SSL_CTX_free(tls_);
}

std::string TestServer::url(const std::string& path) const {
    const std::string scheme = tls_ ? "https" : "http";
    return scheme + "://" + hostPort() + path;
}

std::string TestServer::hostPort() const {
    return (options_.ipv6 ? "[::1]" : "127.0.0.1") + std::string(":") + std::to_string(port_);
}

std::vector<std::string> TestServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void TestServer::record(const std::string& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
}

void TestServer::run() {
    while (!stopping_) {
        if (!waitReadable(listenFd_, 50))
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        currentFd_ = fd;
        SSL* ssl = nullptr;
        bool ready = true;
        if (tls_) {
            ssl = SSL_new(tls_);
            SSL_set_fd(ssl, fd);
            ready = SSL_accept(ssl) == 1;
            ERR_clear_error();
        }
        if (ready) {
            ServerConnection connection(*this, fd, ssl);
            script_(connection);
        }
        if (ssl) {
            if (ready)
                SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        currentFd_ = -1;
        ::close(fd);
    }
}

std::string response(const std::string& status, const std::string& body,
                     const std::string& headers) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           headers + "\r\n" + body;
}

namespace {

void runOpenssl(const std::string& arguments) {
    const std::string command = "openssl " + arguments + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("openssl failed: " + command);
}

TestPki makePki() {
    char pattern[] = "/tmp/quarvel-net-pki-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made)
        throw std::runtime_error("cannot make the certificate folder");
    TestPki pki;
    pki.dir = made;
    const std::string d = pki.dir + "/";
    pki.caCert = d + "ca.pem";
    pki.serverCert = d + "server.pem";
    pki.serverKey = d + "server.key";
    pki.strangerCert = d + "stranger.pem";
    pki.strangerKey = d + "stranger.key";
    const std::string ec = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    runOpenssl(
        "req -x509 " + ec + "-days 2 -subj /CN=Quarvel-Test-CA -keyout " + d + "ca.key -out " +
        pki.caCert +
        " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign");
    runOpenssl("req " + ec + "-subj /CN=localhost -keyout " + pki.serverKey + " -out " + d +
               "server.csr");
    {
        std::ofstream ext(d + "server.ext");
        ext << "subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"
               "keyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\n";
    }
    runOpenssl("x509 -req -days 2 -in " + d + "server.csr -CA " + pki.caCert + " -CAkey " + d +
               "ca.key -CAcreateserial -out " + pki.serverCert + " -extfile " + d + "server.ext");
    runOpenssl("req -x509 " + ec + "-days 2 -subj /CN=localhost -keyout " + pki.strangerKey +
               " -out " + pki.strangerCert + " -addext subjectAltName=DNS:localhost");
    return pki;
}

struct PkiHolder {
    TestPki pki = makePki();
    ~PkiHolder() {
        std::error_code ignored;
        std::filesystem::remove_all(pki.dir, ignored);
    }
};

} // namespace

const TestPki& testPki() {
    static const PkiHolder holder;
    return holder.pki;
}

} // namespace nettest
