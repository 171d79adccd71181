// The built-in classes and global functions, driven from bytecode as movies use them.

#include "Harness.h"

#include <gtest/gtest.h>

using namespace avm1test;

namespace {

// [a, b, c] from source order
Asm array(const std::vector<Asm>& items) {
    Asm a;
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        a.code(*it);
    a.i32(static_cast<int32_t>(items.size())).op(0x42);
    return a;
}

Asm strs(std::initializer_list<const char*> items) {
    std::vector<Asm> v;
    for (const char* s : items)
        v.push_back(Asm().str(s));
    return array(v);
}

Asm nums(std::initializer_list<double> items) {
    std::vector<Asm> v;
    for (double d : items)
        v.push_back(Asm().num(d));
    return array(v);
}

QStringList run(const Asm& code, int version = 8) {
    Machine m(version);
    return m.run(code);
}

} // namespace

TEST(Avm1Array, ChangingMethods) {
    Asm code;
    code.setVar("a", nums({1, 2, 3}));
    code.callMethod(Asm().getVar("a"), "push", {Asm().i32(4), Asm().i32(5)}).trace();
    code.callMethod(Asm().getVar("a"), "pop", {}).trace();
    code.callMethod(Asm().getVar("a"), "shift", {}).trace();
    code.callMethod(Asm().getVar("a"), "unshift", {Asm().i32(0)}).trace();
    code.getVar("a").trace();
    code.callMethod(Asm().getVar("a"), "splice", {Asm().i32(1), Asm().i32(2), Asm().str("x")})
        .trace();
    code.getVar("a").trace();
    code.callMethod(Asm().getVar("a"), "reverse", {}).trace();
    code.callMethod(Asm().getVar("a"), "join", {Asm().str("-")}).trace();
    code.callMethod(Asm().getVar("a"), "slice", {Asm().i32(-2)}).trace();
    code.callMethod(Asm().getVar("a"), "concat", {Asm().i32(9), nums({7, 8})}).trace();
    code.getVar("a").str("length").i32(1).op(0x4F);
    code.getVar("a").trace();
    code.getVar("a").str("3").str("z").op(0x4F);
    code.getVar("a").trace();
    EXPECT_EQ(run(code),
              (QStringList{"5", "5", "1", "4", "0,2,3,4", "2,3", "0,x,4", "4,x,0", "4-x-0", "x,0",
                           "4,x,0,9,7,8", "4", "4,undefined,undefined,z"}));
}

TEST(Avm1Array, SortFlags) {
    Asm code;
    const Asm values = strs({"b", "C", "a", "B"});
    code.callMethod(values, "sort", {}).trace();
    code.callMethod(values, "sort", {Asm().i32(1)}).trace();                 // CASEINSENSITIVE
    code.callMethod(values, "sort", {Asm().i32(2)}).trace();                 // DESCENDING
    code.callMethod(nums({10, 9, 100, 1}), "sort", {}).trace();              // as strings
    code.callMethod(nums({10, 9, 100, 1}), "sort", {Asm().i32(16)}).trace(); // NUMERIC
    code.callMethod(nums({10, 9, 100, 1}), "sort", {Asm().i32(16 | 2)}).trace();
    code.callMethod(nums({3, 1, 2}), "sort", {Asm().i32(8)}).trace(); // RETURNINDEXEDARRAY
    code.callMethod(nums({3, 1, 3}), "sort", {Asm().i32(4)}).trace(); // UNIQUESORT, duplicate
    code.callMethod(nums({3, 1, 2}), "sort", {Asm().i32(4)}).trace();
    // A comparison function: descending numbers.
    code.function("desc", {"x", "y"}, Asm().getVar("y").getVar("x").op(0x0B).op(0x3E));
    code.callMethod(nums({1, 3, 2}), "sort", {Asm().getVar("desc")}).trace();
    EXPECT_EQ(run(code), (QStringList{"B,C,a,b", "a,b,B,C", "b,a,C,B", "1,10,100,9", "1,9,10,100",
                                      "100,10,9,1", "1,2,0", "0", "1,2,3", "3,2,1"}));
}

