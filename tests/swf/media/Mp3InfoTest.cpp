// Tags and length of MP3 files read without decoding them: ID3 2.2 to 2.4 and 1.1, the text
// encodings ID3 allows, frames found among junk, and files cut short or lying about sizes.

#include "swf/media/Mp3Info.h"

#include <gtest/gtest.h>

using swf::media::Id3Frame;
using swf::media::Mp3Info;

namespace {

// One MPEG 1 layer III frame, 128 kbit/s at 44.1 kHz: 417 bytes, 1,152 samples.
QByteArray frame() {
    return QByteArray("\xff\xfb\x90\x64", 4) + QByteArray(413, '\x11');
}

QByteArray be(uint32_t v, int bytes) {
    QByteArray b;
    for (int i = bytes - 1; i >= 0; --i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xff));
    return b;
}

QByteArray tag(int version, const QByteArray& frames, uint8_t flags = 0) {
    QByteArray t("ID3");
    t.append(static_cast<char>(version)).append('\0').append(static_cast<char>(flags));
    for (int shift : {21, 14, 7, 0})
        t.append(static_cast<char>((frames.size() >> shift) & 0x7f));
    return t + frames;
}

QByteArray frame23(const char* id, const QByteArray& body) {
    return QByteArray(id) + be(static_cast<uint32_t>(body.size()), 4) + QByteArray(2, '\0') + body;
}

std::vector<std::pair<QString, QString>> pairs(const std::vector<Id3Frame>& frames) {
    std::vector<std::pair<QString, QString>> out;
    for (const auto& f : frames)
        out.emplace_back(f.id, f.text);
    return out;
}

using Pairs = std::vector<std::pair<QString, QString>>;

} // namespace

TEST(Mp3Info, TextFramesInEveryEncodingAndCommentsAfterTheirDescription) {
    QByteArray frames;
    frames += frame23("TIT2", QByteArray("\x00"
                                         "Caf\xe9"
                                         "\x00"
                                         "junk",
                                         10)); // Latin-1, ends at the NUL
    frames += frame23("TPE1", QByteArray("\x01\xff\xfe\x4c\x6b\x4b\x62", 7)); // UTF-16 LE 歌手
    frames += frame23("TALB", QByteArray("\x02\x00\x41\x00\x42", 5));         // UTF-16 BE
    frames += frame23("TCON", QByteArray("\x03\xe6\xb5\x8b", 4));             // UTF-8 测
    frames += frame23("COMM", QByteArray("\x00"
                                         "eng"
                                         "desc\x00"
                                         "said",
                                         13));
    frames += frame23("WOAR", "http://example.com"); // not a text frame
    frames += frame23("TXXX", QByteArray("\x00k\x00v", 4));
    frames += QByteArray(20, '\0'); // padding
    const QByteArray mp3 = tag(3, frames) + frame() + frame();
    EXPECT_EQ(pairs(Mp3Info::id3(mp3)), (Pairs{{"TIT2", QString::fromUtf8("Café")},
                                               {"TPE1", QString::fromUtf8("歌手")},
                                               {"TALB", "AB"},
                                               {"TCON", QString::fromUtf8("测")},
                                               {"COMM", "said"}}));
    EXPECT_TRUE(Mp3Info::hasId3(mp3));
    EXPECT_NEAR(Mp3Info::durationMs(mp3), 2 * 1152 / 44.1, 0.01)
        << "the tag's bytes are not taken for frames";
}

