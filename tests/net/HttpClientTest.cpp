// The HTTP client against a scripted local server: request bytes, framing, work events,
// redirects, failures and the bytes that end up in the file.
#include "net/ENetException.h"
#include "net/TNetHTTP.h"
#include "net/TNetStream.h"
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"
#include "tests/support/Processes.h"

#include <gtest/gtest.h>

#include <thread>

using namespace net;
using namespace nettest;

namespace {

// Serves every request on a connection with the same reply until the client closes.
TestServer::Script serveEach(std::string reply) {
    return [reply](ServerConnection& c) {
        while (!c.readRequest().empty())
            c.send(reply);
    };
}

class HttpClient : public ::testing::Test {
protected:
    void SetUp() override {
        recorder.attach(http);
        http.IdleTimeout = 5000;
    }
    void download(const std::string& url) {
        TNetFileStream stream(file.path(), TNetFileStream::Mode::Create);
        http.DownloadTo(url, stream);
    }
    TNetHTTP http;
    WorkRecorder recorder;
    TempFile file;
};

// Sends a head, waits so it arrives alone, then the body.
void sendApart(ServerConnection& c, const std::string& head, const std::string& body) {
    c.send(head);
    c.stall(200);
    c.send(body);
}

} // namespace

TEST_F(HttpClient, SendsExactlyTheProgramsRequestAndDropsTheFragment) {
    TestServer server(serveEach(response("200 OK", "abc")));
    download(server.url("/a/b.swf#frame2"));
    download("http://127.0.0.1:" + std::to_string(server.port()));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], expectedGet("/a/b.swf", server.hostPort()));
    EXPECT_EQ(requests[1], expectedGet("/", server.hostPort()));
    EXPECT_EQ(file.bytes(), "abc");
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.StatusLine, "200 OK");
    EXPECT_EQ(http.RedirectDepth, 0);
    EXPECT_EQ(http.Port, server.port());
}

TEST_F(HttpClient, BodyArrivingWithTheHeadersIsWrittenButNotCounted) {
    TestServer server(serveEach(response("200 OK", "0123456789")));
    download(server.url("/m.swf"));
    EXPECT_EQ(file.bytes(), "0123456789");
    std::vector<std::string> expected = {"begin 10", "end"};
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(HttpClient, CountedBodyInItsOwnPacketIsCounted) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        sendApart(c, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n", "abcdef");
        c.waitForClientClose(3000);
    });
    download(server.url("/m.swf"));
    EXPECT_EQ(file.bytes(), "abcdef");
    std::vector<std::string> expected = {"begin 6", "work 6", "end"};
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(HttpClient, ChunkedBodyWithHexSizesAnExtensionAndTrailers) {
    const std::string first(26, 'x');
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        c.stall(150);
        c.send("1A\r\n");
        c.stall(150);
        c.send(first + "\r\n");
        c.stall(150);
        c.send("5;name=value\r\n");
        c.stall(150);
        c.send("hello\r\n");
        c.stall(150);
        c.send("0\r\nX-Trailer: 1\r\n\r\n");
        // The connection stays usable for the next request.
        if (!c.readRequest().empty())
            c.send(response("200 OK", "again"));
        c.waitForClientClose(3000);
    });
    download(server.url("/c.swf"));
    EXPECT_EQ(file.bytes(), first + "hello");
    std::vector<std::string> expected = {"begin 26", "work 26", "end", "begin 5", "work 5", "end"};
    EXPECT_EQ(recorder.events, expected);
    EXPECT_NE(std::find(recorder.status.begin(), recorder.status.end(), "Chunk Started"),
              recorder.status.end());
    EXPECT_TRUE(http.IsConnected());
    download(server.url("/c.swf"));
    EXPECT_EQ(file.bytes(), "again");
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(HttpClient, UnreadableChunkSizeOrAChunkCutShortFails) {
    TestServer bad([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\nzz\r\n");
        c.waitForClientClose(3000);
    });
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { download(bad.url()); }), "Invalid chunk size.");
    EXPECT_EQ(file.bytes(), "abc");
    EXPECT_FALSE(http.IsConnected()); // out of step with the server: never reused

    TestServer cut([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n10\r\nabc");
    });
    EXPECT_EQ(messageOf<ENetConnClosedGracefully>([&] { download(cut.url()); }),
              "Connection Closed Gracefully.");
    EXPECT_EQ(file.bytes(), "abc");
}

