#include "swf/avm1/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using swf::avm1::leadingNumber;
using swf::avm1::numberToRadixString;
using swf::avm1::numberToString;
using swf::avm1::stringToNumber;

TEST(Avm1NumberFormat, PrintsNumbersAsFlashDoes) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double n;
        const char* text;
    } cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-42, "-42"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {123456789012345, "123456789012345"},
        {1e15, "1e+15"},
        {1e21, "1e+21"},
        {-9007199254740992.0, "-9.00719925474099e+15"},
        {0.0000152587890625, "0.0000152587890625"},
        {0.00001, "0.00001"},
        {1e-6, "1e-6"},
        {1e-7, "1e-7"},
        {9.5367431640625e-7, "9.5367431640625e-7"},
        {1.5, "1.5"},
        {-0.5, "-0.5"},
        {100.25, "100.25"},
        // An exact tie at the sixteenth digit rounds away from zero, and a carry can add a
        // digit.
        {4096.000244140625, "4096.00024414063"},
        {-4096.000244140625, "-4096.00024414063"},
        {0.9999999999999999, "1"},
        {99999.99999999999, "100000"},
        {0.7071067811865476, "0.707106781186548"},
        {std::nan(""), "NaN"},
        {inf, "Infinity"},
        {-inf, "-Infinity"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberToString(c.n).toStdString(), c.text) << c.n;
}

TEST(Avm1NumberFormat, PrintsInOtherRadixes) {
    EXPECT_EQ(numberToRadixString(255, 16), "ff");
    EXPECT_EQ(numberToRadixString(-255, 16), "-ff");
    EXPECT_EQ(numberToRadixString(5, 2), "101");
    EXPECT_EQ(numberToRadixString(35, 36), "z");
    EXPECT_EQ(numberToRadixString(12.75, 2), "1100");
    // Out of range radixes print in decimal.
    EXPECT_EQ(numberToRadixString(12.5, 1), "12.5");
    EXPECT_EQ(numberToRadixString(std::nan(""), 16), "NaN");
}

TEST(Avm1NumberFormat, ReadsNumbersFromStrings) {
    EXPECT_EQ(stringToNumber(" 12", true), 12);
    EXPECT_TRUE(std::isnan(stringToNumber(" 12 ", true))); // white space only in front
    EXPECT_EQ(stringToNumber("0x1F", true), 31);
    EXPECT_EQ(stringToNumber("010", true), 8);
    EXPECT_EQ(stringToNumber("019", true), 19);
    EXPECT_EQ(stringToNumber("-1.5e3", true), -1500);
    EXPECT_EQ(stringToNumber(".5", true), 0.5);
    // Flash prints infinities as words but does not read them back.
    EXPECT_TRUE(std::isnan(stringToNumber("-Infinity", true)));
    // Octal and hexadecimal only count at the very start of the text.
    EXPECT_EQ(stringToNumber(" 010", true), 10);
    EXPECT_TRUE(std::isnan(stringToNumber(" 0x1F", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("12a", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("1e", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("inf", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("0x", true)));
    EXPECT_TRUE(std::isnan(stringToNumber("0xZZ", true)));
    // Octal and hexadecimal are 32-bit integers and wrap.
    EXPECT_EQ(stringToNumber("037777777777", true), -1);
    EXPECT_EQ(stringToNumber("-037777777777", true), 1);
    EXPECT_EQ(stringToNumber("0x1999999981ffffff", true), -2113929217);
    EXPECT_EQ(stringToNumber("0xFFFFFFFF", true), -1);
}

TEST(Avm1NumberFormat, LeadingNumbersIgnoreWhatFollows) {
    EXPECT_EQ(leadingNumber("101ABC"), 101);
    EXPECT_EQ(leadingNumber(" -2.5e1x"), -25);
    EXPECT_EQ(leadingNumber("0x10"), 0);
    EXPECT_EQ(leadingNumber("1.2.3"), 1.23); // a second point is passed over
    EXPECT_TRUE(std::isnan(leadingNumber("abc")));
}
