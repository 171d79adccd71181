// Objects: prototype chains, classes, property flags, getters and setters, watches, and the
// collection of objects nothing refers to.

#include "Harness.h"

#include <gtest/gtest.h>

using namespace avm1test;

namespace {

// function Base(n) { this.n = n } Base.prototype.who = function () { return "base " + this.n }
Asm defineBase() {
    Asm a;
    a.function("Base", {"n"}, Asm().getVar("this").str("n").getVar("n").op(0x4F));
    a.getVar("Base").getMember("prototype").str("who");
    a.function("", {}, Asm().str("base ").getVar("this").getMember("n").op(0x47).op(0x3E));
    a.op(0x4F);
    return a;
}

} // namespace

TEST(Avm1Objects, ConstructorsAndPrototypes) {
    Machine m(7);
    Asm code = defineBase();
    code.setVar("b", Asm().newObject("Base", {Asm().i32(4)}));
    code.callMethod(Asm().getVar("b"), "who", {}).trace();
    code.getVar("b").getVar("Base").op(0x54).trace(); // instanceof
    code.getVar("b").getMember("__proto__").getVar("Base").getMember("prototype").op(0x66).trace();
    code.getVar("b").getMember("__constructor__").getVar("Base").op(0x66).trace();
    EXPECT_EQ(m.run(code), (QStringList{"base 4", "true", "true", "true"}));
}

TEST(Avm1Objects, ExtendsAndSuper) {
    Machine m(7);
    Asm code = defineBase();
    // function Sub(n) { super(n * 2) } Sub extends Base; Sub.prototype.who = function () {
    //   return "sub/" + super.who() }
    Asm ctor;
    ctor.getVar("n").i32(2).op(0x0C).i32(1).getVar("super").undef().op(0x52).op(0x17);
    code.function("Sub", {"n"}, ctor);
    code.getVar("Sub").getVar("Base").op(0x69);
    code.getVar("Sub").getMember("prototype").str("who");
    Asm who;
    who.str("sub/").code(Asm().callMethod(Asm().getVar("super"), "who", {})).op(0x47).op(0x3E);
    code.function("", {}, who).op(0x4F);
    code.setVar("s", Asm().newObject("Sub", {Asm().i32(5)}));
    code.callMethod(Asm().getVar("s"), "who", {}).trace();
    code.getVar("s").getVar("Base").op(0x54).trace();
    code.getVar("s").getVar("Sub").op(0x54).trace();
    // cast: the object when it is an instance, null otherwise
    code.getVar("Sub").getVar("s").op(0x2B).op(0x44).trace();
    code.getVar("Sub").newObject("Object", {}).op(0x2B).trace();
    EXPECT_EQ(m.run(code), (QStringList{"sub/base 10", "true", "true", "object", "null"}));
}

TEST(Avm1Objects, ImplementsMakesInstanceofTrue) {
    Machine m(7);
    Asm code;
    code.function("Iface", {}, Asm());
    code.function("Impl", {}, Asm());
    code.getVar("Iface").i32(1).getVar("Impl").op(0x2C);
    code.newObject("Impl", {}).getVar("Iface").op(0x54).trace();
    code.newObject("Object", {}).getVar("Iface").op(0x54).trace();
    EXPECT_EQ(m.run(code), (QStringList{"true", "false"}));
}

TEST(Avm1Objects, PropertyFlagsHideProtectAndFreeze) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().str("a").i32(1).str("b").i32(2).str("c").i32(3).i32(3).op(0x43));
    // ASSetPropFlags(o, "a", 1) hides a; (o, ["b"], 2) protects b; (o, "c", 4) freezes c
    code.callFunction("ASSetPropFlags", {Asm().getVar("o"), Asm().str("a"), Asm().i32(1)}).op(0x17);
    code.callFunction("ASSetPropFlags",
                      {Asm().getVar("o"), Asm().str("b").i32(1).op(0x42), Asm().i32(2)})
        .op(0x17);
    code.callFunction("ASSetPropFlags", {Asm().getVar("o"), Asm().str("c"), Asm().i32(4)}).op(0x17);
    code.getVar("o").op(0x55);
    Asm cond;
    cond.storeReg(0).null().op(0x49).op(0x12);
    code.whileLoop(cond, Asm().reg(0).trace());
    code.op(0x17);
    code.getVar("o").str("b").op(0x3A).trace(); // delete o.b: refused
    code.getVar("o").str("a").op(0x3A).trace(); // hidden, but deletable
    code.getVar("o").str("c").i32(99).op(0x4F);
    code.getVar("o").getMember("c").trace();
    code.getVar("o").getMember("b").trace();
    // Object literals define their last property first, so they enumerate in source order.
    EXPECT_EQ(m.run(code), (QStringList{"b", "c", "false", "true", "3", "2"}));
}

