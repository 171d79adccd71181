#pragma once

// Writes ActionScript 1/2 bytecode for test movies: every action by name, pushes of every value
// type, jumps to named labels, functions and try blocks with bodies written by nested builders.
// finish() gives a block ready for SwfWriter::doAction, clip actions and button actions.
//
//   ActionBuilder a;
//   a.push({"x", 1}).setVariable().push("x").getVariable().trace();
//   writer.doAction(a.finish());

#include <QByteArray>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace testsupport {

// One value of a Push action.
class PushValue {
public:
    enum Type : uint8_t {
        String = 0,
        Float = 1,
        Null = 2,
        Undefined = 3,
        Register = 4,
        Boolean = 5,
        Double = 6,
        Integer = 7,
        Constant8 = 8,
        Constant16 = 9,
    };

    PushValue(const char* s) : type_(String), string_(s) {}
    PushValue(const QByteArray& s) : type_(String), string_(s) {}
    PushValue(int v) : type_(Integer), int_(v) {}
    PushValue(double v) : type_(Double), double_(v) {}
    PushValue(bool v) : type_(Boolean), int_(v) {}

    static PushValue str(const QByteArray& s) { return PushValue(s); }
    static PushValue f32(float v);
    static PushValue null() { return PushValue(Null); }
    static PushValue undefined() { return PushValue(Undefined); }
    static PushValue reg(uint8_t n);
    static PushValue boolean(bool v) { return PushValue(v); }
    static PushValue dbl(double v) { return PushValue(v); }
    static PushValue integer(int32_t v) { return PushValue(static_cast<int>(v)); }
    // An index into the constant pool: the 8-bit form below 256, else the 16-bit one.
    static PushValue constant(uint16_t index);
    static PushValue constant16(uint16_t index);

    Type type() const { return type_; }
    void write(QByteArray& out) const;

private:
    explicit PushValue(Type t) : type_(t) {}

    Type type_;
    QByteArray string_;
    int32_t int_ = 0;
    double double_ = 0;
    float float_ = 0;
};

// Flags of DefineFunction2, in the order the file reads them as a little-endian number.
namespace fn2 {
enum : uint16_t {
    PreloadThis = 0x0001,
    SuppressThis = 0x0002,
    PreloadArguments = 0x0004,
    SuppressArguments = 0x0008,
    PreloadSuper = 0x0010,
    SuppressSuper = 0x0020,
    PreloadRoot = 0x0040,
    PreloadParent = 0x0080,
    PreloadGlobal = 0x0100,
};
}

// GetURL2's method of sending variables.
enum class SendVars : uint8_t { None = 0, Get = 1, Post = 2 };

class ActionBuilder {
public:
    // Any action: the code, then its payload when the code is 0x80 or above.
    ActionBuilder& op(uint8_t code, const QByteArray& payload = {});
    // Bytes as they stand, for deliberately broken code.
    ActionBuilder& raw(const QByteArray& bytes);

    // Pushes, several values in one action.
    ActionBuilder& push(std::initializer_list<PushValue> values);
    ActionBuilder& push(const std::vector<PushValue>& values);
    ActionBuilder& push(PushValue value) { return push({value}); }

    // SWF 3.
    ActionBuilder& nextFrame() { return op(0x04); }
    ActionBuilder& prevFrame() { return op(0x05); }
    ActionBuilder& play() { return op(0x06); }
    ActionBuilder& stop() { return op(0x07); }
    ActionBuilder& toggleQuality() { return op(0x08); }
    ActionBuilder& stopSounds() { return op(0x09); }
    ActionBuilder& gotoFrame(uint16_t frame); // 0-based
    ActionBuilder& getUrl(const QByteArray& url, const QByteArray& target);
    ActionBuilder& waitForFrame(uint16_t frame, uint8_t skipCount);
    ActionBuilder& setTarget(const QByteArray& target);
    ActionBuilder& gotoLabel(const QByteArray& label);

