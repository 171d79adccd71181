// The two property forms and the Objects property: what is written, byte for byte where the
// format fixes it, and that both forms read back to the same values.
#include <gtest/gtest.h>

#include <cctype>

#include "skin/format/BinaryForm.h"
#include "skin/format/ObjectStreamer.h"
#include "skin/format/SkinError.h"
#include "skin/format/TextForm.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSystemButton.h"

using namespace skin;

namespace {

const SkinClassRegistry registry = SkinClassRegistry::withStandardClasses();

std::string hex(std::string_view bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

} // namespace

TEST(TextForm, ParsesEveryValueForm) {
    const char* text = "object Caption: TSeBitmapObject\r\n"
                       "  Align = saTop\r\n"
                       "  Left = -12\r\n"
                       "  Top = $10\r\n"
                       "  Font.Name = 'It''s'#13#10'ok'\r\n"
                       "  Font.Style = [fsBold, fsItalic]\r\n"
                       "  Masked = False\r\n"
                       "  Tag = 'a' +\r\n    'b'\r\n"
                       "  Objects = {\r\n      00000F00}\r\n"
                       "end\r\n";
    const ObjectRecord rec = textform::parse(text);
    EXPECT_EQ(rec.name, "Caption");
    EXPECT_EQ(rec.className, "TSeBitmapObject");
    ASSERT_EQ(rec.properties.size(), 8u);
    EXPECT_EQ(rec.properties[0].value, PropertyValue::makeIdentifier("saTop"));
    EXPECT_EQ(rec.properties[1].value, PropertyValue::makeInteger(-12));
    EXPECT_EQ(rec.properties[2].value, PropertyValue::makeInteger(16));
    EXPECT_EQ(rec.properties[3].name, "Font.Name");
    EXPECT_EQ(rec.properties[3].value, PropertyValue::makeString("It's\r\nok"));
    EXPECT_EQ(rec.properties[4].value, PropertyValue::makeSet({"fsBold", "fsItalic"}));
    EXPECT_EQ(rec.properties[5].value, PropertyValue::makeBoolean(false));
    EXPECT_EQ(rec.properties[6].value, PropertyValue::makeString("ab"));
    EXPECT_EQ(rec.properties[7].value, PropertyValue::makeBinary(std::string("\0\0\x0F\0", 4)));
}

TEST(TextForm, WritesTheDocumentedLayout) {
    ObjectRecord rec;
    rec.name = "Item";
    rec.className = "TSeSkinObject";
    rec.properties.push_back({"Font.Name", PropertyValue::makeString("a'b\x01")});
    rec.properties.push_back({"Font.Style", PropertyValue::makeSet({})});
    rec.properties.push_back({"Objects", PropertyValue::makeBinary(std::string(40, '\xAB'))});
    const std::string expected = "object Item: TSeSkinObject\r\n"
                                 "  Font.Name = 'a''b'#1\r\n"
                                 "  Font.Style = []\r\n"
                                 "  Objects = {\r\n"
                                 "      " +
                                 std::string(64, 'A').replace(0, 64, hex(std::string(32, '\xAB'))) +
                                 "\r\n"
                                 "      " +
                                 hex(std::string(8, '\xAB')) +
                                 "}\r\n"
                                 "end\r\n";
    EXPECT_EQ(textform::write(rec), expected);
    const ObjectRecord back = textform::parse(expected);
    EXPECT_EQ(back.properties, rec.properties);
}

TEST(TextForm, ReportsTheLineOfAnError) {
    try {
        textform::parse("object A: TSeSkinObject\r\n  Left = 1\r\n  Top = \r\nend\r\n");
        FAIL() << "expected an error";
    } catch (const SkinError& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
    EXPECT_THROW(textform::parse("object A: TSeSkinObject\r\n  Left = 1\r\n"), SkinError);
    EXPECT_THROW(textform::parse("object A: TSeSkinObject\r\n  Name = 'open\r\nend"), SkinError);
    EXPECT_THROW(textform::parse("object A: TSeSkinObject\r\n  Left = 1.5\r\nend"), SkinError);
    EXPECT_THROW(textform::parse("object A: TSeSkinObject\r\n  B = {0G}\r\nend"), SkinError);
    EXPECT_THROW(textform::parse("thing A: TSeSkinObject\r\nend"), SkinError);
    EXPECT_THROW(textform::parse("object A: TSeSkinObject\r\nend\r\nend"), SkinError);
}

// Binary values are decoded several digits at a time; every character at every position of
// a run must still be judged on its own.
TEST(TextForm, BinaryValuesAcceptExactlyTheHexadecimalDigits) {
    const std::string line = "0123456789abcdefABCDEF0011223344"; // 32 digits, 16 bytes
    const auto parseBinary = [](const std::string& digits) {
        const ObjectRecord rec =
            textform::parse("object A: TSeSkinObject\r\n  B = {" + digits + "}\r\nend\r\n");
        return rec.properties.at(0).value.text;
    };
    EXPECT_EQ(hex(parseBinary(line)), "0123456789ABCDEFABCDEF0011223344");
    EXPECT_EQ(hex(parseBinary(line + "\r\n    " + line.substr(0, 6))),
              "0123456789ABCDEFABCDEF0011223344012345");
    for (int c = 1; c < 256; ++c) {
        const bool isHex = std::isxdigit(c) != 0;
        for (const std::size_t at :
             {std::size_t(0), std::size_t(3), std::size_t(7), std::size_t(12), std::size_t(31)}) {
            std::string digits = line;
            digits[at] = char(c);
            if (isHex) {
                std::string expected = line;
                expected[at] = char(std::toupper(c));
                std::string upper = expected;
                for (char& ch : upper)
                    ch = char(std::toupper(static_cast<unsigned char>(ch)));
                EXPECT_EQ(hex(parseBinary(digits)), upper) << "character " << c << " at " << at;
            } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v' &&
                       c != '}') {
                EXPECT_THROW(parseBinary(digits), SkinError) << "character " << c << " at " << at;
            }
        }
    }
}

TEST(BinaryForm, PicksTheSmallestIntegerTag) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {5, "0205"},        {-128, "0280"},        {127, "027F"},         {128, "038000"},
        {-32768, "030080"}, {32768, "0400800000"}, {-40000, "04C063FFFF"}};
    for (const auto& [value, encoded] : cases) {
        ByteWriter w;
        binaryform::writeValue(PropertyValue::makeInteger(value), w);
        EXPECT_EQ(hex(w.bytes()), encoded) << value;
        ByteReader r(w.bytes());
        EXPECT_EQ(binaryform::readValue(r), PropertyValue::makeInteger(value));
    }
}

