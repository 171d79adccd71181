// Broken skins end the load with a clear error, keep what was read before, never crash and
// never reserve memory for sizes the data does not hold.
#include <QBuffer>
#include <gtest/gtest.h>

#include "SmallSkin.h"
#include "skin/format/BmpCodec.h"
#include "skin/format/SkinDescription.h"
#include "skin/format/SkinError.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TSeSkinFilter.h"
#include "skin/format/Zlib.h"

using namespace skin;
using skintest::registry;

namespace {

std::string errorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const SkinError& e) {
        return e.what();
    }
    return {};
}

std::string readPlain(TSeSkinSource& s, const std::string& bytes) {
    return errorOf([&] {
        ByteReader r(bytes);
        description::read(s, r, registry());
    });
}

std::string header(int bitmapCount) {
    ByteWriter w;
    for (int i = 0; i < 5; ++i)
        w.string32("");
    w.i32(bitmapCount);
    return w.bytes();
}

} // namespace

TEST(MalformedSkin, EveryTruncationIsAReadErrorAndKeepsWhatWasRead) {
    const std::string full = skintest::handWrittenDescription();
    std::size_t objectsSeen = 0;
    for (std::size_t n = 0; n < full.size(); ++n) {
        TSeSkinSource s;
        const std::string error = readPlain(s, full.substr(0, n));
        ASSERT_NE(error.find("Stream read error"), std::string::npos) << n << ": " << error;
        // Objects only ever accumulate as the cut moves later.
        EXPECT_GE(s.objects().size(), objectsSeen);
        objectsSeen = s.objects().size();
    }
    EXPECT_EQ(objectsSeen, 1u);
}

TEST(MalformedSkin, AnUnknownClassEndsTheLoadAfterTheObjectsBeforeIt) {
    TSeSkinSource s;
    const std::string error = readPlain(s, skintest::handWrittenDescription("TSeNoSuchThing"));
    EXPECT_EQ(error, "Class TSeNoSuchThing not found");
    ASSERT_EQ(s.objects().size(), 1u);
    EXPECT_EQ(s.objects()[0]->name(), "Form");
    EXPECT_EQ(s.bitmaps().size(), 1u);
    // Class names are case-sensitive.
    EXPECT_EQ(readPlain(s, skintest::handWrittenDescription("tseskinobject")),
              "Class tseskinobject not found");
}

TEST(MalformedSkin, CorruptOrCutZlibDataIsADecompressionError) {
    const std::string description = skintest::handWrittenDescription();
    const std::string packed = zlib::deflate(description, 1);
    auto load = [&](const std::string& body, TSeSkinSource& s) {
        return errorOf([&] {
            QByteArray bytes = QByteArray("KSLZ") + QByteArray::fromStdString(body);
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            TSeSkinFilterCompressed(s, registry()).LoadFromStream(buffer);
        });
    };
    TSeSkinSource cut;
    EXPECT_NE(load(packed.substr(0, packed.size() / 2), cut).find("Decompression error"),
              std::string::npos);
    std::string corrupt = packed;
    corrupt[2] = char(0xFF);
    corrupt[3] = char(0xFF);
    TSeSkinSource bad;
    EXPECT_NE(load(corrupt, bad).find("Decompression error"), std::string::npos);
    TSeSkinSource none;
    EXPECT_NE(load("", none).find("Decompression error"), std::string::npos);
    TSeSkinSource tooShort;
    EXPECT_NE(errorOf([&] {
                  QByteArray bytes("KS");
                  QBuffer buffer(&bytes);
                  buffer.open(QIODevice::ReadOnly);
                  TSeSkinFilterCompressed(tooShort, registry()).LoadFromStream(buffer);
              }).find("cut short"),
              std::string::npos);
}

TEST(MalformedSkin, CountsAndSizesBeyondTheDataAreRefusedBeforeAllocating) {
    TSeSkinSource s;
    EXPECT_NE(readPlain(s, header(0x7FFFFFFF)).find("Stream read error"), std::string::npos);
    EXPECT_NE(readPlain(s, header(-1)).find("Invalid bitmap count"), std::string::npos);

    auto bitmap = [](int w, int h) {
        ByteWriter b;
        b.raw(header(1));
        b.string32("big");
        b.i32(w);
        b.i32(h);
        return b.bytes();
    };
    EXPECT_NE(readPlain(s, bitmap(100000, 100000)).find("invalid size"), std::string::npos);
    EXPECT_NE(readPlain(s, bitmap(-1, 4)).find("invalid size"), std::string::npos);
    EXPECT_NE(readPlain(s, bitmap(4096, 8192)).find("Stream read error"), std::string::npos);
    // Beyond the skin's pixel budget it is refused for that, before the data is looked at.
    EXPECT_NE(readPlain(s, bitmap(16384, 16384)).find("may hold"), std::string::npos);
    // A zero side carries no pixels and gives an empty bitmap.
    ByteWriter empty;
    empty.raw(bitmap(0, 7));
    empty.i32(0);
    EXPECT_EQ(readPlain(s, empty.bytes()), "");
    ASSERT_EQ(s.bitmaps().size(), 1u);
    EXPECT_TRUE(s.bitmaps()[0]->isEmpty());

    ByteWriter longName;
    longName.raw(header(1));
    longName.i32(0x7FFFFFF0);
    EXPECT_NE(readPlain(s, longName.bytes()).find("Stream read error"), std::string::npos);
}

