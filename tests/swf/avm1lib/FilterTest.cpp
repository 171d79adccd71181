#include "ScriptFixture.h"

#include "swf/avm1/ArrayObject.h"

namespace quarvel::test {
namespace {

class FilterTest : public ScriptFixture {
protected:
    Value filter(const QString& name, std::vector<Value> args = {}) {
        return make("flash.filters." + name, std::move(args));
    }
    QString array(const Value& v) {
        QStringList parts;
        if (auto* a = dynamic_cast<swf::avm1::ArrayObject*>(v.object()))
            for (const Value& e : a->elements())
                parts << str(e);
        return parts.join(',');
    }
};

TEST_F(FilterTest, DefaultsAreFlashs) {
    const Value glow = filter("GlowFilter");
    EXPECT_EQ(num(get(glow, "color")), 0xFF0000);
    EXPECT_EQ(num(get(glow, "blurX")), 6);
    EXPECT_EQ(num(get(glow, "strength")), 2);
    EXPECT_FALSE(get(glow, "inner").boolean());
    const Value shadow = filter("DropShadowFilter");
    EXPECT_EQ(num(get(shadow, "distance")), 4);
    EXPECT_EQ(num(get(shadow, "angle")), 45);
    EXPECT_EQ(num(get(shadow, "alpha")), 1);
    const Value bevel = filter("BevelFilter");
    EXPECT_EQ(str(get(bevel, "type")), "inner");
    EXPECT_EQ(num(get(bevel, "highlightColor")), 0xFFFFFF);
    EXPECT_EQ(array(get(filter("ColorMatrixFilter"), "matrix")),
              "1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0");
    const Value conv = filter("ConvolutionFilter");
    EXPECT_EQ(num(get(conv, "divisor")), 1);
    EXPECT_TRUE(get(conv, "preserveAlpha").boolean());
    const Value disp = filter("DisplacementMapFilter");
    EXPECT_EQ(str(get(disp, "mode")), "wrap");
    EXPECT_EQ(str(get(disp, "mapPoint")), "(x=0, y=0)");
    EXPECT_TRUE(get(disp, "mapBitmap").isNull());
    EXPECT_TRUE(vm.instanceOf(glow, global("flash.filters.BitmapFilter").object()));
}

TEST_F(FilterTest, AssignmentsAreClamped) {
    const Value f = filter("BevelFilter");
    set(f, "quality", Value(2.5));
    EXPECT_EQ(num(get(f, "quality")), 2);
    set(f, "quality", Value(100));
    EXPECT_EQ(num(get(f, "quality")), 15);
    set(f, "strength", Value(256));
    EXPECT_EQ(num(get(f, "strength")), 255);
    set(f, "blurX", Value(-1));
    EXPECT_EQ(num(get(f, "blurX")), 0);
    set(f, "highlightAlpha", Value(0.5));
    EXPECT_NEAR(num(get(f, "highlightAlpha")), 0.498039215686275, 1e-12);
    set(f, "highlightAlpha", Value(1.5));
    EXPECT_EQ(num(get(f, "highlightAlpha")), 1);
    set(f, "highlightColor", Value(-305419896));
    EXPECT_EQ(num(get(f, "highlightColor")), 13347208);
    set(f, "angle", Value(366));
    EXPECT_EQ(num(get(f, "angle")), 6);
    set(f, "type", Value("INNER"));
    EXPECT_EQ(str(get(f, "type")), "full");
    set(f, "knockout", Value::null());
    EXPECT_FALSE(get(f, "knockout").boolean());
    const Value blur = filter("BlurFilter", {Value(1000), Value(std::nan("")), Value(-3)});
    EXPECT_EQ(num(get(blur, "blurX")), 255);
    EXPECT_EQ(num(get(blur, "blurY")), 0);
    EXPECT_EQ(num(get(blur, "quality")), 0);
}

TEST_F(FilterTest, ColorMatrixAlwaysHasTwentyEntries) {
    const Value f = filter("ColorMatrixFilter");
    std::vector<Value> many;
    for (int i = 0; i < 21; ++i)
        many.emplace_back(i);
    set(f, "matrix", Value(static_cast<Object*>(vm.newArray(many))));
    EXPECT_EQ(array(get(f, "matrix")), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19");
    set(f, "matrix", Value::null());
    EXPECT_EQ(array(get(f, "matrix")), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19");
    set(f, "matrix", Value(static_cast<Object*>(vm.newArray({Value(true)}))));
    EXPECT_TRUE(array(get(f, "matrix")).startsWith("1,NaN,NaN"));
    // What the getter returns is a copy.
    const Value m = get(f, "matrix");
    set(m, "0", Value(99));
    EXPECT_EQ(num(get(get(f, "matrix"), "0")), 1);
}

TEST_F(FilterTest, ConvolutionMatrixFitsItsSize) {
    std::vector<Value> nine(9, Value(1));
    const Value f = filter("ConvolutionFilter",
                           {Value(3), Value(3), Value(static_cast<Object*>(vm.newArray(nine)))});
    EXPECT_EQ(array(get(f, "matrix")), "1,1,1,1,1,1,1,1,1");
    set(f, "matrixX", Value(2));
    EXPECT_EQ(array(get(f, "matrix")), "1,1,1,1,1,1");
    set(f, "matrixY", Value(1000));
    EXPECT_EQ(num(get(f, "matrixY")), 15);
    EXPECT_EQ(num(get(get(f, "matrix"), "length")), 30);
}

TEST_F(FilterTest, CloneIsIndependent) {
    const Value f =
        filter("GradientGlowFilter",
               {Value(5), Value(30),
                Value(static_cast<Object*>(vm.newArray({Value(0x1FF0000), Value(0x00FF00)}))),
                Value(static_cast<Object*>(vm.newArray({Value(2), Value(0.5)}))),
                Value(static_cast<Object*>(vm.newArray({Value(0), Value(300)})))});
    EXPECT_EQ(array(get(f, "colors")), "16711680,65280");
    EXPECT_EQ(array(get(f, "alphas")), "1,0.5");
    EXPECT_EQ(array(get(f, "ratios")), "0,255");
    const Value copy = call(f, "clone");
    EXPECT_NE(copy.object(), f.object());
    EXPECT_EQ(num(get(copy, "distance")), 5);
    EXPECT_EQ(array(get(copy, "colors")), "16711680,65280");
    set(copy, "distance", Value(9));
    EXPECT_EQ(num(get(f, "distance")), 5);
    EXPECT_TRUE(call(make("flash.filters.BitmapFilter"), "clone").isUndefined());
}

} // namespace
} // namespace quarvel::test