TEST(BinaryForm, WritesTheComponentStream) {
    ObjectRecord rec;
    rec.className = "TSeSkinObject";
    rec.name = "A";
    rec.properties.push_back({"Masked", PropertyValue::makeBoolean(false)});
    rec.properties.push_back({"Kind", PropertyValue::makeIdentifier("skTop")});
    rec.properties.push_back({"S", PropertyValue::makeSet({"fsBold"})});
    const std::string bytes = binaryform::write(rec);
    EXPECT_EQ(hex(bytes), hex(std::string("TPF0\x0DTSeSkinObject\x01"
                                          "A"
                                          "\x06Masked\x08"
                                          "\x04Kind\x07\x05skTop"
                                          "\x01S\x0B\x06"
                                          "fsBold\x00"
                                          "\x00\x00",
                                          53)));
    ByteReader r(bytes);
    const ObjectRecord back = binaryform::read(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back.properties, rec.properties);
}

TEST(ObjectStreamer, ColoursAreNamedWhenTheyHaveANameAndLeavesStoreTheEmptyChildHeader) {
    TSeSkinObject o;
    o.setName("Leaf");
    o.Color = 0xC6C3C6;
    o.Font.Color = clWindowText;
    const ObjectStreamer streamer(registry);
    const ObjectRecord rec = streamer.toRecord(o);
    auto find = [&](const std::string& n) {
        for (const auto& p : rec.properties)
            if (p.name == n)
                return p.value;
        ADD_FAILURE() << n;
        return PropertyValue{};
    };
    EXPECT_EQ(find("Color"), PropertyValue::makeInteger(13026246));
    EXPECT_EQ(find("Font.Color"), PropertyValue::makeIdentifier("clWindowText"));
    EXPECT_EQ(find("Font.Charset"), PropertyValue::makeIdentifier("DEFAULT_CHARSET"));
    EXPECT_EQ(rec.properties.back().name, "Objects");
    EXPECT_EQ(hex(rec.properties.back().value.text), "00000F00");
    o.Color = clWhite;
    o.Font.Color = 0x123456;
    const std::string text = streamer.writeText(o);
    EXPECT_NE(text.find("Font.Color = 1193046\r\n"), std::string::npos) << text;
}

