// What keeps a hostile or broken movie from hanging or exhausting the player.

#include "Harness.h"

#include <gtest/gtest.h>

using namespace avm1test;

TEST(Avm1Bounds, EndlessLoopIsStoppedAndTheMovieGoesOn) {
    Machine m(7);
    m.vm.limits().timeoutMs = 200;
    Asm loop;
    loop.traceStr("start").whileLoop(Asm().boolean(true), Asm().i32(1).op(0x17));
    m.run(loop);
    ASSERT_EQ(m.host.status.size(), 1);
    EXPECT_TRUE(m.host.status[0].contains(QStringLiteral("脚本")));
    EXPECT_EQ(m.host.lines, QStringList{"start"});
    // The next script runs normally with a fresh allowance.
    EXPECT_EQ(m.run(Asm().traceStr("next frame")), QStringList{"next frame"});
}

TEST(Avm1Bounds, EndlessLoopInsideFunctionsAndCatchIsStillStopped) {
    Machine m(7);
    m.vm.limits().timeoutMs = 200;
    // try { f() } catch (e) {} where f loops forever: the stop cannot be caught.
    Asm code;
    code.function("f", {}, Asm().whileLoop(Asm().boolean(true), Asm()));
    const Asm handler = Asm().traceStr("caught");
    code.tryBlock(Asm().callFunction("f", {}), "e", &handler, nullptr);
    code.traceStr("after");
    EXPECT_TRUE(m.run(code).isEmpty());
    EXPECT_EQ(m.host.status.size(), 1);
}

TEST(Avm1Bounds, RecursionStopsAtTheLimit) {
    Machine m(7);
    // function r(n) { trace(n); r(n + 1) }
    Asm body;
    body.getVar("n").trace();
    body.callFunction("r", {Asm().getVar("n").op(0x50)}).op(0x17);
    Asm code;
    code.function("r", {"n"}, body);
    code.callFunction("r", {Asm().i32(0)});
    const QStringList out = m.run(code);
    ASSERT_FALSE(out.isEmpty());
    EXPECT_EQ(out.back(), "254");
    EXPECT_EQ(m.host.status.size(), 1);
    EXPECT_EQ(m.run(Asm().traceStr("ok")), QStringList{"ok"});
}

TEST(Avm1Bounds, StringsAndArraysCannotGrowWithoutBound) {
    Machine m(7);
    m.vm.limits().maxStringLength = 1 << 16;
    // s = "x"; repeat 40 times: s = s + s
    Asm code;
    code.setVar("s", Asm().str("x"));
    code.i32(0).storeReg(1).op(0x17);
    code.whileLoop(Asm().reg(1).i32(40).op(0x48),
                   Asm()
                       .setVar("s", Asm().getVar("s").getVar("s").op(0x47))
                       .reg(1)
                       .op(0x50)
                       .storeReg(1)
                       .op(0x17));
    code.getVar("s").getMember("length").trace();
    // a = []; a.length = 1e12; a[4e9] = 1 are ignored
    code.setVar("a", Asm().i32(0).op(0x42));
    code.getVar("a").str("length").num(1e12).op(0x4F);
    code.getVar("a").str("4000000000").i32(1).op(0x4F);
    code.getVar("a").getMember("length").trace();
    code.newObject("Array", {Asm().num(1e12)}).getMember("length").trace();
    EXPECT_EQ(m.run(code), (QStringList{"65536", "0", "0"}));
}

TEST(Avm1Bounds, RandomBytecodeNeverCrashes) {
    // A fixed pseudo-random sequence, so a failure can be replayed.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    for (int round = 0; round < 300; ++round) {
        Machine m(round % 2 ? 6 : 8);
        m.vm.limits().timeoutMs = 50;
        QByteArray bytes;
        const int n = 1 + next() % 64;
        for (int i = 0; i < n; ++i)
            bytes += static_cast<char>(next());
        m.runBytes(bytes);
        m.vm.runTimers();
        m.vm.collectGarbage();
    }
    SUCCEED();
}
