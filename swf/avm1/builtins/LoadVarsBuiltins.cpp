#include "swf/PlayerHost.h"
#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/ScriptLoad.h"
#include "swf/avm1/builtins/UrlVariables.h"

#include <QUrl>
#include <algorithm>

namespace swf::avm1::builtins {

namespace {

QString variablesOf(Vm& vm, const Value& self) {
    Object* o = self.object();
    if (!o)
        return QString();
    QStringList parts;
    // Newest first, as a for..in lists them.
    std::vector<QString> names = vm.enumerate(o);
    std::reverse(names.begin(), names.end());
    for (const QString& name : names)
        parts << urlEscape(name) + QLatin1Char('=') +
                     urlEscape(vm.toString(vm.getMember(self, name)));
    return vm.clipString(parts.join(QLatin1Char('&')));
}

// The URL with the object's variables added to its query.
QString withVariables(Vm& vm, const QString& url, const Value& self) {
    const QString vars = variablesOf(vm, self);
    if (vars.isEmpty())
        return url;
    return url + (url.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) + vars;
}

} // namespace

void installLoadVars(Vm& vm) {
    Object* proto = vm.newObject();
    vm.defineClass(
        vm.global(), QStringLiteral("LoadVars"), [](Vm&, CallArgs&) { return Value(); }, proto);
    proto->define(QStringLiteral("contentType"),
                  Value(QStringLiteral("application/x-www-form-urlencoded")), propflag::DontEnum);

    vm.defineMethod(proto, QStringLiteral("decode"), [](Vm& vm, CallArgs& c) -> Value {
        if (!c.thisObject())
            return Value();
        for (const auto& [name, value] : decodeUrlVariables(vm.toString(c.arg(0))))
            vm.setMember(c.thisv, name, Value(value));
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("toString"),
                    [](Vm& vm, CallArgs& c) -> Value { return Value(variablesOf(vm, c.thisv)); });
    vm.defineMethod(proto, QStringLiteral("load"), [](Vm& vm, CallArgs& c) -> Value {
        if (!c.thisObject())
            return Value(false);
        vm.setMember(c.thisv, QStringLiteral("loaded"), Value(false));
        return Value(startScriptLoad(vm, c.thisv, vm.toString(c.arg(0))));
    });
    // Variables travel in the query string: the host's loader fetches but does not post.
    vm.defineMethod(proto, QStringLiteral("sendAndLoad"), [](Vm& vm, CallArgs& c) -> Value {
        const Value target = c.arg(1);
        if (!target.object() || c.arg(0).isNullish())
            return Value(false);
        vm.setMember(target, QStringLiteral("loaded"), Value(false));
        return Value(
            startScriptLoad(vm, target, withVariables(vm, vm.toString(c.arg(0)), c.thisv)));
    });
    vm.defineMethod(proto, QStringLiteral("send"), [](Vm& vm, CallArgs& c) -> Value {
        const QString url = resolveAgainstMovie(vm, vm.toString(c.arg(0)));
        const QString scheme = QUrl(url).scheme().toLower();
        // Only web pages go to the browser; script and local schemes are never opened.
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return Value(false);
        if (PlayerHost* host = vm.host())
            host->openUrl(withVariables(vm, url, c.thisv),
                          c.arg(1).isNullish() ? QStringLiteral("_self") : vm.toString(c.arg(1)));
        return Value(true);
    });
    defineLoadMethods(vm, proto, QStringLiteral("decode"));
}

} // namespace swf::avm1::builtins
