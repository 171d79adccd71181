#include "swf/avm1/builtins/SharedObjectStore.h"

#include "swf/avm1/Vm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QtEndian>
#include <cstring>
#include <unordered_map>

namespace swf::avm1::builtins {

namespace {

constexpr char kMagic[] = "QVSO1";
enum Tag : uint8_t {
    TUndefined,
    TNull,
    TFalse,
    TTrue,
    TNumber,
    TString,
    TObject,
    TArray,
    TReference,
    TDate
};

// Characters Flash refuses in a shared object's name.
bool nameAllowed(const QString& name) {
    if (name.isEmpty() || name.size() > 200)
        return false;
    for (const QChar c : name)
        if (c.unicode() < 0x20 || QStringLiteral("~%&\\;:\"',<>?# ").contains(c))
            return false;
    return true;
}

// Path parts that stay inside the store: no empty, "." or ".." steps.
bool partsSafe(const QStringList& parts) {
    for (const QString& p : parts)
        if (p.isEmpty() || p == QLatin1String(".") || p == QLatin1String("..") ||
            p.contains(QLatin1Char('\\')))
            return false;
    return true;
}

class Writer {
public:
    Writer(Vm& vm) : vm_(vm) {}
    bool value(const Value& v, int depth) {
        if (out.size() > SharedObjectStore::kMaxBytes || depth > SharedObjectStore::kMaxDepth)
            return false;
        switch (v.type()) {
        case Type::Undefined:
            out += char(TUndefined);
            return true;
        case Type::Null:
            out += char(TNull);
            return true;
        case Type::Boolean:
            out += char(v.boolean() ? TTrue : TFalse);
            return true;
        case Type::Number:
            out += char(TNumber);
            number(v.number());
            return true;
        case Type::String:
            out += char(TString);
            string(v.string());
            return true;
        case Type::Object:
            return object(v.object(), depth);
        }
        return false;
    }
    bool members(Object* o, int depth) {
        std::vector<const Property*> kept;
        for (const Property& p : o->properties())
            if (!p.accessor && !(p.flags & propflag::DontEnum) && storable(p.value))
                kept.push_back(&p);
        u32(static_cast<uint32_t>(kept.size()));
        for (const Property* p : kept) {
            string(p->name);
            if (!value(p->value, depth + 1))
                return false;
        }
        return true;
    }
    QByteArray out;

private:
    // Functions and display objects belong to the running movie, not to its saved state.
    static bool storable(const Value& v) {
        Object* o = v.object();
        return !o || (!o->isFunction() && !o->isClip());
    }
    bool object(Object* o, int depth) {
        const auto seen = ids_.find(o);
        if (seen != ids_.end()) {
            out += char(TReference);
            u32(seen->second);
            return true;
        }
        ids_.emplace(o, static_cast<uint32_t>(ids_.size()));
        if (o->hasPrimitive() && o->proto() == vm_.protos().date) {
            out += char(TDate);
            number(vm_.toNumber(o->primitive()));
            return true;
        }
        if (auto* a = dynamic_cast<ArrayObject*>(o)) {
            out += char(TArray);
            u32(static_cast<uint32_t>(a->elements().size()));
            for (const Value& e : a->elements())
                if (!value(storable(e) ? e : Value(), depth + 1))
                    return false;
            return members(o, depth);
        }
        out += char(TObject);
        return members(o, depth);
    }
    void number(double d) {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        char b[8];
        qToLittleEndian(bits, b);
        out.append(b, 8);
    }
    void u32(uint32_t n) {
        char b[4];
        qToLittleEndian(n, b);
        out.append(b, 4);
    }
    void string(const QString& s) {
        const QByteArray u = s.toUtf8();
        u32(static_cast<uint32_t>(u.size()));
        out += u;
    }
    Vm& vm_;
    std::unordered_map<Object*, uint32_t> ids_;
};

class Reader {
public:
    Reader(Vm& vm, const QByteArray& in) : vm_(vm), in_(in) {}
    bool value(Value& v, int depth) {
        uint8_t tag;
        if (depth > SharedObjectStore::kMaxDepth || !byte(tag))
            return false;
        switch (tag) {
        case TUndefined:
            v = Value();
            return true;
        case TNull:
            v = Value::null();
            return true;
        case TFalse:
        case TTrue:
            v = Value(tag == TTrue);
            return true;
        case TNumber: {
            double d;
            if (!number(d))
                return false;
            v = Value(d);
            return true;
        }
        case TString: {
            QString s;
            if (!string(s))
                return false;
            v = Value(s);
            return true;
        }
        case TDate: {
            double d;
            if (!number(d))
                return false;
            const Value arg(d);
            v = vm_.construct(vm_.getMember(Value(vm_.global()), QStringLiteral("Date")),
                              {&arg, 1});
            objects_.push_back(v.object());
            return v.object() != nullptr;
        }
        case TReference: {
            uint32_t id;
            if (!u32(id) || id >= objects_.size())
                return false;
            v = Value(objects_[id]);
            return true;
        }
        case TArray: {
            uint32_t n;
            // Each element takes at least one byte, which bounds the count before reserving.
            if (!u32(n) || n > remaining() || n > ArrayObject::kMaxLength)
                return false;
            ArrayObject* a = vm_.newArray();
            objects_.push_back(a);
            a->elements().reserve(n);
            for (uint32_t i = 0; i < n; ++i) {
                Value e;
                if (!value(e, depth + 1))
                    return false;
                a->elements().push_back(e);
            }
            v = Value(static_cast<Object*>(a));
            return members(a, depth);
        }
        case TObject: {
            Object* o = vm_.newObject();
            objects_.push_back(o);
            v = Value(o);
            return members(o, depth);
        }
        }
        return false;
    }
    bool members(Object* o, int depth) {
        uint32_t n;
        if (!u32(n) || n > remaining())
            return false;
        for (uint32_t i = 0; i < n; ++i) {
            QString name;
            Value v;
            if (!string(name) || !value(v, depth + 1))
                return false;
            o->define(name, v);
        }
        return true;
    }
    bool atEnd() const { return pos_ == in_.size(); }
    bool skip(qsizetype n) {
        if (remaining() < n)
            return false;
        pos_ += n;
        return true;
    }

private:
    qsizetype remaining() const { return in_.size() - pos_; }
    bool byte(uint8_t& b) {
        if (remaining() < 1)
            return false;
        b = static_cast<uint8_t>(in_[pos_++]);
        return true;
    }
    bool u32(uint32_t& n) {
        if (remaining() < 4)
            return false;
        n = qFromLittleEndian<uint32_t>(in_.constData() + pos_);
        pos_ += 4;
        return true;
    }
    bool number(double& d) {
        if (remaining() < 8)
            return false;
        const uint64_t bits = qFromLittleEndian<uint64_t>(in_.constData() + pos_);
        std::memcpy(&d, &bits, 8);
        pos_ += 8;
        return true;
    }
    bool string(QString& s) {
        uint32_t n;
        if (!u32(n) || n > remaining())
            return false;
        s = QString::fromUtf8(in_.constData() + pos_, n);
        pos_ += n;
        return true;
    }
    Vm& vm_;
    const QByteArray& in_;
    qsizetype pos_ = 0;
    std::vector<Object*> objects_;
};

} // namespace

QString SharedObjectStore::baseFolder() {
    const QString override = qEnvironmentVariable("QUARVEL_SHARED_OBJECTS");
    if (!override.isEmpty())
        return override;
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/quarvel/shared-objects");
}

QString SharedObjectStore::fileFor(const QString& movieUrl, const QString& name,
                                   const QString& localPath) {
    if (!nameAllowed(name))
        return QString();
    // The movie's place: a web host and path, or "localhost" and the file's path.
    QString domain = QStringLiteral("localhost");
    QString moviePath = movieUrl;
    const QUrl url(movieUrl);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1) {
        if (!url.isLocalFile())
            domain = url.host().isEmpty() ? QStringLiteral("localhost") : url.host().toLower();
        moviePath = url.isLocalFile() ? url.toLocalFile() : url.path();
    }
    QString path = moviePath.isEmpty() ? QStringLiteral("/unnamed.swf") : moviePath;
    if (!localPath.isEmpty()) {
        // A movie may share with others above it on the same site, never elsewhere.
        const QString wanted = QDir::cleanPath(localPath);
        const QString own = QDir::cleanPath(path);
        if (wanted != QLatin1String("/") && own != wanted &&
            !own.startsWith(wanted + QLatin1Char('/')))
            return QString();
        path = wanted;
    }
    QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList nameParts = name.split(QLatin1Char('/'));
    if (!partsSafe(parts) || !partsSafe(nameParts) || domain.contains(QLatin1Char('/')))
        return QString();
    parts.prepend(domain);
    parts << nameParts;
    return baseFolder() + QLatin1Char('/') + parts.join(QLatin1Char('/')) + QStringLiteral(".sol");
}

std::optional<QByteArray> SharedObjectStore::serialize(Vm& vm, Object* data) {
    Writer w(vm);
    w.out += QByteArray(kMagic);
    if (!data || !w.members(data, 0) || w.out.size() > kMaxBytes)
        return std::nullopt;
    return w.out;
}

bool SharedObjectStore::deserialize(Vm& vm, const QByteArray& bytes, Object* data) {
    if (!bytes.startsWith(kMagic))
        return false;
    // Read into a scratch object first so a file broken halfway leaves data untouched.
    Object* scratch = vm.newObject();
    Reader r(vm, bytes);
    if (!r.skip(static_cast<qsizetype>(std::strlen(kMagic))) || !r.members(scratch, 0) ||
        !r.atEnd())
        return false;
    for (const Property& p : scratch->properties())
        data->define(p.name, p.value);
    return true;
}

bool SharedObjectStore::writeFile(const QString& file, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return false;
    return out.commit();
}

std::optional<QByteArray> SharedObjectStore::readFile(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxBytes)
        return std::nullopt;
    return in.readAll();
}

} // namespace swf::avm1::builtins
