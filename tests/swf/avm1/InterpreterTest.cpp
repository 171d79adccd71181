// The interpreter's actions: control flow, functions and their scopes, exceptions, with,
// enumeration, variables by path and the timeline actions.

#include "Harness.h"

#include <gtest/gtest.h>

#include <limits>

using namespace avm1test;

TEST(Avm1Interpreter, LoopsBranchesAndRegisters) {
    Machine m(7);
    Asm code;
    code.i32(0).storeReg(1).op(0x17);
    // while (r1 < 5) { trace(r1); r1++ }
    code.whileLoop(Asm().reg(1).i32(5).op(0x48),
                   Asm().reg(1).trace().reg(1).op(0x50).storeReg(1).op(0x17));
    code.boolean(true).ifThen(Asm().traceStr("yes"));
    code.boolean(false).ifThen(Asm().traceStr("no"));
    EXPECT_EQ(m.run(code), (QStringList{"0", "1", "2", "3", "4", "yes"}));
}

TEST(Avm1Interpreter, ConstantPoolAndPushTypes) {
    Machine m(7);
    Asm code;
    code.constants({"alpha", "beta"}).cst(1).trace().cst(0).trace();
    code.f32(1.5f).trace().num(-2.25).trace().i32(-7).trace().null().trace();
    code.cst(9).trace(); // outside the pool
    EXPECT_EQ(m.run(code),
              (QStringList{"beta", "alpha", "1.5", "-2.25", "-7", "null", "undefined"}));
}

TEST(Avm1Interpreter, FunctionsTakeArgumentsAndReturn) {
    Machine m(7);
    Asm code;
    code.function("add", {"a", "b"}, Asm().getVar("a").getVar("b").op(0x47).op(0x3E));
    code.callFunction("add", {Asm().i32(2), Asm().i32(3)}).trace();
    // Missing arguments are undefined; extra ones reach arguments.
    code.function("count", {"a"},
                  Asm().getVar("arguments").getMember("length").trace().getVar("a").trace());
    code.callFunction("count", {}).op(0x17);
    code.callFunction("count", {Asm().i32(1), Asm().i32(2)}).op(0x17);
    EXPECT_EQ(m.run(code), (QStringList{"5", "0", "undefined", "2", "1"}));
}

TEST(Avm1Interpreter, Function2PreloadsRegisters) {
    Machine m(7);
    Asm body;
    // registers: 1 this, 2 arguments, 3 _root, 4 _global; parameter x in register 5
    body.reg(1).op(0x44).trace();
    body.reg(2).getMember("length").trace();
    body.reg(3).op(0x44).trace();
    body.reg(4).getMember("Math").op(0x44).trace();
    body.reg(5).trace();
    Asm code;
    // flags: PreloadThis 1, PreloadArguments 4, PreloadRoot 0x40, PreloadGlobal 0x100
    code.function2("f", {{5, "x"}}, 6, 0x01 | 0x04 | 0x40 | 0x100, body);
    code.callMethod(Asm().getVar("_root"), "f", {Asm().str("arg"), Asm().i32(2)}).op(0x17);
    EXPECT_EQ(m.run(code), (QStringList{"movieclip", "2", "movieclip", "object", "arg"}));
}

TEST(Avm1Interpreter, ClosuresKeepTheirScope) {
    Machine m(7);
    Asm inner;
    inner.getVar("n").op(0x50).storeReg(0).op(0x17);
    inner.str("n").reg(0).op(0x1D).getVar("n").op(0x3E);
    Asm maker;
    maker.str("n").i32(10).op(0x3C); // var n = 10
    maker.function("", {}, inner).op(0x3E);
    Asm code;
    code.function("makeCounter", {}, maker);
    code.setVar("c", Asm().callFunction("makeCounter", {}));
    code.callFunction("c", {}).trace().callFunction("c", {}).trace();
    code.traceVar("n"); // the local never leaked onto the timeline
    EXPECT_EQ(m.run(code), (QStringList{"11", "12", "undefined"}));
}