TEST_F(HttpClient, BodyWithoutLengthIsReadUntilTheServerCloses) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        sendApart(c, "HTTP/1.1 200 OK\r\nServer: t\r\n\r\n", "until the end");
    });
    download(server.url("/u.swf"));
    EXPECT_EQ(file.bytes(), "until the end");
    std::vector<std::string> expected = {"begin 0", "work 13", "end"};
    EXPECT_EQ(recorder.events, expected);
    EXPECT_FALSE(http.IsConnected());

    TestServer empty([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\n\r\n");
    });
    download(empty.url());
    EXPECT_EQ(file.bytes(), "");
}

TEST_F(HttpClient, ZeroLengthBodyEndsAtOnceOnAKeptAliveConnection) {
    TestServer server(serveEach("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
    http.IdleTimeout = 2000;
    download(server.url());
    EXPECT_EQ(file.bytes(), "");
    EXPECT_TRUE(http.IsConnected());
}

TEST_F(HttpClient, Version10ReplyAndConnectionCloseBothCloseAfterTheBody) {
    TestServer old(serveEach("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    download(old.url());
    EXPECT_EQ(file.bytes(), "ok");
    EXPECT_FALSE(http.IsConnected());

    TestServer closing(serveEach(response("200 OK", "ok", "Connection: Close\r\n")));
    download(closing.url());
    EXPECT_FALSE(http.IsConnected());
    download(closing.url());
    EXPECT_EQ(closing.connectionCount(), 2);

    TestServer keep(serveEach(response("200 OK", "ok")));
    download(keep.url());
    download(keep.url());
    EXPECT_TRUE(http.IsConnected());
    EXPECT_EQ(keep.connectionCount(), 1);
}

TEST_F(HttpClient, KeptAliveConnectionClosedByTheServerIsReplaced) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send(response("200 OK", "first"));
        c.stall(50);
        c.close();
    });
    download(server.url());
    usleep(200000);
    download(server.url());
    EXPECT_EQ(file.bytes(), "first");
    EXPECT_EQ(server.connectionCount(), 2);
}

TEST_F(HttpClient, RedirectIsAnErrorWhenNotFollowedAndItsBodyIsKept) {
    TestServer server(serveEach(response("302 Found", "moved", "Location: /elsewhere\r\n")));
    try {
        download(server.url("/a.swf"));
        FAIL();
    } catch (const ENetProtocolReplyError& e) {
        EXPECT_STREQ(e.what(), "302 Found");
        EXPECT_EQ(e.ReplyErrorCode(), 302);
    }
    EXPECT_EQ(file.bytes(), "moved");
    EXPECT_EQ(http.RedirectDepth, 0);
    EXPECT_EQ(http.Reply.Location, "/elsewhere");
}

TEST_F(HttpClient, FollowsRelativeAndAbsoluteRedirects) {
    int port = 0;
    TestServer server([&port](ServerConnection& c) {
        for (std::string request; !(request = c.readRequest()).empty();) {
            if (request.starts_with("GET /start"))
                c.send(response("301 Moved Permanently", "a much longer redirect page",
                                "Location: /next\r\n"));
            else if (request.starts_with("GET /next"))
                c.send(
                    response("302 Found", "",
                             "Location: http://127.0.0.1:" + std::to_string(port) + "/final\r\n"));
            else
                c.send(response("200 OK", "done"));
        }
    });
    port = server.port();
    http.HandleRedirects = true;
    std::vector<int> depths;
    std::vector<std::string> locations;
    http.OnRedirect = [&](TNetHTTP&, std::string& dest, int& count, bool& handled) {
        depths.push_back(count);
        locations.push_back(dest);
        EXPECT_TRUE(handled);
    };
    download(server.url("/start"));
    EXPECT_EQ(file.bytes(), "done");
    EXPECT_EQ(depths, (std::vector<int>{1, 2}));
    EXPECT_EQ(locations[0], "/next");
    EXPECT_EQ(http.RedirectDepth, 0);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1], expectedGet("/next", server.hostPort()));
    EXPECT_EQ(requests[2], expectedGet("/final", server.hostPort()));
}