TEST(Avm1Array, SortOnFields) {
    // [{n: "b", v: 2}, {n: "a", v: 10}, {n: "c", v: 1}]
    auto rec = [](const char* n, int v) {
        return Asm().str("n").str(n).str("v").i32(v).i32(2).op(0x43);
    };
    Asm code;
    code.setVar("r", array({rec("b", 2), rec("a", 10), rec("c", 1)}));
    Asm names;
    names.getVar("r")
        .getMember("0")
        .getMember("n")
        .getVar("r")
        .getMember("1")
        .getMember("n")
        .op(0x47)
        .getVar("r")
        .getMember("2")
        .getMember("n")
        .op(0x47);
    code.callMethod(Asm().getVar("r"), "sortOn", {Asm().str("n")}).op(0x17).code(names).trace();
    code.callMethod(Asm().getVar("r"), "sortOn", {Asm().str("v")}).op(0x17).code(names).trace();
    code.callMethod(Asm().getVar("r"), "sortOn", {Asm().str("v"), Asm().i32(16)})
        .op(0x17)
        .code(names)
        .trace();
    code.callMethod(Asm().getVar("r"), "sortOn", {Asm().str("v"), Asm().i32(16 | 2)})
        .op(0x17)
        .code(names)
        .trace();
    // With a list of fields: one number (or its text) applies to all; a list of options only
    // counts when it has one per field; other objects are ignored. 8 returns the order.
    const Asm fields = Asm().str("n").str("v").i32(2).op(0x42);
    const auto indexed = [&](const Asm& options) {
        return Asm().callMethod(Asm().getVar("r"), "sortOn", {fields, options}).trace();
    };
    code.code(indexed(Asm().i32(8)));
    code.code(indexed(Asm().str("8")));
    code.code(indexed(Asm().i32(8).i32(1).op(0x42))); // one option, two fields
    code.code(indexed(Asm().newObject("String", {Asm().str("8")})));
    const QString records = "[object Object],[object Object],[object Object]";
    EXPECT_EQ(run(code),
              (QStringList{"abc", "cab", "cba", "abc", "2,0,1", "2,0,1", records, records}));
}

TEST(Avm1String, Methods) {
    Asm code;
    const Asm s = Asm().str("Hello, World");
    code.callMethod(s, "charAt", {Asm().i32(4)}).trace();
    code.callMethod(s, "charCodeAt", {Asm().i32(0)}).trace();
    code.callMethod(s, "indexOf", {Asm().str("o")}).trace();
    code.callMethod(s, "indexOf", {Asm().str("o"), Asm().i32(5)}).trace();
    code.callMethod(s, "lastIndexOf", {Asm().str("o")}).trace();
    code.callMethod(s, "substr", {Asm().i32(-5), Asm().i32(3)}).trace();
    code.callMethod(s, "substring", {Asm().i32(5), Asm().i32(0)}).trace();
    code.callMethod(s, "slice", {Asm().i32(7), Asm().i32(-2)}).trace();
    code.callMethod(s, "toUpperCase", {}).trace();
    code.callMethod(s, "split", {Asm().str(", ")}).getMember("length").trace();
    code.callMethod(Asm().str("a,b,c"), "split", {Asm().str(","), Asm().i32(2)}).trace();
    code.callMethod(Asm().getVar("String"), "fromCharCode", {Asm().i32(72), Asm().i32(105)})
        .trace();
    code.code(s).getMember("length").trace();
    code.callMethod(s, "concat", {Asm().str("!"), Asm().i32(1)}).trace();
    code.newObject("String", {Asm().str("boxed")}).op(0x44).trace();
    code.newObject("String", {Asm().str("boxed")}).getMember("length").trace();
    EXPECT_EQ(run(code),
              (QStringList{"o", "72", "4", "8", "8", "Wor", "Hello", "Wor", "HELLO, WORLD", "2",
                           "a,b", "Hi", "12", "Hello, World!1", "object", "5"}));
}

TEST(Avm1String, SplitOnEmptyDependsOnVersion) {
    Asm code;
    code.callMethod(Asm().str("abc"), "split", {Asm().str("")}).getMember("length").trace();
    EXPECT_EQ(run(code, 5), QStringList{"1"});
    EXPECT_EQ(run(code, 6), QStringList{"3"});
}