TEST(Avm1Interpreter, TryCatchFinallyAndThrow) {
    Machine m(7);
    Asm code;
    const Asm handler = Asm().traceStr("caught").traceVar("e");
    const Asm fin = Asm().traceStr("finally");
    code.tryBlock(Asm().traceStr("try").str("boom").op(0x2A).traceStr("not here"), "e", &handler,
                  &fin);
    // Without a catch the exception still runs finally and then leaves the block.
    Asm inner;
    const Asm fin2 = Asm().traceStr("inner finally");
    inner.tryBlock(Asm().str("x").op(0x2A), std::nullopt, nullptr, &fin2);
    const Asm outerHandler = Asm().traceStr("outer caught");
    code.tryBlock(inner, "e2", &outerHandler, nullptr);
    // A throw from inside a called function reaches the caller's catch, into a register.
    code.function("thrower", {}, Asm().i32(7).op(0x2A));
    const Asm regHandler = Asm().reg(2).trace();
    code.tryBlock(Asm().callFunction("thrower", {}).op(0x17), std::nullopt, &regHandler, nullptr,
                  2);
    code.traceStr("after");
    EXPECT_EQ(m.run(code), (QStringList{"try", "caught", "boom", "finally", "inner finally",
                                        "outer caught", "7", "after"}));
}

TEST(Avm1Interpreter, UncaughtThrowEndsOnlyItsBlock) {
    Machine m(7);
    EXPECT_EQ(m.run(Asm().traceStr("a").str("x").op(0x2A).traceStr("b")), QStringList{"a"});
    EXPECT_EQ(m.run(Asm().traceStr("next")), QStringList{"next"});
}

TEST(Avm1Interpreter, ReturnInsideTryStillRunsFinally) {
    Machine m(7);
    const Asm fin = Asm().traceStr("cleanup");
    Asm body;
    body.tryBlock(Asm().i32(1).op(0x3E), std::nullopt, nullptr, &fin);
    body.traceStr("unreached");
    Asm code;
    code.function("f", {}, body);
    code.callFunction("f", {}).trace();
    EXPECT_EQ(m.run(code), (QStringList{"cleanup", "1"}));
}

TEST(Avm1Interpreter, WithPutsAnObjectInScope) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().str("a").i32(1).i32(1).op(0x43)); // {a: 1}
    code.getVar("o").with(Asm().traceVar("a").setVar("a", Asm().i32(2)).setVar("b", Asm().i32(3)));
    code.getVar("o").getMember("a").trace();
    code.traceVar("b"); // b was not on o, so it went to the timeline
    EXPECT_EQ(m.run(code), (QStringList{"1", "2", "3"}));
}

TEST(Avm1Interpreter, EnumerateListsNewestFirstAndSkipsHidden) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().newObject("Object", {}));
    for (const char* n : {"x", "y", "z"})
        code.getVar("o").str(n).i32(1).op(0x4F);
    code.getVar("o").op(0x55);
    // for (k in o) trace(k): pop until null
    Asm cond;
    cond.storeReg(0).null().op(0x49).op(0x12);
    code.whileLoop(cond, Asm().reg(0).trace());
    code.op(0x17);
    const QStringList out = m.run(code);
    EXPECT_EQ(out, (QStringList{"z", "y", "x"}));
}

TEST(Avm1Interpreter, VariablesByPath) {
    Machine m(7);
    swf::avm1::Object* child = m.vm.clipObject(m.root.addChild("mc"));
    (void)child;
    Asm code;
    code.setVar("/mc:v", Asm().i32(1));
    code.setVar("_root.mc.w", Asm().i32(2));
    code.traceVar("mc.v").traceVar("/mc:w").traceVar("_level0.mc.v");
    code.getVar("mc").getMember("_target").trace();
    code.getVar("mc").op(0x45).trace(); // targetPath
    code.traceVar("_root.nothing.v");
    EXPECT_EQ(m.run(code), (QStringList{"1", "2", "1", "/mc", "_level0.mc", "undefined"}));
}

