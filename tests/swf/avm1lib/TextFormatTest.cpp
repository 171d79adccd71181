#include "ScriptFixture.h"

namespace quarvel::test {
namespace {

class TextFormatTest : public ScriptFixture {};

TEST_F(TextFormatTest, EverythingStartsUnset) {
    const Value tf = make("TextFormat");
    for (const char* n : {"font", "size", "color", "bold", "align", "leftMargin", "tabStops"})
        EXPECT_TRUE(get(tf, n).isNull()) << n;
    EXPECT_EQ(str(get(tf, "display")), "block");
}

TEST_F(TextFormatTest, ConstructorTruncatesAndAssignmentsRoundHalvesToEven) {
    const Value tf = make("TextFormat", {Value("Arial"), Value(-10.9), Value(-11), Value(1),
                                         Value(0), Value("yes"), Value(5), Value("_blank"),
                                         Value("CENTER"), Value(-3.5), Value(2)});
    EXPECT_EQ(num(get(tf, "size")), -10);
    EXPECT_EQ(num(get(tf, "color")), 4294967285.0);
    EXPECT_TRUE(get(tf, "bold").boolean());
    EXPECT_FALSE(get(tf, "italic").boolean());
    EXPECT_EQ(str(get(tf, "url")), "5");
    EXPECT_EQ(str(get(tf, "align")), "center");
    EXPECT_EQ(num(get(tf, "leftMargin")), -3) << "the constructor does not clamp";

    set(tf, "size", Value(2.5));
    EXPECT_EQ(num(get(tf, "size")), 2);
    set(tf, "size", Value(3.5));
    EXPECT_EQ(num(get(tf, "size")), 4);
    set(tf, "leftMargin", Value(-4));
    EXPECT_EQ(num(get(tf, "leftMargin")), 0);
    set(tf, "indent", Value(-4));
    EXPECT_EQ(num(get(tf, "indent")), -4) << "Flash 8 allows hanging indents";
    set(tf, "align", Value("sideways"));
    EXPECT_EQ(str(get(tf, "align")), "center") << "unknown alignments are ignored";
    set(tf, "font", Value(QString(100, 'f')));
    EXPECT_EQ(str(get(tf, "font")).size(), 64);
    set(tf, "bold", Value::null());
    EXPECT_TRUE(get(tf, "bold").isNull());
}

TEST_F(TextFormatTest, OlderMoviesTruncateAndClampIndents) {
    Vm seven(7, &host);
    const Value ctor = seven.getMember(Value(seven.global()), "TextFormat");
    const Value tf = seven.construct(ctor, {});
    seven.setMember(tf, "size", Value(-9.5));
    EXPECT_EQ(seven.toNumber(seven.getMember(tf, "size")), -9);
    seven.setMember(tf, "indent", Value(-4));
    EXPECT_EQ(seven.toNumber(seven.getMember(tf, "indent")), 0);
}

TEST_F(TextFormatTest, TabStopsAreACopy) {
    const Value tf = make("TextFormat");
    set(tf, "tabStops", Value(static_cast<Object*>(vm.newArray({Value(10.4), Value("20")}))));
    const Value stops = get(tf, "tabStops");
    EXPECT_EQ(str(stops), "10,20");
    set(stops, "0", Value(99));
    EXPECT_EQ(str(get(tf, "tabStops")), "10,20");
}

} // namespace
} // namespace quarvel::test
