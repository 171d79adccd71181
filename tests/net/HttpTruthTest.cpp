// What the client reports must be what happened: URLs it cannot fetch are refused before any
// connection, the Host line names a non-default port, conflicting lengths are an error, a
// 2xx with a Location is a success, and a compressed body is stored as what it stands for.
#include "net/ENetException.h"
#include "net/TNetHTTP.h"
#include "net/TNetInflateStream.h"
#include "net/TNetStream.h"
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace net;
using namespace nettest;

namespace {

TestServer::Script serveEach(std::string reply) {
    return [reply](ServerConnection& c) {
        while (!c.readRequest().empty())
            c.send(reply);
    };
}

// windowBits as deflateInit2 takes them: 16 + 15 gzip, 15 zlib, -15 bare deflate.
std::string compress(const std::string& data, int windowBits) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

std::string gzip(const std::string& data) {
    return compress(data, 16 + 15);
}

// A movie-like body: not all one byte, so compression has real work to do.
std::string sampleBody(std::size_t size) {
    std::string out;
    uint32_t seed = 12345;
    while (out.size() < size) {
        seed = seed * 1103515245 + 12345;
        out += "FWS frame " + std::to_string(seed % 97) + ";";
    }
    out.resize(size);
    return out;
}

class HttpTruth : public ::testing::Test {
protected:
    void SetUp() override { http.IdleTimeout = 5000; }
    std::string get(const std::string& url) {
        TNetMemoryStream stream;
        http.DownloadTo(url, stream);
        return stream.Bytes();
    }
    TNetHTTP http;
};

} // namespace

TEST_F(HttpTruth, HostLineNamesThePortOnlyWhenItIsNotTheSchemesOwn) {
    TestServer server(serveEach(response("200 OK", "ok")));
    get(server.url("/a.swf"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              expectedGet("/a.swf", "127.0.0.1:" + std::to_string(server.port())));

    // Through a proxy the line names the URL's host and port, never the proxy's.
    TestServer proxy(serveEach(response("200 OK", "via proxy")));
    http.Request.ProxyServer = "127.0.0.1";
    http.Request.ProxyPort = proxy.port();
    get("http://movies.example:80/a.swf");
    get("http://movies.example:8081/b.swf");
    const auto requests = proxy.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], expectedGet("http://movies.example:80/a.swf", "movies.example"));
    EXPECT_EQ(requests[1], expectedGet("http://movies.example:8081/b.swf", "movies.example:8081"));
}

TEST_F(HttpTruth, UrlsThatCannotBeFetchedAreRefusedBeforeAnyConnection) {
    TestServer server(serveEach(response("200 OK", "should not be asked")));
    const std::string port = std::to_string(server.port());
    const std::string badPort = "Invalid port in URL; ports go from 1 to 65535.";
    const std::pair<std::string, std::string> cases[] = {
        {"http://127.0.0.1:0/a.swf", badPort},
        {"http://127.0.0.1:65536/a.swf", badPort},
        {"http://127.0.0.1:-80/a.swf", badPort},
        {"http://127.0.0.1:99999999999999999999/a.swf", badPort},
        {"http://127.0.0.1:8o/a.swf", badPort},
        {"http://[::1]:70000/a.swf", badPort},
        {"ftp://127.0.0.1:" + port + "/a.swf",
         "Unsupported URL scheme \"ftp\"; only http and https are fetched."},
        {"file:///etc/passwd", "Unsupported URL scheme \"file\"; only http and https are fetched."},
        {"http:///a.swf", "Invalid URL: it names no host."},
        {"just/a/path.swf", "Invalid URL: it names no host."},
    };
    for (const auto& [url, message] : cases) {
        EXPECT_EQ(messageOf<ENetInvalidURL>([&] { http.CheckURL(url); }), message) << url;
        EXPECT_EQ(messageOf<ENetInvalidURL>([&] { get(url); }), message) << url;
    }
    EXPECT_EQ(server.connectionCount(), 0);
    EXPECT_EQ(http.RedirectDepth, 0);

    // Scheme names are not case-sensitive, and the port's range ends are fine.
    EXPECT_NO_THROW(http.CheckURL("HTTP://127.0.0.1:" + port + "/a.swf"));
    EXPECT_NO_THROW(http.CheckURL("https://example.org:65535/"));
    EXPECT_NO_THROW(http.CheckURL("http://example.org:1/"));
    EXPECT_EQ(get("HTTP://127.0.0.1:" + port + "/a.swf"), "should not be asked");
    // Once a host is known a scheme-less URL still goes to it, as it always has.
    EXPECT_NO_THROW(http.CheckURL("just/a/path.swf"));
}

