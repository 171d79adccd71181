#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace nettest {

class TestServer;

// One accepted connection, as the script of a test sees it.
class ServerConnection {
public:
    // Reads one request head (through the empty line); empty when the client closed.
    std::string readRequest();
    // Reads exactly count bytes after the head (a POST body).
    std::string readBody(std::size_t count);
    // Answers false when the client has gone (or the server is stopping).
    bool send(const std::string& bytes);
    // Sends bytes again and again, pausing between, until the client goes: a server that
    // never ends what it is sending.
    void repeat(const std::string& bytes, int pauseMs);
    // Sends bytes one piece at a time with a pause between them.
    void trickle(const std::string& bytes, std::size_t piece, int pauseMs);
    // Waits (interruptibly) without sending anything.
    void stall(int ms);
    // Answers true when the client closed its end within the time.
    bool waitForClientClose(int ms);
    void close();
    // Connects to 127.0.0.1:port and copies bytes both ways until either side closes (the
    // tunnel of a proxy). Bytes already read past the last request go first.
    void relayTo(int port);

private:
    friend class TestServer;
    ServerConnection(TestServer& server, int fd, SSL* ssl) : server_(server), fd_(fd), ssl_(ssl) {}
    long readSome(char* buffer, std::size_t length);

    TestServer& server_;
    int fd_;
    SSL* ssl_;
    std::string pending_;
};

// A scripted HTTP (or HTTPS) server on 127.0.0.1 or ::1 and an ephemeral port. Connections are
// taken one after the other on the server's thread and each is handed to the script.
class TestServer {
public:
    using Script = std::function<void(ServerConnection&)>;
    struct Options {
        bool ipv6 = false;
        std::string certificateFile; // PEM chain; with the key, the server speaks TLS
        std::string keyFile;
    };

    explicit TestServer(Script script) : TestServer(std::move(script), Options{}) {}
    TestServer(Script script, Options options);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const;
    // What a client's Host line names for this server: the address and the port.
    std::string hostPort() const;
    std::vector<std::string> requests() const;
    int connectionCount() const { return connections_; }
    bool stopping() const { return stopping_; }

private:
    friend class ServerConnection;
    void run();
    void record(const std::string& request);

    Script script_;
    Options options_;
    int listenFd_ = -1;
    int port_ = 0;
    SSL_CTX* tls_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> currentFd_{-1};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A test certificate authority and server certificates made with the openssl tool.
struct TestPki {
    std::string dir;
    std::string caCert;     // the authority that signed serverCert
    std::string serverCert; // for DNS name "localhost"
    std::string serverKey;
    std::string strangerCert; // self-signed "localhost" certificate nobody trusts
    std::string strangerKey;
};
// Made once per test program; throws when the openssl tool fails.
const TestPki& testPki();

// A plain HTTP response with the given status, extra header lines and a Content-Length body.
std::string response(const std::string& status, const std::string& body,
                     const std::string& headers = {});

} // namespace nettest