TEST(Mp3Info, OlderAndNewerTagLayouts) {
    // ID3 2.2: three-letter names and three-byte sizes.
    const QByteArray v22 = tag(2, QByteArray("TT2") + be(4, 3) + QByteArray("\x00Old", 4) +
                                      QByteArray("TP1") + be(3, 3) + QByteArray("\x00Me", 3));
    EXPECT_EQ(pairs(Mp3Info::id3(v22 + frame())), (Pairs{{"TIT2", "Old"}, {"TPE1", "Me"}}));
    // ID3 2.4: sizes are sync-safe (200 bytes is 0x01 0x48).
    const QByteArray longText = '\x00' + QByteArray(199, 'a');
    const QByteArray v24 =
        tag(4, QByteArray("TIT2") + QByteArray("\x00\x00\x01\x48\x00\x00", 6) + longText);
    EXPECT_EQ(pairs(Mp3Info::id3(v24)), (Pairs{{"TIT2", QString(199, QLatin1Char('a'))}}));
    // ID3 2.3 unsynchronised as a whole: FF 00 stands for FF.
    // (The frame's size counts what is left once FF 00 is read back as FF.)
    const QByteArray unsync = tag(
        3, QByteArray("TIT2") + be(3, 4) + QByteArray(2, '\0') + QByteArray("\x00\xff\x00\x41", 4),
        0x80);
    EXPECT_EQ(pairs(Mp3Info::id3(unsync)), (Pairs{{"TIT2", QString::fromLatin1("\xff") + "A"}}));
    // ID3 1.1 at the end, with its track behind the comment.
    QByteArray v1("TAG");
    v1 += QByteArray("Song").leftJustified(30, '\0') + QByteArray("Band").leftJustified(30, '\0') +
          QByteArray("Disc").leftJustified(30, '\0') + QByteArray("1999") +
          QByteArray("Hi").leftJustified(28, '\0') + QByteArray("\x00\x07\x0c", 3);
    ASSERT_EQ(v1.size(), 128);
    const QByteArray withV1 = frame() + frame() + frame() + v1;
    EXPECT_EQ(pairs(Mp3Info::id3(withV1)), (Pairs{{"TIT2", "Song"},
                                                  {"TPE1", "Band"},
                                                  {"TALB", "Disc"},
                                                  {"TYER", "1999"},
                                                  {"COMM", "Hi"},
                                                  {"TRCK", "7"}}));
    EXPECT_NEAR(Mp3Info::durationMs(withV1), 3 * 1152 / 44.1, 0.01);
}

TEST(Mp3Info, LengthSkipsJunkAndStopsAtACutFrame) {
    const QByteArray mp3 = QByteArray("junk\xff\xff\xff") + frame() + QByteArray(5, '\0') +
                           frame() + frame().left(100);
    EXPECT_NEAR(Mp3Info::durationMs(mp3), 2 * 1152 / 44.1, 0.01);
    // MPEG 2 layer III at 22.05 kHz has 576 samples a frame.
    const QByteArray mpeg2 = QByteArray("\xff\xf3\x90\x64", 4) + QByteArray(400, '\0');
    EXPECT_NEAR(Mp3Info::durationMs(mpeg2), 576 / 22.05, 0.01);
    EXPECT_EQ(Mp3Info::durationMs(QByteArray("not a sound at all")), -1);
    EXPECT_EQ(Mp3Info::durationMs(QByteArray()), -1);
}

TEST(Mp3Info, HostileSizesAreCheckedAgainstTheBytes) {
    EXPECT_TRUE(Mp3Info::id3(QByteArray("ID3")).empty());
    // A tag claiming 256 MB, a frame claiming 4 GB, and every cut of a good tag.
    EXPECT_TRUE(Mp3Info::id3(QByteArray("ID3\x03\x00\x00\x7f\x7f\x7f\x7f", 10)).empty());
    const QByteArray lying = tag(3, QByteArray("TIT2\xff\xff\xff\xff\x00\x00\x00x", 11));
    EXPECT_TRUE(Mp3Info::id3(lying).empty());
    const QByteArray good = tag(3, frame23("TIT2", QByteArray("\x01\xff\xfe\x41\x00", 5)) +
                                       frame23("COMM", QByteArray("\x01", 1)));
    for (qsizetype n = 0; n <= good.size(); ++n)
        (void)Mp3Info::id3(good.left(n));
    EXPECT_EQ(pairs(Mp3Info::id3(good)), (Pairs{{"TIT2", "A"}, {"COMM", ""}}));
}
