#include "swf/avm1/builtins/Builtins.h"
#include "swf/avm1/builtins/ScriptAccess.h"
#include "swf/avm1/builtins/SharedObjectStore.h"

#include <QFile>
#include <memory>

namespace swf::avm1::builtins {

namespace {

// What outlives the script objects: the file and the latest picture of the data. Whatever was
// not yet written when the movie goes away is written then, with no script object touched.
struct Stored {
    QString file;
    QByteArray written;
    QByteArray latest;
    ~Stored() {
        if (!latest.isEmpty() && latest != written)
            SharedObjectStore::writeFile(file, latest);
    }
};

class SharedObjectObject : public Object {
public:
    using Object::Object;
    std::shared_ptr<Stored> stored;
};

SharedObjectObject* self(const CallArgs& c) {
    return dynamic_cast<SharedObjectObject*>(c.thisObject());
}

Object* dataOf(Vm& vm, SharedObjectObject* so) {
    return vm.getMember(Value(static_cast<Object*>(so)), QStringLiteral("data")).object();
}

// Takes a fresh picture of the data; false when it is over the limit.
bool snapshot(Vm& vm, SharedObjectObject* so) {
    const auto bytes = SharedObjectStore::serialize(vm, dataOf(vm, so));
    if (!bytes)
        return false;
    so->stored->latest = *bytes;
    return true;
}

QString movieUrl(Vm& vm) {
    if (ClipBridge* root = vm.root())
        return vm.toString(vm.getMember(Value(vm.clipObject(root)), QStringLiteral("_url")));
    return QString();
}

} // namespace

void installSharedObject(Vm& vm) {
    Object* proto = vm.newObject();
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("SharedObject"), [](Vm&, CallArgs&) { return Value(); }, proto);
    // One object per file for the life of the movie, as Flash hands out.
    Object* instances = vm.newObject();
    ctor->define(QStringLiteral("_instances"), Value(instances),
                 propflag::DontEnum | propflag::DontDelete | propflag::ReadOnly);

    vm.defineMethod(
        ctor, QStringLiteral("getLocal"), [proto, ctor, instances](Vm& vm, CallArgs& c) -> Value {
            const QString name = vm.toString(c.arg(0));
            const QString localPath = c.arg(1).isNullish() ? QString() : vm.toString(c.arg(1));
            const QString file = SharedObjectStore::fileFor(movieUrl(vm), name, localPath);
            if (file.isEmpty())
                return Value::null();
            if (Property* p = instances->findOwn(file))
                return p->value;

            auto* so = vm.heap().make<SharedObjectObject>(proto);
            vm.initInstance(so, ctor);
            so->stored = std::make_shared<Stored>();
            so->stored->file = file;
            Object* data = vm.newObject();
            so->define(QStringLiteral("data"), Value(data), propflag::DontDelete);
            if (const auto bytes = SharedObjectStore::readFile(file)) {
                // A file that is not ours, or damaged, is left alone: the movie
                // starts afresh and the file is replaced on the next write.
                if (SharedObjectStore::deserialize(vm, *bytes, data))
                    so->stored->written = *bytes;
            }
            instances->define(file, Value(static_cast<Object*>(so)), propflag::DontEnum);

            // Keeps a current picture of the data each turn so it can be saved
            // when the movie ends, whenever that is.
            std::shared_ptr<Stored> stored = so->stored;
            NativeFunction* keeper = vm.newNative([stored, so](Vm& vm, CallArgs&) -> Value {
                snapshot(vm, so);
                return Value();
            });
            keeper->define(QStringLiteral("so"), Value(static_cast<Object*>(so)),
                           propflag::DontEnum);
            vm.addTimer(Value(static_cast<Object*>(keeper)), QString(), {}, 100, false);
            return Value(static_cast<Object*>(so));
        });

    vm.defineMethod(proto, QStringLiteral("flush"), [](Vm& vm, CallArgs& c) -> Value {
        SharedObjectObject* so = self(c);
        if (!so)
            return Value(false);
        if (!snapshot(vm, so))
            return Value(false);
        if (!SharedObjectStore::writeFile(so->stored->file, so->stored->latest))
            return Value(false);
        so->stored->written = so->stored->latest;
        return Value(true);
    });
    vm.defineMethod(proto, QStringLiteral("getSize"), [](Vm& vm, CallArgs& c) -> Value {
        SharedObjectObject* so = self(c);
        if (!so)
            return Value();
        const auto bytes = SharedObjectStore::serialize(vm, dataOf(vm, so));
        // Flash counts nothing for an empty object; the header alone is ours, not the movie's.
        if (!bytes)
            return Value(static_cast<double>(SharedObjectStore::kMaxBytes));
        Object* data = dataOf(vm, so);
        return Value(data && vm.enumerate(data).empty() ? 0.0 : static_cast<double>(bytes->size()));
    });
    vm.defineMethod(proto, QStringLiteral("clear"), [](Vm& vm, CallArgs& c) -> Value {
        SharedObjectObject* so = self(c);
        if (!so)
            return Value();
        if (Object* data = dataOf(vm, so)) {
            std::vector<QString> names;
            for (const Property& p : data->properties())
                names.push_back(p.name);
            for (const QString& n : names)
                vm.deleteMember(data, n);
        }
        QFile::remove(so->stored->file);
        so->stored->written.clear();
        so->stored->latest.clear();
        return Value();
    });
    vm.defineMethod(proto, QStringLiteral("close"), [](Vm&, CallArgs&) { return Value(); });
    vm.defineMethod(proto, QStringLiteral("setFps"), [](Vm&, CallArgs&) { return Value(false); });
}

} // namespace swf::avm1::builtins
