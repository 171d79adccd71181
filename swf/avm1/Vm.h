#pragma once

// The ActionScript 1/2 machine of one movie: its heap, its global object and built-ins, the
// conversions and comparisons whose rules depend on the movie's version, member access along
// prototype chains, calls, timers and the bounds that keep a hostile movie in check.

#include "swf/avm1/ArrayObject.h"
#include "swf/avm1/ClipBridge.h"
#include "swf/avm1/Function.h"
#include "swf/avm1/Heap.h"

#include <QElapsedTimer>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>

namespace swf {
class PlayerHost;
}

namespace swf::avm1 {

class MovieClipObject;

// A value thrown by script (ActionThrow, or a built-in failing); caught by try/catch.
struct ScriptException {
    Value value;
};
// The running scripts are abandoned: the time limit or recursion limit was hit. Script
// cannot catch it.
struct ScriptAbort {
    QString reason;
};

struct Limits {
    int timeoutMs = 15000;
    int maxRecursion = 256;
    int maxStringLength = 1 << 24;
    // Objects alive at once; collection only runs between scripts, so a script that makes
    // objects without end is stopped here rather than taking the machine's memory.
    std::size_t maxObjects = 500'000;
};

class Vm {
public:
    Vm(int swfVersion, PlayerHost* host);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    int version() const { return version_; }
    bool caseSensitive() const { return version_ >= 7; }
    Heap& heap() { return heap_; }
    Object* global() const { return global_; }
    PlayerHost* host() const { return host_; }
    Limits& limits() { return limits_; }

    struct Prototypes {
        Object* object = nullptr;
        Object* function = nullptr;
        Object* array = nullptr;
        Object* string = nullptr;
        Object* number = nullptr;
        Object* boolean = nullptr;
        Object* date = nullptr;
        Object* error = nullptr;
        Object* movieClip = nullptr;
        Object* textField = nullptr;
    };
    Prototypes& protos() { return protos_; }

    // Conversions.
    enum class Hint { None, Number, String };
    // convertible, when asked for, answers false for an object with neither valueOf nor
    // toString to call (one cut off from every prototype).
    Value toPrimitive(const Value& v, Hint hint = Hint::None, bool* convertible = nullptr);
    double toNumber(const Value& v);
    QString toString(const Value& v);
    bool toBoolean(const Value& v);
    Object* toObject(const Value& v);
    double toInteger(const Value& v);
    int32_t toInt32(const Value& v);
    uint32_t toUint32(const Value& v) { return static_cast<uint32_t>(toInt32(v)); }
    QString typeOf(const Value& v);
    // Comparisons: abstract (==), strict (===), and less-than, which is undefined for NaN.
    bool equals(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b) const;
    Value less(const Value& a, const Value& b);
    Value add(const Value& a, const Value& b);
    bool instanceOf(const Value& v, Object* ctor);
    QString clipString(const QString& s) const;

