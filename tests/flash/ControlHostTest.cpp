// The movie's way out through the control: pages and fscommand reach the control's holder,
// other schemes reach no one, and loads beside a movie on the web come from a real server on
// 127.0.0.1 that the test runs.

#include "flash/plugin/ControlHost.h"
#include "FileServer.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

using testsupport::waitFor;

namespace {

struct Site : flash::IFlashControlSite {
    QStringList seen;
    void OpenUrl(const QString& url, const QString& target) override {
        seen << "open " + url + " " + target;
    }
    void FSCommand(const QString& command, const QString& args) override {
        seen << "fscommand " + command + " " + args;
    }
    void StatusText(const QString& text) override { seen << "status " + text; }
};

std::shared_ptr<swf::Movie> smallMovie(QColor colour = Qt::red) {
    testsupport::SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), colour);
    w.placeObject2(1, 1);
    w.showFrame();
    return swf::loadMovie(w.finish()).value();
}

} // namespace

TEST(ControlHost, PagesAndFsCommandsReachTheHolderAndNothingElseDoes) {
    Site site;
    flash::ControlHost host;
    host.setSite(&site);
    swf::Stage stage(smallMovie());
    stage.setHost(&host);
    stage.setMovieUrl("http://example.org/games/main.swf");
    stage.getUrl("http://example.org/a", "_blank");
    stage.getUrl("https://example.org/b", "news");
    stage.getUrl("help.html", "");
    stage.getUrl("mailto:someone@example.org", "");
    stage.getUrl("javascript:alert(1)", "_self");
    stage.getUrl("JavaScript:alert(1)", "");
    stage.getUrl("file:///etc/passwd", "_blank");
    stage.getUrl("ftp://example.org/x", "_blank");
    stage.getUrl("FSCommand:quit", "");
    stage.getUrl("fscommand:exec", "calc.exe");
    stage.fsCommand("FullScreen", "true");
    stage.fsCommand("trapallkeys", "false");
    stage.fsCommand("launch", "x");
    stage.statusMessage("A script ran too long and was stopped.");
    const QStringList expected = {"open http://example.org/a _blank",
                                  "open https://example.org/b news",
                                  "open http://example.org/games/help.html ",
                                  "open mailto:someone@example.org ",
                                  "fscommand quit ",
                                  "fscommand fullscreen true",
                                  "fscommand trapallkeys false",
                                  "status A script ran too long and was stopped."};
    EXPECT_EQ(site.seen, expected);
    // With no holder listening nothing happens at all.
    host.setSite(nullptr);
    stage.getUrl("http://example.org/a", "_blank");
    EXPECT_EQ(site.seen.size(), expected.size());
}

TEST(ControlHost, MoviesAndDataBesideAMovieOnTheWebLoadThroughTheFetcher) {
    flashtest::FileServer server;
    testsupport::SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::blue);
    w.placeObject2(1, 1);
    w.showFrame();
    server.files["/dir/child.swf"] = w.finish();
    server.files["/dir/vars.txt"] = "a=1&b=2";
    flash::ControlHost host;
    swf::Stage stage(smallMovie());
    stage.setHost(&host);
    stage.setMovieUrl(server.url("/dir/main.swf"));
    stage.start();
    swf::MovieClip* target = stage.root().createEmptyMovieClip("holder", 1).value();
    stage.loadMovie(*target, "child.swf");
    stage.loadMovieNum(2, "missing.swf");
    bool dataDone = false;
    QByteArray data;
    stage.loadData("vars.txt", [&](bool ok, const QByteArray& bytes) {
        dataDone = ok;
        data = bytes;
    });
    ASSERT_TRUE(waitFor([&] {
        stage.advanceFrame();
        return host.pendingLoads() == 0 && target->children().size() == 1 && dataDone;
    }));
    EXPECT_TRUE(server.requested.contains("/dir/child.swf"));
    EXPECT_TRUE(server.requested.contains("/dir/missing.swf"));
    EXPECT_EQ(data, "a=1&b=2");
    EXPECT_EQ(target->totalFrames(), 1);
    EXPECT_EQ(target->children().size(), 1u); // the loaded movie's square
    EXPECT_EQ(target->name(), "holder");      // the clip keeps its place and name
    EXPECT_EQ(stage.level(2), nullptr);       // a 404 loads nothing
}

TEST(ControlHost, LoadsStillUnderWayWhenTheMovieGoesAreDropped) {
    flashtest::FileServer server;
    server.files["/slow.swf"] = QByteArray(1000, 'x');
    bool called = false;
    {
        flash::ControlHost host;
        host.load(server.url("/slow.swf"), 100, [&](bool, QByteArray) { called = true; });
        EXPECT_EQ(host.pendingLoads(), 1u);
    }
    QTest::qWait(200);
    EXPECT_FALSE(called);
    // A body over the limit is refused.
    flash::ControlHost host;
    bool ok = true;
    bool finished = false;
    host.load(server.url("/slow.swf"), 100, [&](bool success, QByteArray) {
        ok = success;
        finished = true;
    });
    ASSERT_TRUE(waitFor([&] { return finished; }));
    EXPECT_FALSE(ok);
}