TEST(Avm1Objects, VersionFlagsHideFromOlderMovies) {
    for (int version : {5, 6, 7}) {
        Machine m(version);
        Asm code;
        code.setVar("o", Asm().str("p").i32(1).i32(1).op(0x43));
        // 0x400: only SWF 7 and later see it
        code.callFunction("ASSetPropFlags", {Asm().getVar("o"), Asm().str("p"), Asm().i32(0x400)})
            .op(0x17);
        code.getVar("o").getMember("p").op(0x44).trace();
        EXPECT_EQ(m.run(code), QStringList{version >= 7 ? "number" : "undefined"}) << version;
    }
}

TEST(Avm1Objects, AddPropertyGettersAndSetters) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().newObject("Object", {}));
    Asm getter = Asm().traceStr("get").getVar("this").getMember("_v").op(0x3E);
    Asm setter =
        Asm().traceStr("set").getVar("this").str("_v").getVar("x").i32(10).op(0x0C).op(0x4F);
    code.function("g", {}, getter).function("s", {"x"}, setter);
    code.callMethod(Asm().getVar("o"), "addProperty",
                    {Asm().str("v"), Asm().getVar("g"), Asm().getVar("s")})
        .trace();
    code.getVar("o").str("v").i32(4).op(0x4F);
    code.getVar("o").getMember("v").trace();
    // An object inheriting from o uses the same accessors, with itself as this.
    code.setVar("k", Asm().newObject("Object", {}));
    code.getVar("k").str("__proto__").getVar("o").op(0x4F);
    code.getVar("k").str("v").i32(1).op(0x4F);
    code.getVar("k").getMember("v").trace();
    code.getVar("o").getMember("v").trace();
    // A getter without a function is refused.
    code.callMethod(Asm().getVar("o"), "addProperty", {Asm().str("w"), Asm().null(), Asm().null()})
        .trace();
    EXPECT_EQ(m.run(code),
              (QStringList{"true", "set", "get", "40", "set", "get", "10", "get", "40", "false"}));
}

TEST(Avm1Objects, AccessorsTakeThePlaceOfAnArraysLengthAndElements) {
    Machine m(7);
    Asm code;
    code.function("ten", {}, Asm().i32(10).op(0x3E));
    code.setVar("a", Asm().newObject("Array", {Asm().i32(3)}));
    code.callMethod(Asm().getVar("a"), "addProperty",
                    {Asm().str("length"), Asm().getVar("ten"), Asm().null()})
        .op(0x17);
    code.getVar("a").getMember("length").trace();
    // push still counts the elements the array really holds.
    code.callMethod(Asm().getVar("a"), "push", {Asm().i32(1)}).trace();
    code.setVar("b", Asm().newObject("Array", {Asm().i32(7), Asm().i32(8)}));
    code.callMethod(Asm().getVar("b"), "addProperty",
                    {Asm().str("1"), Asm().getVar("ten"), Asm().null()})
        .op(0x17);
    code.getVar("b").getMember("1").trace();
    code.getVar("b").getMember("0").trace();
    EXPECT_EQ(m.run(code), (QStringList{"10", "4", "10", "7"}));
}