TEST(Avm1Number, ConversionsAndMath) {
    Asm code;
    code.callMethod(Asm().i32(255), "toString", {Asm().i32(16)}).trace();
    // "0x" counts only at the very start; a radix that is given still holds after it.
    code.callFunction("parseInt", {Asm().str("  0x1A")}).trace();
    code.callFunction("parseInt", {Asm().str("0x1A"), Asm().i32(10)}).trace();
    code.str(" 0x1A").i32(1).op(0x0C).trace(); // as a number: not hexadecimal at all
    code.callFunction("parseInt", {Asm().str("12px")}).trace();
    code.callFunction("parseInt", {Asm().str("z"), Asm().i32(36)}).trace();
    code.callFunction("parseInt", {Asm().str("abc")}).trace();
    code.callFunction("parseFloat", {Asm().str("3.5e2xyz")}).trace();
    code.callFunction("isNaN", {Asm().str("x")}).trace();
    code.callFunction("isFinite", {Asm().num(1e308).num(10).op(0x0C)}).trace();
    code.callMethod(Asm().getVar("Math"), "max", {Asm().i32(3), Asm().i32(8), Asm().i32(1)})
        .trace();
    code.callMethod(Asm().getVar("Math"), "min", {}).trace();
    code.callMethod(Asm().getVar("Math"), "round", {Asm().num(-2.5)}).trace();
    code.callMethod(Asm().getVar("Math"), "pow", {Asm().i32(2), Asm().i32(10)}).trace();
    code.getVar("Math").getMember("PI").trace();
    code.i32(7).i32(3).op(0x3F).trace();   // modulo
    code.i32(-1).i32(28).op(0x65).trace(); // >>>
    code.i32(5).i32(3).op(0x62).trace();   // xor
    code.newObject("Number", {Asm().i32(3)}).i32(4).op(0x47).trace();
    code.callFunction("Boolean", {Asm().str("x")}).trace();
    EXPECT_EQ(run(code), (QStringList{"ff", "0",        "1",   "NaN",  "12",
                                      "35", "NaN",      "350", "true", "false",
                                      "8",  "Infinity", "-2",  "1024", "3.14159265358979",
                                      "1",  "15",       "6",   "7",    "true"}));
}

TEST(Avm1Global, EscapeAndUnescape) {
    Asm code;
    code.callFunction("escape", {Asm().str("a b&c=ü-._")}).trace();
    code.callFunction("unescape", {Asm().str("a%20b%26c%3D%C3%BC")}).trace();
    EXPECT_EQ(run(code), (QStringList{"a%20b%26c%3D%C3%BC%2D%2E%5F", "a b&c=ü"}));
}

TEST(Avm1Date, FieldsAndArithmetic) {
    Asm code;
    // Date.UTC(2004, 1, 29, 12, 30) is a leap day
    code.setVar("t", Asm().callMethod(Asm().getVar("Date"), "UTC",
                                      {Asm().i32(2004), Asm().i32(1), Asm().i32(29), Asm().i32(12),
                                       Asm().i32(30)}));
    code.traceVar("t");
    code.setVar("d", Asm().newObject("Date", {Asm().getVar("t")}));
    for (const char* f : {"getUTCFullYear", "getUTCMonth", "getUTCDate", "getUTCDay", "getUTCHours",
                          "getUTCMinutes"})
        code.callMethod(Asm().getVar("d"), f, {}).trace();
    code.callMethod(Asm().getVar("d"), "setUTCDate", {Asm().i32(32)}).op(0x17);
    code.callMethod(Asm().getVar("d"), "getUTCMonth", {}).trace(); // rolled into March
    code.callMethod(Asm().getVar("d"), "getUTCDate", {}).trace();
    // Local fields and the local constructor agree with each other.
    code.setVar("l", Asm().newObject("Date", {Asm().i32(1999), Asm().i32(11), Asm().i32(31),
                                              Asm().i32(23), Asm().i32(59)}));
    code.callMethod(Asm().getVar("l"), "getFullYear", {}).trace();
    code.callMethod(Asm().getVar("l"), "getHours", {}).trace();
    code.newObject("Date", {Asm().num(std::nan(""))}).trace();
    EXPECT_EQ(run(code), (QStringList{"1078057800000", "2004", "1", "29", "0", "12", "30", "2", "3",
                                      "1999", "23", "Invalid Date"}));
}

