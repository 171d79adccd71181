#include "swf/avm1/Vm.h"
#include "swf/avm1/builtins/Builtins.h"

#include <cmath>
#include <functional>

namespace swf::avm1::builtins {

namespace {

namespace sortflag {
enum : uint32_t {
    CaseInsensitive = 1,
    Descending = 2,
    UniqueSort = 4,
    ReturnIndexedArray = 8,
    Numeric = 16,
};
}

ArrayObject* self(CallArgs& c) {
    return dynamic_cast<ArrayObject*>(c.thisObject());
}

double clampIndex(double i, double length) {
    if (i < 0)
        return std::max(0.0, length + i);
    return std::min(i, length);
}

QString join(Vm& vm, ArrayObject* a, const QString& sep) {
    QString out;
    const auto& e = a->elements();
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (i)
            out += sep;
        out += vm.toString(e[i]);
        if (out.size() > vm.limits().maxStringLength)
            return vm.clipString(out);
    }
    return out;
}

// join on something that is not an array (Array.prototype itself, an object made to look
// like one): its length and numbered properties, as far as they go.
QString joinLike(Vm& vm, const Value& o, const QString& sep) {
    const double n = vm.toInteger(vm.getMember(o, QStringLiteral("length")));
    const auto length =
        static_cast<std::size_t>(std::clamp(n, 0.0, double(ArrayObject::kMaxLength)));
    QString out;
    for (std::size_t i = 0; i < length; ++i) {
        if (i)
            out += sep;
        out += vm.toString(vm.getMember(o, QString::number(i)));
        if (out.size() > vm.limits().maxStringLength)
            return vm.clipString(out);
    }
    return out;
}

// A merge sort: the comparison may be a movie's function that is not consistent, which an
// introsort is allowed to run off the end over; merging never is.
void mergeSort(std::vector<std::size_t>& idx,
               const std::function<int(std::size_t, std::size_t)>& cmp) {
    std::vector<std::size_t> tmp(idx.size());
    for (std::size_t width = 1; width < idx.size(); width *= 2) {
        for (std::size_t lo = 0; lo < idx.size(); lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, idx.size());
            const std::size_t hi = std::min(lo + 2 * width, idx.size());
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                tmp[k++] = cmp(idx[i], idx[j]) > 0 ? idx[j++] : idx[i++];
            while (i < mid)
                tmp[k++] = idx[i++];
            while (j < hi)
                tmp[k++] = idx[j++];
        }
        idx.swap(tmp);
    }
}