TEST(MalformedSkin, BadChildrenAndTextFormsAreErrors) {
    auto withObject = [](const std::string& className, const std::string& text) {
        ByteWriter w;
        w.raw(header(0));
        w.i32(1);
        w.string32(className);
        w.string32(text);
        return w.bytes();
    };
    TSeSkinSource s;
    EXPECT_NE(readPlain(s, withObject("TSeSkinObject", "object A: B\r\n  Left = \r\nend"))
                  .find("Skin text form, line 2"),
              std::string::npos);
    // A child count far beyond the bytes of the Objects value.
    EXPECT_NE(readPlain(s, withObject("TSeSkinObject",
                                      "object A: B\r\n  Objects = {\r\n      FFFF0F00}\r\nend"))
                  .find("Stream read error"),
              std::string::npos);
    // A child whose length runs past the Objects value.
    EXPECT_NE(readPlain(s, withObject("TSeSkinObject", "object A: B\r\n  Objects = {\r\n"
                                                       "      01000F000100000041FFFFFF7F}\r\nend"))
                  .find("Stream read error"),
              std::string::npos);
    // A child that is not a component stream.
    EXPECT_NE(readPlain(s, withObject("TSeSkinObject",
                                      "object A: B\r\n  Objects = {\r\n      01000F000D000000"
                                      "545365536B696E4F626A6563740400000058585858}\r\nend"))
                  .find("TPF0"),
              std::string::npos);
    EXPECT_FALSE(s.hasObjects());
}

TEST(MalformedSkin, DeepNestingIsRefused) {
    // Each level's Objects value holds the next level's binary form.
    ObjectStreamer streamer(registry());
    auto root = std::make_unique<TSeSkinObject>();
    TSeSkinObject* at = root.get();
    for (int i = 0; i < 200; ++i)
        at = &at->addChild(std::make_unique<TSeSkinObject>());
    const std::string text = streamer.writeText(*root);
    EXPECT_NE(errorOf([&] { streamer.readText("TSeSkinObject", text); }).find("nested too deeply"),
              std::string::npos);
}

TEST(MalformedSkin, BrokenPackedBitmapsAreErrors) {
    TSeBitmap b("b", 3, 2);
    const std::string good = bmp::encode16(b);
    EXPECT_NO_THROW(bmp::decode(good, "b", description::kMaxSkinPixels));
    for (std::size_t n : {std::size_t(0), std::size_t(10), std::size_t(30), good.size() - 1})
        EXPECT_THROW(bmp::decode(good.substr(0, n), "b", description::kMaxSkinPixels), SkinError)
            << n;
    std::string huge = good;
    huge[18] = char(0xFF);
    huge[19] = char(0xFF);
    huge[20] = char(0xFF);
    huge[21] = char(0x7F); // width 2^31 - 1
    EXPECT_THROW(bmp::decode(huge, "b", description::kMaxSkinPixels), SkinError);
    std::string compressed = good;
    compressed[30] = 1; // RLE8
    EXPECT_THROW(bmp::decode(compressed, "b", description::kMaxSkinPixels), SkinError);
}

TEST(BmpCodec, SixteenBitRoundTripKeepsFiveBitsPerChannel) {
    TSeBitmap b("b", 5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            b.setPixel(x, y,
                       0xFF000000u | std::uint32_t(x * 60) << 16 | std::uint32_t(y * 100) << 8 |
                           std::uint32_t(x * y * 20));
    b.setPixel(4, 2, kKeyPixel);
    auto back = bmp::decode(bmp::encode16(b), "b", description::kMaxSkinPixels);
    back->keyOutNear(0x7F, 0, 0x7F);
    ASSERT_EQ(back->width(), 5);
    ASSERT_EQ(back->height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const auto p = b.pixel(x, y), q = back->pixel(x, y);
            if (isKeyPixel(p)) {
                EXPECT_EQ(q, kKeyPixel);
                continue;
            }
            for (int shift : {0, 8, 16})
                EXPECT_EQ((p >> shift & 0xF8), (q >> shift & 0xF8)) << x << "," << y;
        }
}

TEST(BmpCodec, ReadsTwentyFourBitBottomUpImages) {
    ByteWriter w;
    w.raw("BM");
    w.u32(54 + 16);
    w.u32(0);
    w.u32(54);
    w.u32(40);
    w.i32(2);
    w.i32(2);
    w.i16(1);
    w.i16(24);
    for (int i = 0; i < 6; ++i)
        w.u32(0);
    // Bottom row first: blue, green, red per pixel, rows padded to 4 bytes.
    w.raw(std::string("\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0A\x0B\x0C\0\0", 16));
    auto img = bmp::decode(w.bytes(), "x", description::kMaxSkinPixels);
    EXPECT_EQ(img->pixel(0, 1), 0xFF030201u);
    EXPECT_EQ(img->pixel(1, 1), 0xFF060504u);
    EXPECT_EQ(img->pixel(0, 0), 0xFF090807u);
}