TEST_F(HttpTruth, TwoDifferentContentLengthsAreAnErrorAndEqualOnesAreNot) {
    TestServer twoLines(serveEach("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: "
                                  "12\r\n\r\nhello, world"));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { get(twoLines.url()); }),
              "Conflicting Content-Length values.");
    EXPECT_FALSE(http.IsConnected()); // nobody knows where the next response would begin

    TestServer oneList(serveEach("HTTP/1.1 200 OK\r\nContent-Length: 12, 5\r\n\r\nhello, world"));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { get(oneList.url()); }),
              "Conflicting Content-Length values.");

    TestServer same(serveEach("HTTP/1.1 200 OK\r\nContent-Length: 5\r\ncontent-length: 05, "
                              "5\r\n\r\nhello"));
    EXPECT_EQ(get(same.url()), "hello");
    EXPECT_EQ(http.Reply.ContentLength, 5);
    EXPECT_EQ(http.Reply.ExtraHeaders.FindName("Content-Length"), -1);
}

TEST_F(HttpTruth, ASuccessStatusWithALocationIsASuccess) {
    TestServer server([](ServerConnection& c) {
        for (std::string request; !(request = c.readRequest()).empty();) {
            if (request.starts_with("GET /made"))
                c.send(response("201 Created", "made", "Location: /made/1\r\n"));
            else
                c.send(response("200 OK", "the movie", "Location: http://mirror.example/m\r\n"));
        }
    });
    EXPECT_EQ(get(server.url("/m.swf")), "the movie");
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(http.Reply.Location, "http://mirror.example/m");
    // Even when redirects are followed, a 2xx is the answer and is not left for its Location.
    http.HandleRedirects = true;
    EXPECT_EQ(get(server.url("/made")), "made");
    EXPECT_EQ(http.StatusCode, 201);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(HttpTruth, ARedirectWithoutALocationIsAnErrorNotALoop) {
    TestServer server(serveEach(response("302 Found", "no location")));
    http.HandleRedirects = true;
    EXPECT_EQ(messageOf<ENetProtocolReplyError>([&] { get(server.url("/x")); }), "302 Found");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(HttpTruth, GzipAndDeflateBodiesAreStoredDecoded) {
    const std::string movie = sampleBody(200000);
    const std::string gz = gzip(movie);
    ASSERT_LT(gz.size(), movie.size());
    TestServer counted(serveEach(response("200 OK", gz, "Content-Encoding: gzip\r\n")));
    EXPECT_EQ(get(counted.url()), movie);

    // Split over chunks at awkward places, and with the old "x-gzip" name.
    std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Encoding: "
                          "x-gzip\r\n\r\n";
    for (std::size_t at = 0; at < gz.size(); at += 777) {
        const std::string piece = gz.substr(at, 777);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        chunked += size + piece + "\r\n";
    }
    chunked += "0\r\n\r\n";
    TestServer chunks(serveEach(chunked));
    EXPECT_EQ(get(chunks.url()), movie);

    // "deflate" as zlib data, as the bare deflate stream some servers send, and gzip files
    // of several members read as one.
    TestServer zlibbed(
        serveEach(response("200 OK", compress(movie, 15), "Content-Encoding: Deflate\r\n")));
    EXPECT_EQ(get(zlibbed.url()), movie);
    TestServer bare(
        serveEach(response("200 OK", compress(movie, -15), "Content-Encoding: deflate\r\n")));
    EXPECT_EQ(get(bare.url()), movie);
    TestServer members(serveEach(
        response("200 OK", gzip("first ") + gzip("second"), "Content-Encoding: gzip\r\n")));
    EXPECT_EQ(get(members.url()), "first second");

    // A body read until the server closes, and "identity", which means no coding at all.
    TestServer untilClose([&](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + gz);
    });
    EXPECT_EQ(get(untilClose.url()), movie);
    TestServer identity(serveEach(response("200 OK", "plain", "Content-Encoding: identity\r\n")));
    EXPECT_EQ(get(identity.url()), "plain");
}

TEST_F(HttpTruth, CompressedBodiesThatCannotBeDecodedAreErrorsNotFiles) {
    TestServer brotli(serveEach(response("200 OK", "\x1b\x03\x00", "Content-Encoding: br\r\n")));
    TNetMemoryStream stream;
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { http.DownloadTo(brotli.url(), stream); }),
              "Unsupported Content-Encoding \"br\".");
    EXPECT_EQ(stream.Bytes(), "");
    EXPECT_FALSE(http.IsConnected());
    TestServer stacked(
        serveEach(response("200 OK", gzip(gzip("x")), "Content-Encoding: gzip, gzip\r\n")));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { get(stacked.url()); }),
              "Unsupported Content-Encoding \"gzip, gzip\".");

    const std::string gz = gzip(sampleBody(5000));
    TestServer cut(
        serveEach(response("200 OK", gz.substr(0, gz.size() / 2), "Content-Encoding: gzip\r\n")));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { get(cut.url()); }),
              "Compressed body ends before its end.");
    std::string damaged = gz;
    damaged[0] = 'X';
    TestServer garbage(serveEach(response("200 OK", damaged, "Content-Encoding: gzip\r\n")));
    EXPECT_EQ(messageOf<ENetProtocolError>([&] { get(garbage.url()); }),
              "Invalid compressed body: incorrect header check.");
    TestServer plainText(serveEach(response("200 OK", "not gzip at all",
                                            "Content-Encoding: "
                                            "gzip\r\n")));
    EXPECT_NE(messageOf<ENetProtocolError>([&] { get(plainText.url()); }).find("Invalid"),
              std::string::npos);

    // An error page in a coding we cannot read is still reported by its status.
    TestServer missing(
        serveEach(response("404 Not Found", "\x1b\x03\x00", "Content-Encoding: br\r\n")));
    EXPECT_EQ(messageOf<ENetProtocolReplyError>([&] { get(missing.url()); }), "404 Not Found");
}