TEST(Avm1Interpreter, SetTargetTalksToAnotherClip) {
    Machine m(7);
    TestClip* mc = m.root.addChild("mc");
    Asm code;
    code.action(0x8B, QByteArray("mc\0", 3)); // tellTarget("mc")
    code.op(0x07);                            // stop
    code.setVar("here", Asm().i32(1));
    code.action(0x8B, QByteArray("\0", 1)); // back
    code.traceVar("here").traceVar("mc.here");
    EXPECT_EQ(m.run(code), (QStringList{"undefined", "1"}));
    EXPECT_FALSE(mc->playing);
    EXPECT_TRUE(m.root.playing);
}

TEST(Avm1Interpreter, AnEmptyPathIsTheTimelineBeingTalkedTo) {
    Machine m(7);
    m.root.addChild("mc");
    Asm code;
    code.str("mc").op(0x20);               // tellTarget("mc") by SetTarget2
    code.str("").i32(13).op(0x22).trace(); // getProperty("", _name)
    code.str("").op(0x20);                 // an empty target goes back
    code.str("").i32(13).op(0x22).trace();
    EXPECT_EQ(m.run(code), (QStringList{"mc", ""}));
}

TEST(Avm1Interpreter, AFunctionCalledByItsPathRunsOnWhereThePathLed) {
    Machine m(7);
    m.root.addChild("mc");
    Asm code;
    code.getVar("mc").str("f").function("", {},
                                        Asm().getVar("this").getVar("mc").op(0x66).op(0x3E));
    code.op(0x4F);
    code.i32(0).str("mc.f").op(0x3D).trace(); // CallFunction "mc.f"
    code.i32(0).str("_root.mc.f").op(0x3D).trace();
    EXPECT_EQ(m.run(code), (QStringList{"true", "true"}));
}

TEST(Avm1Interpreter, TimelineActions) {
    Machine m(7);
    m.root.labels["end"] = 9;
    m.run(Asm().op(0x07));
    EXPECT_FALSE(m.root.playing);
    m.run(Asm().action(0x81, QByteArray("\x04\x00", 2))); // gotoAndStop(5)
    EXPECT_EQ(m.root.current, 5);
    m.run(Asm().op(0x04)); // nextFrame
    EXPECT_EQ(m.root.current, 6);
    m.run(Asm().op(0x05).op(0x05)); // prevFrame twice
    EXPECT_EQ(m.root.current, 4);
    m.run(Asm().action(0x8C, QByteArray("END\0", 4))); // gotoLabel, any case
    EXPECT_EQ(m.root.current, 9);
    m.run(Asm().i32(3).action(0x9F, QByteArray("\x01", 1))); // gotoAndPlay(3)
    EXPECT_EQ(m.root.current, 3);
    EXPECT_TRUE(m.root.playing);
    m.run(Asm().str("end").action(0x9F, QByteArray("\x00", 1)));
    EXPECT_EQ(m.root.current, 9);
    EXPECT_FALSE(m.root.playing);
    EXPECT_EQ(m.run(Asm().getVar("_root").getMember("_currentframe").trace()), QStringList{"9"});
}

TEST(Avm1Interpreter, PropertiesByIndex) {
    Machine m(7);
    m.root.addChild("mc");
    Asm code;
    code.str("mc").i32(0).i32(25).op(0x23);  // setProperty("mc", _x, 25)
    code.str("mc").i32(0).op(0x22).trace();  // getProperty("mc", _x)
    code.str("mc").i32(13).op(0x22).trace(); // _name
    code.str("").i32(11).op(0x22).trace();   // _target of this clip
    EXPECT_EQ(m.run(code), (QStringList{"25", "mc", "/"}));
}

TEST(Avm1Interpreter, GetUrlGoesToTheClip) {
    Machine m(7);
    QByteArray payload("http://example.com/\0_blank\0", 27);
    m.run(Asm().action(0x83, payload));
    m.run(Asm().str("page.html").str("_self").action(0x9A, QByteArray("\x00", 1)));
    EXPECT_EQ(m.root.gotUrls, (QStringList{"http://example.com/|_blank", "page.html|_self"}));
}