TEST(Avm1Objects, WatchSeesAndChangesWrites) {
    Machine m(7);
    Asm code;
    code.setVar("o", Asm().newObject("Object", {}));
    // watcher(prop, old, new, data) { trace(prop + ":" + old + ">" + new + "/" + data); return
    //   new * 2 }
    Asm watcher;
    watcher.getVar("prop").str(":").op(0x47).getVar("old").op(0x47).str(">").op(0x47);
    watcher.getVar("nv").op(0x47).str("/").op(0x47).getVar("data").op(0x47).trace();
    watcher.getVar("nv").i32(2).op(0x0C).op(0x3E);
    code.function("w", {"prop", "old", "nv", "data"}, watcher);
    code.callMethod(Asm().getVar("o"), "watch", {Asm().str("x"), Asm().getVar("w"), Asm().str("d")})
        .op(0x17);
    code.getVar("o").str("x").i32(3).op(0x4F);
    code.getVar("o").getMember("x").trace();
    code.callMethod(Asm().getVar("o"), "unwatch", {Asm().str("x")}).trace();
    code.getVar("o").str("x").i32(5).op(0x4F);
    code.getVar("o").getMember("x").trace();
    EXPECT_EQ(m.run(code), (QStringList{"x:undefined>3/d", "6", "true", "5"}));
}

TEST(Avm1Objects, FunctionCallAndApply) {
    Machine m(7);
    Asm code;
    code.function(
        "f", {"a", "b"},
        Asm().getVar("this").getMember("tag").getVar("a").op(0x47).getVar("b").op(0x47).op(0x3E));
    code.setVar("o", Asm().str("tag").str("T").i32(1).op(0x43));
    code.callMethod(Asm().getVar("f"), "call", {Asm().getVar("o"), Asm().i32(1), Asm().i32(2)})
        .trace();
    code.callMethod(Asm().getVar("f"), "apply",
                    {Asm().getVar("o"), Asm().i32(4).i32(3).i32(2).op(0x42)})
        .trace();
    EXPECT_EQ(m.run(code), (QStringList{"T12", "T34"}));
}

TEST(Avm1Objects, PrototypeLoopsDoNotHang) {
    Machine m(7);
    Asm code;
    code.setVar("a", Asm().newObject("Object", {}));
    code.setVar("b", Asm().newObject("Object", {}));
    code.getVar("a").str("__proto__").getVar("b").op(0x4F);
    code.getVar("b").str("__proto__").getVar("a").op(0x4F);
    code.getVar("a").getMember("missing").trace();
    m.run(code);
    // The lookup was abandoned; the movie keeps running.
    EXPECT_EQ(m.run(Asm().traceStr("alive")), QStringList{"alive"});
}

TEST(Avm1Objects, UnreachableObjectsAreCollected) {
    Machine m(7);
    // Each run makes a cycle of two objects and forgets it, as a looping movie might.
    Asm code;
    code.setVar("a", Asm().newObject("Object", {}));
    code.setVar("b", Asm().newObject("Object", {}));
    code.getVar("a").str("other").getVar("b").op(0x4F);
    code.getVar("b").str("other").getVar("a").op(0x4F);
    code.setVar("keep", Asm().str("x").i32(1).i32(1).op(0x43));
    m.run(code);
    m.vm.collectGarbage();
    const std::size_t base = m.vm.heap().size();
    for (int i = 0; i < 200; ++i) {
        m.run(code);
        m.vm.collectGarbage();
    }
    EXPECT_LE(m.vm.heap().size(), base + 5);
    // What the timeline still holds survives.
    EXPECT_EQ(m.run(Asm().getVar("keep").getMember("x").trace()), QStringList{"1"});
}

TEST(Avm1Objects, ClipObjectsFindTheirClipAgainByPath) {
    Machine m(7);
    m.root.addChild("mc");
    Asm code;
    code.setVar("ref", Asm().getVar("mc"));
    code.getVar("ref").str("_x").i32(7).op(0x4F);
    m.run(code);
    // The clip goes away: the reference resolves to nothing...
    auto old = m.root.takeChild("mc");
    m.vm.clipRemoved(old.get());
    EXPECT_EQ(m.run(Asm().getVar("ref").getMember("_x").trace()), QStringList{"undefined"});
    // ...until a clip of the same name takes its place.
    TestClip* again = m.root.addChild("mc");
    again->props[0] = swf::avm1::Value(3);
    EXPECT_EQ(m.run(Asm().getVar("ref").getMember("_x").trace()), QStringList{"3"});
}