TEST(Avm1Error, ThrowAndCatchAnError) {
    Asm code;
    const Asm handler = Asm().getVar("e").trace().getVar("e").getMember("name").trace();
    code.tryBlock(Asm().newObject("Error", {Asm().str("bad thing")}).op(0x2A), "e", &handler,
                  nullptr);
    code.newObject("Error", {}).trace();
    EXPECT_EQ(run(code), (QStringList{"bad thing", "Error", "Error"}));
}

TEST(Avm1Global, IntervalsAndTimeoutsFollowThePlayersClock) {
    Machine m(8);
    Asm code;
    code.setVar("n", Asm().i32(0));
    code.function(
        "tick", {},
        Asm().setVar("n", Asm().getVar("n").op(0x50)).str("tick").getVar("n").op(0x47).trace());
    code.setVar("id", Asm().callFunction("setInterval", {Asm().getVar("tick"), Asm().i32(100)}));
    code.callFunction("setTimeout",
                      {Asm().function("", {}, Asm().traceStr("once")), Asm().i32(150)})
        .op(0x17);
    m.run(code);
    m.host.lines.clear();
    for (int t = 50; t <= 400; t += 50) {
        m.clock = t;
        m.vm.runTimers();
    }
    EXPECT_EQ(m.host.lines, (QStringList{"tick1", "once", "tick2", "tick3", "tick4"}));
    m.run(Asm().callFunction("clearInterval", {Asm().getVar("id")}));
    m.host.lines.clear();
    m.clock = 1000;
    m.vm.runTimers();
    EXPECT_TRUE(m.host.lines.isEmpty());
    EXPECT_EQ(m.run(Asm().callFunction("getTimer", {}).trace()), QStringList{"1000"});
}

TEST(Avm1Global, AsBroadcasterDeliversToListeners) {
    Asm code;
    code.setVar("b", Asm().newObject("Object", {}));
    code.callMethod(Asm().getVar("AsBroadcaster"), "initialize", {Asm().getVar("b")}).op(0x17);
    code.setVar("l", Asm().newObject("Object", {}));
    code.getVar("l")
        .str("onPing")
        .function("", {"x"}, Asm().str("ping ").getVar("x").op(0x47).trace())
        .op(0x4F);
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().getVar("l")}).op(0x17);
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().getVar("l")}).op(0x17);
    code.callMethod(Asm().getVar("b"), "broadcastMessage", {Asm().str("onPing"), Asm().i32(1)})
        .op(0x17);
    code.callMethod(Asm().getVar("b"), "removeListener", {Asm().getVar("l")}).trace();
    code.callMethod(Asm().getVar("b"), "broadcastMessage", {Asm().str("onPing"), Asm().i32(2)})
        .trace();
    // With nobody listening there is no answer at all.
    EXPECT_EQ(run(code), (QStringList{"ping 1", "true", "undefined"}));
}

TEST(Avm1Global, AsBroadcasterMatchesListenersLooselyAndCanBeOverridden) {
    Asm code;
    code.setVar("b", Asm().newObject("Object", {}));
    code.callMethod(Asm().getVar("AsBroadcaster"), "initialize", {Asm().getVar("b")}).op(0x17);
    auto listeners = [&] { code.getVar("b").getMember("_listeners").trace(); };
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().undef()}).op(0x17);
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().null()}).op(0x17); // replaces it
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().boolean(false)}).op(0x17);
    listeners();
    code.callMethod(Asm().getVar("b"), "broadcastMessage", {Asm().str("x")}).trace();
    code.callMethod(Asm().getVar("b"), "removeListener", {Asm().undef()}).trace();
    listeners();
    // An empty message calls a listener that is itself a function.
    code.callMethod(Asm().getVar("b"), "removeListener", {Asm().boolean(false)}).op(0x17);
    code.function("f", {}, Asm().str("called").trace());
    code.callMethod(Asm().getVar("b"), "addListener", {Asm().getVar("f")}).op(0x17);
    code.callMethod(Asm().getVar("b"), "broadcastMessage", {Asm().str("")}).trace();
    // initialize hands out the listener methods AsBroadcaster has now.
    code.getVar("AsBroadcaster")
        .str("addListener")
        .function("", {}, Asm().str("mine").trace())
        .op(0x4F);
    code.setVar("c", Asm().newObject("Object", {}));
    code.callMethod(Asm().getVar("AsBroadcaster"), "initialize", {Asm().getVar("c")}).op(0x17);
    code.callMethod(Asm().getVar("c"), "addListener", {Asm().getVar("f")}).op(0x17);
    code.callMethod(Asm().getVar("c"), "broadcastMessage", {Asm().str("")}).trace();
    EXPECT_EQ(run(code), (QStringList{"null,false", "true", "true", "false", "called", "true",
                                      "mine", "undefined"}));
    EXPECT_EQ(run(Asm().getVar("AsBroadcaster").op(0x44).trace(), 5), QStringList{"undefined"});
}

