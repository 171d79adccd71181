#include "tests/support/ActionBuilder.h"

#include <QtEndian>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

void putU8(QByteArray& out, uint8_t v) {
    out.append(static_cast<char>(v));
}

void putU16(QByteArray& out, uint16_t v) {
    putU8(out, v & 0xff);
    putU8(out, v >> 8);
}

void putU32(QByteArray& out, uint32_t v) {
    putU16(out, v & 0xffff);
    putU16(out, v >> 16);
}

void putString(QByteArray& out, const QByteArray& s) {
    out.append(s);
    putU8(out, 0);
}

uint16_t checkedLength(qsizetype n) {
    if (n > 0xffff)
        throw std::length_error("action payload longer than 65535 bytes");
    return static_cast<uint16_t>(n);
}

} // namespace

PushValue PushValue::f32(float v) {
    PushValue p(Float);
    p.float_ = v;
    return p;
}

PushValue PushValue::reg(uint8_t n) {
    PushValue p(Register);
    p.int_ = n;
    return p;
}

PushValue PushValue::constant(uint16_t index) {
    PushValue p(index < 256 ? Constant8 : Constant16);
    p.int_ = index;
    return p;
}

PushValue PushValue::constant16(uint16_t index) {
    PushValue p(Constant16);
    p.int_ = index;
    return p;
}

void PushValue::write(QByteArray& out) const {
    putU8(out, type_);
    switch (type_) {
    case String:
        putString(out, string_);
        break;
    case Float: {
        uint32_t bits = 0;
        std::memcpy(&bits, &float_, 4);
        putU32(out, bits);
        break;
    }
    case Null:
    case Undefined:
        break;
    case Register:
    case Boolean:
    case Constant8:
        putU8(out, static_cast<uint8_t>(int_));
        break;
    case Double: {
        // Flash stores a double as two little-endian 32-bit halves, the high half first.
        uint64_t bits = 0;
        std::memcpy(&bits, &double_, 8);
        putU32(out, static_cast<uint32_t>(bits >> 32));
        putU32(out, static_cast<uint32_t>(bits));
        break;
    }
    case Integer:
        putU32(out, static_cast<uint32_t>(int_));
        break;
    case Constant16:
        putU16(out, static_cast<uint16_t>(int_));
        break;
    }
}

ActionBuilder& ActionBuilder::op(uint8_t code, const QByteArray& payload) {
    putU8(code_, code);
    if (code >= 0x80) {
        putU16(code_, checkedLength(payload.size()));
        code_.append(payload);
    }
    return *this;
}

ActionBuilder& ActionBuilder::raw(const QByteArray& bytes) {
    code_.append(bytes);
    return *this;
}

ActionBuilder& ActionBuilder::push(std::initializer_list<PushValue> values) {
    return push(std::vector<PushValue>(values));
}

ActionBuilder& ActionBuilder::push(const std::vector<PushValue>& values) {
    QByteArray payload;
    for (const PushValue& v : values)
        v.write(payload);
    return op(0x96, payload);
}

ActionBuilder& ActionBuilder::gotoFrame(uint16_t frame) {
    QByteArray p;
    putU16(p, frame);
    return op(0x81, p);
}

ActionBuilder& ActionBuilder::getUrl(const QByteArray& url, const QByteArray& target) {
    QByteArray p;
    putString(p, url);
    putString(p, target);
    return op(0x83, p);
}

ActionBuilder& ActionBuilder::waitForFrame(uint16_t frame, uint8_t skipCount) {
    QByteArray p;
    putU16(p, frame);
    putU8(p, skipCount);
    return op(0x8a, p);
}

ActionBuilder& ActionBuilder::setTarget(const QByteArray& target) {
    QByteArray p;
    putString(p, target);
    return op(0x8b, p);
}

ActionBuilder& ActionBuilder::gotoLabel(const QByteArray& label) {
    QByteArray p;
    putString(p, label);
    return op(0x8c, p);
}

ActionBuilder& ActionBuilder::branch(uint8_t code, const QByteArray& label) {
    putU8(code_, code);
    putU16(code_, 2);
    const qsizetype at = code_.size();
    putU16(code_, 0);
    fixups_.push_back(Fixup{at, code_.size(), label});
    return *this;
}

ActionBuilder& ActionBuilder::jump(const QByteArray& label) {
    return branch(0x99, label);
}

ActionBuilder& ActionBuilder::ifTrue(const QByteArray& label) {
    return branch(0x9d, label);
}

ActionBuilder& ActionBuilder::getUrl2(SendVars method, bool loadTarget, bool loadVariables) {
    QByteArray p;
    putU8(p, static_cast<uint8_t>(static_cast<uint8_t>(method) | (loadTarget ? 0x40 : 0) |
                                  (loadVariables ? 0x80 : 0)));
    return op(0x9a, p);
}

ActionBuilder& ActionBuilder::gotoFrame2(bool play, std::optional<uint16_t> sceneBias) {
    QByteArray p;
    putU8(p, static_cast<uint8_t>((play ? 0x01 : 0) | (sceneBias ? 0x02 : 0)));
    if (sceneBias)
        putU16(p, *sceneBias);
    return op(0x9f, p);
}

