#include "platform/CodePage.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

// "播放列表" and "路径：" as Windows writes them in code page 936.
const QByteArray kPlaylistGbk("\xB2\xA5\xB7\xC5\xC1\xD0\xB1\xED");
const QByteArray kPathMarkerGbk("\xC2\xB7\xBE\xB6\xA3\xBA");

} // namespace

TEST(CodePageTest, Utf8Validation) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8(QStringLiteral("播放列表 𝄞").toUtf8()));
    // GBK bytes are almost never valid UTF-8; this is what tells the two apart.
    EXPECT_FALSE(isValidUtf8(kPlaylistGbk));
    EXPECT_FALSE(isValidUtf8(kPathMarkerGbk));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));         // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));     // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // a surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE6\x92"));         // cut short at the end
    EXPECT_FALSE(isValidUtf8("\x80"));             // a stray continuation byte
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

TEST(CodePageTest, DecodesGbk) {
    EXPECT_EQ(decodeGb18030(kPlaylistGbk), QStringLiteral("播放列表"));
    EXPECT_EQ(decodeGb18030("D:\\m\\" + kPathMarkerGbk), QStringLiteral("D:\\m\\路径："));
}

TEST(CodePageTest, DecodesFourByteGb18030) {
    // U+20000 (a CJK Extension B character) is the four-byte sequence 95 32 82 36.
    EXPECT_EQ(decodeGb18030("\x95\x32\x82\x36"), QString::fromUcs4(U"\U00020000", 1));
}

TEST(CodePageTest, BadBytesBecomeReplacementCharactersAndDecodingGoesOn) {
    const QString text = decodeGb18030("a\xFF" + kPlaylistGbk + "\x81");
    EXPECT_EQ(text, QStringLiteral("a\uFFFD播放列表\uFFFD"));
}

TEST(CodePageTest, EncodeRoundTrip) {
    const QString text = QStringLiteral("路径：/home/用户/𠀀.swf");
    const QByteArray bytes = encodeGb18030(text);
    EXPECT_TRUE(bytes.startsWith(kPathMarkerGbk));
    EXPECT_EQ(decodeGb18030(bytes), text);
}

TEST(CodePageTest, DecodeTextChoosesTheEncoding) {
    EXPECT_EQ(decodeText(QStringLiteral("播放列表").toUtf8()), QStringLiteral("播放列表"));
    EXPECT_EQ(decodeText(kPlaylistGbk), QStringLiteral("播放列表"));
    EXPECT_EQ(decodeText("\xEF\xBB\xBF[x]"), QStringLiteral("[x]"));
    EXPECT_EQ(decodeText(QByteArray("\xFF\xFE[\0x\0]\0", 8)), QStringLiteral("[x]"));
    EXPECT_EQ(decodeText(QByteArray("\xFE\xFF\0[\0x\0]", 8)), QStringLiteral("[x]"));
    EXPECT_EQ(decodeText(""), QString());
}

TEST(CodePageTest, EachLineIsDecodedOnItsOwn) {
    const QByteArray utf8Line = QStringLiteral("路径：/a").toUtf8();
    // GBK between UTF-8 lines, with every kind of line break.
    const DecodedText mixed =
        decodeTextLines(utf8Line + "\r\n" + kPlaylistGbk + "\n" + kPathMarkerGbk + "\r" + utf8Line);
    EXPECT_EQ(mixed.text, QStringLiteral("路径：/a\r\n播放列表\n路径：\r路径：/a"));
    EXPECT_FALSE(mixed.lossy);

    // A UTF-8 byte-order mark does not force its lines on a line that is not UTF-8.
    EXPECT_EQ(decodeTextLines("\xEF\xBB\xBFx\n" + kPlaylistGbk).text,
              QStringLiteral("x\n播放列表"));
    EXPECT_EQ(decodeTextLines("\n\n").text, QStringLiteral("\n\n"));
}

TEST(CodePageTest, BytesOfNeitherEncodingAreReportedLost) {
    // 0xFF is no lead byte in code page 936, and 0xE9 before '.' is no character.
    const DecodedText stray = decodeTextLines("caf\xE9.swf\nok\n\xFF");
    EXPECT_TRUE(stray.lossy);
    EXPECT_TRUE(stray.text.endsWith(u"\nok\n\uFFFD"));
    EXPECT_TRUE(stray.text.startsWith(u"caf"));

    bool replaced = true;
    decodeGb18030(kPlaylistGbk, &replaced);
    EXPECT_FALSE(replaced);
    decodeGb18030(kPlaylistGbk + "\x81", &replaced); // a character cut off at the end
    EXPECT_TRUE(replaced);

    const DecodedText lone = decodeTextLines(QByteArray("\xFF\xFEx\x00\x00\xD8y\x00", 8));
    EXPECT_TRUE(lone.lossy);
    EXPECT_EQ(lone.text, QStringLiteral(u"x\uFFFDy")); // so that saving it gives back the same
    EXPECT_FALSE(decodeTextLines(QStringLiteral("播放").toUtf8()).lossy);
}