TEST_F(HttpClient, EndlessRedirectsStopAtTheMaximumWithAnError) {
    TestServer server(serveEach(response("302 Found", "", "Location: /loop\r\n")));
    http.HandleRedirects = true;
    http.RedirectMaximum = 5;
    EXPECT_EQ(messageOf<ENetProtocolReplyError>([&] { download(server.url("/loop")); }),
              "302 Found");
    EXPECT_EQ(server.requests().size(), 5u);
    EXPECT_EQ(http.RedirectDepth, 0);
}

TEST_F(HttpClient, RedirectHandlerMayTakeTheLocationWithoutFollowing) {
    TestServer server(serveEach(response("301 Moved", "", "Location: /old\r\n")));
    http.OnRedirect = [](TNetHTTP&, std::string& dest, int&, bool& handled) {
        dest = "/rewritten";
        handled = true;
    };
    download(server.url("/x"));
    EXPECT_EQ(http.Reply.Location, "/rewritten");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(HttpClient, NotModifiedWithoutBodyIsAnErrorAndDoesNotWait) {
    TestServer server(serveEach("HTTP/1.1 304 Not Modified\r\n\r\n"));
    http.IdleTimeout = 2000;
    try {
        download(server.url());
        FAIL();
    } catch (const ENetProtocolReplyError& e) {
        EXPECT_STREQ(e.what(), "304 Not Modified");
        EXPECT_EQ(e.ReplyErrorCode(), 304);
    }
    EXPECT_EQ(file.bytes(), "");
}

TEST_F(HttpClient, NotFoundKeepsTheErrorPageAndFails) {
    TestServer server(serveEach(response("404 Not Found", "<html>missing</html>")));
    try {
        download(server.url("/missing.swf"));
        FAIL();
    } catch (const ENetProtocolReplyError& e) {
        EXPECT_STREQ(e.what(), "404 Not Found");
        EXPECT_EQ(e.ReplyErrorCode(), 404);
    }
    EXPECT_EQ(file.bytes(), "<html>missing</html>");
    std::vector<std::string> expected = {"begin 20", "end"};
    EXPECT_EQ(recorder.events, expected);
}

TEST_F(HttpClient, EarlyCloseInACountedBodyFailsAndTheFileHoldsOnlyWhatArrived) {
    const std::string part(40, 'p');
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        sendApart(c, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", part);
        c.stall(50);
    });
    EXPECT_EQ(messageOf<ENetConnClosedGracefully>([&] { download(server.url()); }),
              "Connection Closed Gracefully.");
    EXPECT_EQ(file.bytes(), part);
    std::vector<std::string> expected = {"begin 100", "work 40", "end"};
    EXPECT_EQ(recorder.events, expected);
    EXPECT_FALSE(http.IsConnected());
}

TEST_F(HttpClient, SlowTrickleWithinTheIdleTimeoutSucceeds) {
    const std::string body = "0123456789abcdefghij";
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        sendApart(c, "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\n", "");
        c.trickle(body, 2, 40);
        c.waitForClientClose(3000);
    });
    http.IdleTimeout = 1000;
    download(server.url());
    EXPECT_EQ(file.bytes(), body);
    ASSERT_GE(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events.front(), "begin 20");
    EXPECT_EQ(recorder.events[recorder.events.size() - 2], "work 20");
    EXPECT_EQ(recorder.events.back(), "end");
}

