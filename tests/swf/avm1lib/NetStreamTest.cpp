// NetConnection, NetStream and Video as a movie's script drives them: messages in Flash's
// order on the machine's turns, metadata as script objects, the clock, loads through the host.

#include "ScriptFixture.h"
#include "tests/swf/media/FlvWriter.h"

namespace quarvel::test {
namespace {

// Script data and two video tags whose packets are never decoded here (no display).
QByteArray smallFlv() {
    using namespace flvwriter;
    QByteArray flv = header(false);
    putTag(flv, 18, 0, metaData(0.2, 320, 240));
    putTag(flv, 9, 0, QByteArray("\x12\x00\x00\x84", 4));
    putTag(flv, 9, 100, QByteArray("\x22\x00\x00\x84", 4));
    return flv;
}

class NetStreamTest : public ScriptFixture {
protected:
    NetStreamTest() {
        vm.setClock([this] { return clock; });
    }

    // Records every onStatus code and onMetaData call of target.
    void listen(const Value& target) {
        set(target, "onStatus",
            Value(static_cast<Object*>(vm.newNative([this](Vm& vm, swf::avm1::CallArgs& c) {
                const Value info = c.arg(0);
                heard << (info.isUndefined()
                              ? QStringLiteral("(undefined)")
                              : vm.toString(vm.getMember(info, QStringLiteral("code"))) + "/" +
                                    vm.toString(vm.getMember(info, QStringLiteral("level"))));
                return Value();
            }))));
        set(target, "onMetaData",
            Value(static_cast<Object*>(vm.newNative([this](Vm&, swf::avm1::CallArgs& c) {
                heard << QStringLiteral("onMetaData");
                meta = c.arg(0);
                return Value();
            }))));
    }
    Value connectedStream() {
        const Value nc = make("NetConnection");
        call(nc, "connect", {Value::null()});
        const Value ns = make("NetStream", {nc});
        listen(ns);
        return ns;
    }
    void turn(double ms) {
        clock += ms;
        vm.runTimers();
    }

    double clock = 0;
    QStringList heard;
    Value meta;
};

TEST_F(NetStreamTest, ConnectionToNothingSucceedsAtOnceAndClosesOnce) {
    const Value nc = make("NetConnection");
    listen(nc);
    EXPECT_FALSE(vm.toBoolean(get(nc, "isConnected")));
    EXPECT_TRUE(vm.toBoolean(call(nc, "connect", {Value::null()})));
    EXPECT_EQ(heard, QStringList{"NetConnection.Connect.Success/status"});
    EXPECT_TRUE(vm.toBoolean(get(nc, "isConnected")));
    heard.clear();
    call(nc, "connect", {Value::null()});
    EXPECT_EQ(heard, (QStringList{"NetConnection.Connect.Closed/status",
                                  "NetConnection.Connect.Success/status"}));
    heard.clear();
    call(nc, "close");
    call(nc, "close");
    EXPECT_EQ(heard, QStringList{"NetConnection.Connect.Closed/status"});
    EXPECT_FALSE(vm.toBoolean(get(nc, "isConnected")));
}

TEST_F(NetStreamTest, PlayTellsStartBufferMetaDataAndStopInOrder) {
    const Value ns = connectedStream();
    heard.clear();
    call(ns, "play", {Value("clips/a.flv")});
    ASSERT_EQ(host.loads, QStringList{"clips/a.flv"});
    EXPECT_TRUE(heard.isEmpty()) << "nothing inside the play call";
    EXPECT_EQ(num(get(ns, "bufferTime")), 0.1);
    turn(10);
    EXPECT_TRUE(heard.isEmpty()) << "still loading";
    const QByteArray flv = smallFlv();
    host.pending[0](true, flv);
    turn(10);
    EXPECT_EQ(heard, (QStringList{"NetStream.Play.Start/status", "NetStream.Buffer.Full/status",
                                  "onMetaData"}));
    EXPECT_EQ(num(get(meta, "duration")), 0.2);
    EXPECT_EQ(num(get(meta, "width")), 320);
    EXPECT_EQ(str(get(meta, "title")), QString::fromUtf8("测试"));
    EXPECT_EQ(num(get(get(meta, "keyframes"), "length")), 2);
    EXPECT_EQ(num(get(ns, "bytesLoaded")), flv.size());
    EXPECT_EQ(num(get(ns, "bytesTotal")), flv.size());

    heard.clear();
    turn(150);
    EXPECT_DOUBLE_EQ(num(get(ns, "time")), 0.15);
    EXPECT_TRUE(heard.isEmpty());
    turn(1000);
    EXPECT_EQ(heard, (QStringList{"NetStream.Buffer.Flush/status", "NetStream.Play.Stop/status",
                                  "NetStream.Buffer.Empty/status"}));
    EXPECT_DOUBLE_EQ(num(get(ns, "time")), 0.2);
    EXPECT_EQ(num(get(ns, "bufferLength")), 0);
}

TEST_F(NetStreamTest, AMissingFileIsNotFoundAndANewerPlayWins) {
    const Value ns = connectedStream();
    heard.clear();
    call(ns, "play", {Value("old.flv")});
    call(ns, "play", {Value("missing.flv")});
    host.pending[0](true, smallFlv());
    host.pending[1](false, {});
    turn(10);
    EXPECT_EQ(heard, QStringList{"NetStream.Play.StreamNotFound/error"});
}

TEST_F(NetStreamTest, PauseSeekAndBufferTimeFromScript) {
    const Value ns = connectedStream();
    call(ns, "setBufferTime", {Value(3)});
    EXPECT_EQ(num(get(ns, "bufferTime")), 3);
    call(ns, "play", {Value("a.flv")});
    host.pending[0](true, smallFlv());
    turn(0);
    heard.clear();
    call(ns, "pause");
    turn(500);
    EXPECT_EQ(num(get(ns, "time")), 0) << "paused before the clock moved";
    call(ns, "pause", {Value(false)});
    turn(50);
    EXPECT_DOUBLE_EQ(num(get(ns, "time")), 0.05);
    call(ns, "seek", {Value(0)});
    EXPECT_TRUE(heard.isEmpty()) << "told on the next turn, not inside seek";
    turn(0);
    EXPECT_EQ(heard, QStringList{"NetStream.Seek.Notify/status"});
    call(ns, "close");
    heard.clear();
    turn(1000);
    EXPECT_TRUE(heard.isEmpty()) << "a closed stream says nothing more";
    EXPECT_EQ(num(get(ns, "time")), 0);
}

TEST_F(NetStreamTest, VideoMadeByScriptHasOnlyItsMethods) {
    const Value proto = get(global("Video"), "prototype");
    EXPECT_TRUE(get(proto, "attachVideo").object());
    EXPECT_TRUE(get(proto, "clear").object());
    const Value v = make("Video");
    EXPECT_TRUE(get(v, "width").isUndefined()) << "only placed videos have a picture size";
    const Value ns = connectedStream();
    // Off the display, attaching and clearing do nothing and break nothing.
    call(v, "attachVideo", {ns});
    call(v, "attachVideo", {Value::null()});
    call(v, "clear");
    call(v, "attachVideo", {Value("not a stream")});
}

} // namespace
} // namespace quarvel::test
