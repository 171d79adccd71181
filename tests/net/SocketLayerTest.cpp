// The socket layer and the buffered TCP connection against a scripted local server.
#include "net/ENetException.h"
#include "net/TNetStack.h"
#include "net/TNetStream.h"
#include "net/TNetTCPClient.h"
#include "tests/net/TestServer.h"
#include "tests/support/Processes.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace net;
using nettest::ServerConnection;
using nettest::TestServer;

namespace {

int unusedPort() {
    return testsupport::unusedLoopbackPort();
}

struct Client : TNetTCPClient {
    using TNetTCPConnection::input_;
};

void connectTo(TNetTCPClient& client, const TestServer& server,
               const std::string& host = "127.0.0.1") {
    client.Host = host;
    client.Port = server.port();
    client.OpenConnection();
}

} // namespace

TEST(NetStack, ErrorTextsAndCodes) {
    EXPECT_EQ(TNetStack::ErrorText(10061), "Connection refused.");
    EXPECT_EQ(TNetStack::ErrorText(10035), "Operation would block. ");
    EXPECT_EQ(TNetStack::ErrorText(10066), "Directory not empty");
    EXPECT_EQ(TNetStack::ErrorText(10004), "Interrupted system call.");
    EXPECT_EQ(TNetStack::ErrorText(11001), "");
    EXPECT_EQ(TNetStack::ErrorText(10001), "");
    int known = 0;
    for (int code = 10000; code < 10100; ++code)
        known += TNetStack::ErrorText(code).empty() ? 0 : 1;
    EXPECT_EQ(known, 38);

    EXPECT_EQ(TNetStack::MapErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(TNetStack::MapErrno(ECONNRESET), 10054);
    EXPECT_EQ(TNetStack::MapErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(TNetStack::MapErrno(EPIPE), 10058);
    EXPECT_EQ(TNetStack::MapErrno(ESHUTDOWN), 10058);
    EXPECT_EQ(TNetStack::MapErrno(EADDRINUSE), 10048);
    EXPECT_EQ(TNetStack::MapErrno(ENETUNREACH), 10051);
    EXPECT_EQ(TNetStack::MapErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(TNetStack::MapErrno(EWOULDBLOCK), 10035);

    try {
        TNetStack::RaiseError(10061);
        FAIL();
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    try {
        TNetStack::RaiseError(11001);
        FAIL();
    } catch (const ENetSocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 11001\r\n");
    }
}

TEST(NetStack, LookUpAndDottedAddresses) {
    EXPECT_EQ(TNetStack::LookUpHost("localhost"), "127.0.0.1");
    EXPECT_EQ(TNetStack::LookUpHost("LocalHost"), "127.0.0.1");
    EXPECT_EQ(TNetStack::LookUpHost("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(TNetStack::LookUpHost("::1"), "::1");
    EXPECT_EQ(TNetStack::LookUpHost("[::1]"), "::1");
    EXPECT_TRUE(TNetStack::IsDottedAddress("1.2.3.4"));
    EXPECT_TRUE(TNetStack::IsDottedAddress("255.255.255.255"));
    EXPECT_FALSE(TNetStack::IsDottedAddress("1.2.3.256"));
    EXPECT_FALSE(TNetStack::IsDottedAddress("1.2.3"));
    EXPECT_FALSE(TNetStack::IsDottedAddress("1.2.3.4.5"));
    EXPECT_FALSE(TNetStack::IsDottedAddress("a.b.c.d"));
    try {
        TNetStack::LookUpHost("no-such-host.invalid");
        FAIL() << "resolved a reserved name";
    } catch (const ENetSocketError& e) {
        EXPECT_GE(e.LastError(), 11001);
        EXPECT_LE(e.LastError(), 11004);
        EXPECT_EQ(std::string(e.what()),
                  "Socket Error # " + std::to_string(e.LastError()) + "\r\n");
    }
}

TEST(NetComponent, NestedProgressRaisesOneBeginAndOneEnd) {
    TNetComponent component;
    std::vector<std::string> events;
    component.OnWorkBegin = [&](TNetComponent&, TWorkMode, int64_t max) {
        events.push_back("begin " + std::to_string(max));
    };
    component.OnWork = [&](TNetComponent&, TWorkMode, int64_t n) {
        events.push_back("work " + std::to_string(n));
    };
    component.OnWorkEnd = [&](TNetComponent&, TWorkMode) { events.push_back("end"); };
    component.AdvanceProgress(TWorkMode::workRead, 5);
    component.StartProgress(TWorkMode::workRead, 10);
    component.StartProgress(TWorkMode::workRead, 99);
    component.AdvanceProgress(TWorkMode::workRead, 3);
    component.AdvanceProgress(TWorkMode::workWrite, 3);
    component.FinishProgress(TWorkMode::workRead);
    component.AdvanceProgress(TWorkMode::workRead, 4);
    component.FinishProgress(TWorkMode::workRead);
    component.FinishProgress(TWorkMode::workRead);
    std::vector<std::string> expected = {"begin 10", "work 3", "work 7", "end"};
    EXPECT_EQ(events, expected);
}

TEST(TcpClient, StatusEventsAndTheAlreadyConnectedGuard) {
    TestServer server([](ServerConnection& c) { c.waitForClientClose(5000); });
    TNetTCPClient client;
    std::vector<std::string> status;
    client.OnStatus = [&](TNetComponent&, TNetStatus, const std::string& text) {
        status.push_back(text);
    };
    connectTo(client, server, "LOCALHOST");
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.Socket().PeerIP, "127.0.0.1");
    EXPECT_EQ(client.Socket().PeerPort, server.port());
    try {
        client.OpenConnection();
        FAIL();
    } catch (const ENetAlreadyConnected& e) {
        EXPECT_STREQ(e.what(), "Already connected.");
    }
    client.CloseConnection();
    EXPECT_FALSE(client.IsConnected());
    std::vector<std::string> expected = {"Resolving hostname LOCALHOST.",
                                         "Connecting to 127.0.0.1.", "Connected.",
                                         "Disconnecting from 127.0.0.1.", "Not connected."};
    EXPECT_EQ(status, expected);
}

TEST(TcpClient, RefusedConnectionIsASocketErrorAndLeavesNoSocket) {
    TNetTCPClient client;
    client.Host = "127.0.0.1";
    client.Port = unusedPort();
    try {
        client.OpenConnection();
        FAIL();
    } catch (const ENetSocketError& e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_STREQ(e.what(), "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.Socket().HandleAllocated());
    EXPECT_FALSE(client.IsConnected());
}

TEST(TcpClient, ConnectsOverIPv6) {
    TestServer::Options options;
    options.ipv6 = true;
    TestServer server(
        [](ServerConnection& c) {
            c.send("hello6\n");
            c.waitForClientClose(5000);
        },
        options);
    TNetTCPClient client;
    connectTo(client, server, "::1");
    EXPECT_EQ(client.Socket().PeerIP, "::1");
    EXPECT_EQ(client.ReadLine(), "hello6");
}

TEST(TcpConnection, ReadLineHandlesBothLineEndsAndCustomTerminators) {
    TestServer server([](ServerConnection& c) {
        c.send("one\r\ntwo\nthree\r");
        c.stall(50);
        c.send("\nfour|five|");
        c.waitForClientClose(5000);
    });
    TNetTCPClient client;
    connectTo(client, server);
    EXPECT_EQ(client.ReadLine(), "one");
    EXPECT_EQ(client.ReadLine(), "two");
    EXPECT_EQ(client.ReadLine(), "three");
    EXPECT_EQ(client.ReadLine("|"), "four");
    EXPECT_EQ(client.ReadLine("|"), "five");
    EXPECT_EQ(client.ReadLine("\n", 100), "");
    EXPECT_TRUE(client.ReadLnTimedOut());
}

TEST(TcpConnection, PeerClosingInTheMiddleOfALineRaises) {
    TestServer server([](ServerConnection& c) { c.send("partial"); });
    TNetTCPClient client;
    connectTo(client, server);
    EXPECT_THROW(client.ReadLine(), ENetConnClosedGracefully);
    EXPECT_FALSE(client.IsConnected());
}

TEST(TcpConnection, OverlongLineIsRefused) {
    TestServer server([](ServerConnection& c) {
        c.send(std::string(5000, 'x'));
        c.waitForClientClose(5000);
    });
    TNetTCPClient client;
    client.MaxLineLength = 1000;
    connectTo(client, server);
    EXPECT_THROW(client.ReadLine(), ENetLineTooLong);
}

TEST(TcpConnection, SilentPeerEndsTheReadAfterTheIdleTimeout) {
    TestServer server([](ServerConnection& c) { c.stall(5000); });
    TNetTCPClient client;
    client.IdleTimeout = 300;
    connectTo(client, server);
    try {
        client.ReadLine();
        FAIL();
    } catch (const ENetReadTimeout& e) {
        EXPECT_EQ(e.LastError(), 10060);
        EXPECT_STREQ(e.what(), "Socket Error # 10060\r\nConnection timed out.");
    }
    EXPECT_FALSE(client.IsConnected());
}

TEST(TcpConnection, ReceiveAsksForAtMostTheReceiveBlock) {
    TestServer server([](ServerConnection& c) {
        c.send(std::string(100, 'a'));
        c.waitForClientClose(5000);
    });
    Client client;
    client.SetRecvBufferSize(10);
    connectTo(client, server);
    std::size_t total = 0;
    while (total < 100) {
        const int64_t n = client.Receive(true, TNetTCPConnection::DefaultTimeout, true);
        ASSERT_GT(n, 0);
        ASSERT_LE(n, 10);
        total += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(client.BufferedCount(), 100u);
}

TEST(TcpConnection, BodyWithFourByteLengthAndBufferedBytesNotCounted) {
    TestServer server([](ServerConnection& c) {
        c.send(std::string("\0\0\0\x05hel", 7));
        c.stall(100);
        c.send("lo");
        c.waitForClientClose(5000);
    });
    TNetTCPClient client;
    std::vector<int64_t> work;
    int64_t max = -1;
    client.OnWorkBegin = [&](TNetComponent&, TWorkMode, int64_t m) { max = m; };
    client.OnWork = [&](TNetComponent&, TWorkMode, int64_t n) { work.push_back(n); };
    connectTo(client, server);
    // Wait until the first packet is in, so the split is known.
    while (client.BufferedCount() < 7)
        client.Receive(true, TNetTCPConnection::DefaultTimeout, true);
    TNetMemoryStream stream;
    client.ReadBodyInto(stream, -1, false);
    EXPECT_EQ(stream.Bytes(), "hello");
    EXPECT_EQ(max, 5);
    // The 4 length bytes count as taken from the buffer before the span began; "hel" were
    // buffered; only "lo" came from the socket inside the span.
    std::vector<int64_t> expected = {2};
    EXPECT_EQ(work, expected);
}

TEST(TcpConnection, QuietCheckNoticesAClosedPeer) {
    TestServer server([](ServerConnection& c) { c.send("x"); });
    TNetTCPClient client;
    connectTo(client, server);
    for (int i = 0; i < 200 && client.IsConnected(); ++i) {
        client.CheckPeerClosedQuietly(false);
        usleep(10000);
    }
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.BufferedCount(), 1u);
    EXPECT_EQ(client.TakeBytes(1), "x");
    EXPECT_THROW(client.TakeBytes(1), ENetNotEnoughDataInBuffer);
}

TEST(TcpConnection, ExactBytesGoOutAndWriteEventsCountThem) {
    std::string received;
    TestServer server([&](ServerConnection& c) { received = c.readRequest(); });
    TNetTCPClient client;
    int64_t written = 0;
    client.OnWork = [&](TNetComponent&, TWorkMode mode, int64_t n) {
        if (mode == TWorkMode::workWrite)
            written = n;
    };
    connectTo(client, server);
    client.StartProgress(TWorkMode::workWrite, 0);
    client.WriteLine("GET / HTTP/1.1");
    client.SendLines({"A: b", ""});
    client.FinishProgress(TWorkMode::workWrite);
    for (int i = 0; i < 200 && server.requests().empty(); ++i)
        usleep(10000);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "GET / HTTP/1.1\r\nA: b\r\n\r\n");
    EXPECT_EQ(written, 24);
}

TEST(NetStack, ResolverAnswersPreferIPv4AndFallBackToIPv6) {
    sockaddr_in6 six{};
    six.sin6_family = AF_INET6;
    inet_pton(AF_INET6, "2001:db8::5", &six.sin6_addr);
    sockaddr_in four{};
    four.sin_family = AF_INET;
    inet_pton(AF_INET, "192.0.2.7", &four.sin_addr);
    addrinfo second{};
    second.ai_family = AF_INET;
    second.ai_addr = reinterpret_cast<sockaddr*>(&four);
    addrinfo first{};
    first.ai_family = AF_INET6;
    first.ai_addr = reinterpret_cast<sockaddr*>(&six);
    first.ai_next = &second;
    EXPECT_EQ(TNetStack::PickAddress(&first), "192.0.2.7");
    first.ai_next = nullptr;
    EXPECT_EQ(TNetStack::PickAddress(&first), "2001:db8::5");
    EXPECT_EQ(TNetStack::PickAddress(nullptr), "");
}