int compareValues(Vm& vm, const Value& a, const Value& b, uint32_t flags) {
    if (flags & sortflag::Numeric) {
        const double x = vm.toNumber(a), y = vm.toNumber(b);
        if (std::isnan(x) || std::isnan(y)) {
            // Non-numbers sort after numbers, then as strings.
            if (std::isnan(x) != std::isnan(y))
                return std::isnan(x) ? 1 : -1;
        } else {
            return x < y ? -1 : (x > y ? 1 : 0);
        }
    }
    const QString x = vm.toString(a), y = vm.toString(b);
    const int r = QString::compare(
        x, y, (flags & sortflag::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Sorts a by cmp and applies the flags; answers what sort returns.
Value sortWith(Vm& vm, ArrayObject* a, uint32_t flags,
               const std::function<int(const Value&, const Value&)>& cmp) {
    std::vector<Value> elems = a->elements();
    std::vector<std::size_t> idx(elems.size());
    for (std::size_t i = 0; i < idx.size(); ++i)
        idx[i] = i;
    bool duplicate = false;
    mergeSort(idx, [&](std::size_t x, std::size_t y) {
        int r = cmp(elems[x], elems[y]);
        if (r == 0)
            duplicate = true;
        return (flags & sortflag::Descending) ? -r : r;
    });
    if ((flags & sortflag::UniqueSort) && duplicate)
        return Value(0);
    if (flags & sortflag::ReturnIndexedArray) {
        std::vector<Value> out;
        for (std::size_t i : idx)
            out.push_back(Value(static_cast<double>(i)));
        return Value(static_cast<Object*>(vm.newArray(std::move(out))));
    }
    std::vector<Value> sorted;
    sorted.reserve(idx.size());
    for (std::size_t i : idx)
        sorted.push_back(elems[i]);
    a->elements() = std::move(sorted);
    return Value(static_cast<Object*>(a));
}

Value sort(Vm& vm, CallArgs& c) {
    ArrayObject* a = self(c);
    if (!a)
        return Value();
    Object* fn = c.arg(0).object();
    uint32_t flags = 0;
    if (fn && fn->isFunction())
        flags = c.count() > 1 ? vm.toUint32(c.arg(1)) : 0;
    else if (c.count() > 0 && !c.arg(0).isNumber())
        return Value(); // neither a comparison nor flags: Flash leaves the array alone
    else
        flags = c.count() > 0 ? vm.toUint32(c.arg(0)) : 0;
    if (fn && fn->isFunction()) {
        return sortWith(vm, a, flags, [&](const Value& x, const Value& y) {
            const Value args[] = {x, y};
            const double r = vm.toNumber(vm.call(Value(fn), Value(), args));
            return r < 0 ? -1 : (r > 0 ? 1 : 0);
        });
    }
    return sortWith(vm, a, flags,
                    [&](const Value& x, const Value& y) { return compareValues(vm, x, y, flags); });
}

Value sortOn(Vm& vm, CallArgs& c) {
    ArrayObject* a = self(c);
    if (!a)
        return Value();
    if (c.count() == 0)
        return Value();
    std::vector<QString> fields;
    std::vector<uint32_t> fieldFlags;
    const auto* fieldList = dynamic_cast<ArrayObject*>(c.arg(0).object());
    if (fieldList) {
        for (const Value& v : fieldList->elements())
            fields.push_back(vm.toString(v));
    } else {
        fields.push_back(vm.toString(c.arg(0)));
    }
    uint32_t flags = 0;
    if (auto* list = dynamic_cast<ArrayObject*>(c.arg(1).object())) {
        for (const Value& v : list->elements())
            fieldFlags.push_back(vm.toUint32(v));
        // Options count only when there is one for every field; then the first also says
        // how to sort as a whole.
        if (fieldFlags.size() != fields.size())
            fieldFlags.clear();
        if (!fieldFlags.empty())
            flags = fieldFlags[0] & (sortflag::UniqueSort | sortflag::ReturnIndexedArray);
    } else if (!c.arg(1).isObject()) {
        // One number (or text of one) applies to every field; other objects are ignored.
        flags = vm.toUint32(c.arg(1));
    }
    return sortWith(vm, a, flags & ~sortflag::Descending, [&](const Value& x, const Value& y) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const uint32_t f = fieldFlags.empty() ? flags : fieldFlags[i];
            int r = compareValues(vm, vm.getMember(x, fields[i]), vm.getMember(y, fields[i]), f);
            if (f & sortflag::Descending)
                r = -r;
            if (r != 0)
                return r;
        }
        return 0;
    });
}

} // namespace

