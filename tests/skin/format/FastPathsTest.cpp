// The load path's fast steps agree with the plain ones: our checksum with zlib's for every
// length and content, inflating checks that checksum and the stream's header, and binary
// values decode the same whether their digits come in long runs or short ones.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <zlib.h>

#include "skin/format/ObjectStreamer.h"
#include "skin/format/SkinError.h"
#include "skin/format/TextForm.h"
#include "skin/format/Zlib.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/SkinColors.h"

using namespace skin;

namespace {

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = char(rng());
    return s;
}

std::uint32_t zlibAdler(std::uint32_t start, const std::string& s) {
    return std::uint32_t(
        ::adler32(start, reinterpret_cast<const Bytef*>(s.data()), uInt(s.size())));
}

} // namespace

TEST(FastAdler, AgreesWithZlibForEveryLengthAndForLargeRuns) {
    for (std::size_t n = 0; n < 100; ++n) {
        const std::string s = randomBytes(n, unsigned(n));
        EXPECT_EQ(zlib::adler32(1, s), zlibAdler(1, s)) << n;
    }
    // Bytes of 0xFF push the sums hardest; lengths around the reduction block and beyond.
    for (std::size_t n : {5551u, 5552u, 5553u, 5568u, 11104u, 100000u, 1u << 20}) {
        const std::string ones(n, char(0xFF));
        EXPECT_EQ(zlib::adler32(1, ones), zlibAdler(1, ones)) << n;
        const std::string mixed = randomBytes(n, 7);
        EXPECT_EQ(zlib::adler32(1, mixed), zlibAdler(1, mixed)) << n;
        // Continued from an earlier value.
        EXPECT_EQ(zlib::adler32(0xFFF0FFF0u % 65521u, mixed),
                  zlibAdler(0xFFF0FFF0u % 65521u, mixed))
            << n;
    }
}

TEST(FastInflate, ChecksTheTrailerAndTheHeader) {
    const std::string data = randomBytes(50000, 3) + std::string(50000, 'a');
    const std::string packed = zlib::deflate(data, 9);
    zlib::Inflated good = zlib::inflate(packed + "tail", 1 << 20);
    EXPECT_TRUE(good.error.empty()) << good.error;
    EXPECT_EQ(good.data(), data);
    EXPECT_EQ(good.consumed, packed.size());

    // A damaged checksum: the data inflates but is not trusted.
    std::string badSum = packed;
    badSum.back() = char(badSum.back() ^ 1);
    EXPECT_EQ(zlib::inflate(badSum, 1 << 20).error, "Decompression error: incorrect data check");
    // The checksum cut off.
    EXPECT_NE(zlib::inflate(packed.substr(0, packed.size() - 2), 1 << 20).error.find("cut short"),
              std::string::npos);
    // A header that is not zlib's, or that asks for a dictionary.
    std::string badHeader = packed;
    badHeader[0] = char(0x79);
    EXPECT_EQ(zlib::inflate(badHeader, 1 << 20).error,
              "Decompression error: incorrect header check");
    EXPECT_NE(zlib::inflate(std::string("\x78\xBB", 2) + packed.substr(2), 1 << 20)
                  .error.find("dictionary"),
              std::string::npos);
    EXPECT_NE(zlib::inflate(std::string("\x78", 1), 1 << 20).error.find("cut short"),
              std::string::npos);
    // Still bounded by the most it may produce.
    EXPECT_NE(zlib::inflate(packed, 1000).error.find("larger than"), std::string::npos);
}