TEST_F(HttpClient, StalledServerEndsTheTransferWithATimeout) {
    TestServer midBody([](ServerConnection& c) {
        c.readRequest();
        sendApart(c, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", "0123456789");
        c.stall(4000);
    });
    http.IdleTimeout = 400;
    try {
        download(midBody.url());
        FAIL();
    } catch (const ENetReadTimeout& e) {
        EXPECT_EQ(e.LastError(), 10060);
        EXPECT_STREQ(e.what(), "Socket Error # 10060\r\nConnection timed out.");
    }
    EXPECT_EQ(file.bytes(), "0123456789");
    EXPECT_EQ(recorder.events.back(), "end");

    TestServer beforeStatus([](ServerConnection& c) {
        c.readRequest();
        c.stall(4000);
    });
    EXPECT_EQ(messageOf<ENetReadTimeout>([&] { download(beforeStatus.url()); }),
              "Socket Error # 10060\r\nConnection timed out.");
}

TEST_F(HttpClient, HeaderLineOfOneMebibyteIsRead) {
    const std::string big(1 << 20, 'h');
    TestServer server(serveEach(response("200 OK", "body", "X-Big: " + big + "\r\n")));
    download(server.url());
    EXPECT_EQ(file.bytes(), "body");
    EXPECT_EQ(http.Reply.ExtraHeaders.ValueOf("X-Big"), big);
}

TEST_F(HttpClient, UnreadableStatusLineIsAConversionError) {
    TestServer server(serveEach("HTTP/1.1 abc Bad\r\n\r\n"));
    EXPECT_THROW(download(server.url()), EConvertError);
    EXPECT_EQ(http.RedirectDepth, 0);
}

TEST_F(HttpClient, RefusedConnectionReachesTheCaller) {
    const std::string url =
        "http://127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()) + "/";
    EXPECT_EQ(messageOf<ENetSocketError>([&] { download(url); }),
              "Socket Error # 10061\r\nConnection refused.");
}

TEST_F(HttpClient, BracketedIPv6LiteralWorks) {
    TestServer::Options options;
    options.ipv6 = true;
    TestServer server(serveEach(response("200 OK", "six")), options);
    download(server.url("/v6.swf"));
    EXPECT_EQ(file.bytes(), "six");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], expectedGet("/v6.swf", server.hostPort()));
}

TEST_F(HttpClient, UrlWithoutSchemeKeepsTheHostAndTakesPort80) {
    http.Host = "example.org";
    http.Port = 8080;
    EXPECT_FALSE(http.SelectTarget("", "", -1));
    EXPECT_EQ(http.Host, "example.org");
    EXPECT_EQ(http.HostName, "example.org");
    EXPECT_EQ(http.Port, 80);
    EXPECT_EQ(messageOf<ENetInterceptPropInvalid>([&] { http.SelectTarget("HTTPS", "h", -1); }),
              "Intercept value is not valid");
}

TEST_F(HttpClient, HeadReadsNoBodyAndPostSendsItsLines) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
        const std::string post = c.readRequest();
        c.readBody(11);
        c.send(response("200 OK", "posted"));
        c.waitForClientClose(3000);
    });
    http.IdleTimeout = 2000;
    http.Head(server.url("/h"));
    EXPECT_EQ(http.Reply.ContentLength, 1000);
    const std::vector<std::string> lines = {"a=1", "b=22"};
    TNetMemoryStream reply;
    http.Post(server.url("/p"), &lines, &reply);
    EXPECT_EQ(reply.Bytes(), "posted");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("HEAD /h HTTP/1.1\r\n"));
    EXPECT_NE(requests[1].find("\r\nContent-Length: 11\r\n"), std::string::npos);
    EXPECT_EQ(server.connectionCount(), 1);
}