TEST(Avm1Global, AsNewTellsAConstructorCallFromAPlainOne) {
    Asm code;
    code.setVar("isNew", Asm().callFunction("ASnative", {Asm().i32(2), Asm().i32(0)}));
    code.function("T", {}, Asm().callFunction("isNew", {}).trace());
    code.callFunction("T", {}).op(0x17);
    code.newObject("T", {}).op(0x17);
    code.callFunction("isNew", {}).trace();
    EXPECT_EQ(run(code), (QStringList{"false", "true", "false"}));
}

TEST(Avm1Global, SystemCapabilities) {
    Asm code;
    code.getVar("System").getMember("capabilities").getMember("os").trace();
    code.getVar("System").getMember("capabilities").getMember("hasAudio").trace();
    EXPECT_EQ(run(code), (QStringList{"Linux", "true"}));
}

TEST(Avm1Number, MathReadsItsArgumentsAsFlashDoes) {
    Asm code;
    auto math = [&](const char* name, const std::vector<Asm>& args) {
        code.callMethod(Asm().getVar("Math"), name, args).trace();
    };
    math("max", {Asm().i32(8), Asm().i32(1), Asm().i32(30)}); // only two arguments count
    math("min", {Asm().i32(1)});                              // the missing one is NaN
    code.getVar("Math").getMember("SQRT1_2").trace();
    code.i32(1).num(-0.0).op(0x0D).trace(); // a pushed -0 is an integer zero
    // Arguments are converted first to last, a second one even for one-argument functions.
    for (const char* name : {"a", "b"}) {
        code.setVar(name, Asm().newObject("Object", {}));
        code.getVar(name).str("valueOf");
        code.function("", {}, Asm().traceStr(name).i32(1).op(0x3E));
        code.op(0x4F);
    }
    math("atan2", {Asm().getVar("a"), Asm().getVar("b")});
    math("abs", {Asm().getVar("a"), Asm().getVar("b")});
    EXPECT_EQ(run(code), (QStringList{"8", "NaN", "0.707106781186548", "Infinity", "a", "b",
                                      "0.785398163397448", "a", "b", "1"}));
}

TEST(Avm1Global, ParseIntReadsPrefixesSignsAndOctalAsFlashDoes) {
    Asm code;
    auto parseInt = [&](const char* text, std::optional<int> radix = std::nullopt) {
        std::vector<Asm> args{Asm().str(text)};
        if (radix)
            args.push_back(Asm().i32(*radix));
        code.callFunction("parseInt", args).trace();
    };
    code.callFunction("parseInt", {}).trace();
    parseInt("0x-100");     // a sign may follow the prefix
    parseInt("0x -100");    // and so may white space
    parseInt("-0x100");     // but a sign before it is no number
    parseInt("-0x100", 36); // unless a radix is given: then "x" is a digit and the sign is lost
    parseInt("+0x123", 33); // ... and "x" is no digit of radix 33
    parseInt("0x100", 36);  // the prefix is dropped, the radix kept
    parseInt("077");
    parseInt("  077"); // octal only at the very start
    parseInt("-077");
    parseInt("077 ");
    EXPECT_EQ(run(code), (QStringList{"undefined", "-256", "-256", "NaN", "1540944", "NaN", "1296",
                                      "63", "77", "-63", "77"}));
}

TEST(Avm1Global, ParseFloatSkipsExtraPointsAndWrapsTheExponent) {
    Asm code;
    code.callFunction("parseFloat", {}).trace();
    for (const char* text : {"1.2345.678", "1.2345.6e50", "1e4294967297", "10e-", ".2E20E1",
                             "10101010e-20.0", "0xff", "Infinity", "  -2.5x"})
        code.callFunction("parseFloat", {Asm().str(text)}).trace();
    EXPECT_EQ(run(code), (QStringList{"undefined", "1.2345678", "1.23456", "10", "10", "2e+19",
                                      "1.010101e-13", "0", "NaN", "-2.5"}));
}

