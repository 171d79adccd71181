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
    call(b, "setPan", {Value(-50)});
    EXPECT_EQ(num(call(a, "getPan")), -50);
    const Value t = call(a, "getTransform");
    EXPECT_EQ(num(get(t, "ll")), 100);
    EXPECT_EQ(num(get(t, "rr")), 50);
    EXPECT_EQ(num(get(t, "lr")), 0);
}

TEST_F(SoundTest, LevelsBeyondAHundredAreKeptAsFlashKeepsThem) {
    const Value s = make("Sound");
    call(s, "setVolume", {Value(250)});
    EXPECT_EQ(num(call(s, "getVolume")), 250);
    // Panning past a side drives that side's level below zero; the pan reads back from the
    // level's size.
    call(s, "setPan", {Value(-150)});
    EXPECT_EQ(num(get(call(s, "getTransform"), "rr")), -50);
    EXPECT_EQ(num(call(s, "getPan")), -50);
    call(s, "setTransform", {obj({{"ll", Value(120)}, {"lr", Value(-300)}})});
    const Value t = call(s, "getTransform");
    EXPECT_EQ(num(get(t, "ll")), 120);
    EXPECT_EQ(num(get(t, "lr")), -300);
    EXPECT_EQ(num(call(s, "getPan")), -20);
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

// An ID3 2.4 tag with the frames named, then two MPEG 1 layer III frames (128 kbit/s, 44.1 kHz).
QByteArray mp3WithTags(const std::vector<std::pair<QByteArray, QByteArray>>& frames) {
    QByteArray tag;
    for (const auto& [id, text] : frames) {
        // Encoding 3 is UTF-8.
        QByteArray body = id == "COMM" ? QByteArray("\x03"
                                                    "eng"
                                                    "\0",
                                                    5) +
                                             text
                                       : '\x03' + text;
        tag += id;
        for (int shift : {24, 16, 8, 0})
            tag.append(static_cast<char>((body.size() >> shift) & 0xff));
        tag += QByteArray(2, '\0') + body;
    }
    QByteArray mp3("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        mp3.append(static_cast<char>((tag.size() >> shift) & 0x7f));
    mp3 += tag;
    for (int i = 0; i < 2; ++i)
        mp3 += QByteArray("\xff\xfb\x90\x64", 4) + QByteArray(413, '\0');
    return mp3;
}

TEST_F(SoundTest, LoadedTagsComeAsId3BeforeOnLoadAndTheLengthFromTheFrames) {
    QStringList calls;
    const Value s = make("Sound");
    const auto record = [&](const char* name) {
        return Value(
            static_cast<Object*>(vm.newNative([&calls, this, name](Vm& vm, swf::avm1::CallArgs& c) {
                const Value id3 = get(c.thisv, "id3");
                calls << QString::fromLatin1(name) + ":" +
                             (id3.isUndefined() ? QStringLiteral("-")
                                                : vm.toString(get(id3, "artist")) + "/" +
                                                      vm.toString(get(id3, "TPE1")) + "/" +
                                                      vm.toString(get(id3, "comment")) + "/" +
                                                      vm.toString(get(id3, "COMM")));
                return Value();
            })));
    };
    set(s, "onID3", record("onID3"));
    set(s, "onLoad", record("onLoad"));
    call(s, "loadSound", {Value("song.mp3"), Value(false)});
    EXPECT_TRUE(get(s, "id3").isUndefined());
    host.pending[0](true, mp3WithTags({{"TPE1", "歌手"}, {"COMM", "one"}, {"COMM", "two"}}));
    vm.runTimers();
    EXPECT_EQ(calls, (QStringList{"onID3:歌手/歌手/two/one,two", "onLoad:歌手/歌手/two/one,two"}));
    const Value id3 = get(s, "id3");
    EXPECT_TRUE(static_cast<Object*>(id3.object())->proto() == nullptr)
        << "Flash's id3 object has no prototype";
    // Two frames of 1,152 samples at 44.1 kHz.
    EXPECT_EQ(num(get(s, "duration")), 52);

    // A file without tags: no onID3, no id3.
    calls.clear();
    const Value plain = make("Sound");
    set(plain, "onID3", record("onID3"));
    call(plain, "loadSound", {Value("plain.mp3"), Value(false)});
    host.pending[1](true, mp3WithTags({}).mid(10));
    vm.runTimers();
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(get(plain, "id3").isUndefined());
}

} // namespace
} // namespace quarvel::test
