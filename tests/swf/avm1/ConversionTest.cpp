// Conversions and comparisons whose rules change with the movie's version.

#include "Harness.h"

#include <gtest/gtest.h>

using namespace avm1test;
using swf::avm1::Value;

namespace {

QStringList traceAt(int version, const Asm& code) {
    Machine m(version);
    return m.run(code);
}

} // namespace

TEST(Avm1Conversion, UndefinedPrintsEmptyBeforeSwf7) {
    // trace(undefined) always says "undefined"; concatenation shows the version rule.
    Asm code;
    code.str("[").undef().op(0x47).str("]").op(0x47).trace();
    code.undef().trace();
    EXPECT_EQ(traceAt(6, code), (QStringList{"[]", "undefined"}));
    EXPECT_EQ(traceAt(7, code), (QStringList{"[undefined]", "undefined"}));
}

TEST(Avm1Conversion, UndefinedAndNullAreZeroOrNaNByVersion) {
    Asm code;
    code.undef().i32(1).op(0x47).trace(); // undefined + 1
    code.null().op(0x4A).trace();         // Number(null)
    EXPECT_EQ(traceAt(6, code), (QStringList{"1", "0"}));
    EXPECT_EQ(traceAt(7, code), (QStringList{"NaN", "NaN"}));
}

TEST(Avm1Conversion, StringsToBooleanByVersion) {
    auto truth = [](const QString& s) {
        Asm a;
        a.str(s).op(0x12).op(0x12).trace();
        return a;
    };
    Asm code;
    code.code(truth("true")).code(truth("1")).code(truth("0")).code(truth("")).code(truth("abc"));
    EXPECT_EQ(traceAt(6, code), (QStringList{"false", "true", "false", "false", "false"}));
    EXPECT_EQ(traceAt(7, code), (QStringList{"true", "true", "true", "false", "true"}));
}

TEST(Avm1Conversion, IdentifiersIgnoreCaseBeforeSwf7) {
    Asm code;
    code.setVar("Foo", Asm().i32(5)).traceVar("foo");
    code.setVar("obj", Asm().newObject("Object", {}));
    code.getVar("obj").str("Bar").i32(9).op(0x4F);
    code.getVar("obj").getMember("BAR").trace();
    EXPECT_EQ(traceAt(6, code), (QStringList{"5", "9"}));
    EXPECT_EQ(traceAt(7, code), (QStringList{"undefined", "undefined"}));
}

TEST(Avm1Conversion, Swf4StackMachineRules) {
    Asm code;
    code.str("7").str("5").op(0x0A).trace();          // Add is numeric: 12
    code.i32(1).i32(0).op(0x0D).trace();              // divide by zero
    code.i32(3).i32(3).op(0x0E).trace();              // Equals gives 1 in SWF 4
    code.str("abc").op(0x0A - 0x0A + 0x4A).trace();   // ToNumber of text is 0 in SWF 4
    code.str("hello").i32(2).i32(3).op(0x15).trace(); // substring "ell"
    code.str("a").str("b").op(0x21).trace();
    code.str("b").str("a").op(0x29).trace(); // "b" < "a"
    EXPECT_EQ(traceAt(4, code), (QStringList{"12", "#ERROR#", "1", "0", "ell", "ab", "0"}));
    const QStringList v6 = traceAt(6, code);
    EXPECT_EQ(v6[1], "Infinity");
    EXPECT_EQ(v6[2], "true");
    EXPECT_EQ(v6[3], "NaN");
}

TEST(Avm1Conversion, AddComparesAndEqualsAsFlash) {
    Asm code;
    code.i32(300).str("150").op(0x47).boolean(true).op(0x47).trace(); // "300150true"
    code.i32(1).i32(2).op(0x47).trace();
    code.i32(1).num(std::nan("")).op(0x48).trace(); // less with NaN: undefined
    code.str("10").str("9").op(0x48).trace();       // string compare
    code.str("10").i32(9).op(0x48).trace();         // numeric
    code.undef().null().op(0x49).trace();           // ==
    code.undef().null().op(0x66).trace();           // ===
    code.str("1").i32(1).op(0x49).trace();
    code.str("1").i32(1).op(0x66).trace();
    code.boolean(true).i32(1).op(0x49).trace();
    code.num(std::nan("")).num(std::nan("")).op(0x49).trace();
    EXPECT_EQ(traceAt(7, code), (QStringList{"300150true", "3", "undefined", "true", "false",
                                             "true", "false", "true", "false", "true", "false"}));
}

TEST(Avm1Conversion, ObjectsConvertThroughValueOfAndToString) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().newObject("Object", {}));
    code.getVar("o").str("valueOf").function("", {}, Asm().i32(41).op(0x3E)).op(0x4F);
    code.getVar("o").str("toString").function("", {}, Asm().str("text").op(0x3E)).op(0x4F);
    code.getVar("o").i32(1).op(0x47).trace();  // valueOf first: 42
    code.getVar("o").op(0x4B).trace();         // String(o): text
    code.getVar("o").op(0x4A).trace();         // Number(o): 41
    code.getVar("o").i32(41).op(0x49).trace(); // o == 41
    EXPECT_EQ(m.run(code), (QStringList{"42", "text", "41", "true"}));
    // Only text counts as an object's text: a number from toString names the type instead.
    Asm numeric;
    numeric.setVar("n", Asm().newObject("Object", {}));
    numeric.getVar("n").str("toString").function("", {}, Asm().i32(7).op(0x3E)).op(0x4F);
    numeric.getVar("n").op(0x4B).trace();
    numeric.getVar("n").op(0x14).trace(); // StringLength
    EXPECT_EQ(m.run(numeric), (QStringList{"[type Object]", "13"}));
}