TEST(Avm1Global, NumbersFromTextAndTheFiniteTest) {
    Asm code;
    code.callFunction("isFinite", {}).trace();
    code.callFunction("isFinite", {Asm().str("  5")}).trace();
    code.callFunction("isFinite", {Asm().str("5  ")}).trace(); // trailing space: not a number
    code.str("  7").i32(1).op(0x0C).trace();
    EXPECT_EQ(run(code, 6), (QStringList{"false", "true", "false", "7"}));
}

TEST(Avm1Global, UnescapeSwallowsBrokenEscapesAndReadsPlusAsSpace) {
    Asm code;
    code.callFunction("unescape", {}).trace();
    for (const char* text : {"Hello+World", "One%20+mo%2re", "aaa%zz", "aaa%4zz", "aaa%4", "%u0100",
                             "%_a%@b%.c", "%%"})
        code.callFunction("unescape", {Asm().str(text)}).trace();
    EXPECT_EQ(run(code), (QStringList{"undefined", "Hello World", "One  moe", "aaaz", "aaaz", "aaa",
                                      "0100", "abc", ""}));
}

TEST(Avm1String, PositionsWrapTo32BitsAndNegativeCountsCountFromTheEnd) {
    Asm code;
    const Asm s = Asm().str("hello world");
    code.callMethod(s, "charAt", {Asm().num(4294967297.0)}).trace();
    code.callMethod(s, "indexOf", {Asm().str("o"), Asm().num(4294967301.0)}).trace();
    code.callMethod(s, "slice", {Asm().num(4294967296.0), Asm().num(4294967298.0)}).trace();
    code.callMethod(s, "substring", {Asm().num(4294967296.0), Asm().num(-4294967294.0)}).trace();
    code.callMethod(s, "substr", {Asm().i32(3), Asm().i32(-4)}).trace();
    code.callMethod(s, "substr", {Asm().i32(3), Asm().i32(-3)}).trace(); // reaches the end
    code.callMethod(s, "substr", {Asm().i32(-3), Asm().i32(-9)}).trace();
    code.callMethod(s, "substr", {}).trace();
    code.callMethod(s, "indexOf", {}).trace();
    code.callMethod(s, "indexOf", {Asm().str(""), Asm().i32(100)}).trace();
    code.callMethod(s, "lastIndexOf", {Asm().str("")}).trace();
    code.callMethod(s, "lastIndexOf", {Asm().str("o"), Asm().undef()}).trace();
    EXPECT_EQ(run(code), (QStringList{"e", "7", "he", "he", "lo worl", "", "rl", "undefined",
                                      "undefined", "-1", "11", "7"}));
}

TEST(Avm1String, VersionsDifferAtTheEdges) {
    Asm code;
    code.callMethod(Asm().str("a,b,c"), "split", {}).getMember("length").trace();
    code.callMethod(Asm().str("abc"), "charCodeAt", {Asm().i32(5)}).trace();
    EXPECT_EQ(run(code, 5), (QStringList{"3", "0"})); // Flash 5 splits at commas by default
    EXPECT_EQ(run(code, 6), (QStringList{"1", "NaN"}));
}

TEST(Avm1String, CaseChangesNeverGrowTheString) {
    Asm code;
    code.callMethod(Asm().str("straße"), "toUpperCase", {}).trace();
    code.callMethod(Asm().str("İx"), "toLowerCase", {}).getMember("length").trace();
    code.callMethod(Asm().str("\U0001D504"), "toLowerCase", {}).getMember("length").trace();
    EXPECT_EQ(run(code), (QStringList{"STRAßE", "2", "2"}));
}

TEST(Avm1Number, UnsignedShiftResultIsSignedUpToFlash8) {
    Asm code;
    code.num(4294967295.0).i32(0).op(0x65).trace();
    code.i32(-3).i32(1).op(0x65).trace();
    EXPECT_EQ(run(code, 8), (QStringList{"-1", "2147483646"}));
    EXPECT_EQ(run(code, 9), (QStringList{"4294967295", "2147483646"}));
}

