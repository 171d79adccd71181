#include "ScriptFixture.h"

namespace quarvel::test {
namespace {

class SoundTest : public ScriptFixture {};

TEST_F(SoundTest, SoundsOfTheSameTargetShareTheirMix) {
    const Value a = make("Sound");
    const Value b = make("Sound");
    EXPECT_EQ(num(call(a, "getVolume")), 100);
    EXPECT_EQ(num(call(a, "getPan")), 0);
    call(a, "setVolume", {Value(40.7)});
    EXPECT_EQ(num(call(b, "getVolume")), 40) << "both control the whole movie";
    call(b, "setPan", {Value(-150)});
    EXPECT_EQ(num(call(a, "getPan")), -100);
    const Value t = call(a, "getTransform");
    EXPECT_EQ(num(get(t, "ll")), 100);
    EXPECT_EQ(num(get(t, "rr")), 0);
    EXPECT_EQ(num(get(t, "lr")), 0);
}

TEST_F(SoundTest, TransformSetsOnlyTheChannelsGiven) {
    const Value s = make("Sound");
    call(s, "setTransform", {obj({{"ll", Value(70)}, {"lr", Value(30)}})});
    const Value t = call(s, "getTransform");
    EXPECT_EQ(num(get(t, "ll")), 70);
    EXPECT_EQ(num(get(t, "lr")), 30);
    EXPECT_EQ(num(get(t, "rr")), 100);
    EXPECT_EQ(num(call(s, "getPan")), 30);
    set(t, "ll", Value(0));
    EXPECT_EQ(num(get(call(s, "getTransform"), "ll")), 70) << "getTransform gives a copy";
    call(s, "setTransform", {Value()});
    EXPECT_EQ(num(get(call(s, "getTransform"), "ll")), 70);
}

TEST_F(SoundTest, LengthAndPlaceAreUnknownWithoutASound) {
    const Value s = make("Sound");
    call(s, "attachSound", {Value("missing")});
    EXPECT_TRUE(get(s, "duration").isUndefined());
    EXPECT_TRUE(get(s, "position").isUndefined());
}

TEST_F(SoundTest, LoadSoundReportsThroughOnLoad) {
    QStringList calls;
    const Value s = make("Sound");
    set(s, "onLoad",
        Value(static_cast<Object*>(vm.newNative([&calls](Vm& vm, swf::avm1::CallArgs& c) {
            calls << vm.toString(c.arg(0));
            return Value();
        }))));
    call(s, "loadSound", {Value("old.mp3"), Value(false)});
    call(s, "loadSound", {Value("music.mp3"), Value(false)});
    ASSERT_EQ(host.loads, (QStringList{"old.mp3", "music.mp3"}));
    host.pending[0](false, {});
    host.pending[1](true, QByteArray(10, 'x'));
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"true"}) << "only the latest load reports";
    EXPECT_EQ(num(call(s, "getBytesTotal")), 10);
    call(s, "loadSound", {Value("gone.mp3"), Value(false)});
    host.pending[2](false, {});
    vm.runTimers();
    EXPECT_EQ(calls, (QStringList{"true", "false"}));
}

} // namespace
} // namespace quarvel::test
