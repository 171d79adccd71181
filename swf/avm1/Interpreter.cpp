#include "swf/avm1/Interpreter.h"

#include "swf/avm1/MovieClipObject.h"
#include "swf/avm1/NumberFormat.h"
#include "swf/avm1/Vm.h"

#include <QRandomGenerator>
#include <cmath>
#include <cstring>

namespace swf::avm1 {

namespace {

// The object super stands for inside a method: member lookups start above the method's home
// and calls run with the method's own this; calling it runs the base class constructor.
class SuperObject : public FunctionObject {
public:
    // No prototype of its own: super.__proto__ is undefined in Flash.
    SuperObject(Value thisv, Object* start, Object* ctor)
        : FunctionObject(nullptr), thisv_(std::move(thisv)), start_(start), ctor_(ctor) {}
    QString typeName() const override { return QStringLiteral("object"); }
    bool getSpecial(Vm& vm, const QString& name, Value& out) override {
        return start_ && vm.lookup(start_, name, out, nullptr, &thisv_);
    }
    Value call(Vm& vm, CallArgs& c) override {
        Object* ctor = ctor_;
        if (!ctor && start_) {
            Value v;
            if (vm.lookup(start_, QStringLiteral("constructor"), v))
                ctor = v.object();
        }
        if (!ctor || !ctor->isFunction())
            return Value();
        Value protoValue;
        vm.lookup(ctor, QStringLiteral("prototype"), protoValue);
        return vm.call(Value(ctor), thisv_, c.args, protoValue.object());
    }
    // Finds a method for super.name(): its holder becomes the next home.
    Value method(Vm& vm, const QString& name, Object** holder) {
        Value v;
        if (start_)
            vm.lookup(start_, name, v, holder, &thisv_);
        return v;
    }
    const Value& thisValue() const { return thisv_; }
    Value conversionThis(const Value&) const override { return thisv_; }
    void markChildren(std::vector<Object*>& pending) override {
        FunctionObject::markChildren(pending);
        if (Object* o = thisv_.object())
            pending.push_back(o);
        if (start_)
            pending.push_back(start_);
        if (ctor_)
            pending.push_back(ctor_);
    }

private:
    Value thisv_;
    Object* start_;
    Object* ctor_;
};

enum Action : uint8_t {
    ANextFrame = 0x04,
    APrevFrame = 0x05,
    APlay = 0x06,
    AStop = 0x07,
    AToggleQuality = 0x08,
    AStopSounds = 0x09,
    AAdd = 0x0A,
    ASubtract = 0x0B,
    AMultiply = 0x0C,
    ADivide = 0x0D,
    AEquals = 0x0E,
    ALess = 0x0F,
    AAnd = 0x10,
    AOr = 0x11,
    ANot = 0x12,
    AStringEquals = 0x13,
    AStringLength = 0x14,
    AStringExtract = 0x15,
    APop = 0x17,
    AToInteger = 0x18,
    AGetVariable = 0x1C,
    ASetVariable = 0x1D,
    ASetTarget2 = 0x20,
    AStringAdd = 0x21,
    AGetProperty = 0x22,
    ASetProperty = 0x23,
    ACloneSprite = 0x24,
    ARemoveSprite = 0x25,
    ATrace = 0x26,
    AStartDrag = 0x27,
    AEndDrag = 0x28,
    AStringLess = 0x29,
    AThrow = 0x2A,
    ACastOp = 0x2B,
    AImplementsOp = 0x2C,
    ARandomNumber = 0x30,
    AMBStringLength = 0x31,
    ACharToAscii = 0x32,
    AAsciiToChar = 0x33,
    AGetTime = 0x34,
    AMBStringExtract = 0x35,
    AMBCharToAscii = 0x36,
    AMBAsciiToChar = 0x37,
    ADelete = 0x3A,
    ADelete2 = 0x3B,
    ADefineLocal = 0x3C,
    ACallFunction = 0x3D,
    AReturn = 0x3E,
    AModulo = 0x3F,
    ANewObject = 0x40,
    ADefineLocal2 = 0x41,
    AInitArray = 0x42,
    AInitObject = 0x43,
    ATypeOf = 0x44,
    ATargetPath = 0x45,
    AEnumerate = 0x46,
    AAdd2 = 0x47,
    ALess2 = 0x48,
    AEquals2 = 0x49,
    AToNumber = 0x4A,
    AToString = 0x4B,
    APushDuplicate = 0x4C,
    AStackSwap = 0x4D,
    AGetMember = 0x4E,
    ASetMember = 0x4F,
    AIncrement = 0x50,
    ADecrement = 0x51,
    ACallMethod = 0x52,
    ANewMethod = 0x53,
    AInstanceOf = 0x54,
    AEnumerate2 = 0x55,
    ABitAnd = 0x60,
    ABitOr = 0x61,
    ABitXor = 0x62,
    ABitLShift = 0x63,
    ABitRShift = 0x64,
    ABitURShift = 0x65,
    AStrictEquals = 0x66,
    AGreater = 0x67,
    AStringGreater = 0x68,
    AExtends = 0x69,
    AGotoFrame = 0x81,
    AGetURL = 0x83,
    AStoreRegister = 0x87,
    AConstantPool = 0x88,
    AWaitForFrame = 0x8A,
    ASetTarget = 0x8B,
    AGotoLabel = 0x8C,
    AWaitForFrame2 = 0x8D,
    ADefineFunction2 = 0x8E,
    ATry = 0x8F,
    AWith = 0x94,
    APush = 0x96,
    AJump = 0x99,
    AGetURL2 = 0x9A,
    ADefineFunction = 0x9B,
    AIf = 0x9D,
    ACall = 0x9E,
    AGotoFrame2 = 0x9F,
};

// A bounded reader over one action's payload.
class Payload {
public:
    Payload(const uint8_t* p, int n) : p_(p), n_(n) {}
    bool atEnd() const { return pos_ >= n_; }
    uint8_t u8() { return pos_ < n_ ? p_[pos_++] : 0; }
    uint16_t u16() {
        const uint16_t lo = u8();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32() {
        const uint32_t lo = u16();
        return lo | (static_cast<uint32_t>(u16()) << 16);
    }
    QByteArray cstring() {
        const int begin = pos_;
        while (pos_ < n_ && p_[pos_])
            ++pos_;
        QByteArray s(reinterpret_cast<const char*>(p_ + begin), pos_ - begin);
        if (pos_ < n_)
            ++pos_;
        return s;
    }
    int pos() const { return pos_; }

private:
    const uint8_t* p_;
    int n_;
    int pos_ = 0;
};

struct Frame {
    Vm& vm;
    QByteArray code;
    const uint8_t* data = nullptr;
    int size = 0;
    int version = 0;
    std::vector<Object*> scope; // activations and with objects, innermost last
    Object* target = nullptr;   // the timeline variables fall back to (setTarget moves it)
    Object* origTarget = nullptr;
    Value thisv;
    Object* activation = nullptr;
    std::vector<Value> registers;
    std::shared_ptr<const std::vector<QString>> constants;
    std::vector<Value> stack;
    Value returnValue;
    bool returned = false;

