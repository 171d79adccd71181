// The netget tool as outside checks run it: exit status, status line, message, file bytes.
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using namespace nettest;
namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Outcome {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

Outcome netget(const std::string& arguments) {
    const std::string command = std::string(NETGET_PATH) + " " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[512];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        outcome.output.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TestServer::Script serveEach(std::string reply) {
    return [reply](ServerConnection& c) {
        while (!c.readRequest().empty())
            c.send(reply);
    };
}

} // namespace

TEST(Netget, DownloadsAndPrintsTheStatusLine) {
    TestServer server(serveEach(response("200 OK", "movie bytes")));
    TempFile file;
    const Outcome outcome = netget("'" + server.url("/m.swf") + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.output, "200 OK\n");
    EXPECT_EQ(file.bytes(), "movie bytes");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], expectedGet("/m.swf", server.hostPort()));
}

TEST(Netget, FailuresExitNonZeroWithTheMessageAndKeepWhatArrivedBesideTheTarget) {
    TestServer missing(serveEach(response("404 Not Found", "nope")));
    TempFile file;
    const std::string part = file.path() + ".part";
    Outcome outcome = netget("'" + missing.url("/m.swf") + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "404 Not Found\nnetget: 404 Not Found\nnetget: the 4 bytes that "
                              "arrived are in " +
                                  part + "\n");
    EXPECT_EQ(readFile(part), "nope");
    EXPECT_FALSE(fs::exists(file.path()));

    writeFile(file.path(), "an older movie");
    TestServer cut([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nonly this");
    });
    outcome = netget("'" + cut.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "netget: Connection Closed Gracefully.\nnetget: the 9 bytes that "
                              "arrived are in " +
                                  part + "\n");
    EXPECT_EQ(readFile(part), "only this");
    EXPECT_EQ(readFile(file.path()), "an older movie");

    outcome = netget("");
    EXPECT_EQ(outcome.exitCode, 2);
}

TEST(Netget, UrlsItCannotFetchAreRefusedWithoutTouchingAFile) {
    TestServer server(serveEach(response("200 OK", "should not be asked")));
    TempFile file;
    const std::string port = std::to_string(server.port());
    const std::pair<std::string, std::string> cases[] = {
        {"http://127.0.0.1:0/m.swf", "Invalid port in URL; ports go from 1 to 65535."},
        {"http://127.0.0.1:65536/m.swf", "Invalid port in URL; ports go from 1 to 65535."},
        {"http://127.0.0.1:" + port + "0000/m.swf",
         "Invalid port in URL; ports go from 1 to 65535."},
        {"ftp://127.0.0.1:" + port + "/m.swf",
         "Unsupported URL scheme \"ftp\"; only http and https are fetched."},
        {"127.0.0.1:" + port + "/m.swf", "Invalid URL: it names no host."},
    };
    for (const auto& [url, message] : cases) {
        const Outcome outcome = netget("'" + url + "' '" + file.path() + "'");
        EXPECT_EQ(outcome.exitCode, 1) << url;
        EXPECT_EQ(outcome.output, "netget: " + message + "\n") << url;
    }
    EXPECT_FALSE(fs::exists(file.path()));
    EXPECT_FALSE(fs::exists(file.path() + ".part"));
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST(Netget, TimeoutsAreParsedAndHugeOnesClampedInsteadOfWrapping) {
    // 4294968 seconds in milliseconds wraps a 32-bit int round to 704: such a wait would give
    // up on a server that takes a second to answer.
    TestServer slow([](ServerConnection& c) {
        while (!c.readRequest().empty()) {
            c.stall(1000);
            c.send(response("200 OK", "worth the wait"));
        }
    });
    TempFile file;
    for (const std::string value : {"4294968", "99999999999999999999999", "2.5", "0"}) {
        const Outcome outcome =
            netget("--timeout " + value + " '" + slow.url() + "' '" + file.path() + "'");
        EXPECT_EQ(outcome.exitCode, 0) << value << ": " << outcome.output;
        EXPECT_EQ(readFile(file.path()), "worth the wait");
    }
    Outcome outcome = netget("--timeout 0.3 '" + slow.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "netget: Socket Error # 10060\r\nConnection timed out.\n");

    for (const std::string value : {"abc", "-5", "1e3", "", "5s"}) {
        outcome = netget("--timeout '" + value + "' '" + slow.url() + "' '" + file.path() + "'");
        EXPECT_EQ(outcome.exitCode, 2) << value;
        EXPECT_TRUE(outcome.output.starts_with(
            "netget: --timeout takes a number of seconds, not \"" + value + "\"\n"))
            << outcome.output;
    }
    outcome = netget("--min-rate lots '" + slow.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 2);
}

TEST(Netget, ATricklingServerEndsAtTheLowestRate) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        c.repeat("t", 100);
    });
    TempFile file;
    const Outcome outcome =
        netget("--min-rate 100 --rate-window 0.5 '" + server.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.output.starts_with(
        "netget: Transfer too slow: fewer than 100 bytes a second over 500 milliseconds.\n"))
        << outcome.output;
    EXPECT_FALSE(fs::exists(file.path()));
    EXPECT_FALSE(readFile(file.path() + ".part").empty());
}

TEST(Netget, KilledHalfWayLeavesOnlyThePartThatArrived) {
    const std::string arrived(5000, 'k');
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1099511627776\r\n\r\n" + arrived);
        c.stall(10000);
    });
    TempFile file;
    const std::string part = file.path() + ".part";
    const std::string url = server.url("/big.swf");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl(NETGET_PATH, NETGET_PATH, url.c_str(), file.path().c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 1000 && readFile(part).size() < arrived.size(); ++i)
        ::usleep(10000);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(readFile(part), arrived);
    EXPECT_EQ(fs::file_size(part), arrived.size());
    EXPECT_FALSE(fs::exists(file.path()));
}

TEST(Netget, GzipBodyIsSavedDecoded) {
    const std::string movie(100000, 'm');
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 9, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string packed(deflateBound(&z, movie.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(movie.data()));
    z.avail_in = static_cast<uInt>(movie.size());
    z.next_out = reinterpret_cast<Bytef*>(packed.data());
    z.avail_out = static_cast<uInt>(packed.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    packed.resize(z.total_out);
    deflateEnd(&z);
    TestServer server(serveEach(response("200 OK", packed, "Content-Encoding: gzip\r\n")));
    TempFile file;
    const Outcome outcome = netget("'" + server.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
    EXPECT_EQ(readFile(file.path()), movie);
}

TEST(Netget, HttpsWithAnExtraAuthority) {
    const auto& pki = testPki();
    TestServer::Options options;
    options.certificateFile = pki.serverCert;
    options.keyFile = pki.serverKey;
    TestServer server(serveEach(response("200 OK", "secure")), options);
    TempFile file;
    const std::string url = "https://localhost:" + std::to_string(server.port()) + "/s.swf";
    Outcome outcome = netget("'" + url + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(
        outcome.output,
        "netget: SSL certificate verification failed: unable to get local issuer certificate\n");
    outcome = netget("--ca '" + pki.caCert + "' '" + url + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(file.bytes(), "secure");
    EXPECT_FALSE(fs::exists(file.path() + ".part"));
}