TEST(Avm1Interpreter, MalformedCodeStopsCleanly) {
    Machine m(7);
    // An action whose length runs past the block, a push of an unknown type, a jump far away,
    // and a function whose body is longer than the block: none may read past the end.
    EXPECT_TRUE(m.runBytes(QByteArray("\x96\xff\x00\x00", 4)).isEmpty());
    EXPECT_EQ(m.runBytes(QByteArray("\x96\x02\x00\x0b\x01\x26\x00", 7)), QStringList{"undefined"});
    EXPECT_TRUE(m.runBytes(QByteArray("\x99\x02\x00\xff\x7f", 5)).isEmpty());
    EXPECT_TRUE(m.runBytes(QByteArray("\x9b\x07\x00"
                                      "f\0\0\0\xff\xff\x00",
                                      10))
                    .isEmpty());
    // Popping an empty stack gives undefined rather than failing.
    EXPECT_EQ(m.run(Asm().op(0x17).op(0x17).trace()), QStringList{"undefined"});
    EXPECT_EQ(m.run(Asm().traceStr("still fine")), QStringList{"still fine"});
}

TEST(Avm1Interpreter, LevelLikeNamesThatAreNotLevels) {
    Machine m(7);
    Asm code;
    code.getVar("_root").getMember("_level").trace();
    code.getVar("_root").getMember("_levelx").trace();
    code.getVar("_root").str("_levelx").i32(3).op(0x4F);
    code.getVar("_root").getMember("_levelx").trace();
    code.getVar("_level0").op(0x44).trace();
    code.getVar("_level9").op(0x44).trace();
    EXPECT_EQ(m.run(code), (QStringList{"undefined", "undefined", "3", "movieclip", "undefined"}));
}

TEST(Avm1Interpreter, TryBlocksWithAClearFlagHaveNoLength) {
    Machine m(7);
    // try { throw "Try" } finally-only, but the catch size field still says 6 bytes: those
    // bytes are the finally block, so "Catch" is what leaves the statement.
    const Asm tryBody = Asm().str("Try").op(0x2A);
    const Asm catchBody = Asm().str("Catch").op(0x2A);
    const Asm finallyBody = Asm().str("Finally").op(0x2A);
    Asm inner;
    QByteArray p;
    p += char(2);
    for (int size : {tryBody.size(), catchBody.size(), finallyBody.size()}) {
        p += char(size & 0xFF);
        p += char(size >> 8);
    }
    p += QByteArray("e\0", 2);
    inner.action(0x8F, p).code(tryBody).code(catchBody).code(finallyBody);
    const Asm handler = Asm().traceVar("e");
    Asm code;
    code.tryBlock(inner, "e", &handler, nullptr);
    EXPECT_EQ(m.run(code), QStringList{"Catch"});
}

TEST(Avm1Interpreter, JumpingOutOfACatchSkipsFinally) {
    Machine m(7);
    const Asm after = Asm().traceStr("skipped");
    const Asm fin = Asm().traceStr("finally");
    Asm handler;
    handler.traceStr("caught").jump(static_cast<int16_t>(fin.size() + after.size()));
    Asm code;
    code.tryBlock(Asm().str("x").op(0x2A), "e", &handler, &fin);
    code.code(after).traceStr("end");
    EXPECT_EQ(m.run(code), (QStringList{"caught", "end"}));
}

TEST(Avm1Interpreter, ResolveAnswersForMissingMembers) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().newObject("Object", {}));
    code.getVar("o").str("__resolve");
    code.function("", {"n"}, Asm().str("r:").getVar("n").op(0x47).op(0x3E));
    code.op(0x4F);
    code.getVar("o").getMember("missing").trace();
    code.getVar("o").str("here").i32(1).op(0x4F);
    code.getVar("o").getMember("here").trace();
    code.callMethod(Asm().getVar("o"), "asked", {}).trace();
    // Inside with, an unknown name is asked of the object too.
    code.getVar("o").with(Asm().traceVar("inner"));
    // A __resolve that is not a function answers nothing.
    code.setVar("p", Asm().newObject("Object", {}));
    code.getVar("p").str("__resolve").i32(3).op(0x4F);
    code.getVar("p").getMember("missing").trace();
    EXPECT_EQ(m.run(code), (QStringList{"r:missing", "1", "undefined", "r:inner", "undefined"}));
}