    Value pop() {
        if (stack.empty())
            return Value();
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    }
    void push(Value v) {
        // A runaway push loop is stopped by the time limit; this bound keeps its memory sane.
        if (stack.size() < (1u << 20))
            stack.push_back(std::move(v));
    }
    QString str(const QByteArray& bytes) const {
        return version >= 6 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }
};

class Runner {
public:
    explicit Runner(Frame& f) : f_(f), vm_(f.vm) {}
    // Runs actions from pc while pc stays inside [lo, hi); answers where it stopped.
    int run(int pc, int lo, int hi);

private:
    // scopeHolder, when asked for, answers the scope object the name was found on.
    Value getVariable(const QString& name, Object** scopeHolder = nullptr);
    void setVariable(const QString& name, const Value& v);
    bool splitVariablePath(const QString& name, Value& object, QString& member);
    // Follows a path of clips and objects ("a/b", "_root.a", "../a"). With clipsOnly every
    // step must be a clip, as a path naming a target requires. Paths that name a target
    // (tellTarget, properties) may repeat their colons; paths to variables may not.
    enum class PathUse { Variable, Target };
    // With member given, a scope only answers for a path that leads to an object having it.
    Value resolvePath(const QString& path, bool clipsOnly = false, PathUse use = PathUse::Target,
                      const QString* member = nullptr);
    Value pathStep(const Value& cur, const QString& segment);
    ClipBridge* targetClip(const Value& v);
    ClipBridge* currentClip() { return targetClip(Value(f_.target)); }
    Value targetFromValue(const Value& v);
    std::vector<Value> popArgs(std::size_t missingAllowed = 0);
    void doCall(const Value& fn, const Value& thisv, Object* home);
    void defineFunction(Payload& p, bool v2, int bodyStart, int& bodySize);
    void gotoFrameValue(const Value& frame, bool play, int bias);
    void doTry(Payload& p, int afterHeader, int& next);
    int skipActions(int pc, int count);
    Value boolValue(bool b) const { return f_.version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }
    // Flash 5 reads property numbers as plain decimals ("013" is 13, "0x13" no property);
    // the versions around it read them as any other number.
    int propertyIndex(const Value& v) {
        const double d =
            v.isString() && f_.version == 5 ? stringToNumber(v.string(), false) : vm_.toNumber(v);
        return std::isfinite(d) && std::fabs(d) < 1e6 ? static_cast<int>(d) : -1;
    }
    // The two operands of add, multiply and less, the deeper one converted first (a valueOf
    // that traces shows the order); subtract, divide and equals convert the top one first.
    std::pair<double, double> popNumbers() {
        const Value b = f_.pop();
        const Value a = f_.pop();
        const double x = vm_.toNumber(a);
        return {x, vm_.toNumber(b)};
    }
    Value propertyOf(const Value& target, int index);
    // getURL("FSCommand:name", args) is how movies call fscommand.
    bool fsCommand(const QString& url, const QString& args) {
        if (!url.startsWith(QLatin1String("fscommand:"), Qt::CaseInsensitive))
            return false;
        if (vm_.display())
            vm_.display()->fsCommand(url.mid(10), args);
        return true;
    }