TEST(Avm1Date, UtcNeedsAMonthAndCountsYearsBelow100From1900) {
    Asm code;
    code.callMethod(Asm().getVar("Date"), "UTC", {Asm().i32(1983)}).trace();
    code.callMethod(Asm().getVar("Date"), "UTC",
                    {Asm().i32(-100), Asm().i32(5), Asm().i32(25), Asm().i32(13), Asm().i32(50),
                     Asm().i32(50), Asm().i32(300)})
        .trace();
    code.callMethod(Asm().getVar("Date"), "UTC", {Asm().i32(83), Asm().i32(0)}).trace();
    EXPECT_EQ(run(code), (QStringList{"undefined", "-5349492549700", "410227200000"}));
}

TEST(Avm1Native, TheTableAndTheFunctionsThatCopyFromIt) {
    Machine m(7);
    Asm code;
    // ASnative takes exactly two arguments; (100, 4) is trace.
    code.callFunction("ASnative", {Asm().i32(100), Asm().i32(0), Asm().i32(0)}).op(0x44).trace();
    code.str("traced")
        .i32(1)
        .code(Asm().callFunction("ASnative", {Asm().i32(100), Asm().i32(4)}))
        .undef()
        .op(0x52)
        .op(0x17);
    // Each name takes the next entry, empty names included; a leading version hides a name
    // from older movies, and a leading 1 is dropped.
    code.setVar("o", Asm().newObject("Object", {}));
    code.callFunction("ASSetNative",
                      {Asm().getVar("o"), Asm().i32(200), Asm().str("1abs,,max,8sin,2x")})
        .op(0x17);
    code.callMethod(Asm().getVar("o"), "abs", {Asm().i32(-3)}).trace();
    code.callMethod(Asm().getVar("o"), "max", {Asm().i32(1), Asm().i32(9)}).trace();
    code.getVar("o").getMember("sin").op(0x44).trace();
    code.getVar("o").getMember("2x").op(0x44).trace();
    // Accessors take a getter and a setter each.
    code.setVar("p", Asm().newObject("Object", {}));
    code.callFunction("ASSetNativeAccessor",
                      {Asm().getVar("p"), Asm().i32(200), Asm().str(",r"), Asm().i32(9)})
        .op(0x17);
    code.getVar("p").getMember("r").op(0x44).trace(); // getter Math.random: a number
    EXPECT_EQ(m.run(code),
              (QStringList{"undefined", "traced", "3", "9", "undefined", "function", "number"}));
}

TEST(Avm1Math, MissingArgumentsAreNaNButNullFollowsTheVersion) {
    Asm code;
    code.callMethod(Asm().getVar("Math"), "min", {Asm().boolean(true)}).trace();
    code.callMethod(Asm().getVar("Math"), "min", {Asm().i32(2), Asm().null()}).trace();
    code.callMethod(Asm().getVar("Math"), "pow", {Asm().boolean(true)}).trace();
    code.callMethod(Asm().getVar("Math"), "pow", {Asm().i32(2)}).trace();
    // Indices Math's table lacks still give a function, which answers NaN.
    code.callFunction("ASnative", {Asm().i32(200), Asm().i32(50)}).op(0x44).trace();
    Machine six(6);
    EXPECT_EQ(six.run(code), (QStringList{"NaN", "0", "1", "NaN", "function"}));
    Machine seven(7);
    EXPECT_EQ(seven.run(code)[1], "NaN");
}

TEST(Avm1Timers, WhichArgumentsMakeATimer) {
    Machine m(7);
    Asm code;
    code.function("tick", {}, Asm());
    code.setVar("o", Asm().newObject("Object", {}));
    code.callFunction("setInterval", {Asm().getVar("tick"), Asm().undef()}).op(0x44).trace();
    code.callFunction("setInterval", {Asm().getVar("tick"), Asm().str("soon")}).op(0x44).trace();
    code.callFunction("setTimeout", {Asm().getVar("tick"), Asm().null()}).op(0x44).trace();
    code.callFunction("setInterval", {Asm().getVar("o"), Asm().i32(5)}).op(0x44).trace();
    code.callFunction("setInterval", {Asm().getVar("o"), Asm().str("tick"), Asm().undef()})
        .op(0x44)
        .trace();
    EXPECT_EQ(m.run(code),
              (QStringList{"undefined", "number", "number", "undefined", "undefined"}));
}