TEST(Avm1Interpreter, SuperExistsOnlyInMethodsOfSwf6AndLater) {
    for (int version : {5, 7}) {
        Machine m(version);
        Asm code;
        code.function("f", {}, Asm().getVar("super").op(0x44).op(0x3E));
        code.callFunction("f", {}).trace(); // a plain call
        code.setVar("o", Asm().newObject("Object", {}));
        code.getVar("o").str("m").getVar("f").op(0x4F);
        code.callMethod(Asm().getVar("o"), "m", {}).trace();
        const QString method =
            version >= 6 ? QStringLiteral("object") : QStringLiteral("undefined");
        EXPECT_EQ(m.run(code), (QStringList{"undefined", method})) << version;
    }
}

TEST(Avm1Interpreter, SetTargetPathsStartFromTheCodesOwnTimeline) {
    Machine m(7);
    TestClip* a = m.root.addChild("a");
    a->addChild("a");
    Asm code;
    code.action(0x8B, QByteArray("a\0", 2));
    code.action(0x8B, QByteArray("a\0", 2)); // still _level0.a, not _level0.a.a
    code.traceVar("_target");
    code.action(0x8B, QByteArray("\0", 1));
    EXPECT_EQ(m.run(code), QStringList{"/a"});
}

TEST(Avm1Interpreter, LaterMovieClipMethodsAreHiddenFromOlderMovies) {
    for (int version : {5, 6, 7}) {
        Machine m(version);
        Asm code;
        for (const char* name : {"createEmptyMovieClip", "getNextHighestDepth", "createTextField"})
            code.getVar("_root").getMember(name).op(0x44).trace();
        const QStringList expected{version >= 6 ? "function" : "undefined",
                                   version >= 7 ? "function" : "undefined", "function"};
        EXPECT_EQ(m.run(code), expected) << version;
    }
}

TEST(Avm1Interpreter, GetSwfVersionAnswersForClipsAndMinusOneForOthers) {
    Machine m(6);
    Asm code;
    code.callMethod(Asm().getVar("_root"), "getSWFVersion", {}).trace();
    code.setVar("f", Asm().getVar("_root").getMember("getSWFVersion"));
    code.callMethod(Asm().getVar("f"), "call", {Asm().newObject("Object", {})}).trace();
    EXPECT_EQ(m.run(code), (QStringList{"6", "-1"}));
}

TEST(Avm1Interpreter, CloneSpriteTakesTheDepthTheCompilerOffset) {
    Machine m(6);
    TestClip* foo = m.root.addChild("foo");
    Asm code;
    // duplicateMovieClip("foo", "foo2", 40) compiles to a push of 40 + 16384.
    code.str("foo").str("foo2").i32(40).i32(16384).op(0x0A).op(0x24);
    m.run(code);
    EXPECT_EQ(foo->duplicates, QStringList{"foo2@40"});
}

TEST(Avm1Interpreter, GotoMethodsFollowAPathBeforeTheFrame) {
    Machine m(7);
    TestClip* test = m.root.addChild("test");
    Asm code;
    code.callMethod(Asm().getVar("test"), "gotoAndStop", {Asm().str("/:5")});
    code.callMethod(Asm().getVar("test"), "gotoAndPlay", {Asm().str("3")});
    m.run(code);
    EXPECT_EQ(m.root.current, 5);
    EXPECT_FALSE(m.root.playing);
    EXPECT_EQ(test->current, 3);
    EXPECT_TRUE(test->playing);
}

TEST(Avm1Interpreter, StreamedVideoClassesArriveWithSwf6) {
    for (int version : {5, 6}) {
        Machine m(version);
        Asm code;
        for (const char* name : {"NetConnection", "NetStream", "Video"})
            code.getVar(name).op(0x44).trace();
        const char* kind = version >= 6 ? "function" : "undefined";
        EXPECT_EQ(m.run(code), (QStringList{kind, kind, kind})) << version;
    }
}

