#include "swf/avm1/builtins/StyleSheetBuiltins.h"

#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/ScriptLoad.h"
#include "swf/avm1/builtins/TextFormatObject.h"

#include <map>

namespace swf::avm1::builtins {

namespace {

const QString kCss = QStringLiteral("_css");
const QString kStyles = QStringLiteral("_styles");

// The compiled sheets of the style sheet objects fields use, by object. A sheet lives as long
// as a field holds it; an entry whose sheet has gone is dropped on the next look.
std::map<const Object*, std::weak_ptr<text::StyleSheet>>& compiled() {
    static std::map<const Object*, std::weak_ptr<text::StyleSheet>> sheets;
    return sheets;
}

bool isObject(Vm& vm, const Value& v) {
    return v.object() && vm.typeOf(v) == QLatin1String("object");
}

// A shallow copy of a style, or null for anything that is not a plain object.
Value copyStyle(Vm& vm, const Value& style) {
    if (!isObject(vm, style))
        return Value::null();
    Object* copy = vm.newObject();
    for (const QString& name : vm.enumerate(style.object()))
        vm.setMember(Value(copy), name, vm.getMember(style, name));
    return Value(copy);
}

// The object this keeps its styles in, made on first use.
Value table(Vm& vm, const Value& self, const QString& name) {
    Value t = vm.getMember(self, name);
    if (!t.object()) {
        t = Value(vm.newObject());
        vm.setMember(self, name, t);
    }
    return t;
}

void fill(Vm& vm, Object* sheetObject, text::StyleSheet& sheet) {
    const Value self(sheetObject);
    const Value styles = vm.getMember(self, kStyles);
    const Value css = vm.getMember(self, kCss);
    sheet.clear();
    if (!styles.object())
        return;
    for (const QString& name : vm.enumerate(styles.object())) {
        const Value format = vm.getMember(styles, name);
        if (!format.object())
            continue;
        text::CssStyle style;
        style.format = partialOf(vm, format);
        // Every TextFormat says "block"; only a display the sheet itself gave counts, so a
        // styled span stays inline.
        const Value given = vm.getMember(vm.getMember(css, name), QStringLiteral("display"));
        if (!given.isNullish()) {
            const QString d = vm.toString(vm.getMember(format, QStringLiteral("display")));
            if (d == QLatin1String("none"))
                style.display = text::Display::None;
            else if (d == QLatin1String("inline"))
                style.display = text::Display::Inline;
            else if (d == QLatin1String("block"))
                style.display = text::Display::Block;
        }
        sheet.set(name, std::move(style));
    }
}

// Methods Flash writes in script carry a prototype of their own; movies that dump the class
// see them so.
void scriptMethod(Vm& vm, Object* on, const QString& name, NativeFunction::Fn fn) {
    NativeFunction* f = vm.newNative(std::move(fn));
    Object* proto = vm.newObject();
    proto->define(QStringLiteral("constructor"), Value(static_cast<Object*>(f)),
                  propflag::DontEnum | propflag::DontDelete);
    f->define(QStringLiteral("prototype"), Value(proto), propflag::DontEnum | propflag::DontDelete);
    on->define(name, Value(static_cast<Object*>(f)),
               propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly);
}

void nativeMethod(Vm& vm, Object* on, const QString& name, NativeFunction::Fn fn) {
    vm.defineMethod(on, name, std::move(fn),
                    propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly);
}

Value parseRules(Vm& vm, const QString& css) {
    const auto rules = text::parseCss(css);
    if (!rules)
        return Value::null();
    Object* out = vm.newObject();
    for (const auto& [selector, props] : *rules) {
        Object* style = vm.newObject();
        for (const auto& [name, value] : props)
            vm.setMember(Value(style), name, Value(value));
        vm.setMember(Value(out), selector, Value(style));
    }
    return Value(out);
}

Value transformStyle(Vm& vm, const Value& style) {
    if (!isObject(vm, style))
        return Value::null();
    text::CssProperties props;
    for (const QString& name : vm.enumerate(style.object()))
        props.emplace_back(name, vm.toString(vm.getMember(style, name)));
    const text::CssStyle css = text::cssStyle(props);
    const Value format = formatObject(vm, css.format);
    if (css.display && format.object()) {
        const char* d = *css.display == text::Display::None     ? "none"
                        : *css.display == text::Display::Inline ? "inline"
                                                                : "block";
        vm.setMember(format, QStringLiteral("display"), Value(QLatin1String(d)));
    }
    return format;
}

} // namespace

std::shared_ptr<const text::StyleSheet> styleSheetFor(Vm& vm, const Value& sheetValue) {
    Object* o = sheetValue.object();
    if (!o || !isObject(vm, sheetValue))
        return nullptr;
    auto& sheets = compiled();
    std::erase_if(sheets, [](const auto& entry) { return entry.second.expired(); });
    std::shared_ptr<text::StyleSheet> sheet;
    if (const auto it = sheets.find(o); it != sheets.end())
        sheet = it->second.lock();
    if (!sheet) {
        sheet = std::make_shared<text::StyleSheet>();
        sheets[o] = sheet;
    }
    fill(vm, o, *sheet);
    return sheet;
}

void installStyleSheet(Vm& vm, Object* textFieldCtor) {
    Object* proto = vm.newObject();
    Object* ctor = vm.defineClass(
        textFieldCtor, QStringLiteral("StyleSheet"),
        [](Vm&, CallArgs& c) -> Value { return c.thisv; }, proto);
    (void)ctor;
    textFieldCtor->findOwn(QStringLiteral("StyleSheet"))->flags |= propflag::OnlySwf7Up;

    scriptMethod(vm, proto, QStringLiteral("_copy"),
                 [](Vm& vm, CallArgs& c) -> Value { return copyStyle(vm, c.arg(0)); });
    scriptMethod(vm, proto, QStringLiteral("getStyle"), [](Vm& vm, CallArgs& c) -> Value {
        const Value css = vm.getMember(c.thisv, kCss);
        if (!css.object())
            return Value::null();
        return copyStyle(vm, vm.getMember(css, vm.toString(c.arg(0))));
    });
    scriptMethod(vm, proto, QStringLiteral("setStyle"), [](Vm& vm, CallArgs& c) -> Value {
        const Value css = table(vm, c.thisv, kCss);
        table(vm, c.thisv, kStyles);
        const QString name = vm.toString(c.arg(0));
        vm.setMember(css, name, copyStyle(vm, c.arg(1)));
        const Value arg(name);
        vm.callMethod(c.thisv, QStringLiteral("doTransform"), {&arg, 1});
        vm.callMethod(c.thisv, QStringLiteral("update"), {});
        return Value();
    });
    scriptMethod(vm, proto, QStringLiteral("getStyleNames"), [](Vm& vm, CallArgs& c) -> Value {
        std::vector<Value> names;
        const Value css = vm.getMember(c.thisv, kCss);
        if (css.object())
            for (const QString& name : vm.enumerate(css.object()))
                names.emplace_back(name);
        return Value(static_cast<Object*>(vm.newArray(std::move(names))));
    });
    scriptMethod(vm, proto, QStringLiteral("clear"), [](Vm& vm, CallArgs& c) -> Value {
        vm.setMember(c.thisv, kCss, Value(vm.newObject()));
        vm.setMember(c.thisv, kStyles, Value(vm.newObject()));
        vm.callMethod(c.thisv, QStringLiteral("update"), {});
        return Value();
    });
    scriptMethod(vm, proto, QStringLiteral("doTransform"), [](Vm& vm, CallArgs& c) -> Value {
        const Value css = table(vm, c.thisv, kCss);
        const Value styles = table(vm, c.thisv, kStyles);
        const QString name = vm.toString(c.arg(0));
        const Value style = vm.getMember(css, name);
        vm.setMember(styles, name,
                     vm.callMethod(c.thisv, QStringLiteral("transform"), {&style, 1}));
        return Value();
    });
    scriptMethod(vm, proto, QStringLiteral("transform"),
                 [](Vm& vm, CallArgs& c) -> Value { return transformStyle(vm, c.arg(0)); });
    // parse and parseCSS are one function: the sheet's rules replace those of the same
    // selectors, or, when the text is malformed, nothing changes and the answer is false.
    scriptMethod(vm, proto, QStringLiteral("parse"), [](Vm& vm, CallArgs& c) -> Value {
        const auto rules = text::parseCss(vm.toString(c.arg(0)));
        if (!rules)
            return Value(false);
        const Value css = table(vm, c.thisv, kCss);
        table(vm, c.thisv, kStyles);
        for (const auto& [selector, props] : *rules) {
            Object* style = vm.newObject();
            for (const auto& [name, value] : props)
                vm.setMember(Value(style), name, Value(value));
            vm.setMember(css, selector, Value(style));
            const Value arg(selector);
            vm.callMethod(c.thisv, QStringLiteral("doTransform"), {&arg, 1});
        }
        vm.callMethod(c.thisv, QStringLiteral("update"), {});
        return Value(true);
    });
    proto->define(QStringLiteral("parseCSS"), proto->findOwn(QStringLiteral("parse"))->value,
                  propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly);
    scriptMethod(vm, proto, QStringLiteral("onData"), [](Vm& vm, CallArgs& c) -> Value {
        const Value src = c.arg(0);
        Value ok(false);
        if (!src.isUndefined())
            ok = Value(vm.toBoolean(vm.callMethod(c.thisv, QStringLiteral("parseCSS"), {&src, 1})));
        vm.callMethod(c.thisv, QStringLiteral("onLoad"), {&ok, 1});
        return Value();
    });
    scriptMethod(vm, proto, QStringLiteral("onLoad"),
                 [](Vm&, CallArgs&) -> Value { return Value(); });

    nativeMethod(vm, proto, QStringLiteral("load"), [](Vm& vm, CallArgs& c) -> Value {
        if (c.count() == 0)
            return Value(false);
        return Value(startScriptLoad(vm, c.thisv, vm.toString(c.arg(0))));
    });
    nativeMethod(vm, proto, QStringLiteral("parseCSSInternal"), [](Vm& vm, CallArgs& c) -> Value {
        return parseRules(vm, vm.toString(c.arg(0)));
    });
    nativeMethod(vm, proto, QStringLiteral("parseColor"), [](Vm& vm, CallArgs& c) -> Value {
        // Anything is read as its text, as Flash does (a String object included).
        const auto rgb = text::parseCssColor(vm.toString(c.arg(0)));
        return rgb ? Value(double(*rgb & 0xFFFFFF)) : Value::null();
    });
    nativeMethod(vm, proto, QStringLiteral("parseCSSFontFamily"), [](Vm& vm, CallArgs& c) -> Value {
        return Value(text::cssFontFamily(vm.toString(c.arg(0))));
    });
    // Tells the fields showing this sheet to format their text again.
    nativeMethod(vm, proto, QStringLiteral("update"), [](Vm& vm, CallArgs& c) -> Value {
        Object* o = c.thisObject();
        auto& sheets = compiled();
        const auto it = o ? sheets.find(o) : sheets.end();
        if (it != sheets.end())
            if (auto sheet = it->second.lock())
                fill(vm, o, *sheet);
        return Value();
    });
}

} // namespace swf::avm1::builtins
