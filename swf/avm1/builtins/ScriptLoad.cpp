#include "swf/avm1/builtins/ScriptLoad.h"

#include "swf/PlayerHost.h"
#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/Vm.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>
#include <memory>

namespace swf::avm1::builtins {

namespace {

const QString kSeq = QStringLiteral("_loadSeq");

} // namespace

QString resolveAgainstMovie(Vm& vm, const QString& url) {
    const QUrl asUrl(url);
    if (!asUrl.scheme().isEmpty() && asUrl.scheme().size() > 1)
        return url; // already absolute (a one-letter scheme would be a drive, not a URL)
    QString base;
    if (ClipBridge* root = vm.root())
        base = vm.toString(vm.getMember(Value(vm.clipObject(root)), QStringLiteral("_url")));
    if (base.isEmpty())
        return url;
    const QUrl baseUrl(base);
    if (!baseUrl.scheme().isEmpty() && baseUrl.scheme().size() > 1 && !baseUrl.isLocalFile())
        return baseUrl.resolved(asUrl).toString();
    const QString basePath = baseUrl.isLocalFile() ? baseUrl.toLocalFile() : base;
    if (QDir::isAbsolutePath(url))
        return url;
    return QDir::cleanPath(QFileInfo(basePath).dir().filePath(url));
}

std::shared_ptr<LoadArrival> requestLoad(Vm& vm, const QString& url, qint64 maxBytes) {
    auto arrival = std::make_shared<LoadArrival>();
    PlayerHost* host = vm.host();
    if (!host) {
        arrival->done = true;
        return arrival;
    }
    host->load(resolveAgainstMovie(vm, url), maxBytes, [arrival](bool ok, QByteArray bytes) {
        if (arrival->done)
            return;
        arrival->done = true;
        arrival->ok = ok;
        arrival->bytes = std::move(bytes);
    });
    return arrival;
}

QString decodeLoadedText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder =
            QStringDecoder(QStringDecoder::Utf16, QStringDecoder::Flag::ConvertInitialBom);
        QString s = decoder(bytes);
        if (s.startsWith(QChar(0xFEFF)))
            s.remove(0, 1);
        return s;
    }
    return QString::fromUtf8(bytes);
}

bool startScriptLoad(Vm& vm, const Value& target, const QString& url) {
    Object* o = target.object();
    if (!o || url.isEmpty())
        return false;
    const double seq = vm.toNumber(vm.getMember(target, kSeq));
    const double mine = std::isnan(seq) ? 1 : seq + 1;
    o->define(kSeq, Value(mine), propflag::DontEnum);
    o->define(QStringLiteral("_bytesLoaded"), Value(0), propflag::DontEnum);
    o->define(QStringLiteral("_bytesTotal"), Value(), propflag::DontEnum);

    const auto arrival = requestLoad(vm, url, kMaxScriptLoadBytes);

    auto timerId = std::make_shared<int>(0);
    auto self = std::make_shared<Object*>(nullptr);
    NativeFunction* poll = vm.newNative([arrival, timerId, self, mine](Vm& vm, CallArgs&) {
        if (!arrival->done)
            return Value();
        vm.clearTimer(*timerId);
        // The target is kept as a property of this function so the collector sees it.
        const Value target = vm.getMember(Value(*self), QStringLiteral("target"));
        if (!target.object())
            return Value();
        // A later load on the same object replaced this one.
        if (vm.toNumber(vm.getMember(target, kSeq)) != mine)
            return Value();
        Object* t = target.object();
        if (!arrival->ok) {
            vm.callMethod(target, QStringLiteral("onData"), {});
            return Value();
        }
        const double size = static_cast<double>(arrival->bytes.size());
        t->define(QStringLiteral("_bytesLoaded"), Value(size), propflag::DontEnum);
        t->define(QStringLiteral("_bytesTotal"), Value(size), propflag::DontEnum);
        const Value text(vm.clipString(decodeLoadedText(arrival->bytes)));
        arrival->bytes.clear();
        vm.callMethod(target, QStringLiteral("onData"), {&text, 1});
        return Value();
    });
    *self = poll;
    poll->define(QStringLiteral("target"), target, propflag::DontEnum);
    *timerId = vm.addTimer(Value(static_cast<Object*>(poll)), QString(), {}, 0, false);
    return *timerId != 0;
}

void defineLoadMethods(Vm& vm, Object* proto, const QString& parseMethod) {
    vm.defineMethod(proto, QStringLiteral("onData"), [parseMethod](Vm& vm, CallArgs& c) -> Value {
        if (c.arg(0).isUndefined()) {
            vm.setMember(c.thisv, QStringLiteral("loaded"), Value(false));
            const Value no(false);
            vm.callMethod(c.thisv, QStringLiteral("onLoad"), {&no, 1});
            return Value();
        }
        const Value text = c.arg(0);
        vm.callMethod(c.thisv, parseMethod, {&text, 1});
        vm.setMember(c.thisv, QStringLiteral("loaded"), Value(true));
        const Value yes(true);
        vm.callMethod(c.thisv, QStringLiteral("onLoad"), {&yes, 1});
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("onLoad"), [](Vm&, CallArgs&) { return Value(); });
    vm.defineMethod(proto, QStringLiteral("getBytesLoaded"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesLoaded"));
    });
    vm.defineMethod(proto, QStringLiteral("getBytesTotal"), [](Vm& vm, CallArgs& c) {
        return vm.getMember(c.thisv, QStringLiteral("_bytesTotal"));
    });
    vm.defineMethod(proto, QStringLiteral("addRequestHeader"),
                    [](Vm&, CallArgs&) { return Value(); });
}

} // namespace swf::avm1::builtins