    // SWF 4 stack machine.
    ActionBuilder& add() { return op(0x0a); }
    ActionBuilder& subtract() { return op(0x0b); }
    ActionBuilder& multiply() { return op(0x0c); }
    ActionBuilder& divide() { return op(0x0d); }
    ActionBuilder& equals() { return op(0x0e); }
    ActionBuilder& less() { return op(0x0f); }
    ActionBuilder& logicalAnd() { return op(0x10); }
    ActionBuilder& logicalOr() { return op(0x11); }
    ActionBuilder& logicalNot() { return op(0x12); }
    ActionBuilder& stringEquals() { return op(0x13); }
    ActionBuilder& stringLength() { return op(0x14); }
    ActionBuilder& stringExtract() { return op(0x15); }
    ActionBuilder& pop() { return op(0x17); }
    ActionBuilder& toInteger() { return op(0x18); }
    ActionBuilder& getVariable() { return op(0x1c); }
    ActionBuilder& setVariable() { return op(0x1d); }
    ActionBuilder& setTarget2() { return op(0x20); }
    ActionBuilder& stringAdd() { return op(0x21); }
    ActionBuilder& getProperty() { return op(0x22); }
    ActionBuilder& setProperty() { return op(0x23); }
    ActionBuilder& cloneSprite() { return op(0x24); }
    ActionBuilder& removeSprite() { return op(0x25); }
    ActionBuilder& trace() { return op(0x26); }
    ActionBuilder& startDrag() { return op(0x27); }
    ActionBuilder& endDrag() { return op(0x28); }
    ActionBuilder& stringLess() { return op(0x29); }
    ActionBuilder& randomNumber() { return op(0x30); }
    ActionBuilder& mbStringLength() { return op(0x31); }
    ActionBuilder& charToAscii() { return op(0x32); }
    ActionBuilder& asciiToChar() { return op(0x33); }
    ActionBuilder& getTime() { return op(0x34); }
    ActionBuilder& mbStringExtract() { return op(0x35); }
    ActionBuilder& mbCharToAscii() { return op(0x36); }
    ActionBuilder& mbAsciiToChar() { return op(0x37); }
    ActionBuilder& jump(const QByteArray& label);
    ActionBuilder& ifTrue(const QByteArray& label); // the If action
    ActionBuilder& call() { return op(0x9e); }
    ActionBuilder& getUrl2(SendVars method, bool loadTarget, bool loadVariables);
    // play after going there; sceneBias is added to the frame number when given.
    ActionBuilder& gotoFrame2(bool play, std::optional<uint16_t> sceneBias = std::nullopt);
    ActionBuilder& waitForFrame2(uint8_t skipCount);

