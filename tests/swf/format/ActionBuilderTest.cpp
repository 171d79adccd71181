// The script writer's encodings, checked against the byte layouts of the file format, since
// every engine suite trusts them.

#include "tests/support/ActionBuilder.h"

#include <gtest/gtest.h>

using testsupport::ActionBuilder;
using testsupport::PushValue;

namespace {

QByteArray hex(const char* h) {
    return QByteArray::fromHex(h);
}

} // namespace

TEST(ActionBuilder, PushesEveryTypeInOneAction) {
    const QByteArray code = ActionBuilder()
                                .push({"ab", PushValue::f32(1.0f), PushValue::null(),
                                       PushValue::undefined(), PushValue::reg(3), true, 0.5, -2,
                                       PushValue::constant(7), PushValue::constant(300)})
                                .bytes();
    EXPECT_EQ(code, hex("96"
                        "2200"
                        "00616200"
                        "010000803f"
                        "02"
                        "03"
                        "0403"
                        "0501"
                        "060000e03f00000000" // high half first
                        "07feffffff"
                        "0807"
                        "092c01"));
}

TEST(ActionBuilder, JumpsAndBranchesCountFromTheEndOfTheirAction) {
    ActionBuilder a;
    a.label("top").push(true).ifTrue("out").jump("top").label("out").stop();
    // push(true) is 5 bytes, If 5, Jump 5: If skips the jump (+5), Jump goes back 15.
    EXPECT_EQ(a.finish(), hex("9602000501"
                              "9d02000500"
                              "990200f1ff"
                              "07"
                              "00"));
    ActionBuilder bad;
    bad.jump("nowhere");
    EXPECT_THROW(bad.bytes(), std::logic_error);
}

TEST(ActionBuilder, FunctionsTryAndWithCarryTheirBodiesSizes) {
    ActionBuilder body;
    body.push("x").getVariable().returnOp();
    const QByteArray bodyBytes = body.bytes();
    const QByteArray f = ActionBuilder().defineFunction("f", {"x"}, body).bytes();
    ASSERT_EQ(bodyBytes, hex("960300007800"
                             "1c"
                             "3e"));
    EXPECT_EQ(f, hex("9b0800"
                     "6600"
                     "0100"
                     "7800"
                     "0800") +
                     bodyBytes);

    const QByteArray f2 =
        ActionBuilder()
            .defineFunction2("g", 3,
                             testsupport::fn2::PreloadThis | testsupport::fn2::SuppressArguments,
                             {{1, "a"}, {0, "b"}}, body)
            .bytes();
    EXPECT_EQ(f2, hex("8e0f00"
                      "6700"
                      "0200"
                      "03"
                      "0900"
                      "01"
                      "6100"
                      "00"
                      "6200"
                      "0800") +
                      bodyBytes);

    ActionBuilder tryBody, catchBody, finallyBody;
    tryBody.push("boom").throwOp();
    catchBody.stop();
    finallyBody.play();
    const QByteArray t =
        ActionBuilder()
            .tryBlock(tryBody, ActionBuilder::Catch{&catchBody, "e", std::nullopt}, &finallyBody)
            .bytes();
    EXPECT_EQ(t, hex("8f0900"
                     "03"
                     "0a00"
                     "0100"
                     "0100"
                     "6500") +
                     tryBody.bytes() + hex("07") + hex("06"));
    const QByteArray inRegister =
        ActionBuilder().tryBlock(tryBody, ActionBuilder::Catch{&catchBody, {}, 2}).bytes();
    EXPECT_EQ(inRegister.left(11), hex("8f0800"
                                       "05"
                                       "0a00"
                                       "0100"
                                       "0000"
                                       "02"));

    const QByteArray w = ActionBuilder().with(body).bytes();
    EXPECT_EQ(w, hex("940200"
                     "0800") +
                     bodyBytes);
}

TEST(ActionBuilder, ActionsWithPayloadsHaveTheirLayouts) {
    ActionBuilder a;
    a.gotoFrame(4)
        .getUrl("u", "t")
        .waitForFrame(2, 1)
        .setTarget("/a")
        .gotoLabel("L")
        .constantPool({"p", "q"})
        .storeRegister(1)
        .getUrl2(testsupport::SendVars::Post, true, false)
        .gotoFrame2(true, 5)
        .waitForFrame2(3);
    EXPECT_EQ(a.bytes(), hex("8102000400"
                             "830400750074 00"
                             "8a0300020001"
                             "8b03002f6100"
                             "8c02004c00"
                             "880600020070007100"
                             "87010001"
                             "9a010042"
                             "9f0300030500"
                             "8d010003"));
}

TEST(ActionBuilder, CallsPushTheirArgumentsLastFirstThenTheCount) {
    EXPECT_EQ(ActionBuilder().callFunction("f", {1, "b"}).bytes(), hex("961000"
                                                                       "006200"
                                                                       "0701000000"
                                                                       "0702000000"
                                                                       "006600"
                                                                       "3d"));
    EXPECT_EQ(ActionBuilder().callMethod("o", "m", {}).bytes(), hex("960800"
                                                                    "0700000000"
                                                                    "006f00"
                                                                    "1c"
                                                                    "960300"
                                                                    "006d00"
                                                                    "52"));
}