TEST(Avm1Interpreter, ThisIsALocalThatRegisterFunctionsDoNotHave) {
    // "this" is found whatever its case before Flash 7; a function that preloads it into a
    // register has no local of that name, and the name reaches the timeline from Flash 6 on.
    Asm body;
    body.getVar("THIS").op(0x44).trace();
    Asm plain;
    plain.getVar("tHiS").op(0x44).trace();
    Asm code;
    code.getVar("This").op(0x44).trace();
    code.function2("f", {}, 2, 0x01 | 0x08 | 0x20, body);
    code.function("g", {}, plain);
    code.newObject("f", {}).op(0x17);
    code.newObject("g", {}).op(0x17);
    for (int version : {5, 6}) {
        Machine m(version);
        const QStringList lines = m.run(code);
        EXPECT_EQ(lines,
                  (QStringList{"movieclip", version == 5 ? "undefined" : "movieclip", "object"}))
            << "version " << version;
    }
}

TEST(Avm1Interpreter, DeleteByPathAndOwnPropertyNames) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().i32(0).op(0x43));
    code.getVar("o").str("a").i32(1).op(0x4F);
    code.getVar("o").str("").i32(2).op(0x4F);
    code.callMethod(Asm().getVar("o"), "hasOwnProperty", {Asm().str("a")}).trace();
    code.callMethod(Asm().getVar("o"), "hasOwnProperty", {Asm().str("")}).trace();
    code.callMethod(Asm().getVar("o"), "hasOwnProperty", {}).trace();
    code.str("o.a").op(0x3B).trace(); // delete2 through a path
    code.getVar("o").getMember("a").trace();
    code.str("o.nothing.a").op(0x3B).trace();
    EXPECT_EQ(m.run(code), (QStringList{"true", "false", "false", "true", "undefined", "false"}));
}

TEST(Avm1Interpreter, ClipsShowGlobalAsAMemberFromFlash6) {
    Asm code;
    code.getVar("_root").getMember("_global").getVar("_global").op(0x66).trace();
    code.getVar("_root").getMember("_global").op(0x44).trace();
    Machine m6(6);
    EXPECT_EQ(m6.run(code), (QStringList{"true", "object"}));
    Machine m5(5);
    EXPECT_EQ(m5.run(code), (QStringList{"true", "undefined"}));
}

TEST(Avm1Interpreter, FunctionsAreCalledOnTheScopeObjectTheyWereFoundOn) {
    Machine m(6);
    // var a = 5; var getRef = function () { trace(this.a); }; getRef();  inside test()
    Asm inner;
    inner.getVar("this").getMember("a").trace();
    Asm outer;
    outer.str("a").i32(5).op(0x3C); // DefineLocal
    outer.str("getRef").function("", {}, inner).op(0x3C);
    outer.callFunction("getRef", {}).op(0x17);
    Asm code;
    code.setVar("a", Asm().i32(4));
    code.function("test", {}, outer);
    code.callFunction("test", {}).op(0x17);
    EXPECT_EQ(m.run(code), QStringList{"5"});
}

TEST(Avm1Interpreter, CallAndApplyWithoutAnObjectUseTheGlobalOne) {
    Machine m(7);
    Asm body;
    body.getVar("this").getVar("_global").op(0x66).trace();
    body.getVar("arguments").getMember("length").trace();
    Asm code;
    code.function("f", {}, body);
    code.callMethod(Asm().getVar("f"), "call", {Asm().undef(), Asm().i32(1)}).op(0x17);
    // Any object with a length passes as the argument list.
    code.setVar("args", Asm().i32(0).op(0x43));
    code.getVar("args").str("length").i32(2).op(0x4F);
    code.callMethod(Asm().getVar("f"), "apply", {Asm().null(), Asm().getVar("args")}).op(0x17);
    // A method call with no name calls the object itself, on no object at all.
    code.callMethod(Asm().getVar("f"), "", {}).op(0x17);
    EXPECT_EQ(m.run(code), (QStringList{"true", "1", "true", "2", "false", "0"}));
}

TEST(Avm1Interpreter, TheGlobalObjectHasNoPrototypeAndConvertsOnlyAsItsType) {
    Machine m(7);
    Asm code;
    code.getVar("_global").trace();                     // text: its type
    code.str("is ").getVar("_global").op(0x47).trace(); // a value: none at all
    code.getVar("_global").getMember("hasOwnProperty").op(0x44).trace();
    code.getVar("_global").getMember("Math").op(0x44).trace(); // its own members still there
    EXPECT_EQ(m.run(code), (QStringList{"[type Object]", "is undefined", "undefined", "object"}));
}