    // SWF 5 and later.
    ActionBuilder& constantPool(const std::vector<QByteArray>& constants);
    ActionBuilder& storeRegister(uint8_t reg);
    ActionBuilder& throwOp() { return op(0x2a); }
    ActionBuilder& castOp() { return op(0x2b); }
    ActionBuilder& implementsOp() { return op(0x2c); }
    ActionBuilder& deleteOp() { return op(0x3a); }
    ActionBuilder& delete2() { return op(0x3b); }
    ActionBuilder& defineLocal() { return op(0x3c); }
    ActionBuilder& callFunction() { return op(0x3d); }
    ActionBuilder& returnOp() { return op(0x3e); }
    ActionBuilder& modulo() { return op(0x3f); }
    ActionBuilder& newObject() { return op(0x40); }
    ActionBuilder& defineLocal2() { return op(0x41); }
    ActionBuilder& initArray() { return op(0x42); }
    ActionBuilder& initObject() { return op(0x43); }
    ActionBuilder& typeOf() { return op(0x44); }
    ActionBuilder& targetPath() { return op(0x45); }
    ActionBuilder& enumerate() { return op(0x46); }
    ActionBuilder& add2() { return op(0x47); }
    ActionBuilder& less2() { return op(0x48); }
    ActionBuilder& equals2() { return op(0x49); }
    ActionBuilder& toNumber() { return op(0x4a); }
    ActionBuilder& toStringOp() { return op(0x4b); }
    ActionBuilder& pushDuplicate() { return op(0x4c); }
    ActionBuilder& stackSwap() { return op(0x4d); }
    ActionBuilder& getMember() { return op(0x4e); }
    ActionBuilder& setMember() { return op(0x4f); }
    ActionBuilder& increment() { return op(0x50); }
    ActionBuilder& decrement() { return op(0x51); }
    ActionBuilder& callMethod() { return op(0x52); }
    ActionBuilder& newMethod() { return op(0x53); }
    ActionBuilder& instanceOf() { return op(0x54); }
    ActionBuilder& enumerate2() { return op(0x55); }
    ActionBuilder& bitAnd() { return op(0x60); }
    ActionBuilder& bitOr() { return op(0x61); }
    ActionBuilder& bitXor() { return op(0x62); }
    ActionBuilder& bitLShift() { return op(0x63); }
    ActionBuilder& bitRShift() { return op(0x64); }
    ActionBuilder& bitURShift() { return op(0x65); }
    ActionBuilder& strictEquals() { return op(0x66); }
    ActionBuilder& greater() { return op(0x67); }
    ActionBuilder& stringGreater() { return op(0x68); }
    ActionBuilder& extends() { return op(0x69); }

    // A function of the given name ("" for an anonymous one, left on the stack) whose body is
    // body's code. The body's own labels are resolved inside it.
    ActionBuilder& defineFunction(const QByteArray& name, const std::vector<QByteArray>& params,
                                  const ActionBuilder& body);
    // params are (register, name); register 0 keeps the parameter in a variable.
    ActionBuilder& defineFunction2(const QByteArray& name, uint8_t registerCount, uint16_t flags,
                                   const std::vector<std::pair<uint8_t, QByteArray>>& params,
                                   const ActionBuilder& body);
    // With the object popped from the stack as scope.
    ActionBuilder& with(const ActionBuilder& body);

    // A try block. The caught value goes into the variable catchName, or into catchRegister
    // when that is given.
    struct Catch {
        const ActionBuilder* body = nullptr;
        QByteArray name;
        std::optional<uint8_t> reg;
    };
    ActionBuilder& tryBlock(const ActionBuilder& tryBody, std::optional<Catch> catchPart,
                            const ActionBuilder* finallyBody = nullptr);

    // Marks the place that jump() and ifTrue() with this label go to.
    ActionBuilder& label(const QByteArray& name);

    // Conveniences for the commonest lines of test scripts.
    ActionBuilder& traceValue(PushValue value) { return push(value).trace(); }
    // name = value
    ActionBuilder& set(const QByteArray& name, PushValue value) {
        return push({PushValue(name), value}).setVariable();
    }
    // Pushes name's value.
    ActionBuilder& get(const QByteArray& name) { return push(name).getVariable(); }
    // name(args...), leaving the result on the stack.
    ActionBuilder& callFunction(const QByteArray& name, const std::vector<PushValue>& args);
    // object.method(args...) where object is a variable (or path) name, leaving the result.
    ActionBuilder& callMethod(const QByteArray& object, const QByteArray& method,
                              const std::vector<PushValue>& args);

    // The code with labels resolved, without the closing end action (for bodies).
    QByteArray bytes() const;
    // The code closed by the end action, ready to be stored in a tag.
    QByteArray finish() const;
    std::size_t size() const { return static_cast<std::size_t>(code_.size()); }

private:
    struct Fixup {
        qsizetype at;  // where the 16-bit offset goes
        qsizetype end; // the offset counts from here
        QByteArray label;
    };
    ActionBuilder& branch(uint8_t code, const QByteArray& label);

    QByteArray code_;
    std::map<QByteArray, qsizetype> labels_;
    std::vector<Fixup> fixups_;
};

} // namespace testsupport