    Frame& f_;
    Vm& vm_;
};

// The count on top of the stack, then that many values; up to missingAllowed of them beyond
// what the stack holds come out undefined, as popping an empty stack does.
std::vector<Value> Runner::popArgs(std::size_t missingAllowed) {
    const double n = vm_.toNumber(f_.pop());
    std::size_t count = (std::isnan(n) || n < 0) ? 0 : static_cast<std::size_t>(std::min(n, 1e18));
    count = std::min(count, f_.stack.size() + missingAllowed);
    std::vector<Value> args;
    args.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        args.push_back(f_.pop());
    return args;
}

ClipBridge* Runner::targetClip(const Value& v) {
    if (auto* o = dynamic_cast<MovieClipObject*>(v.object()))
        return o->clip(vm_);
    return nullptr;
}

// One step along a path: the parent, a special name, or a member, where a clip's own
// children come before its variables of the same name.
Value Runner::pathStep(const Value& cur, const QString& segment) {
    if (segment == QLatin1String(".."))
        return vm_.resolveTarget(cur, segment);
    if (segment.startsWith('_') &&
        (segment.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0 ||
         segment.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0 ||
         segment.startsWith(QLatin1String("_level"), Qt::CaseInsensitive)))
        return vm_.resolveTarget(cur, segment);
    if (vm_.sameName(segment, QStringLiteral("this")))
        return cur;
    if (ClipBridge* c = targetClip(cur))
        if (ClipBridge* child = c->childByName(segment, vm_.caseSensitive()))
            return Value(static_cast<Object*>(vm_.clipObject(child)));
    return vm_.getMember(cur, segment);
}

Value Runner::resolvePath(const QString& path, bool clipsOnly, PathUse use, const QString* member) {
    if (path.isEmpty())
        return Value(f_.target);
    auto isSeparator = [&](int i) {
        return i < path.size() && (path[i] == '/' || path[i] == ':' || path[i] == '.');
    };
    Value start;
    int i = 0;
    if (path[0] == '/') {
        start = vm_.resolveTarget(Value(f_.target), QStringLiteral("/"));
        i = 1;
    } else if (path[0] == ':') {
        // A path opened by a colon starts from the timeline; one opened by a lone dot names
        // nothing.
        start = Value(f_.target);
        i = 1;
    } else if (path[0] == '.' && !path.startsWith(QLatin1String(".."))) {
        return Value();
    }
    std::vector<QString> segments;
    while (i < path.size()) {
        QString segment;
        if (path.mid(i, 2) == QLatin1String("..") && (i + 2 == path.size() || isSeparator(i + 2))) {
            segment = QStringLiteral("..");
            i += 2;
        } else {
            const int begin = i;
            while (i < path.size() && !isSeparator(i))
                ++i;
            segment = path.mid(begin, i - begin);
        }
        const QChar separator = i < path.size() ? path[i] : QChar();
        if (i < path.size())
            ++i;
        // Colons may repeat; any other two separators in a row name nothing.
        if (segment.isEmpty()) {
            if (separator == ':' && use == PathUse::Target)
                continue;
            return Value();
        }
        segments.push_back(segment);
    }
    // Walks the segments from `from` on; nothing when a step leads nowhere.
    auto walk = [&](Value cur, std::size_t from) -> Value {
        for (std::size_t k = from; k < segments.size(); ++k) {
            if (!cur.isObject())
                return Value();
            cur = pathStep(cur, segments[k]);
            if (clipsOnly && !targetClip(cur))
                return Value();
        }
        return cur.isObject() ? cur : Value();
    };
    if (start.isObject() || segments.empty())
        return walk(start.isObject() ? start : Value(f_.target), 0);
    const QString& first = segments.front();
    if (first == QLatin1String("..") || first.startsWith('_') ||
        vm_.sameName(first, QStringLiteral("this"))) {
        Value cur = vm_.sameName(first, QStringLiteral("this"))
                        ? (f_.thisv.isObject() ? f_.thisv : Value(f_.target))
                        : pathStep(Value(f_.target), first);
        if (!cur.isObject() && first.startsWith('_'))
            cur = getVariable(first);
        if (clipsOnly && !targetClip(cur))
            return Value();
        return walk(cur, 1);
    }
    // The first name is looked for in each scope in turn, locals first and the timeline's
    // children before its variables; the first place the whole path leads somewhere wins.
    auto tryFrom = [&](const Value& cur) -> Value {
        if (clipsOnly && !targetClip(cur))
            return Value();
        const Value end = walk(cur, 1);
        Value unused;
        if (member && end.isObject() && !vm_.lookup(end.object(), *member, unused))
            return Value();
        return end;
    };
    Value found;
    for (auto it = f_.scope.rbegin(); it != f_.scope.rend(); ++it) {
        Value v;
        if (vm_.lookup(*it, first, v))
            if (found = tryFrom(v); found.isObject())
                return found;
    }
    if (f_.target) {
        const Value v = pathStep(Value(f_.target), first);
        if (!v.isUndefined())
            if (found = tryFrom(v); found.isObject())
                return found;
    }
    Value v;
    if (vm_.lookup(vm_.global(), first, v))
        if (found = tryFrom(v); found.isObject())
            return found;
    // No scope has the member: the first scope's path is the object asked of.
    if (member)
        return resolvePath(path, clipsOnly, use);
    return Value();
}

bool Runner::splitVariablePath(const QString& name, Value& object, QString& member) {
    int cut = -1;
    for (int i = name.size() - 1; i >= 0; --i) {
        const QChar c = name[i];
        if (c == ':' || c == '.' || c == '/') {
            cut = i;
            break;
        }
    }
    if (cut < 0)
        return false;
    // "a..b" style parent steps and a trailing ".." are part of the path.
    if (name[cut] == '.' && cut > 0 && name[cut - 1] == '.')
        return false;
    member = name.mid(cut + 1);
    const QString path = name.left(cut);
    object = path.isEmpty() && name[cut] == '/' ? vm_.resolveTarget(Value(f_.target), "/")
                                                : resolvePath(path);
    return true;
}

Value Runner::getVariable(const QString& name, Object** scopeHolder) {
    if (name.isEmpty())
        return Value();
    const QChar c0 = name[0];
    if (name.contains('/') || name.contains(':') || name.contains('.')) {
        // The last ":" or "." parts the path from the variable; a name with slashes alone
        // is the path of a clip.
        int cut = -1;
        for (int i = name.size() - 1; i >= 0 && cut < 0; --i)
            if (name[i] == ':' || name[i] == '.')
                cut = i;
        if (cut >= 0) {
            const QString member = name.mid(cut + 1);
            if (member.isEmpty() || cut == 0)
                return Value();
            const Value obj = resolvePath(name.left(cut), false, PathUse::Variable, &member);
            if (!obj.isObject())
                return Value();
            // A function called by its path runs on the object the path led to.
            if (scopeHolder)
                *scopeHolder = obj.object();
            return vm_.getMember(obj, member);
        }
        // A slash path that leads to no clip may still be the name of a variable, since
        // setting one by such a name makes a variable of that very name.
        const Value clip = resolvePath(name, true);
        if (clip.isObject())
            return clip;
    }
    if ((c0 == 't' || c0 == 'T') && vm_.sameName(name, QStringLiteral("this"))) {
        // A function's "this" is one of its locals. A function that keeps it in a
        // register only has none of its own, and the name reaches past it: to an enclosing
        // function's, or else to the timeline (nothing at all in Flash 5).
        if (!f_.activation)
            return f_.thisv;
        Value out;
        for (auto it = f_.scope.rbegin(); it != f_.scope.rend(); ++it)
            if (vm_.lookup(*it, name, out))
                return out;
        return f_.version >= 6 && f_.target ? Value(f_.target) : Value();
    }
    if (c0 == '_') {
        if (vm_.sameName(name, QStringLiteral("_global")) && f_.version >= 6)
            return Value(vm_.global());
        if (name.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0 ||
            name.startsWith(QLatin1String("_level"), Qt::CaseInsensitive)) {
            bool isLevel = name.startsWith(QLatin1String("_level"), Qt::CaseInsensitive);
            bool ok = true;
            if (isLevel)
                name.mid(6).toInt(&ok);
            if (ok)
                return vm_.resolveTarget(Value(f_.target), name);
        }
    }
    Value out;
    for (auto it = f_.scope.rbegin(); it != f_.scope.rend(); ++it)
        if (vm_.lookup(*it, name, out) || vm_.resolveMissing(*it, name, out)) {
            if (scopeHolder)
                *scopeHolder = *it;
            return out;
        }
    if (f_.target && vm_.lookup(f_.target, name, out))
        return out;
    // Flash 4 had no global object: NaN and Infinity there are plain, unset variables.
    if (f_.version >= 5 && vm_.lookup(vm_.global(), name, out)) {
        if (scopeHolder)
            *scopeHolder = vm_.global();
        return out;
    }
    return Value();
}

void Runner::setVariable(const QString& name, const Value& v) {
    if (name.contains(':') || name.contains('.')) {
        Value obj;
        QString member;
        if (splitVariablePath(name, obj, member) && obj.isObject() && !member.isEmpty())
            vm_.setMember(obj, member, v);
        return;
    }
    // Outside functions "this" is the frame's own, and a script may set it.
    if (!f_.activation && vm_.sameName(name, QStringLiteral("this"))) {
        f_.thisv = v;
        return;
    }
    for (auto it = f_.scope.rbegin(); it != f_.scope.rend(); ++it) {
        Value dummy;
        if (vm_.lookup(*it, name, dummy)) {
            vm_.setMember(Value(*it), name, v);
            return;
        }
    }
    if (f_.target)
        vm_.setMember(Value(f_.target), name, v);
}

Value Runner::targetFromValue(const Value& v) {
    if (v.isObject())
        return v;
    // An empty path is the timeline being talked to, which tellTarget may have changed.
    return resolvePath(vm_.toString(v));
}

Value Runner::propertyOf(const Value& target, int index) {
    static const char* const names[] = {
        "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
        "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
        "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
        "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
        "_xmouse",      "_ymouse"};
    if (index < 0 || index >= PropCount)
        return Value();
    if (!target.isObject())
        return Value();
    return vm_.getMember(target, QLatin1String(names[index]));
}

void Runner::doCall(const Value& fn, const Value& thisv, Object* home) {
    std::vector<Value> args = popArgs();
    f_.push(vm_.call(fn, thisv, args, home));
}

int Runner::skipActions(int pc, int count) {
    for (int i = 0; i < count && pc < f_.size; ++i) {
        const uint8_t code = f_.data[pc++];
        if (code >= 0x80) {
            if (pc + 2 > f_.size)
                return f_.size;
            pc += 2 + (f_.data[pc] | (f_.data[pc + 1] << 8));
        }
    }
    return pc;
}

void Runner::gotoFrameValue(const Value& frame, bool play, int bias) {
    ClipBridge* clip = currentClip();
    Value v = frame;
    if (v.isString()) {
        QString s = v.string();
        const int colon = std::max(s.lastIndexOf(':'), s.lastIndexOf('.'));
        if (colon >= 0 && !s.left(colon).isEmpty()) {
            clip = targetClip(resolvePath(s.left(colon)));
            s = s.mid(colon + 1);
        }
        if (!clip)
            return;
        bool ok = false;
        const double n = s.toDouble(&ok);
        if (ok) {
            clip->gotoFrame(static_cast<int>(n) + bias, play);
        } else {
            const int f = clip->frameForLabel(s);
            if (f > 0)
                clip->gotoFrame(f, play);
        }
        return;
    }
    if (!clip)
        return;
    const double n = vm_.toNumber(v);
    if (std::isfinite(n))
        clip->gotoFrame(static_cast<int>(n) + bias, play);
}

void Runner::defineFunction(Payload& p, bool v2, int bodyStart, int& bodySize) {
    auto* fn = vm_.heap().make<ScriptFunction>(vm_.protos().function);
    fn->name = f_.str(p.cstring());
    const int numParams = p.u16();
    fn->function2 = v2;
    if (v2) {
        fn->registerCount = p.u8();
        fn->flags = p.u16();
    }
    for (int i = 0; i < numParams && !p.atEnd(); ++i) {
        ScriptFunction::Param param;
        if (v2)
            param.reg = p.u8();
        param.name = f_.str(p.cstring());
        fn->params.push_back(param);
    }
    bodySize = p.u16();
    if (bodyStart + bodySize > f_.size)
        bodySize = f_.size - bodyStart;
    fn->code = f_.code;
    fn->start = bodyStart;
    fn->length = bodySize;
    fn->version = f_.version;
    fn->scope = f_.scope;
    if (f_.activation && (f_.scope.empty() || f_.scope.back() != f_.activation))
        fn->scope.push_back(f_.activation);
    fn->target = f_.target;
    fn->constants = f_.constants;
    Object* prototype = vm_.newObject();
    prototype->define(QStringLiteral("constructor"), Value(static_cast<Object*>(fn)),
                      propflag::DontEnum);
    fn->define(QStringLiteral("prototype"), Value(prototype), propflag::DontEnum);
    const Value fv(static_cast<Object*>(fn));
    if (fn->name.isEmpty()) {
        f_.push(fv);
    } else if (f_.activation) {
        f_.activation->define(fn->name, fv);
    } else {
        setVariable(fn->name, fv);
    }
}

void Runner::doTry(Payload& p, int bodyStart, int& next) {
    const uint8_t flags = p.u8();
    const int trySize = p.u16();
    const int catchSize = p.u16();
    const int finallySize = p.u16();
    const bool hasCatch = flags & 1;
    const bool hasFinally = flags & 2;
    const bool catchInRegister = flags & 4;
    QString catchName;
    uint8_t catchRegister = 0;
    if (catchInRegister)
        catchRegister = p.u8();
    else
        catchName = f_.str(p.cstring());

    // A block whose flag is clear has no length, whatever its size field says: the code
    // after it is run as the next block.
    const int tryStart = bodyStart;
    const int catchStart = tryStart + trySize;
    const int finallyStart = catchStart + (hasCatch ? catchSize : 0);
    const int end = std::min(finallyStart + (hasFinally ? finallySize : 0), f_.size);
    next = end;

    std::optional<ScriptException> pending;
    const std::size_t stackDepth = f_.stack.size();
    int after = end;
    // A jump out of the try or catch block leaves the whole statement: finally is skipped.
    bool jumpedOut = false;
    try {
        const int pc = run(tryStart, tryStart, catchStart);
        if (pc < tryStart || pc >= catchStart) {
            after = pc >= catchStart && pc <= end ? end : pc;
            jumpedOut = after != end && !f_.returned;
        }
    } catch (ScriptException& e) {
        f_.stack.resize(std::min(f_.stack.size(), stackDepth));
        if (hasCatch) {
            if (catchInRegister) {
                if (catchRegister < f_.registers.size())
                    f_.registers[catchRegister] = e.value;
            } else if (f_.activation) {
                f_.activation->define(catchName, e.value);
            } else {
                setVariable(catchName, e.value);
            }
            try {
                const int pc = run(catchStart, catchStart, finallyStart);
                if (pc < catchStart || pc >= finallyStart) {
                    after = pc >= finallyStart && pc <= end ? end : pc;
                    jumpedOut = after != end && !f_.returned;
                }
            } catch (ScriptException& inner) {
                pending = inner;
            }
        } else {
            pending = e;
        }
    }
    if (hasFinally && finallyStart < end && !jumpedOut) {
        // A return inside try still runs finally, then returns.
        const bool returned = f_.returned;
        const Value returnValue = f_.returnValue;
        f_.returned = false;
        const int pc = run(finallyStart, finallyStart, end);
        if (f_.returned) {
            pending.reset();
        } else {
            f_.returned = returned;
            f_.returnValue = returnValue;
            if (pc < finallyStart || pc > end)
                after = pc;
        }
    }
    if (pending)
        throw *pending;
    next = after;
}

int Runner::run(int pc, int lo, int hi) {
    while (pc >= lo && pc < hi && pc < f_.size && !f_.returned) {
        if (++vm_.actionCount >= 4096) {
            vm_.actionCount = 0;
            vm_.checkBudget();
        }
        const uint8_t code = f_.data[pc++];
        if (code == 0)
            return f_.size; // ActionEnd
        int len = 0;
        if (code >= 0x80) {
            if (pc + 2 > f_.size)
                return f_.size;
            len = f_.data[pc] | (f_.data[pc + 1] << 8);
            pc += 2;
            if (pc + len > f_.size)
                return f_.size;
        }
        Payload p(f_.data + pc, len);
        int next = pc + len;

        switch (code) {
        case ANextFrame:
            if (ClipBridge* c = currentClip())
                c->gotoFrame(c->currentFrame() + 1, false);
            break;
        case APrevFrame:
            if (ClipBridge* c = currentClip())
                if (c->currentFrame() > 1)
                    c->gotoFrame(c->currentFrame() - 1, false);
            break;
        case APlay:
            if (ClipBridge* c = currentClip())
                c->play();
            break;
        case AStop:
            if (ClipBridge* c = currentClip())
                c->stop();
            break;
        case AToggleQuality:
            if (ClipBridge* c = currentClip())
                c->toggleQuality();
            break;
        case AStopSounds:
            if (ClipBridge* c = currentClip())
                c->stopSounds();
            break;
        case AAdd: {
            const auto [a, b] = popNumbers();
            f_.push(Value(a + b));
            break;
        }
        case ASubtract: {
            const double b = vm_.toNumber(f_.pop());
            f_.push(Value(vm_.toNumber(f_.pop()) - b));
            break;
        }
        case AMultiply: {
            const auto [a, b] = popNumbers();
            f_.push(Value(a * b));
            break;
        }
        case ADivide: {
            const double b = vm_.toNumber(f_.pop());
            const double a = vm_.toNumber(f_.pop());
            if (b == 0 && f_.version < 5)
                f_.push(Value(QStringLiteral("#ERROR#")));
            else
                f_.push(Value(a / b));
            break;
        }
        case AEquals: {
            const double b = vm_.toNumber(f_.pop());
            f_.push(boolValue(vm_.toNumber(f_.pop()) == b));
            break;
        }
        case ALess: {
            const auto [a, b] = popNumbers();
            f_.push(boolValue(a < b));
            break;
        }
        case AAnd: {
            const bool b = vm_.toBoolean(f_.pop());
            const bool a = vm_.toBoolean(f_.pop());
            f_.push(boolValue(a && b));
            break;
        }
        case AOr: {
            const bool b = vm_.toBoolean(f_.pop());
            const bool a = vm_.toBoolean(f_.pop());
            f_.push(boolValue(a || b));
            break;
        }
        case ANot:
            f_.push(boolValue(!vm_.toBoolean(f_.pop())));
            break;
        case AStringEquals: {
            const QString b = vm_.toString(f_.pop());
            f_.push(boolValue(vm_.toString(f_.pop()) == b));
            break;
        }
        case AStringLength:
        case AMBStringLength:
            f_.push(Value(static_cast<double>(vm_.toString(f_.pop()).size())));
            break;
        case AStringExtract:
        case AMBStringExtract: {
            // Both numbers wrap to 32 bits: an infinite count is no count at all.
            const double count = vm_.toInt32(f_.pop());
            const double index = vm_.toInt32(f_.pop());
            const QString s = vm_.toString(f_.pop());
            double start = index - 1;
            if (start < 0)
                start = 0;
            if (start >= s.size() || count == 0) {
                f_.push(Value(QString()));
                break;
            }
            const double n = count < 0 ? s.size() : std::min<double>(count, s.size() - start);
            f_.push(Value(s.mid(static_cast<int>(start), static_cast<int>(n))));
            break;
        }
        case APop:
            f_.pop();
            break;
        case AToInteger:
            // The action wraps to 32 bits, unlike the built-ins' ToInteger.
            f_.push(Value(double(vm_.toInt32(f_.pop()))));
            break;
        case AGetVariable:
            f_.push(getVariable(vm_.toString(f_.pop())));
            break;
        case ASetVariable: {
            Value v = f_.pop();
            setVariable(vm_.toString(f_.pop()), v);
            break;
        }
        case ASetTarget2: {
            // An empty target goes back to the code's own timeline.
            const Value popped = f_.pop();
            const Value t = !popped.isObject() && vm_.toString(popped).isEmpty()
                                ? Value(f_.origTarget)
                                : targetFromValue(popped);
            f_.target = t.isObject() ? t.object() : f_.origTarget;
            break;
        }
        case AStringAdd: {
            const QString b = vm_.toString(f_.pop());
            f_.push(Value(vm_.clipString(vm_.toString(f_.pop()) + b)));
            break;
        }
        case AGetProperty: {
            const int index = propertyIndex(f_.pop());
            const Value target = targetFromValue(f_.pop());
            f_.push(propertyOf(target, index));
            break;
        }
        case ASetProperty: {
            const Value v = f_.pop();
            const int index = propertyIndex(f_.pop());
            const Value target = targetFromValue(f_.pop());
            static const char* const names[] = {
                "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
                "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
                "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
                "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
                "_xmouse",      "_ymouse"};
            if (index >= 0 && index < PropCount && target.isObject())
                vm_.setMember(target, QLatin1String(names[index]), v);
            break;
        }
        case ACloneSprite: {
            const double depth = vm_.toNumber(f_.pop());
            const QString name = vm_.toString(f_.pop());
            ClipBridge* source = targetClip(targetFromValue(f_.pop()));
            // Compilers add 16384 to the depth the author wrote; the clip gets that depth.
            if (source && std::isfinite(depth))
                source->duplicate(name, static_cast<int>(depth) - 16384);
            break;
        }
        case ARemoveSprite:
            if (ClipBridge* c = targetClip(targetFromValue(f_.pop())))
                c->remove();
            break;
        case ATrace: {
            const Value v = f_.pop();
            vm_.trace(v.isUndefined() ? QStringLiteral("undefined") : vm_.toString(v));
            break;
        }
        case AStartDrag: {
            ClipBridge* c = targetClip(targetFromValue(f_.pop()));
            const bool lock = vm_.toBoolean(f_.pop());
            const bool constrain = vm_.toBoolean(f_.pop());
            double rect[4] = {0, 0, 0, 0};
            if (constrain) {
                rect[3] = vm_.toNumber(f_.pop());
                rect[2] = vm_.toNumber(f_.pop());
                rect[1] = vm_.toNumber(f_.pop());
                rect[0] = vm_.toNumber(f_.pop());
            }
            if (c)
                c->startDrag(lock, constrain ? rect : nullptr);
            break;
        }
        case AEndDrag:
            if (ClipBridge* c = currentClip())
                c->stopDrag();
            break;
        case AStringLess: {
            const QString b = vm_.toString(f_.pop());
            f_.push(boolValue(vm_.toString(f_.pop()) < b));
            break;
        }
        case AStringGreater: {
            const QString b = vm_.toString(f_.pop());
            f_.push(boolValue(vm_.toString(f_.pop()) > b));
            break;
        }
        case AThrow:
            throw ScriptException{f_.pop()};
        case ACastOp: {
            const Value obj = f_.pop();
            const Value ctor = f_.pop();
            f_.push(vm_.instanceOf(obj, ctor.object()) ? obj : Value::null());
            break;
        }
        case AImplementsOp: {
            const Value ctor = f_.pop();
            std::vector<Value> ifaces = popArgs();
            Value proto;
            if (ctor.object())
                vm_.lookup(ctor.object(), QStringLiteral("prototype"), proto);
            if (Object* po = proto.object()) {
                for (const Value& i : ifaces) {
                    Value ip;
                    if (i.object() && vm_.lookup(i.object(), QStringLiteral("prototype"), ip) &&
                        ip.object())
                        po->interfaces().push_back(ip.object());
                }
            }
            break;
        }
        case ARandomNumber: {
            const double max = vm_.toInteger(f_.pop());
            if (max <= 0 || !std::isfinite(max))
                f_.push(Value(0));
            else
                f_.push(Value(std::floor(QRandomGenerator::global()->generateDouble() * max)));
            break;
        }
        case ACharToAscii:
        case AMBCharToAscii: {
            const QString s = vm_.toString(f_.pop());
            if (s.isEmpty()) {
                f_.push(Value(0));
            } else if (code == ACharToAscii && f_.version < 6) {
                const QByteArray b = s.left(1).toLatin1();
                f_.push(Value(static_cast<double>(static_cast<uint8_t>(b[0]))));
            } else {
                // A character beyond 16 bits has no code of its own here: it reads as the
                // replacement character.
                const QChar first = s[0];
                f_.push(Value(first.isSurrogate() ? double(QChar::ReplacementCharacter)
                                                  : static_cast<double>(first.unicode())));
            }
            break;
        }
        case AAsciiToChar:
        case AMBAsciiToChar: {
            const uint32_t c = vm_.toUint32(f_.pop()) & 0xFFFF;
            if (c == 0)
                f_.push(Value(QString()));
            else if (code == AAsciiToChar && f_.version < 6)
                f_.push(Value(QString(QChar(static_cast<char16_t>(c & 0xFF)))));
            else
                f_.push(Value(QString(QChar(static_cast<char16_t>(c)))));
            break;
        }
        case AGetTime:
            f_.push(Value(std::floor(vm_.timeMs())));
            break;
        case ADelete: {
            const QString name = vm_.toString(f_.pop());
            const Value obj = f_.pop();
            f_.push(Value(vm_.deleteMember(obj.object(), name)));
            break;
        }
        case ADelete2: {
            const QString name = vm_.toString(f_.pop());
            Value pathObject;
            QString member;
            if ((name.contains('.') || name.contains(':') || name.contains('/')) &&
                splitVariablePath(name, pathObject, member)) {
                f_.push(Value(pathObject.isObject() && !member.isEmpty() &&
                              vm_.deleteMember(pathObject.object(), member)));
                break;
            }
            bool done = false;
            for (auto it = f_.scope.rbegin(); it != f_.scope.rend() && !done; ++it)
                if (vm_.hasOwn(*it, name)) {
                    f_.push(Value(vm_.deleteMember(*it, name)));
                    done = true;
                }
            if (!done && f_.target && vm_.hasOwn(f_.target, name)) {
                f_.push(Value(vm_.deleteMember(f_.target, name)));
                done = true;
            }
            if (!done && vm_.hasOwn(vm_.global(), name)) {
                f_.push(Value(vm_.deleteMember(vm_.global(), name)));
                done = true;
            }
            if (!done)
                f_.push(Value(false));
            break;
        }
        case ADefineLocal: {
            const Value v = f_.pop();
            const QString name = vm_.toString(f_.pop());
            if (f_.activation)
                f_.activation->define(name, v);
            else
                setVariable(name, v);
            break;
        }
        case ADefineLocal2: {
            const QString name = vm_.toString(f_.pop());
            if (f_.activation) {
                if (!f_.activation->findOwn(name))
                    f_.activation->define(name, Value());
            } else if (f_.target && !vm_.hasOwn(f_.target, name)) {
                vm_.setMember(Value(f_.target), name, Value());
            }
            break;
        }
        case ACallFunction: {
            const QString name = vm_.toString(f_.pop());
            // A function is called on the scope object it was found on: a function kept
            // in another function's locals sees that activation as this.
            Object* holder = nullptr;
            const Value fn = getVariable(name, &holder);
            Value thisv = holder ? Value(holder) : f_.target ? Value(f_.target) : Value();
            if (auto* s = dynamic_cast<SuperObject*>(fn.object()))
                thisv = s->thisValue();
            doCall(fn, thisv, nullptr);
            break;
        }
        case AReturn:
            f_.returnValue = f_.pop();
            f_.returned = true;
            return f_.size;
        case AModulo: {
            const double b = vm_.toNumber(f_.pop());
            f_.push(Value(std::fmod(vm_.toNumber(f_.pop()), b)));
            break;
        }
        case ANewObject: {
            const QString name = vm_.toString(f_.pop());
            const Value ctor = getVariable(name);
            std::vector<Value> args = popArgs();
            f_.push(vm_.construct(ctor, args));
            break;
        }
        case AInitArray: {
            // An array literal is as long as it says, even when the stack runs short.
            std::vector<Value> elems = popArgs(1u << 16);
            ArrayObject* a = vm_.newArray(std::move(elems));
            // Literals take whatever Array.prototype is now, as Flash looks it up each time.
            const Value ctor = vm_.getMember(Value(vm_.global()), QStringLiteral("Array"));
            a->setProto(vm_.getMember(ctor, QStringLiteral("prototype")).object());
            f_.push(Value(static_cast<Object*>(a)));
            break;
        }
        case AInitObject: {
            const double n = vm_.toNumber(f_.pop());
            std::size_t count = (std::isnan(n) || n < 0) ? 0 : static_cast<std::size_t>(n);
            count = std::min(count, f_.stack.size() / 2);
            Object* o = vm_.newObject();
            for (std::size_t i = 0; i < count; ++i) {
                const Value v = f_.pop();
                vm_.setMember(Value(o), vm_.toString(f_.pop()), v);
            }
            f_.push(Value(o));
            break;
        }
        case ATypeOf:
            f_.push(Value(vm_.typeOf(f_.pop())));
            break;
        case ATargetPath: {
            const Value v = f_.pop();
            if (ClipBridge* c = targetClip(v))
                f_.push(Value(MovieClipObject::dotPath(c)));
            else
                f_.push(Value());
            break;
        }
        case AEnumerate:
        case AEnumerate2: {
            Value obj = f_.pop();
            if (code == AEnumerate)
                obj = getVariable(vm_.toString(obj));
            f_.push(Value()); // the end marker for..in loops stop at
            if (Object* o = obj.object())
                for (const QString& n : vm_.enumerate(o))
                    f_.push(Value(n));
            break;
        }
        case AAdd2: {
            const Value b = f_.pop();
            const Value a = f_.pop();
            if (a.isNumber() && b.isNumber())
                f_.push(Value(a.number() + b.number()));
            else
                f_.push(vm_.add(a, b));
            break;
        }
        case ALess2: {
            const Value b = f_.pop();
            const Value a = f_.pop();
            f_.push(vm_.less(a, b));
            break;
        }
        case AGreater: {
            const Value b = f_.pop();
            const Value a = f_.pop();
            f_.push(vm_.less(b, a));
            break;
        }
        case AEquals2: {
            const Value b = f_.pop();
            const Value a = f_.pop();
            f_.push(Value(vm_.equals(a, b)));
            break;
        }
        case AStrictEquals: {
            const Value b = f_.pop();
            const Value a = f_.pop();
            f_.push(Value(vm_.strictEquals(a, b)));
            break;
        }
        case AToNumber:
            f_.push(Value(vm_.toNumber(f_.pop())));
            break;
        case AToString:
            f_.push(Value(vm_.toString(f_.pop())));
            break;
        case APushDuplicate: {
            Value v = f_.stack.empty() ? Value() : f_.stack.back();
            f_.push(v);
            break;
        }
        case AStackSwap: {
            Value b = f_.pop();
            Value a = f_.pop();
            f_.push(b);
            f_.push(a);
            break;
        }
        case AGetMember: {
            const Value name = f_.pop();
            const Value obj = f_.pop();
            f_.push(vm_.getMember(obj, vm_.toString(name)));
            break;
        }
        case ASetMember: {
            const Value v = f_.pop();
            const QString name = vm_.toString(f_.pop());
            const Value obj = f_.pop();
            vm_.setMember(obj, name, v);
            break;
        }
        case AIncrement:
            f_.push(Value(vm_.toNumber(f_.pop()) + 1));
            break;
        case ADecrement:
            f_.push(Value(vm_.toNumber(f_.pop()) - 1));
            break;
        case ACallMethod: {
            const Value nameValue = f_.pop();
            const Value obj = f_.pop();
            const QString name = nameValue.isUndefined() ? QString() : vm_.toString(nameValue);
            if (name.isEmpty()) {
                // A method call with no name calls the object itself, on no this at all
                // (super() keeps the this it was made for).
                Value thisv;
                if (auto* s = dynamic_cast<SuperObject*>(obj.object()))
                    thisv = s->thisValue();
                doCall(obj, thisv, nullptr);
                break;
            }
            if (auto* s = dynamic_cast<SuperObject*>(obj.object())) {
                Object* holder = nullptr;
                const Value fn = s->method(vm_, name, &holder);
                doCall(fn, s->thisValue(), holder);
                break;
            }
            Value fn;
            Object* holder = nullptr;
            if (Object* o = obj.object()) {
                if (!vm_.lookup(o, name, fn, &holder))
                    vm_.resolveMissing(o, name, fn);
            } else
                fn = vm_.getMember(obj, name);
            doCall(fn, obj, holder);
            break;
        }
        case ANewMethod: {
            const Value nameValue = f_.pop();
            const Value obj = f_.pop();
            const QString name = nameValue.isUndefined() ? QString() : vm_.toString(nameValue);
            const Value ctor = name.isEmpty() ? obj : vm_.getMember(obj, name);
            std::vector<Value> args = popArgs();
            f_.push(vm_.construct(ctor, args));
            break;
        }
        case AInstanceOf: {
            const Value ctor = f_.pop();
            const Value obj = f_.pop();
            f_.push(Value(vm_.instanceOf(obj, ctor.object())));
            break;
        }
        case ABitAnd:
        case ABitOr:
        case ABitXor:
        case ABitLShift:
        case ABitRShift:
        case ABitURShift: {
            const int32_t b = vm_.toInt32(f_.pop());
            const int32_t a = vm_.toInt32(f_.pop());
            double r = 0;
            switch (code) {
            case ABitAnd:
                r = a & b;
                break;
            case ABitOr:
                r = a | b;
                break;
            case ABitXor:
                r = a ^ b;
                break;
            case ABitLShift:
                r = static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31));
                break;
            case ABitRShift:
                r = a >> (b & 31);
                break;
            default:
                // Up to Flash 8 the unsigned shift's result is read back as a signed integer,
                // so a shift by nothing leaves negative numbers negative.
                if (f_.version <= 8)
                    r = static_cast<int32_t>(static_cast<uint32_t>(a) >> (b & 31));
                else
                    r = static_cast<uint32_t>(a) >> (b & 31);
            }
            f_.push(Value(r));
            break;
        }
        case AExtends: {
            const Value super = f_.pop();
            const Value sub = f_.pop();
            if (!sub.object() || !super.object())
                break;
            Value superProto;
            vm_.lookup(super.object(), QStringLiteral("prototype"), superProto);
            Object* proto = vm_.heap().make<Object>(superProto.object());
            proto->define(QStringLiteral("__constructor__"), super, propflag::DontEnum);
            if (f_.version < 6)
                proto->define(QStringLiteral("constructor"), super, propflag::DontEnum);
            vm_.setMember(sub, QStringLiteral("prototype"), Value(proto));
            break;
        }
        case AGotoFrame:
            if (ClipBridge* c = currentClip())
                c->gotoFrame(p.u16() + 1, false);
            break;
        case AGetURL: {
            const QString url = f_.str(p.cstring());
            const QString target = f_.str(p.cstring());
            if (!fsCommand(url, target))
                if (ClipBridge* c = currentClip())
                    c->getUrl(url, target, 0, false, false);
            break;
        }
        case AStoreRegister: {
            const uint8_t r = p.u8();
            if (r < f_.registers.size())
                f_.registers[r] = f_.stack.empty() ? Value() : f_.stack.back();
            break;
        }
        case AConstantPool: {
            auto pool = std::make_shared<std::vector<QString>>();
            const int n = p.u16();
            pool->reserve(std::min(n, len));
            for (int i = 0; i < n && !p.atEnd(); ++i)
                pool->push_back(f_.str(p.cstring()));
            f_.constants = std::move(pool);
            break;
        }
        case AWaitForFrame: {
            const int frame = p.u16();
            const int skip = p.u8();
            ClipBridge* c = currentClip();
            if (c && frame + 1 > c->framesLoaded())
                next = skipActions(next, skip);
            break;
        }
        case AWaitForFrame2: {
            const int skip = p.u8();
            const Value frame = f_.pop();
            ClipBridge* c = currentClip();
            int n = 0;
            if (c) {
                if (frame.isString() && c->frameForLabel(frame.string()) > 0)
                    n = c->frameForLabel(frame.string());
                else
                    n = static_cast<int>(vm_.toNumber(frame));
                if (n > c->framesLoaded())
                    next = skipActions(next, skip);
            }
            break;
        }
        case ASetTarget: {
            const QString path = f_.str(p.cstring());
            if (path.isEmpty()) {
                f_.target = f_.origTarget;
            } else {
                // Paths start from the code's own timeline, not from an earlier setTarget.
                f_.target = f_.origTarget;
                const Value t = resolvePath(path);
                // An unknown target leaves script talking to no clip at all, as Flash does.
                f_.target = t.isObject() ? t.object() : nullptr;
            }
            break;
        }
        case AGotoLabel:
            if (ClipBridge* c = currentClip()) {
                const int frame = c->frameForLabel(f_.str(p.cstring()));
                if (frame > 0)
                    c->gotoFrame(frame, false);
            }
            break;
        case ADefineFunction:
        case ADefineFunction2: {
            int bodySize = 0;
            defineFunction(p, code == ADefineFunction2, next, bodySize);
            next += bodySize;
            break;
        }
        case ATry:
            doTry(p, next, next);
            break;
        case AWith: {
            const int size = p.u16();
            const Value obj = f_.pop();
            const int end = std::min(next + size, f_.size);
            // A string, number or boolean is boxed for the block; nothing else is a scope.
            if (Object* o = obj.isNullish() ? nullptr : vm_.toObject(obj)) {
                if (f_.scope.size() < 64) {
                    f_.scope.push_back(o);
                    struct Pop {
                        Frame& f;
                        ~Pop() { f.scope.pop_back(); }
                    } popScope{f_};
                    const int pc2 = run(next, next, end);
                    next = (pc2 >= next && pc2 <= end) ? end : pc2;
                    break;
                }
            }
            next = end;
            break;
        }
        case APush:
            while (!p.atEnd()) {
                const uint8_t type = p.u8();
                switch (type) {
                case 0:
                    f_.push(Value(f_.str(p.cstring())));
                    break;
                case 1: {
                    const uint32_t bits = p.u32();
                    float fl;
                    std::memcpy(&fl, &bits, 4);
                    f_.push(Value(static_cast<double>(fl)));
                    break;
                }
                case 2:
                    f_.push(Value::null());
                    break;
                case 3:
                    f_.push(Value());
                    break;
                case 4: {
                    const uint8_t r = p.u8();
                    f_.push(r < f_.registers.size() ? f_.registers[r] : Value());
                    break;
                }
                case 5:
                    f_.push(Value(p.u8() != 0));
                    break;
                case 6: {
                    // Doubles are stored as two little-endian words, high word first.
                    const uint64_t hi = p.u32();
                    const uint64_t lo = p.u32();
                    const uint64_t bits = (hi << 32) | lo;
                    double d;
                    std::memcpy(&d, &bits, 8);
                    // Flash keeps a whole pushed number as an integer, which has no -0.
                    f_.push(Value(d == 0 ? 0.0 : d));
                    break;
                }
                case 7:
                    f_.push(Value(static_cast<double>(static_cast<int32_t>(p.u32()))));
                    break;
                case 8:
                case 9: {
                    const int i = type == 8 ? p.u8() : p.u16();
                    if (f_.constants && i < static_cast<int>(f_.constants->size()))
                        f_.push(Value((*f_.constants)[i]));
                    else
                        f_.push(Value());
                    break;
                }
                default:
                    // An unknown type makes the rest of the record meaningless.
                    p = Payload(nullptr, 0);
                }
            }
            break;
        case AJump: {
            const int16_t offset = static_cast<int16_t>(p.u16());
            next = next + offset;
            break;
        }
        case AIf: {
            const int16_t offset = static_cast<int16_t>(p.u16());
            if (vm_.toBoolean(f_.pop()))
                next = next + offset;
            break;
        }
        case AGetURL2: {
            const uint8_t flags = p.u8();
            const QString target = vm_.toString(f_.pop());
            const QString url = vm_.toString(f_.pop());
            if (!fsCommand(url, target))
                if (ClipBridge* c = currentClip())
                    c->getUrl(url, target, flags & 3, flags & 0x40, flags & 0x80);
            break;
        }
        case ACall: {
            const Value frame = f_.pop();
            ClipBridge* c = currentClip();
            QString s = vm_.toString(frame);
            const int colon = s.lastIndexOf(':');
            if (colon >= 0) {
                c = targetClip(resolvePath(s.left(colon)));
                s = s.mid(colon + 1);
            }
            if (!c)
                break;
            bool ok = false;
            int n = s.toInt(&ok);
            if (!ok)
                n = c->frameForLabel(s);
            if (n <= 0)
                break;
            for (const QByteArray& block : c->frameActions(n))
                Interpreter::runBlock(vm_, block, vm_.clipObject(c), f_.version);
            break;
        }
        case AGotoFrame2: {
            const uint8_t flags = p.u8();
            const int bias = (flags & 2) ? p.u16() : 0;
            gotoFrameValue(f_.pop(), flags & 1, bias);
            break;
        }
        default:
            break; // unknown actions are skipped, as Flash does
        }
        pc = next;
    }
    return pc;
}

} // namespace

