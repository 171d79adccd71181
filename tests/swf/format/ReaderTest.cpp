#include "swf/format/Reader.h"

#include <gtest/gtest.h>

using swf::Reader;

TEST(Reader, ReadsLittleEndianIntegersAndFailsPastTheEnd) {
    const QByteArray data = QByteArray::fromHex("3412785634120aff");
    Reader r(data);
    EXPECT_EQ(r.u16(), 0x1234);
    EXPECT_EQ(r.u32(), 0x12345678u);
    EXPECT_EQ(r.u8(), 0x0a);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.u16(), 0); // only one byte left
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.u8(), 0); // stays failed
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(Reader, ReadsBitFieldsMostSignificantFirstAndSignExtends) {
    // 101 10 000 | 1111 1111
    const QByteArray data = QByteArray::fromHex("b0ff");
    Reader r(data);
    EXPECT_EQ(r.ub(3), 5u);
    EXPECT_EQ(r.sb(2), -2);
    EXPECT_EQ(r.ub(3), 0u);
    EXPECT_EQ(r.sb(8), -1);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.ub(1), 0u);
    EXPECT_TRUE(r.failed());
}

TEST(Reader, ByteReadAlignsAfterBits) {
    const QByteArray data = QByteArray::fromHex("8042");
    Reader r(data);
    EXPECT_EQ(r.ub(1), 1u);
    EXPECT_EQ(r.u8(), 0x42);
}

TEST(Reader, RejectsOversizedRequestsWithoutReadingAnything) {
    const QByteArray data("abc");
    Reader r(data);
    EXPECT_TRUE(r.bytes(1000).isEmpty());
    EXPECT_TRUE(r.failed());
    Reader r2(data);
    Reader sub = r2.sub(4);
    EXPECT_TRUE(sub.failed());
    EXPECT_TRUE(r2.failed());
    Reader r3(data);
    EXPECT_EQ(r3.ub(33), 0u);
    EXPECT_TRUE(r3.failed());
}

TEST(Reader, StringsNeedTheirTerminator) {
    const QByteArray data("ab\0cd", 5);
    Reader r(data);
    EXPECT_EQ(r.string(), QByteArray("ab"));
    EXPECT_TRUE(r.string().isEmpty());
    EXPECT_TRUE(r.failed());
}

TEST(Reader, ReadsRectMatrixAndColourTransform) {
    // rect: nbits=5 (00101), 0, 10, -1, 3 -> 00101 00000 01010 11111 00011
    const QByteArray data = QByteArray::fromHex("2815f180");
    Reader r(data);
    const QRectF rect = r.rect();
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(rect.left(), 0);
    EXPECT_EQ(rect.right(), 10);
    EXPECT_EQ(rect.top(), -1);
    EXPECT_EQ(rect.bottom(), 3);
}

TEST(Reader, EncodedU32StopsAfterFiveBytes) {
    const QByteArray data = QByteArray::fromHex("ffffffff0f01");
    Reader r(data);
    EXPECT_EQ(r.encodedU32(), 0xffffffffu);
    EXPECT_EQ(r.u8(), 1);
}