TEST(Avm1Conversion, TypeOfNamesEveryKind) {
    Machine m(7);
    Asm code;
    code.undef().op(0x44).trace();
    code.null().op(0x44).trace();
    code.i32(1).op(0x44).trace();
    code.str("").op(0x44).trace();
    code.boolean(false).op(0x44).trace();
    code.newObject("Object", {}).op(0x44).trace();
    code.getVar("parseInt").op(0x44).trace();
    code.getVar("_root").op(0x44).trace();
    EXPECT_EQ(m.run(code), (QStringList{"undefined", "null", "number", "string", "boolean",
                                        "object", "function", "movieclip"}));
}

TEST(Avm1Conversion, NaNEqualsItselfBeforeSwf7) {
    Asm code;
    code.num(std::nan("")).num(std::nan("")).op(0x49).trace();
    code.str("x").num(std::nan("")).op(0x49).trace();
    // Text that is not a number is NaN too, but never equals it.
    EXPECT_EQ(traceAt(6, code), (QStringList{"true", "false"}));
    EXPECT_EQ(traceAt(7, code), (QStringList{"false", "false"}));
}

TEST(Avm1Conversion, Swf4ReadsLeadingNumbersAndHasNoGlobals) {
    Asm code;
    code.str("100").str("101ABC").op(0x0F).trace(); // the digits a string starts with count
    code.str("0x10").str("16").op(0x0F).trace();    // no hexadecimal: "0x10" is 0
    code.getVar("NaN").i32(1).op(0x0F).trace();     // NaN is an unset variable, so 0
    code.getVar("Infinity").op(0x18).trace();       // ToInteger of an unset name
    EXPECT_EQ(traceAt(4, code), (QStringList{"1", "1", "1", "0"}));
}

TEST(Avm1Conversion, OrderingAsksValueOfAloneAndNeverOrdersClips) {
    Machine m(7);
    Asm code;
    code.setVar("plain", Asm().newObject("Object", {}));
    code.setVar("one", Asm().newObject("Object", {}));
    code.getVar("one").str("valueOf").function("", {}, Asm().traceStr("asked").i32(1).op(0x3E));
    code.op(0x4F);
    code.getVar("plain").i32(5).op(0x48).trace();        // stays an object: false
    code.getVar("plain").getVar("one").op(0x48).trace(); // the right side is not asked
    code.i32(0).getVar("one").op(0x48).trace();          // asked, then 0 < 1
    code.getVar("_root").i32(5).op(0x48).trace();        // a clip is never ordered
    code.i32(5).getVar("_root").op(0x67).trace();        // nor by greater
    EXPECT_EQ(m.run(code),
              (QStringList{"false", "false", "asked", "true", "undefined", "undefined"}));
}

TEST(Avm1Conversion, TextNeverEqualsNaNButBoxesEqualWhatTheyHold) {
    Asm code;
    code.str("true").num(std::nan("")).op(0x49).trace();
    code.num(std::nan("")).str("NaN").op(0x49).trace();
    code.num(std::nan("")).num(std::nan("")).op(0x49).trace();
    code.setVar("boxed", Asm().callFunction("Object", {Asm().i32(1)}));
    code.getVar("boxed").i32(1).op(0x49).trace();
    code.i32(1).getVar("boxed").op(0x49).trace();
    // Flash 5 compares two objects by their valueOf; later players only by identity.
    code.setVar("other", Asm().callFunction("Object", {Asm().i32(1)}));
    code.getVar("boxed").getVar("other").op(0x49).trace();
    // An object with no prototypes converts to undefined.
    code.setVar("bare", Asm().newObject("Object", {}));
    code.getVar("bare").str("__proto__").undef().op(0x4F);
    code.getVar("bare").undef().op(0x49).trace();
    code.newObject("Object", {}).undef().op(0x49).trace();
    EXPECT_EQ(traceAt(5, code),
              (QStringList{"false", "false", "true", "true", "true", "true", "true", "false"}));
    EXPECT_EQ(traceAt(6, code)[5], "false");
}

TEST(Avm1Conversion, PropertyNumbersAsEachVersionReadsThem) {
    Asm code;
    code.str("/").str("013").op(0x22).trace();           // 13 is _name, octal 11 is _target
    code.str("/").str("0x13").op(0x22).op(0x44).trace(); // 19 is _quality
    EXPECT_EQ(traceAt(5, code), (QStringList{"", "undefined"}));
    EXPECT_EQ(traceAt(6, code)[0], "/");
    EXPECT_EQ(traceAt(4, code)[1], "number"); // Flash 4 reads "0x13" as 0, which is _x
}

TEST(Avm1Conversion, CharacterCodesBeyondSixteenBitsReadAsTheReplacement) {
    Asm code;
    code.str(QString::fromUtf8("\xF0\x9F\x98\x8B")).op(0x32).trace(); // ord
    code.str(QString::fromUtf8("\xE6\x84\x9B")).op(0x36).trace();     // mbord of a CJK character
    EXPECT_EQ(traceAt(6, code), (QStringList{"65533", "24859"}));
}