void installArray(Vm& vm) {
    // The prototype is a plain object: it has no length of its own.
    Object* proto = vm.newObject();
    vm.protos().array = proto;
    NativeFunction* ctor = vm.defineClass(
        vm.global(), QStringLiteral("Array"),
        [](Vm& vm, CallArgs& c) -> Value {
            ArrayObject* a = c.construct ? dynamic_cast<ArrayObject*>(c.thisObject()) : nullptr;
            if (!a)
                a = vm.newArray();
            if (c.count() == 1 && c.arg(0).isNumber()) {
                a->setLength(c.arg(0).number());
            } else {
                for (const Value& v : c.args)
                    a->push(v);
            }
            return Value(static_cast<Object*>(a));
        },
        proto);
    ctor->setAllocator([](Vm& vm, Object* p) -> Object* { return vm.heap().make<ArrayObject>(p); });
    ctor->define(QStringLiteral("CASEINSENSITIVE"), Value(1));
    ctor->define(QStringLiteral("DESCENDING"), Value(2));
    ctor->define(QStringLiteral("UNIQUESORT"), Value(4));
    ctor->define(QStringLiteral("RETURNINDEXEDARRAY"), Value(8));
    ctor->define(QStringLiteral("NUMERIC"), Value(16));

    vm.defineMethod(proto, QStringLiteral("push"), [](Vm&, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a)
            return Value();
        for (const Value& v : c.args)
            a->push(v);
        return Value(static_cast<double>(a->length()));
    });
    vm.defineMethod(proto, QStringLiteral("pop"), [](Vm&, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a || a->elements().empty())
            return Value();
        Value v = a->elements().back();
        a->elements().pop_back();
        return v;
    });
    vm.defineMethod(proto, QStringLiteral("shift"), [](Vm&, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a || a->elements().empty())
            return Value();
        Value v = a->elements().front();
        a->elements().erase(a->elements().begin());
        return v;
    });
    vm.defineMethod(proto, QStringLiteral("unshift"), [](Vm&, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a)
            return Value();
        if (a->length() + c.count() <= ArrayObject::kMaxLength)
            a->elements().insert(a->elements().begin(), c.args.begin(), c.args.end());
        return Value(static_cast<double>(a->length()));
    });
    vm.defineMethod(proto, QStringLiteral("join"), [](Vm& vm, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        const QString sep = c.arg(0).isUndefined() ? QStringLiteral(",") : vm.toString(c.arg(0));
        if (!a)
            return c.thisObject() ? Value(joinLike(vm, c.thisv, sep)) : Value();
        return Value(join(vm, a, sep));
    });
    vm.defineMethod(proto, QStringLiteral("toString"), [](Vm& vm, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a)
            return c.thisObject() ? Value(joinLike(vm, c.thisv, QStringLiteral(",")))
                                  : Value(QStringLiteral("[object Object]"));
        return Value(join(vm, a, QStringLiteral(",")));
    });
    vm.defineMethod(proto, QStringLiteral("reverse"), [](Vm&, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a)
            return Value();
        std::reverse(a->elements().begin(), a->elements().end());
        return Value(static_cast<Object*>(a));
    });
    vm.defineMethod(proto, QStringLiteral("concat"), [](Vm& vm, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        std::vector<Value> out;
        if (a)
            out = a->elements();
        for (const Value& v : c.args) {
            if (auto* other = dynamic_cast<ArrayObject*>(v.object()))
                out.insert(out.end(), other->elements().begin(), other->elements().end());
            else
                out.push_back(v);
            if (out.size() > ArrayObject::kMaxLength)
                break;
        }
        return Value(static_cast<Object*>(vm.newArray(std::move(out))));
    });
    vm.defineMethod(proto, QStringLiteral("slice"), [](Vm& vm, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a)
            return Value();
        const double len = static_cast<double>(a->length());
        const double start = clampIndex(c.arg(0).isUndefined() ? 0 : vm.toInteger(c.arg(0)), len);
        const double end = clampIndex(c.arg(1).isUndefined() ? len : vm.toInteger(c.arg(1)), len);
        std::vector<Value> out;
        for (double i = start; i < end; ++i)
            out.push_back(a->elements()[static_cast<std::size_t>(i)]);
        return Value(static_cast<Object*>(vm.newArray(std::move(out))));
    });
    vm.defineMethod(proto, QStringLiteral("splice"), [](Vm& vm, CallArgs& c) -> Value {
        ArrayObject* a = self(c);
        if (!a || c.count() == 0)
            return Value();
        auto& e = a->elements();
        const double len = static_cast<double>(e.size());
        const auto start = static_cast<std::size_t>(clampIndex(vm.toInteger(c.arg(0)), len));
        std::size_t count = e.size() - start;
        if (c.count() > 1) {
            const double n = vm.toInteger(c.arg(1));
            count = n < 0 ? 0 : static_cast<std::size_t>(std::min<double>(n, count));
        }
        std::vector<Value> removed(e.begin() + start, e.begin() + start + count);
        e.erase(e.begin() + start, e.begin() + start + count);
        if (c.count() > 2 && e.size() + c.count() <= ArrayObject::kMaxLength)
            e.insert(e.begin() + start, c.args.begin() + 2, c.args.end());
        return Value(static_cast<Object*>(vm.newArray(std::move(removed))));
    });
    vm.defineMethod(proto, QStringLiteral("sort"), sort);
    vm.defineMethod(proto, QStringLiteral("sortOn"), sortOn);
}

} // namespace swf::avm1::builtins