void ScriptFunction::markChildren(std::vector<Object*>& pending) {
    FunctionObject::markChildren(pending);
    for (Object* o : scope)
        pending.push_back(o);
    if (target)
        pending.push_back(target);
}

Value ScriptFunction::call(Vm& vm, CallArgs& c) {
    Frame f{vm};
    f.code = code;
    f.data = reinterpret_cast<const uint8_t*>(code.constData());
    f.size = start + length;
    f.version = version;
    f.scope = scope;
    f.target = target;
    // A removed clip's functions keep running against the clip that replaced it.
    if (auto* clip = dynamic_cast<MovieClipObject*>(target); clip && !clip->liveClip())
        if (ClipBridge* live = clip->clip(vm))
            f.target = vm.clipObject(live);
    // Flash 5 functions keep nothing of where they were made: they see their own locals,
    // then the clip they are called on (or else the timeline that made them).
    if (version < 6) {
        f.scope.clear();
        if (auto* self = dynamic_cast<MovieClipObject*>(c.thisv.object()); self && self->clip(vm))
            f.target = self;
    }
    f.origTarget = f.target;
    f.thisv = c.thisv;
    f.constants = constants;
    f.registers.resize(function2 ? std::max(registerCount, 1) : 4);

    vm.callers().push_back(this);
    vm.callersConstructing().push_back(c.construct);
    struct PopCaller {
        Vm& vm;
        ~PopCaller() {
            vm.callers().pop_back();
            vm.callersConstructing().pop_back();
        }
    } popCaller{vm};
    Object* activation = vm.heap().make<Object>(nullptr);
    f.activation = activation;
    f.scope.push_back(activation);

    // arguments, with callee and caller as Flash provides them.
    auto makeArguments = [&] {
        std::vector<Value> list(c.args.begin(), c.args.end());
        ArrayObject* a = vm.newArray(std::move(list));
        a->define(QStringLiteral("callee"), Value(c.callee), propflag::DontEnum);
        Object* caller = vm.callers().size() > 1 ? vm.callers()[vm.callers().size() - 2] : nullptr;
        a->define(QStringLiteral("caller"), caller ? Value(caller) : Value::null(),
                  propflag::DontEnum);
        return Value(static_cast<Object*>(a));
    };
    auto makeSuper = [&]() -> Value {
        // A plain function call has no class to be above, and SWF 5 has no super at all.
        if (!c.home || f.version < 6)
            return Value();
        Object* self = c.thisv.object();
        Object* start =
            c.home ? c.home->proto() : (self && self->proto() ? self->proto()->proto() : nullptr);
        Object* ctor = nullptr;
        if (c.home) {
            if (const Property* p = c.home->findOwn(QStringLiteral("__constructor__")))
                ctor = p->value.object();
        }
        return Value(static_cast<Object*>(vm.heap().make<SuperObject>(c.thisv, start, ctor)));
    };

    if (function2) {
        int reg = 1;
        auto put = [&](const Value& v) {
            if (reg < static_cast<int>(f.registers.size()))
                f.registers[reg] = v;
            ++reg;
        };
        if (flags & 0x01)
            put(c.thisv);
        else if (!(flags & 0x02))
            activation->define(QStringLiteral("this"), c.thisv);
        if (flags & 0x04)
            put(makeArguments());
        else if (!(flags & 0x08))
            activation->define(QStringLiteral("arguments"), makeArguments());
        if (flags & 0x10)
            put(makeSuper());
        else if (!(flags & 0x20))
            activation->define(QStringLiteral("super"), makeSuper());
        if (flags & 0x40)
            put(vm.resolveTarget(Value(f.target), QStringLiteral("_root")));
        if (flags & 0x80)
            put(vm.resolveTarget(Value(f.target), QStringLiteral("_parent")));
        if (flags & 0x100)
            put(Value(vm.global()));
    } else {
        activation->define(QStringLiteral("this"), c.thisv);
        activation->define(QStringLiteral("arguments"), makeArguments());
        activation->define(QStringLiteral("super"), makeSuper());
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Value v = i < c.args.size() ? c.args[i] : Value();
        if (function2 && params[i].reg != 0 && params[i].reg < f.registers.size())
            f.registers[params[i].reg] = v;
        else
            activation->define(params[i].name, v);
    }
    Runner runner(f);
    runner.run(start, start, start + length);
    return f.returnValue;
}

void Interpreter::runBlock(Vm& vm, const QByteArray& code, Object* clip, int version) {
    Frame f{vm};
    f.code = code;
    f.data = reinterpret_cast<const uint8_t*>(code.constData());
    f.size = code.size();
    f.version = version;
    f.target = clip;
    f.origTarget = clip;
    f.thisv = Value(clip);
    f.registers.resize(4);
    Runner runner(f);
    runner.run(0, 0, f.size);
}

} // namespace swf::avm1
