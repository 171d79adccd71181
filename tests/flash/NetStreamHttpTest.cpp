// A movie on the web playing an FLV beside it: NetStream.play fetches the file through the
// control's host from a real server on 127.0.0.1 that the test runs, like any other load.

#include "FileServer.h"
#include "flash/plugin/ControlHost.h"
#include "swf/Player.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/ActionBuilder.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/Wait.h"
#include "tests/swf/media/FlvWriter.h"

#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::PushValue;

namespace {

// The control's loads, with the movie's trace lines kept.
class TracingHost : public swf::PlayerHost {
public:
    QStringList traces;
    QStringList loads;
    flash::ControlHost control;
    void trace(const QString& line) override { traces << line; }
    void load(const QString& url, qint64 maxBytes, LoadDone done) override {
        loads << url;
        control.load(url, maxBytes, std::move(done));
    }
};

// Plays url; every status code and the metadata's width are traced.
QByteArray movieThatPlays(const QByteArray& url) {
    testsupport::SwfWriter w(100, 100, 25);
    ActionBuilder onStatus;
    onStatus.get("info").push("code").getMember().trace();
    ActionBuilder onMetaData;
    onMetaData.get("info").push("width").getMember().trace();
    ActionBuilder a;
    a.push({"nc", 0, "NetConnection"}).newObject().setVariable();
    a.callMethod("nc", "connect", {PushValue::null()}).pop();
    a.push("ns").get("nc").push({1, "NetStream"}).newObject().setVariable();
    a.get("ns").push("onStatus").defineFunction("", {"info"}, onStatus).setMember();
    a.get("ns").push("onMetaData").defineFunction("", {"info"}, onMetaData).setMember();
    a.callMethod("ns", "play", {PushValue(url)}).pop();
    w.doAction(a.finish());
    w.showFrame();
    return w.finish();
}

QByteArray flvWithMetaData() {
    QByteArray flv = flvwriter::header(false);
    flvwriter::putTag(flv, 18, 0, flvwriter::metaData(0.1, 320, 240));
    flvwriter::putTag(flv, 9, 0, QByteArray("\x12\x00\x00\x84", 4));
    return flv;
}

} // namespace

TEST(NetStreamHttp, AFileBesideAMovieOnTheWebPlaysAndAMissingOneIsNotFound) {
    for (const bool present : {true, false}) {
        flashtest::FileServer server;
        if (present)
            server.files["/site/clips/a.flv"] = flvWithMetaData();
        TracingHost host;
        auto movie = swf::loadMovie(movieThatPlays("clips/a.flv"));
        ASSERT_TRUE(movie.ok());
        swf::Player player(movie.value(), {}, &host, server.url("/site/movie.swf"));
        const QString last = present ? "NetStream.Play.Stop" : "NetStream.Play.StreamNotFound";
        ASSERT_TRUE(testsupport::waitFor([&] {
            player.tick();
            return host.traces.contains(last);
        })) << host.traces.join(", ").toStdString()
            << " requested " << host.loads.join(" ").toStdString()
            << server.requested.join(" ").toStdString();
        EXPECT_EQ(server.requested, QList<QByteArray>{"/site/clips/a.flv"});
        if (present)
            EXPECT_EQ(host.traces.mid(0, 3),
                      (QStringList{"NetStream.Play.Start", "NetStream.Buffer.Full", "320"}));
        else
            EXPECT_EQ(host.traces, QStringList{"NetStream.Play.StreamNotFound"});
    }
}