    // Members.
    bool propertyVisible(const Property& p) const;
    bool sameName(const QString& a, const QString& b) const {
        return a.compare(b, caseSensitive() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    }
    // Finds name on o or its prototypes; holder gets the object that had it.
    bool lookup(Object* o, const QString& name, Value& out, Object** holder = nullptr,
                const Value* thisv = nullptr);
    Value getMember(const Value& base, const QString& name);
    // Asks the object's __resolve handler for a name it does not have; false when it has none.
    bool resolveMissing(Object* o, const QString& name, Value& out);
    void setMember(const Value& base, const QString& name, const Value& v);
    bool deleteMember(Object* o, const QString& name);
    bool hasOwn(Object* o, const QString& name);
    // Names a for..in sees, own first then inherited, in the order Flash pushes them.
    std::vector<QString> enumerate(Object* o);

    // Calls.
    Value call(const Value& fn, const Value& thisv, std::span<const Value> args,
               Object* home = nullptr);
    Value callMethod(const Value& obj, const QString& name, std::span<const Value> args);
    Value construct(const Value& fn, std::span<const Value> args);
    // Sets __proto__, __constructor__ (and constructor for SWF 5) of a new instance.
    void initInstance(Object* o, Object* ctor);

    // Making things.
    Object* newObject();
    ArrayObject* newArray(std::vector<Value> elements = {});
    NativeFunction* newNative(NativeFunction::Fn fn);
    NativeFunction* defineMethod(Object* on, const QString& name, NativeFunction::Fn fn,
                                 uint32_t flags = propflag::DontEnum);
    // A constructor with its prototype object linked both ways.
    NativeFunction* defineClass(Object* on, const QString& name, NativeFunction::Fn fn,
                                Object* prototype);
    Object* newError(const QString& message);
    [[noreturn]] void throwError(const QString& message);

    // Display objects.
    void setDisplay(DisplayBridge* display) { display_ = display; }
    DisplayBridge* display() const { return display_; }
    MovieClipObject* clipObject(ClipBridge* clip);
    void clipRemoved(ClipBridge* clip);
    // The clip a path such as "/a/b", "_root.a", "_level1", "../x" or "this" names, relative
    // to base (a clip or any object), or null.
    Value resolveTarget(const Value& base, const QString& path);
    ClipBridge* root();

    // Host services.
    void trace(const QString& line);
    void statusMessage(const QString& text);
    void setClock(std::function<double()> clock) { clock_ = std::move(clock); }
    double timeMs() const;

    // Timers of setInterval/setTimeout, run by runTimers at the player's clock.
    int addTimer(const Value& target, const QString& method, std::vector<Value> args,
                 double intervalMs, bool once);
    void clearTimer(int id);
    void runTimers();

    // Bounds. enter/leave count nesting for calls; checkBudget is called by the interpreter
    // every so many actions.
    void enter();
    void leave() { --depth_; }
    int depth() const { return depth_; }
    // The script functions running, innermost last (for arguments.caller).
    std::vector<Object*>& callers() { return callers_; }
    // Whether each of those was called by new, for ASnew.
    std::vector<bool>& callersConstructing() { return callersConstructing_; }
    void checkBudget();
    // Counts actions across every running frame; the interpreter checks the budget each time
    // it wraps.
    int actionCount = 0;
    // Starts the clock of the time limit for one top-level script run.
    void startRun();
    // Runs fn as one top-level script: script exceptions end it quietly and an abort is
    // reported to the host.
    void runTopLevel(const std::function<void()>& fn);

    // Object.registerClass: the class a library symbol's instances are made as.
    void registerClass(const QString& exportName, Object* ctor);
    Object* registeredClass(const QString& exportName) const;
    const std::map<QString, Object*>& registeredClasses() const { return classes_; }

    // Objects reachable from the outside (the display side's clip objects and anything a host
    // pins), kept alive through collection.
    void pin(Object* o) { pinned_.push_back(o); }
    void unpin(Object* o);
    // Frees unreachable objects; only between scripts.
    void collectGarbage();
    // Collects if the heap has grown enough since the last collection.
    void maybeCollectGarbage();

    // The SWF version of running code, for functions defined in loaded movies of other
    // versions; the interpreter sets it.
    std::vector<QString> splitPath(const QString& path) const;

private:
    // Calls the object's own conversion method (valueOf, toString) when it has one that is a
    // function; false, with out untouched, when it has none.
    bool callConversion(const Value& v, const QString& method, Value& out);
    void installBuiltins();

    int version_;
    PlayerHost* host_;
    Heap heap_;
    Limits limits_;
    Prototypes protos_;
    Object* global_ = nullptr;
    DisplayBridge* display_ = nullptr;
    std::unordered_map<ClipBridge*, MovieClipObject*> clipObjects_;
    std::vector<MovieClipObject*> orphans_;
    std::vector<Object*> pinned_;
    std::map<QString, Object*> classes_;
    std::function<double()> clock_;
    QElapsedTimer ownClock_;

    struct Timer {
        int id;
        Value target;
        QString method;
        std::vector<Value> args;
        double interval;
        double due;
        bool once;
    };
    std::vector<Timer> timers_;
    int nextTimerId_ = 1;

    int depth_ = 0;
    std::vector<Object*> callers_;
    std::vector<bool> callersConstructing_;
    QElapsedTimer runClock_;
    bool running_ = false;
    std::size_t lastHeapSize_ = 0;
};

} // namespace swf::avm1
