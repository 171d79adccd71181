// HTTPS through the OpenSSL layer against a local TLS server with a test authority.
#include "net/ENetException.h"
#include "net/TNetHTTP.h"
#include "net/TNetSSLConnectionIntercept.h"
#include "net/TNetStream.h"
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"

#include <gtest/gtest.h>

using namespace net;
using namespace nettest;

namespace {

TestServer::Options tlsWith(const std::string& cert, const std::string& key) {
    TestServer::Options options;
    options.certificateFile = cert;
    options.keyFile = key;
    return options;
}

TestServer::Script serveEach(std::string reply) {
    return [reply](ServerConnection& c) {
        while (!c.readRequest().empty())
            c.send(reply);
    };
}

class Https : public ::testing::Test {
protected:
    void SetUp() override {
        ssl = std::make_shared<TNetSSLConnectionIntercept>();
        http.Intercept = ssl;
        http.IdleTimeout = 5000;
        recorder.attach(http);
    }
    std::string download(const std::string& url) {
        TNetMemoryStream stream;
        http.DownloadTo(url, stream);
        return stream.Bytes();
    }
    std::string failure(const std::string& url) {
        try {
            download(url);
        } catch (const ENetSSLVerifyError& e) {
            return e.what();
        } catch (const std::exception& e) {
            return std::string("unexpected: ") + e.what();
        }
        return "no exception";
    }

    TNetHTTP http;
    std::shared_ptr<TNetSSLConnectionIntercept> ssl;
    WorkRecorder recorder;
};

} // namespace

TEST_F(Https, TrustedCertificateForTheHostDownloadsOverOneConnection) {
    const auto& pki = testPki();
    ssl->AddTrustedCertificateFile(pki.caCert);
    const std::string big(300000, 'z');
    TestServer server(serveEach(response("200 OK", big)), tlsWith(pki.serverCert, pki.serverKey));
    const std::string url = "https://localhost:" + std::to_string(server.port()) + "/secure.swf";
    EXPECT_EQ(download(url), big);
    EXPECT_EQ(download(url), big);
    EXPECT_EQ(server.connectionCount(), 1);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0],
              expectedGet("/secure.swf", "localhost:" + std::to_string(server.port())));
    EXPECT_EQ(http.Port, server.port());
    EXPECT_EQ(recorder.events.front(), "begin 300000");
    EXPECT_EQ(recorder.events.back(), "end");
}

TEST_F(Https, ChunkedAndUntilCloseBodiesOverTls) {
    const auto& pki = testPki();
    ssl->AddTrustedCertificateFile(pki.caCert);
    TestServer chunked(
        serveEach("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nwiki\r\n0\r\n\r\n"),
        tlsWith(pki.serverCert, pki.serverKey));
    EXPECT_EQ(download("https://localhost:" + std::to_string(chunked.port()) + "/"), "wiki");

    TestServer untilClose(
        [](ServerConnection& c) {
            c.readRequest();
            c.send("HTTP/1.1 200 OK\r\n\r\nall of it");
        },
        tlsWith(pki.serverCert, pki.serverKey));
    EXPECT_EQ(download("https://localhost:" + std::to_string(untilClose.port()) + "/"),
              "all of it");
}

TEST_F(Https, WrongHostNameIsRefused) {
    const auto& pki = testPki();
    ssl->AddTrustedCertificateFile(pki.caCert);
    TestServer server(serveEach(response("200 OK", "secret")),
                      tlsWith(pki.serverCert, pki.serverKey));
    const std::string message = failure(server.url("/"));
    EXPECT_TRUE(message.starts_with("SSL certificate verification failed: ")) << message;
    EXPECT_NE(message.find("mismatch"), std::string::npos) << message;
    EXPECT_FALSE(http.IsConnected());
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Https, UnknownIssuerIsRefused) {
    const auto& pki = testPki();
    // Signed by the test authority, which this client was not told to trust.
    TestServer server(serveEach(response("200 OK", "secret")),
                      tlsWith(pki.serverCert, pki.serverKey));
    const std::string message = failure("https://localhost:" + std::to_string(server.port()) + "/");
    EXPECT_EQ(message,
              "SSL certificate verification failed: unable to get local issuer certificate");

    ssl->AddTrustedCertificateFile(pki.caCert);
    TestServer stranger(serveEach(response("200 OK", "secret")),
                        tlsWith(pki.strangerCert, pki.strangerKey));
    const std::string selfSigned =
        failure("https://localhost:" + std::to_string(stranger.port()) + "/");
    EXPECT_TRUE(selfSigned.starts_with("SSL certificate verification failed: self")) << selfSigned;
    EXPECT_TRUE(stranger.requests().empty());
}