ActionBuilder& ActionBuilder::waitForFrame2(uint8_t skipCount) {
    QByteArray p;
    putU8(p, skipCount);
    return op(0x8d, p);
}

ActionBuilder& ActionBuilder::constantPool(const std::vector<QByteArray>& constants) {
    QByteArray p;
    putU16(p, checkedLength(static_cast<qsizetype>(constants.size())));
    for (const QByteArray& c : constants)
        putString(p, c);
    return op(0x88, p);
}

ActionBuilder& ActionBuilder::storeRegister(uint8_t reg) {
    QByteArray p;
    putU8(p, reg);
    return op(0x87, p);
}

ActionBuilder& ActionBuilder::defineFunction(const QByteArray& name,
                                             const std::vector<QByteArray>& params,
                                             const ActionBuilder& body) {
    const QByteArray code = body.bytes();
    QByteArray p;
    putString(p, name);
    putU16(p, checkedLength(static_cast<qsizetype>(params.size())));
    for (const QByteArray& param : params)
        putString(p, param);
    putU16(p, checkedLength(code.size()));
    op(0x9b, p);
    code_.append(code);
    return *this;
}

ActionBuilder&
ActionBuilder::defineFunction2(const QByteArray& name, uint8_t registerCount, uint16_t flags,
                               const std::vector<std::pair<uint8_t, QByteArray>>& params,
                               const ActionBuilder& body) {
    const QByteArray code = body.bytes();
    QByteArray p;
    putString(p, name);
    putU16(p, checkedLength(static_cast<qsizetype>(params.size())));
    putU8(p, registerCount);
    putU16(p, flags);
    for (const auto& [reg, paramName] : params) {
        putU8(p, reg);
        putString(p, paramName);
    }
    putU16(p, checkedLength(code.size()));
    op(0x8e, p);
    code_.append(code);
    return *this;
}

ActionBuilder& ActionBuilder::with(const ActionBuilder& body) {
    const QByteArray code = body.bytes();
    QByteArray p;
    putU16(p, checkedLength(code.size()));
    op(0x94, p);
    code_.append(code);
    return *this;
}

ActionBuilder& ActionBuilder::tryBlock(const ActionBuilder& tryBody, std::optional<Catch> catchPart,
                                       const ActionBuilder* finallyBody) {
    const QByteArray tryCode = tryBody.bytes();
    const QByteArray catchCode =
        catchPart && catchPart->body ? catchPart->body->bytes() : QByteArray();
    const QByteArray finallyCode = finallyBody ? finallyBody->bytes() : QByteArray();
    uint8_t flags = 0;
    if (catchPart)
        flags |= 0x01;
    if (finallyBody)
        flags |= 0x02;
    if (catchPart && catchPart->reg)
        flags |= 0x04;
    QByteArray p;
    putU8(p, flags);
    putU16(p, checkedLength(tryCode.size()));
    putU16(p, checkedLength(catchCode.size()));
    putU16(p, checkedLength(finallyCode.size()));
    if (catchPart && catchPart->reg)
        putU8(p, *catchPart->reg);
    else
        putString(p, catchPart ? catchPart->name : QByteArray());
    op(0x8f, p);
    code_.append(tryCode);
    code_.append(catchCode);
    code_.append(finallyCode);
    return *this;
}

namespace {

// Arguments go on the stack last first, then their count.
std::vector<PushValue> argumentsAndCount(const std::vector<PushValue>& args) {
    std::vector<PushValue> out(args.rbegin(), args.rend());
    out.push_back(PushValue(static_cast<int>(args.size())));
    return out;
}

} // namespace

ActionBuilder& ActionBuilder::callFunction(const QByteArray& name,
                                           const std::vector<PushValue>& args) {
    std::vector<PushValue> values = argumentsAndCount(args);
    values.push_back(PushValue(name));
    return push(values).callFunction();
}

ActionBuilder& ActionBuilder::callMethod(const QByteArray& object, const QByteArray& method,
                                         const std::vector<PushValue>& args) {
    std::vector<PushValue> values = argumentsAndCount(args);
    values.push_back(PushValue(object));
    push(values).getVariable();
    return push(method).callMethod();
}

ActionBuilder& ActionBuilder::label(const QByteArray& name) {
    if (!labels_.emplace(name, code_.size()).second)
        throw std::logic_error("label defined twice: " + name.toStdString());
    return *this;
}

QByteArray ActionBuilder::bytes() const {
    QByteArray out = code_;
    for (const Fixup& f : fixups_) {
        const auto it = labels_.find(f.label);
        if (it == labels_.end())
            throw std::logic_error("jump to an undefined label: " + f.label.toStdString());
        const qsizetype offset = it->second - f.end;
        if (offset < -32768 || offset > 32767)
            throw std::length_error("jump too far for a 16-bit offset");
        qToLittleEndian(static_cast<int16_t>(offset), out.data() + f.at);
    }
    return out;
}

QByteArray ActionBuilder::finish() const {
    QByteArray out = bytes();
    out.append('\0');
    return out;
}

} // namespace testsupport
