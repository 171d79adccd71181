// Servers that never finish: endless interim replies, endless or slow headers and trailers,
// bodies that trickle. Each must end the request with its own clear error, keep what arrived
// and leave the client fit for the next request.
#include "net/ENetException.h"
#include "net/TNetHTTP.h"
#include "net/TNetStream.h"
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"

#include <gtest/gtest.h>

using namespace net;
using namespace nettest;

namespace {

class HttpBounds : public ::testing::Test {
protected:
    void SetUp() override {
        // Generous idle time: each test shows that another bound ends the request first.
        http.IdleTimeout = 20000;
        http.HeaderTimeout = 20000;
    }
    void reset() {
        body.SetSize(0);
        body.SetPosition(0);
    }
    std::string fails(const std::string& url) {
        reset();
        return messageOf<ENetLimitExceeded>([&] { http.DownloadTo(url, body); });
    }
    // After any bound is broken the client must still fetch a plain answer.
    void stillWorks() {
        TestServer fine([](ServerConnection& c) {
            c.readRequest();
            c.send(response("200 OK", "fine"));
            c.waitForClientClose(3000);
        });
        TNetMemoryStream stream;
        http.DownloadTo(fine.url(), stream);
        EXPECT_EQ(stream.Bytes(), "fine");
    }
    TNetHTTP http;
    TNetMemoryStream body;
};

} // namespace

TEST_F(HttpBounds, EndlessInterimRepliesEndAtTheLineCountOrTheHeaderTime) {
    TestServer fast([](ServerConnection& c) {
        c.readRequest();
        c.repeat("HTTP/1.1 100 Continue\r\n\r\n", 0);
    });
    http.MaxHeaderLines = 50;
    EXPECT_EQ(fails(fast.url()), "Response header has more than 50 lines.");
    EXPECT_FALSE(http.IsConnected());

    // Few enough lines to stay under the count, but never done: the time bound ends it.
    TestServer slow([](ServerConnection& c) {
        c.readRequest();
        c.repeat("HTTP/1.1 102 Processing\r\n\r\n", 40);
    });
    http.MaxHeaderLines = 100000;
    http.HeaderTimeout = 400;
    EXPECT_EQ(fails(slow.url()), "No complete response header within 400 milliseconds.");
    EXPECT_FALSE(http.IsConnected());
    stillWorks();
}

TEST_F(HttpBounds, HeaderSentAByteAtATimeEndsAtTheHeaderTime) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.trickle("HTTP/1.1 200 OK\r\nServer: a slow one\r\nContent-Length: 2\r\n\r\nok", 1, 30);
    });
    http.HeaderTimeout = 300;
    EXPECT_EQ(fails(server.url()), "No complete response header within 300 milliseconds.");
    EXPECT_EQ(body.Bytes(), "");

    // The same header well inside the bound is read as usual, interim reply and all.
    TestServer quick([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 100 Continue\r\n\r\n");
        c.trickle("HTTP/1.1 200 OK\r\nServer: t\r\nContent-Length: 2\r\n\r\nok", 8, 10);
        c.waitForClientClose(3000);
    });
    http.HeaderTimeout = 10000;
    http.MaxHeaderLines = 3; // two status lines and the Server and Content-Length lines would be 4
    EXPECT_EQ(fails(quick.url()), "Response header has more than 3 lines.");
    http.MaxHeaderLines = 4;
    reset();
    http.DownloadTo(quick.url(), body);
    EXPECT_EQ(body.Bytes(), "ok");
}

TEST_F(HttpBounds, EndlessOrSlowChunkTrailersEndWithTheBodyKept) {
    TestServer endless([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n");
        c.repeat("X-Trailer: more\r\n", 0);
    });
    http.MaxHeaderLines = 100;
    EXPECT_EQ(fails(endless.url()), "Chunk trailer has more than 100 lines.");
    EXPECT_EQ(body.Bytes(), "hello");
    EXPECT_FALSE(http.IsConnected());

    TestServer slow([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nworld\r\n0\r\n");
        c.repeat("X", 30);
    });
    http.HeaderTimeout = 300;
    EXPECT_EQ(fails(slow.url()), "No complete chunk trailer within 300 milliseconds.");
    EXPECT_EQ(body.Bytes(), "world");

    // A trailer inside the bounds ends the body normally.
    TestServer fine([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\nA: 1\r\nB: "
               "2\r\n\r\n");
        c.waitForClientClose(3000);
    });
    http.MaxHeaderLines = 2;
    reset();
    http.DownloadTo(fine.url(), body);
    EXPECT_EQ(body.Bytes(), "ok");
    stillWorks();
}

TEST_F(HttpBounds, BodySlowerThanTheLowestRateEndsWithWhatArrived) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        c.repeat("x", 100); // about ten bytes a second, never silent for long
    });
    http.IdleTimeout = 5000;
    http.MinTransferRate = 100;
    http.RateWindow = 500;
    EXPECT_EQ(fails(server.url()),
              "Transfer too slow: fewer than 100 bytes a second over 500 milliseconds.");
    EXPECT_FALSE(body.Bytes().empty());
    EXPECT_EQ(body.Bytes(), std::string(body.Bytes().size(), 'x'));
    EXPECT_FALSE(http.IsConnected());

    // The bound covers a chunked body's framing too, and a body read until the server
    // closes.
    TestServer chunks([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        c.repeat("1\r\ny\r\n", 150);
    });
    EXPECT_EQ(fails(chunks.url()),
              "Transfer too slow: fewer than 100 bytes a second over 500 milliseconds.");
    TestServer untilClose([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\n\r\n");
        c.repeat("z", 100);
    });
    EXPECT_EQ(fails(untilClose.url()),
              "Transfer too slow: fewer than 100 bytes a second over 500 milliseconds.");
    stillWorks();
}

TEST_F(HttpBounds, BodyAboveTheLowestRateCompletesAcrossManyWindows) {
    const std::string data(3000, 'r');
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n");
        c.trickle(data, 100, 20); // about 5000 bytes a second for over half a second
        c.waitForClientClose(3000);
    });
    http.MinTransferRate = 100;
    http.RateWindow = 300;
    http.DownloadTo(server.url(), body);
    EXPECT_EQ(body.Bytes(), data);
}

TEST_F(HttpBounds, TheIdleLimitStillEndsASilentServerBeforeTheRateWindow) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
        c.stall(10000);
    });
    http.IdleTimeout = 300;
    http.RateWindow = 60000;
    EXPECT_EQ(messageOf<ENetReadTimeout>([&] { http.DownloadTo(server.url(), body); }),
              "Socket Error # 10060\r\nConnection timed out.");
    EXPECT_EQ(body.Bytes(), "abc");
}

TEST_F(HttpBounds, TurnedOffBoundsLetASlowButFiniteServerFinish) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.trickle("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n", 16,
                  30);
        c.trickle("slowly", 1, 60);
        c.waitForClientClose(3000);
    });
    http.HeaderTimeout = 0;
    http.MinTransferRate = 0;
    http.RateWindow = 100;
    http.IdleTimeout = 2000;
    http.DownloadTo(server.url(), body);
    EXPECT_EQ(body.Bytes(), "slowly");
}
