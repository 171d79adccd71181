#include "ScriptFixture.h"

#include "swf/avm1/builtins/UrlVariables.h"

namespace quarvel::test {
namespace {

using swf::avm1::builtins::urlEscape;
using swf::avm1::builtins::urlUnescape;

class LoadVarsTest : public ScriptFixture {
protected:
    Value recorder(QStringList& calls) {
        return Value(static_cast<Object*>(vm.newNative([&calls](Vm& vm, swf::avm1::CallArgs& c) {
            calls << vm.toString(c.arg(0));
            return Value();
        })));
    }
};

TEST_F(LoadVarsTest, EscapingMatchesFlash) {
    EXPECT_EQ(urlEscape("a b_c-d.e"), "a%20b%5Fc%2Dd%2Ee");
    EXPECT_EQ(urlEscape(QString::fromUtf8("\xE4\xB8\xAD")), "%E4%B8%AD");
    EXPECT_EQ(urlUnescape("a+b%20c%E4%B8%AD%zz%4"), QString::fromUtf8("a b c\xE4\xB8\xAD%zz%4"));
}

TEST_F(LoadVarsTest, DecodeAndToStringRoundTrip) {
    const Value lv = make("LoadVars");
    call(lv, "decode", {Value("name=Li+Lei&score=42&empty=&flag&=orphan&note=%26%3D")});
    EXPECT_EQ(str(get(lv, "name")), "Li Lei");
    EXPECT_EQ(str(get(lv, "score")), "42");
    EXPECT_TRUE(get(lv, "score").isString()) << "loaded variables are strings";
    EXPECT_EQ(str(get(lv, "empty")), "");
    EXPECT_EQ(str(get(lv, "flag")), "");
    EXPECT_EQ(str(get(lv, "note")), "&=");
    const QString text = str(lv);
    EXPECT_TRUE(text.contains("note=%26%3D")) << text.toStdString();
    EXPECT_TRUE(text.contains("name=Li%20Lei"));
    EXPECT_FALSE(text.contains("decode")) << "methods on the prototype are not variables";
    const Value back = make("LoadVars");
    call(back, "decode", {Value(text)});
    EXPECT_EQ(str(get(back, "note")), "&=");
}

TEST_F(LoadVarsTest, LoadDecodesAndCallsOnLoad) {
    QStringList calls;
    const Value lv = make("LoadVars");
    set(lv, "onLoad", recorder(calls));
    EXPECT_TRUE(call(lv, "load", {Value("vars.txt")}).boolean());
    host.pending[0](true, "a=1&b=%E4%B8%AD");
    vm.runTimers();
    EXPECT_EQ(calls, QStringList{"true"});
    EXPECT_EQ(str(get(lv, "b")), QString::fromUtf8("\xE4\xB8\xAD"));
    EXPECT_TRUE(get(lv, "loaded").boolean());
    EXPECT_EQ(num(call(lv, "getBytesTotal")), 15);
    EXPECT_FALSE(call(lv, "load", {Value("")}).boolean()) << "nothing to load";
}

TEST_F(LoadVarsTest, SendAndLoadPutsVariablesInTheQuery) {
    QStringList calls;
    const Value out = make("LoadVars");
    set(out, "q", Value("x y"));
    const Value in = make("LoadVars");
    set(in, "onLoad", recorder(calls));
    EXPECT_TRUE(call(out, "sendAndLoad", {Value("http://127.0.0.1/s?v=1"), in}).boolean());
    ASSERT_EQ(host.loads.size(), 1);
    EXPECT_EQ(host.loads[0], "http://127.0.0.1/s?v=1&q=x%20y");
    host.pending[0](true, "reply=ok");
    vm.runTimers();
    EXPECT_EQ(str(get(in, "reply")), "ok");
    EXPECT_EQ(calls, QStringList{"true"});
    EXPECT_TRUE(get(out, "reply").isUndefined());
}

TEST_F(LoadVarsTest, SendOpensOnlyWebPages) {
    struct Host : RecordingHost {
        QStringList opened;
        void openUrl(const QString& url, const QString& target) override {
            opened << url + " " + target;
        }
    } web;
    Vm machine(8, &web);
    const Value lv = machine.construct(machine.getMember(Value(machine.global()), "LoadVars"), {});
    machine.setMember(lv, "a", Value(1));
    const Value js("javascript:alert(1)");
    EXPECT_FALSE(machine.callMethod(lv, "send", {&js, 1}).boolean());
    const std::vector<Value> args{Value("https://example.org/f"), Value("_blank")};
    EXPECT_TRUE(machine.callMethod(lv, "send", args).boolean());
    EXPECT_EQ(web.opened, QStringList{"https://example.org/f?a=1 _blank"});
}

} // namespace
} // namespace quarvel::test