TEST_F(HttpClient, ProxyGetsTheAbsoluteTarget) {
    TestServer proxy(serveEach(response("200 OK", "via proxy")));
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = proxy.port();
    download("http://movies.example/a.swf");
    EXPECT_EQ(file.bytes(), "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0], expectedGet("http://movies.example/a.swf", "movies.example"));
}

TEST_F(HttpClient, AbortFromAnotherThreadStopsAStalledTransferAndBusyClientRefusesASecond) {
    TestServer server([](ServerConnection& c) {
        for (std::string request; !(request = c.readRequest()).empty();) {
            if (request.starts_with("GET /stall")) {
                sendApart(c, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", "partial");
                c.stall(10000);
                return;
            }
            c.send(response("200 OK", "fine"));
        }
    });
    http.IdleTimeout = 20000;
    std::string outcome;
    std::thread worker(
        [&] { outcome = messageOf<ENetAborted>([&] { download(server.url("/stall")); }); });
    for (int i = 0; i < 500 && file.bytes() != "partial"; ++i)
        usleep(10000);
    TNetMemoryStream other;
    EXPECT_EQ(messageOf<ENetClientBusy>([&] { http.DownloadTo(server.url("/x"), other); }),
              "Client is busy with another request.");
    http.Abort();
    worker.join();
    EXPECT_EQ(outcome, "Transfer aborted.");
    EXPECT_EQ(file.bytes(), "partial");
    EXPECT_EQ(recorder.events.back(), "end");
    EXPECT_THROW(download(server.url("/again")), ENetAborted);
    http.ClearAbort();
    TestServer fresh(serveEach(response("200 OK", "fine")));
    download(fresh.url());
    EXPECT_EQ(file.bytes(), "fine");
}

TEST_F(HttpClient, Version10RequestsAndInterimReplies) {
    TestServer server([](ServerConnection& c) {
        while (!c.readRequest().empty())
            c.send("HTTP/1.1 100 Continue\r\n\r\n" + response("200 OK", "after interim"));
    });
    http.ProtocolVersion = TNetHTTPProtocolVersion::pv1_0;
    download(server.url("/old"));
    EXPECT_EQ(file.bytes(), "after interim");
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_FALSE(http.IsConnected());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(server.requests()[0].starts_with("GET /old HTTP/1.0\r\nHost: " + server.hostPort() +
                                                 "\r\n"));
}

TEST_F(HttpClient, PastedUrlIsTrimmedAndControlBytesNeverReachTheRequestLine) {
    TestServer server(serveEach(response("200 OK", "ok")));
    download(" \t" + server.url("/my movie.swf") + "\r\n");
    download(server.url("/a\r\nX-Injected: 1/b.swf"));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], expectedGet("/my%20movie.swf", server.hostPort()));
    EXPECT_EQ(requests[1], expectedGet("/a%0D%0AX-Injected:%201/b.swf", server.hostPort()));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { download("http://bad\r\nhost/"); }),
              "Invalid URL.");
}

TEST_F(HttpClient, ProxyTargetKeepsANonDefaultPort) {
    TestServer proxy(serveEach(response("200 OK", "via proxy")));
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = proxy.port();
    download("http://movies.example:8080/a.swf");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0],
              expectedGet("http://movies.example:8080/a.swf", "movies.example:8080"));
}

TEST_F(HttpClient, AbsurdAnnouncedSizesReserveNothingAndFailCleanly) {
    TestServer hugeLength([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775807\r\n\r\nsome");
    });
    EXPECT_THROW(download(hugeLength.url()), ENetConnClosedGracefully);
    EXPECT_EQ(file.bytes(), "some");

    TestServer hugeChunk([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7FFFFFFFFFFFFFFF\r\nsome");
    });
    TNetMemoryStream memory;
    EXPECT_THROW(http.DownloadTo(hugeChunk.url(), memory), ENetConnClosedGracefully);
    EXPECT_EQ(memory.Bytes(), "some");

    TestServer overflow([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1FFFFFFFFFFFFFFFF\r\n");
        c.waitForClientClose(3000);
    });
    EXPECT_THROW(download(overflow.url()), ENetProtocolError);
}
