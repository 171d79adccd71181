// Downloads into files: the target takes its name only when complete, a broken transfer keeps
// what arrived in NAME.part, and nothing is ever sized ahead of the bytes.
#include "net/ENetException.h"
#include "net/TNetFileDownload.h"
#include "net/TNetHTTP.h"
#include "tests/net/HttpTestSupport.h"
#include "tests/net/TestServer.h"
#include "tests/support/Processes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <thread>

using namespace net;
using namespace nettest;
namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class FileDownload : public ::testing::Test {
protected:
    void SetUp() override {
        http.IdleTimeout = 5000;
        writeFile(file.path(), "the old movie");
    }
    std::string part() const { return file.path() + ".part"; }
    TNetHTTP http;
    TempFile file;
};

} // namespace

TEST_F(FileDownload, ACompleteBodyReplacesTheTargetAndLeavesNoPartFile) {
    TestServer server([](ServerConnection& c) {
        while (!c.readRequest().empty()) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n");
            c.stall(100);
            c.send("new movie");
        }
    });
    TNetFileDownload download(file.path());
    EXPECT_EQ(download.PartPath(), file.path() + ".part");
    download.Run(http, server.url("/m.swf"));
    EXPECT_EQ(readFile(file.path()), "new movie");
    EXPECT_FALSE(fs::exists(part()));

    // A target that did not exist yet is made.
    const std::string fresh = file.path() + "-fresh.swf";
    TNetFileDownload(fresh).Run(http, server.url("/m.swf"));
    EXPECT_EQ(readFile(fresh), "new movie");
    EXPECT_FALSE(fs::exists(fresh + ".part"));
}

TEST_F(FileDownload, ABrokenTransferKeepsWhatArrivedBesideAnUntouchedTarget) {
    const std::string arrived(40000, 'p');
    TestServer server([&](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        c.stall(50);
        c.send(arrived);
    });
    TNetFileDownload download(file.path());
    EXPECT_THROW(download.Run(http, server.url()), ENetConnClosedGracefully);
    EXPECT_EQ(readFile(file.path()), "the old movie");
    EXPECT_EQ(readFile(part()), arrived);
    EXPECT_EQ(download.KeptBytes(), 40000);

    // An error status keeps its page beside the target too; it never takes the movie's name.
    TestServer missing([](ServerConnection& c) {
        c.readRequest();
        c.send(response("404 Not Found", "<html>gone</html>"));
    });
    EXPECT_THROW(download.Run(http, missing.url()), ENetProtocolReplyError);
    EXPECT_EQ(readFile(file.path()), "the old movie");
    EXPECT_EQ(readFile(part()), "<html>gone</html>");
}

TEST_F(FileDownload, NothingArrivedLeavesNoPartFileAndABadUrlKeepsAnEarlierOne) {
    TNetFileDownload download(file.path());
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(testsupport::unusedLoopbackPort()) + "/";
    EXPECT_THROW(download.Run(http, refused), ENetSocketError);
    EXPECT_FALSE(fs::exists(part()));
    EXPECT_EQ(download.KeptBytes(), 0);

    writeFile(part(), "half of an earlier try");
    EXPECT_THROW(download.Run(http, "ftp://127.0.0.1/m.swf"), ENetInvalidURL);
    EXPECT_EQ(readFile(part()), "half of an earlier try");
    EXPECT_EQ(readFile(file.path()), "the old movie");
}

TEST_F(FileDownload, AnAnnouncedTebibyteIsNeverReservedOnDisk) {
    // While the transfer hangs, the .part file is what a killed program would leave behind.
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1099511627776\r\n\r\n");
        c.stall(50);
        c.send("first bytes");
        c.stall(10000);
    });
    http.IdleTimeout = 20000;
    std::string outcome;
    std::thread worker([&] {
        try {
            TNetFileDownload(file.path()).Run(http, server.url());
        } catch (const std::exception& e) {
            outcome = e.what();
        }
    });
    for (int i = 0; i < 500 && readFile(part()) != "first bytes"; ++i)
        usleep(10000);
    EXPECT_EQ(fs::file_size(part()), 11u);
    struct stat info {};
    ASSERT_EQ(::stat(part().c_str(), &info), 0);
    EXPECT_LE(info.st_blocks * 512, 64 * 1024); // no preallocated space either
    http.Abort();
    worker.join();
    EXPECT_EQ(outcome, "Transfer aborted.");
    EXPECT_EQ(readFile(part()), "first bytes");
    EXPECT_EQ(readFile(file.path()), "the old movie");
}

TEST_F(FileDownload, ATargetThatCannotBeReplacedIsAnErrorAndTheBytesStayInThePartFile) {
    TestServer server([](ServerConnection& c) {
        c.readRequest();
        c.send(response("200 OK", "complete"));
        c.waitForClientClose(3000);
    });
    const std::string folder = file.path() + "-folder";
    fs::create_directories(folder + "/inside");
    TNetFileDownload download(folder);
    try {
        download.Run(http, server.url());
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot rename"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(folder + ".part"), "complete");
    EXPECT_EQ(download.KeptBytes(), 8);
    EXPECT_TRUE(fs::is_directory(folder + "/inside"));
}
