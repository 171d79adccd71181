#include "ScriptFixture.h"

#include <cmath>

namespace quarvel::test {
namespace {

class GeomTest : public ScriptFixture {};

TEST_F(GeomTest, PointKeepsWhatItWasGivenAndPrintsLikeFlash) {
    EXPECT_EQ(str(make("flash.geom.Point")), "(x=0, y=0)");
    EXPECT_EQ(str(make("flash.geom.Point", {Value(1)})), "(x=1, y=undefined)");
    const Value p = make("flash.geom.Point", {Value(3), Value(4)});
    EXPECT_EQ(num(get(p, "length")), 5);
    EXPECT_EQ(str(call(p, "add", {obj({{"x", Value(1)}, {"y", Value(2)}})})), "(x=4, y=6)");
    EXPECT_EQ(str(call(p, "subtract", {Value()})), "(x=NaN, y=NaN)");
    EXPECT_EQ(str(p), "(x=3, y=4)") << "add and subtract make new points";
    const Value copy = call(p, "clone");
    EXPECT_NE(copy.object(), p.object());
    EXPECT_TRUE(call(p, "equals", {copy}).boolean());
    EXPECT_FALSE(call(p, "equals", {obj({{"x", Value(3)}, {"y", Value(4)}})}).boolean())
        << "only points equal points";
    call(p, "offset", {Value(1), Value(-1)});
    EXPECT_EQ(str(p), "(x=4, y=3)");
}

TEST_F(GeomTest, PointNormalizeAndStatics) {
    const Value p = make("flash.geom.Point", {Value(100), Value(200)});
    call(p, "normalize", {Value(10)});
    EXPECT_EQ(str(p), "(x=4.47213595499958, y=8.94427190999916)");
    const Value zero = make("flash.geom.Point");
    call(zero, "normalize", {Value(10)});
    EXPECT_EQ(str(zero), "(x=0, y=0)") << "a zero vector has no direction to keep";
    const Value odd = make("flash.geom.Point", {Value(100), Value::null()});
    call(odd, "normalize", {Value(1)});
    EXPECT_EQ(str(odd), "(x=100, y=null)");

    const Value Point = global("flash.geom.Point");
    const Value a = make("flash.geom.Point", {Value(-100), Value(-200)});
    const Value b = make("flash.geom.Point", {Value(100), Value(200)});
    EXPECT_EQ(str(call(Point, "interpolate", {a, b, Value(0.5)})), "(x=0, y=0)");
    EXPECT_EQ(str(call(Point, "interpolate", {a, b, Value(-1)})), "(x=300, y=600)");
    EXPECT_EQ(num(call(Point, "distance", {a, b})), std::sqrt(200.0 * 200 + 400 * 400));
    EXPECT_TRUE(call(Point, "distance", {obj({{"x", Value(1)}}), b}).isUndefined());
    EXPECT_EQ(str(call(Point, "polar", {Value(5), Value(std::atan(0.75))})), "(x=4, y=3)");
}

QString full(ScriptFixture& f, const Value& r, Vm& vm) {
    (void)f;
    QStringList parts;
    for (const char* n : {"top", "right", "bottom", "left", "width", "height"})
        parts << QLatin1String(n) + '=' + vm.toString(vm.getMember(r, QLatin1String(n)));
    return parts.join(", ");
}

TEST_F(GeomTest, RectangleEdgesMoveIndependently) {
    const Value r = make("flash.geom.Rectangle", {Value(1), Value(3), Value(5), Value(7)});
    EXPECT_EQ(str(r), "(x=1, y=3, w=5, h=7)");
    EXPECT_EQ(full(*this, r, vm), "top=3, right=6, bottom=10, left=1, width=5, height=7");
    set(r, "top", Value(0));
    EXPECT_EQ(full(*this, r, vm), "top=0, right=6, bottom=10, left=1, width=5, height=10");
    set(r, "left", Value(-1));
    EXPECT_EQ(full(*this, r, vm), "top=0, right=6, bottom=10, left=-1, width=7, height=10");
    set(r, "bottomRight", make("flash.geom.Point", {Value(2), Value(2)}));
    EXPECT_EQ(full(*this, r, vm), "top=0, right=2, bottom=2, left=-1, width=3, height=2");
    set(r, "size", make("flash.geom.Point", {Value(4), Value(5)}));
    EXPECT_EQ(str(get(r, "bottomRight")), "(x=3, y=5)");
    EXPECT_EQ(str(make("flash.geom.Rectangle", {Value(1)})),
              "(x=1, y=undefined, w=undefined, h=undefined)");
}

TEST_F(GeomTest, RectangleQueries) {
    const Value r = make("flash.geom.Rectangle", {Value(1), Value(3), Value(5), Value(7)});
    EXPECT_TRUE(call(r, "contains", {Value(1), Value(3)}).boolean());
    EXPECT_FALSE(call(r, "contains", {Value(6), Value(10)}).boolean()) << "right edge is out";
    EXPECT_TRUE(call(r, "contains", {Value(4), Value(std::nan(""))}).isUndefined());
    EXPECT_TRUE(call(r, "containsRectangle", {call(r, "clone")}).boolean());
    const Value other = make("flash.geom.Rectangle", {Value(3), Value(5), Value(7), Value(9)});
    EXPECT_EQ(str(call(r, "intersection", {other})), "(x=3, y=5, w=3, h=5)");
    EXPECT_EQ(str(call(r, "union", {other})), "(x=1, y=3, w=9, h=11)");
    const Value far = make("flash.geom.Rectangle", {Value(30), Value(50), Value(1), Value(1)});
    EXPECT_EQ(str(call(r, "intersection", {far})), "(x=0, y=0, w=0, h=0)");
    EXPECT_FALSE(call(r, "intersects", {far}).boolean());
    EXPECT_TRUE(call(r, "intersects", {other}).boolean());
    EXPECT_TRUE(
        call(make("flash.geom.Rectangle", {Value(1), Value(2), Value(3), Value(0)}), "isEmpty")
            .boolean());
    call(r, "inflate", {Value(1), Value(2)});
    EXPECT_EQ(str(r), "(x=0, y=1, w=7, h=11)");
    call(r, "offsetPoint", {make("flash.geom.Point", {Value(1), Value(1)})});
    EXPECT_EQ(str(r), "(x=1, y=2, w=7, h=11)");
    EXPECT_TRUE(
        call(r, "equals", {make("flash.geom.Rectangle", {Value(1), Value(2), Value(7), Value(11)})})
            .boolean());
    call(r, "setEmpty");
    EXPECT_EQ(str(r), "(x=0, y=0, w=0, h=0)");
}

TEST_F(GeomTest, MatrixArithmetic) {
    const Value m =
        make("flash.geom.Matrix", {Value(2), Value(3), Value(5), Value(7), Value(9), Value(11)});
    call(m, "invert");
    EXPECT_EQ(str(m), "(a=-7, b=3, c=5, d=-2, tx=8, ty=-5)");
    const Value t =
        make("flash.geom.Matrix", {Value(2), Value(3), Value(5), Value(7), Value(11), Value(13)});
    const Value one = make("flash.geom.Point", {Value(1), Value(1)});
    EXPECT_EQ(str(call(t, "transformPoint", {one})), "(x=18, y=23)");
    EXPECT_EQ(str(call(t, "deltaTransformPoint", {one})), "(x=7, y=10)");

    const Value c = make("flash.geom.Matrix",
                         {Value(11), Value(13), Value(17), Value(19), Value(23), Value(29)});
    call(c, "concat",
         {make("flash.geom.Matrix", {Value(3), Value(0), Value(0), Value(5), Value(0), Value(0)})});
    EXPECT_EQ(str(c), "(a=33, b=65, c=51, d=95, tx=69, ty=145)");

    const Value s =
        make("flash.geom.Matrix", {Value(2), Value(0), Value(0), Value(2), Value(100), Value(100)});
    call(s, "scale", {Value(7), Value(11)});
    EXPECT_EQ(str(s), "(a=14, b=0, c=0, d=22, tx=700, ty=1100)");
    call(s, "translate", {Value(1), Value(2)});
    EXPECT_EQ(str(s), "(a=14, b=0, c=0, d=22, tx=701, ty=1102)");

    const Value r = make("flash.geom.Matrix");
    call(r, "rotate", {Value(M_PI / 2)});
    const Value p = call(r, "transformPoint", {make("flash.geom.Point", {Value(1), Value(0)})});
    EXPECT_NEAR(num(get(p, "x")), 0, 1e-12);
    EXPECT_NEAR(num(get(p, "y")), 1, 1e-12) << "positive angles turn clockwise on screen";

    const Value g = make("flash.geom.Matrix");
    call(g, "createGradientBox", {Value(200), Value(300)});
    EXPECT_EQ(str(g), "(a=0.1220703125, b=0, c=0, d=0.18310546875, tx=100, ty=150)");
    call(g, "createBox", {Value(2), Value(3), Value(0)});
    EXPECT_EQ(str(g), "(a=2, b=0, c=0, d=3, tx=0, ty=0)");
}

TEST_F(GeomTest, SingularMatrixInvertsToSomethingFinite) {
    const Value m =
        make("flash.geom.Matrix", {Value(1), Value(2), Value(2), Value(4), Value(5), Value(6)});
    call(m, "invert");
    for (const char* n : {"a", "b", "c", "d", "tx", "ty"})
        EXPECT_TRUE(std::isfinite(num(get(m, n)))) << n;
}

TEST_F(GeomTest, ColorTransformFieldsRgbAndConcat) {
    const Value ct = make("flash.geom.ColorTransform");
    EXPECT_EQ(str(ct), "(redMultiplier=1, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
                       "redOffset=0, greenOffset=0, blueOffset=0, alphaOffset=0)");
    set(ct, "rgb", Value(0xFF1900));
    EXPECT_EQ(num(get(ct, "rgb")), 0xFF1900);
    EXPECT_EQ(num(get(ct, "redMultiplier")), 0);
    EXPECT_EQ(num(get(ct, "greenOffset")), 0x19);
    set(ct, "redOffset", Value("40"));
    EXPECT_TRUE(get(ct, "redOffset").isNumber()) << "fields are numbers whatever is stored";

    const Value a =
        make("flash.geom.ColorTransform", {Value(0.5), Value(0.5), Value(0.5), Value(0.5),
                                           Value(10), Value(20), Value(30), Value(40)});
    const Value b =
        make("flash.geom.ColorTransform", {Value(0.5), Value(0.5), Value(0.5), Value(0.5),
                                           Value(50), Value(60), Value(70), Value(80)});
    call(a, "concat", {b});
    EXPECT_EQ(str(a), "(redMultiplier=0.25, greenMultiplier=0.25, blueMultiplier=0.25, "
                      "alphaMultiplier=0.25, redOffset=35, greenOffset=50, blueOffset=65, "
                      "alphaOffset=80)");
    call(a, "concat", {obj({{"redMultiplier", Value(9)}})});
    EXPECT_EQ(num(get(a, "redMultiplier")), 0.25) << "only a real ColorTransform combines";
}

TEST_F(GeomTest, PackagesAreHiddenFromOlderMovies) {
    Vm old(7, &host);
    EXPECT_TRUE(old.getMember(Value(old.global()), QStringLiteral("flash")).isUndefined());
    EXPECT_TRUE(global("flash.geom.Point").isObject());
}

} // namespace
} // namespace quarvel::test
