// The netget tool as outside checks run it: exit status, status line, message, file bytes.
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using namespace nettest;

namespace {

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

TEST(Netget, FailuresExitNonZeroWithTheMessage) {
    TestServer missing(serveEach(response("404 Not Found", "nope")));
    TempFile file;
    Outcome outcome = netget("'" + missing.url("/m.swf") + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "404 Not Found\nnetget: 404 Not Found\n");

    TestServer cut([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nonly this");
    });
    outcome = netget("'" + cut.url() + "' '" + file.path() + "'");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "netget: Connection Closed Gracefully.\n");
    EXPECT_EQ(file.bytes(), "only this");

    outcome = netget("");
    EXPECT_EQ(outcome.exitCode, 2);
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
}