TEST_F(HttpTruth, ADecompressionBombStopsAtTheDecodedSizeBound) {
    // 8 MiB of zeros compress to a few kilobytes.
    const std::string bomb = gzip(std::string(8u << 20, '\0'));
    ASSERT_LT(bomb.size(), 64u * 1024);
    TestServer server(serveEach(response("200 OK", bomb, "Content-Encoding: gzip\r\n")));
    http.MaxDecodedSize = 1 << 20;
    TNetMemoryStream stream;
    EXPECT_EQ(messageOf<ENetLimitExceeded>([&] { http.DownloadTo(server.url(), stream); }),
              "Decompressed body larger than 1048576 bytes.");
    EXPECT_LE(stream.Size(), 1 << 20);
    http.MaxDecodedSize = 8 << 20;
    EXPECT_EQ(get(server.url()).size(), 8u << 20);
}

TEST(InflateStream, CodingNamesAndBytesFedOneAtATime) {
    using C = TNetInflateStream::Coding;
    EXPECT_EQ(TNetInflateStream::CodingOf(""), C::Identity);
    EXPECT_EQ(TNetInflateStream::CodingOf(" identity "), C::Identity);
    EXPECT_EQ(TNetInflateStream::CodingOf("GZip"), C::Gzip);
    EXPECT_EQ(TNetInflateStream::CodingOf("identity, x-gzip"), C::Gzip);
    EXPECT_EQ(TNetInflateStream::CodingOf("deflate"), C::Deflate);
    EXPECT_EQ(TNetInflateStream::CodingOf("compress"), C::Unsupported);
    EXPECT_EQ(TNetInflateStream::CodingOf("deflate, gzip"), C::Unsupported);

    // The client writes whatever each receive brought, down to single bytes.
    const std::string text = sampleBody(3000);
    for (const int bits : {16 + 15, 15, -15}) {
        const std::string packed = compress(text, bits);
        TNetMemoryStream out;
        TNetInflateStream inflate(out,
                                  bits == 16 + 15 ? TNetInflateStream::Format::Gzip
                                                  : TNetInflateStream::Format::Deflate,
                                  1 << 20);
        for (const char c : packed)
            inflate.Write(&c, 1);
        inflate.Finish();
        EXPECT_EQ(out.Bytes(), text) << bits;
        EXPECT_EQ(inflate.DecodedBytes(), 3000);
    }

    // Zero padding after the end is dropped; other bytes after a deflate stream are not.
    TNetMemoryStream padded;
    TNetInflateStream gz(padded, TNetInflateStream::Format::Gzip, 1 << 20);
    const std::string withPadding = gzip("abc") + std::string(16, '\0');
    gz.Write(withPadding.data(), withPadding.size());
    gz.Finish();
    EXPECT_EQ(padded.Bytes(), "abc");
    TNetMemoryStream trailing;
    TNetInflateStream deflate(trailing, TNetInflateStream::Format::Deflate, 1 << 20);
    const std::string withGarbage = compress("abc", 15) + "junk";
    EXPECT_EQ(messageOf<ENetProtocolError>(
                  [&] { deflate.Write(withGarbage.data(), withGarbage.size()); }),
              "Invalid compressed body: data after its end.");
}