TEST(FastHex, BinaryValuesDecodeAlikeInLongAndShortRunsAndRejectStrayCharacters) {
    const std::string bytes = randomBytes(1000, 11);
    static const char hex[] = "0123456789ABCDEFabcdef";
    // Lines of every length from 1 to 40 pairs, digits in both cases.
    for (int perLine : {1, 3, 4, 7, 8, 9, 16, 17, 32, 40}) {
        std::string text = "object A: TSeSkinObject\r\n  Objects = {";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % std::size_t(perLine) == 0)
                text += "\r\n    ";
            const auto b = static_cast<unsigned char>(bytes[i]);
            const bool lower = (i / 3) % 2 == 1;
            text += hex[(b >> 4) + ((b >> 4) >= 10 && lower ? 6 : 0)];
            text += hex[(b & 15) + ((b & 15) >= 10 && lower ? 6 : 0)];
        }
        text += "}\r\nend\r\n";
        const ObjectRecord rec = textform::parse(text);
        ASSERT_EQ(rec.properties.size(), 1u);
        EXPECT_EQ(rec.properties[0].value.text, bytes) << perLine;
    }
    // A stray character inside a long run is found, wherever it lands.
    for (std::size_t at : {0u, 5u, 15u, 16u, 31u, 47u}) {
        std::string digits(64, 'A');
        digits[at] = 'G';
        const std::string text =
            "object A: TSeSkinObject\r\n  Objects = {" + digits + "}\r\nend\r\n";
        EXPECT_THROW(textform::parse(text), SkinError) << at;
    }
    // Bytes above 0x7F are not digits.
    std::string high(32, 'f');
    high[20] = char(0xE6);
    EXPECT_THROW(
        textform::parse("object A: TSeSkinObject\r\n  Objects = {" + high + "}\r\nend\r\n"),
        SkinError);
}

TEST(FastText, ObjectsComeStraightFromTheTextWithNestedBlocksAndSpacedNames) {
    const std::string text = "object Caption: TSeSkinObject\r\n"
                             "  Font. Color = clRed\r\n"
                             "  Width = 40\r\n"
                             "  object Title: TSeTextObject\r\n"
                             "    FontHot.Height = -15\r\n"
                             "    object Inner: TSeSkinObject\r\n"
                             "      Left = 3\r\n"
                             "    end\r\n"
                             "  end\r\n"
                             "  object Close: TSeSystemButton\r\n"
                             "    Action = sbaClose\r\n"
                             "  end\r\n"
                             "end\r\n";
    const ObjectRecord rec = textform::parse(text);
    ASSERT_EQ(rec.properties.size(), 2u);
    EXPECT_EQ(rec.properties[0].name, "Font.Color");
    ASSERT_EQ(rec.children.size(), 2u);
    EXPECT_EQ(rec.children[0].name, "Title");
    ASSERT_EQ(rec.children[0].children.size(), 1u);
    EXPECT_EQ(rec.children[0].children[0].properties[0].name, "Left");
    EXPECT_EQ(rec.children[1].className, "TSeSystemButton");

    const auto registry = SkinClassRegistry::withStandardClasses();
    const ObjectStreamer streamer(registry);
    auto object = streamer.readText("TSeSkinObject", text);
    EXPECT_EQ(object->name(), "Caption");
    EXPECT_EQ(object->Font.Color, rgbColor(255, 0, 0));
    EXPECT_EQ(object->width(), 40);
    ASSERT_EQ(object->children().size(), 2u);
    EXPECT_STREQ(object->children()[0]->className(), "TSeTextObject");
    EXPECT_EQ(object->children()[0]->children()[0]->left(), 3);
    EXPECT_EQ(object->children()[1]->name(), "Close");
    // A property the class lacks names the object it was read for.
    EXPECT_THROW(
        streamer.readText("TSeSkinObject", "object A: TSeSkinObject\r\n  Nope = 1\r\nend\r\n"),
        SkinError);
    // Too deep a nesting of blocks stops, however it is started.
    std::string deep;
    for (int i = 0; i < 70; ++i)
        deep += "object A: TSeSkinObject\r\n";
    for (int i = 0; i < 70; ++i)
        deep += "end\r\n";
    EXPECT_THROW(streamer.readText("TSeSkinObject", deep), SkinError);
    EXPECT_THROW(streamer.readText("TSeSkinObject", text, ObjectStreamer::kMaxDepth), SkinError);
}