TEST_F(Https, HttpsWithoutTheTlsLayerIsRejected) {
    TNetHTTP plain;
    TNetMemoryStream stream;
    try {
        plain.DownloadTo("https://localhost:1/x.swf", stream);
        FAIL();
    } catch (const ENetInterceptPropInvalid& e) {
        EXPECT_STREQ(e.what(), "Intercept value is not valid");
    }
}

TEST_F(Https, PlainAndTlsRequestsDoNotShareAConnection) {
    const auto& pki = testPki();
    ssl->AddTrustedCertificateFile(pki.caCert);
    TestServer secure(serveEach(response("200 OK", "tls")), tlsWith(pki.serverCert, pki.serverKey));
    TestServer plain(serveEach(response("200 OK", "plain")));
    EXPECT_EQ(download("https://localhost:" + std::to_string(secure.port()) + "/"), "tls");
    EXPECT_EQ(download("http://localhost:" + std::to_string(plain.port()) + "/"), "plain");
    EXPECT_EQ(download("https://localhost:" + std::to_string(secure.port()) + "/"), "tls");
    EXPECT_EQ(secure.connectionCount(), 2);
}

TEST_F(Https, SilentOrPlainServerFailsTheHandshakeClearly) {
    TestServer silent([](ServerConnection& c) { c.stall(5000); });
    http.IdleTimeout = 300;
    try {
        download("https://localhost:" + std::to_string(silent.port()) + "/");
        FAIL();
    } catch (const ENetReadTimeout& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 10060\r\nConnection timed out.");
    }
    EXPECT_FALSE(http.IsConnected());

    TestServer plain([](ServerConnection& c) {
        c.stall(100);
        c.send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        c.waitForClientClose(3000);
    });
    http.IdleTimeout = 5000;
    try {
        download("https://localhost:" + std::to_string(plain.port()) + "/");
        FAIL();
    } catch (const ENetSSLVerifyError& e) {
        FAIL() << "not a certificate problem: " << e.what();
    } catch (const ENetSSLError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("SSL handshake failed: ")) << e.what();
    }
}

TEST_F(Https, ProxyTunnelCarriesTheTlsConnection) {
    const auto& pki = testPki();
    ssl->AddTrustedCertificateFile(pki.caCert);
    TestServer origin(serveEach(response("200 OK", "through the tunnel")),
                      tlsWith(pki.serverCert, pki.serverKey));
    TestServer proxy([&](ServerConnection& c) {
        if (c.readRequest().empty())
            return;
        c.send("HTTP/1.1 200 Connection established\r\nProxy-Agent: test\r\n\r\n");
        c.relayTo(origin.port());
    });
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = proxy.port();
    const std::string url = "https://localhost:" + std::to_string(origin.port()) + "/t.swf";
    EXPECT_EQ(download(url), "through the tunnel");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0],
              "CONNECT localhost:" + std::to_string(origin.port()) + " HTTP/1.1\r\n\r\n");
    ASSERT_EQ(origin.requests().size(), 1u);
    EXPECT_EQ(origin.requests()[0], expectedGet(url, "localhost:" + std::to_string(origin.port())));
}

TEST_F(Https, ProxyRefusingTheTunnelIsAReplyError) {
    ssl->AddTrustedCertificateFile(testPki().caCert);
    TestServer proxy(serveEach("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"));
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = proxy.port();
    try {
        download("https://localhost:1/t.swf");
        FAIL();
    } catch (const ENetProtocolReplyError& e) {
        EXPECT_EQ(e.ReplyErrorCode(), 403);
        EXPECT_STREQ(e.what(), "403 Forbidden");
    }
    EXPECT_FALSE(http.IsConnected());
}

TEST_F(Https, AHandshakeSentAByteAtATimeEndsAtTheHandshakeBound) {
    // A record header that promises a long server hello, then its bytes one by one: never
    // silent long enough for the idle limit.
    TestServer trickling([](ServerConnection& c) {
        c.send(std::string("\x16\x03\x03\x10\x00", 5));
        c.repeat("\x02", 30);
    });
    http.IdleTimeout = 5000;
    ssl->HandshakeTimeout = 400;
    EXPECT_EQ(messageOf<ENetLimitExceeded>(
                  [&] { download("https://localhost:" + std::to_string(trickling.port()) + "/"); }),
              "TLS handshake not complete within 400 milliseconds.");
    EXPECT_FALSE(http.IsConnected());

    // Within the bound a real handshake still goes through.
    ssl->AddTrustedCertificateFile(testPki().caCert);
    ssl->HandshakeTimeout = 10000;
    TestServer server(serveEach(response("200 OK", "secure")),
                      tlsWith(testPki().serverCert, testPki().serverKey));
    EXPECT_EQ(download("https://localhost:" + std::to_string(server.port()) + "/"), "secure");
}