TEST(Avm1Interpreter, PathsPreferChildClipsAndSlashPathsNameOnlyClips) {
    Machine m(7);
    TestClip* a = m.root.addChild("a");
    a->addChild("a");
    Asm code;
    code.getVar("a").str("a").i32(842).op(0x4F); // the clip's own variable a
    code.setVar("a", Asm().i32(0).op(0x43));     // and a variable a beside the clip
    code.getVar("a").str("a").i32(42).op(0x4F);
    for (const char* name : {"a", "a.a", "/a", "a/", "a/a", "a/.a", "/:a", "a.", ":a", "//", ":a:a",
                             "a/_level0", ".a"})
        code.traceVar(name);
    // A name with slashes alone is set as a variable of that very name.
    code.setVar("x/y", Asm().i32(5));
    code.traceVar("x/y");
    code.getVar("this").getMember("x/y").trace();
    EXPECT_EQ(m.run(code),
              (QStringList{"[object Object]", "842", "_level0.a", "_level0.a", "_level0.a.a", "842",
                           "[object Object]", "undefined", "undefined", "undefined", "842",
                           "_level0", "undefined", "5", "5"}));
}

TEST(Avm1Interpreter, Flash5FunctionsHaveNoClosures) {
    // function f() { var foo = "f"; return function () { trace(foo); }; } foo = "root"; f()();
    Asm inner;
    inner.traceVar("foo");
    Asm outer;
    outer.str("foo").str("f").op(0x3C);
    outer.function("", {}, inner).op(0x3E);
    Asm code;
    code.function("f", {}, outer);
    code.setVar("foo", Asm().str("root"));
    code.setVar("g", Asm().callFunction("f", {}));
    code.callFunction("g", {}).op(0x17);
    Machine m5(5);
    EXPECT_EQ(m5.run(code), QStringList{"root"});
    Machine m6(6);
    EXPECT_EQ(m6.run(code), QStringList{"f"});
}

TEST(Avm1Interpreter, StringExtractWrapsItsNumbersTo32Bits) {
    Machine m(7);
    Asm code;
    code.str("hello").i32(2).i32(3).op(0x15).trace();
    code.str("hello").i32(2).num(std::numeric_limits<double>::infinity()).op(0x15).trace();
    code.str("hello").num(4294967298.0).i32(2).op(0x15).trace(); // index 2
    EXPECT_EQ(m.run(code), (QStringList{"ell", "", "el"}));
}

TEST(Avm1Interpreter, DottedNamesFallBackToTheNextScopeThatHasTheWholePath) {
    Machine m(8);
    auto object = [](const char* name, const Asm& value) {
        return Asm().str(name).code(value).i32(1).op(0x43);
    };
    Asm code;
    code.getVar("_global").str("a").code(object("b", object("c", Asm().str("global")))).op(0x4F);
    code.setVar("a", object("b", Asm().i32(0).op(0x43))); // a.b here, but no a.b.c
    code.traceVar("a.b.c");
    code.setVar("a", object("b", Asm().str("here")));
    code.traceVar("a.b");
    EXPECT_EQ(m.run(code), (QStringList{"global", "here"}));
}

TEST(Avm1Interpreter, WithBoxesAPrimitiveAndSkipsNothing) {
    Machine m(7);
    Asm code;
    code.str("STRING").with(Asm().traceVar("length"));
    code.undef().with(Asm().traceStr("never"));
    code.traceStr("after");
    EXPECT_EQ(m.run(code), (QStringList{"6", "after"}));
}

TEST(Avm1Interpreter, ScriptsMaySetThis) {
    Machine m(7);
    Asm body;
    body.setVar("this", Asm().null());
    body.getVar("this").op(0x44).trace();
    Asm code;
    code.function("f", {}, body);
    code.setVar("this", Asm().str("test"));
    code.getVar("this").op(0x44).trace();
    code.callFunction("f", {}).op(0x17);
    code.getVar("this").trace();
    EXPECT_EQ(m.run(code), (QStringList{"string", "null", "test"}));
}