TEST(ObjectStreamer, BothChildFormsReadBackTheSameTree) {
    const ObjectStreamer streamer(registry);
    auto parent = std::make_unique<TSeSkinObject>();
    parent->setName("Caption");
    auto& button =
        static_cast<TSeSystemButton&>(parent->addChild(std::make_unique<TSeSystemButton>()));
    button.setName("Close");
    button.Action = TSeAction::sbaClose;
    button.BitmapHot = {"top", 1, 2, 3, 4};
    button.setStoredBounds(278, 3, 16, 16);
    const std::string text = streamer.writeText(*parent);
    auto back = streamer.readText("TSeSkinObject", text);
    ASSERT_EQ(back->children().size(), 1u);
    EXPECT_STREQ(back->children()[0]->className(), "TSeSystemButton");
    EXPECT_EQ(streamer.writeText(*back), text);

    // The older child form: a plain count, then class name and text form per child.
    ByteWriter objects;
    objects.u32(1);
    objects.string32("TSeSystemButton");
    objects.string32(streamer.writeText(button));
    TSeSkinObject old;
    streamer.decodeChildren(old, objects.bytes(), 1);
    ASSERT_EQ(old.children().size(), 1u);
    const auto& child = static_cast<const TSeSystemButton&>(*old.children()[0]);
    EXPECT_EQ(child.Action, TSeAction::sbaClose);
    EXPECT_EQ(child.left(), 278);
    EXPECT_TRUE(child.BitmapHot.sameStoredValue(button.BitmapHot));
}

TEST(ObjectStreamer, UnknownPropertiesAndWrongValueKindsAreErrors) {
    const ObjectStreamer streamer(registry);
    EXPECT_THROW(streamer.readText("TSeSkinObject", "object A: X\r\n  Bogus = 1\r\nend"),
                 SkinError);
    EXPECT_THROW(streamer.readText("TSeSkinObject", "object A: X\r\n  Left = 'x'\r\nend"),
                 SkinError);
    EXPECT_THROW(streamer.readText("TSeSkinObject", "object A: X\r\n  Align = saSideways\r\nend"),
                 SkinError);
    EXPECT_THROW(streamer.readText("TSeSkinObject", "object A: X\r\n  Left = 4294967296\r\nend"),
                 SkinError);
}

TEST(ClassRegistry, HoldsTheSeventeenClassesAndComparesNamesExactly) {
    const auto names = registry.classNames();
    EXPECT_EQ(names.size(), 17u);
    for (const auto& n : names) {
        auto o = registry.create(n);
        ASSERT_TRUE(o) << n;
        EXPECT_EQ(o->className(), n);
    }
    EXPECT_FALSE(registry.create("tseskinobject"));
    EXPECT_FALSE(registry.create("TSeSkinObjectX"));
    EXPECT_EQ(registry.create("TSeSystemButton")->Kind, TSeKind::skSysButton);
}
