#pragma once

// A small ActionScript bytecode assembler for the machine's tests: each call appends one
// action, and blocks (function bodies, branches, try and with bodies) are nested Asm values
// whose sizes it works out.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace avm1test {

class Asm {
public:
    Asm& op(uint8_t code) {
        b_ += static_cast<char>(code);
        return *this;
    }
    Asm& action(uint8_t code, const QByteArray& payload) {
        b_ += static_cast<char>(code);
        u16(b_, payload.size());
        b_ += payload;
        return *this;
    }
    // Pushes.
    Asm& str(const QString& s) { return push(0, s.toUtf8() + '\0'); }
    Asm& num(double d) {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        QByteArray p;
        u32(p, static_cast<uint32_t>(bits >> 32));
        u32(p, static_cast<uint32_t>(bits));
        return push(6, p);
    }
    Asm& i32(int32_t v) {
        QByteArray p;
        u32(p, static_cast<uint32_t>(v));
        return push(7, p);
    }
    Asm& f32(float f) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        QByteArray p;
        u32(p, bits);
        return push(1, p);
    }
    Asm& boolean(bool v) { return push(5, QByteArray(1, v ? 1 : 0)); }
    Asm& null() { return push(2, {}); }
    Asm& undef() { return push(3, {}); }
    Asm& reg(uint8_t r) { return push(4, QByteArray(1, static_cast<char>(r))); }
    Asm& cst(int i) {
        if (i < 256)
            return push(8, QByteArray(1, static_cast<char>(i)));
        QByteArray p;
        u16(p, i);
        return push(9, p);
    }
    Asm& constants(const QStringList& pool) {
        QByteArray p;
        u16(p, pool.size());
        for (const QString& s : pool)
            p += s.toUtf8() + '\0';
        return action(0x88, p);
    }
    Asm& storeReg(uint8_t r) { return action(0x87, QByteArray(1, static_cast<char>(r))); }

    // Common shapes.
    Asm& trace() { return op(0x26); }
    Asm& traceStr(const QString& s) { return str(s).trace(); }
    Asm& getVar(const QString& name) { return str(name).op(0x1C); }
    Asm& traceVar(const QString& name) { return getVar(name).trace(); }
    // name = value of the block that pushes it.
    Asm& setVar(const QString& name, const Asm& value) {
        str(name);
        b_ += value.b_;
        return op(0x1D);
    }
    Asm& code(const Asm& other) {
        b_ += other.b_;
        return *this;
    }
    // obj.name(args...) where obj and the args are pushed by blocks; args in source order.
    Asm& callMethod(const Asm& obj, const QString& name, const std::vector<Asm>& args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            b_ += it->b_;
        i32(static_cast<int32_t>(args.size()));
        b_ += obj.b_;
        return str(name).op(0x52);
    }
    Asm& callFunction(const QString& name, const std::vector<Asm>& args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            b_ += it->b_;
        i32(static_cast<int32_t>(args.size()));
        return str(name).op(0x3D);
    }
    Asm& newObject(const QString& name, const std::vector<Asm>& args) {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            b_ += it->b_;
        i32(static_cast<int32_t>(args.size()));
        return str(name).op(0x40);
    }
    Asm& getMember(const QString& name) { return str(name).op(0x4E); }

    // Control flow.
    Asm& jump(int16_t offset) {
        QByteArray p;
        u16(p, static_cast<uint16_t>(offset));
        return action(0x99, p);
    }
    Asm& ifJump(int16_t offset) {
        QByteArray p;
        u16(p, static_cast<uint16_t>(offset));
        return action(0x9D, p);
    }
    // if (popped condition) { then }
    Asm& ifThen(const Asm& then) {
        op(0x12); // not
        ifJump(static_cast<int16_t>(then.size()));
        return code(then);
    }
    // while (cond) { body }
    Asm& whileLoop(const Asm& cond, const Asm& body) {
        const int start = size();
        code(cond).op(0x12).ifJump(static_cast<int16_t>(body.size() + 5)).code(body);
        return jump(static_cast<int16_t>(start - (size() + 5)));
    }
    Asm& function(const QString& name, const QStringList& params, const Asm& body) {
        QByteArray p = name.toUtf8() + '\0';
        u16(p, params.size());
        for (const QString& s : params)
            p += s.toUtf8() + '\0';
        u16(p, body.size());
        action(0x9B, p);
        return code(body);
    }
    struct Param {
        uint8_t reg;
        QString name;
    };
    Asm& function2(const QString& name, const std::vector<Param>& params, uint8_t registers,
                   uint16_t flags, const Asm& body) {
        QByteArray p = name.toUtf8() + '\0';
        u16(p, params.size());
        p += static_cast<char>(registers);
        u16(p, flags);
        for (const Param& prm : params) {
            p += static_cast<char>(prm.reg);
            p += prm.name.toUtf8() + '\0';
        }
        u16(p, body.size());
        action(0x8E, p);
        return code(body);
    }
    // try { body } catch (name) { handler } finally { fin }
    Asm& tryBlock(const Asm& body, std::optional<QString> catchName, const Asm* handler,
                  const Asm* fin, std::optional<uint8_t> catchRegister = std::nullopt) {
        uint8_t flags = 0;
        if (handler)
            flags |= 1;
        if (fin)
            flags |= 2;
        if (catchRegister)
            flags |= 4;
        QByteArray p;
        p += static_cast<char>(flags);
        u16(p, body.size());
        u16(p, handler ? handler->size() : 0);
        u16(p, fin ? fin->size() : 0);
        if (catchRegister)
            p += static_cast<char>(*catchRegister);
        else
            p += catchName.value_or(QString()).toUtf8() + '\0';
        action(0x8F, p);
        code(body);
        if (handler)
            code(*handler);
        if (fin)
            code(*fin);
        return *this;
    }
    // with (popped object) { body }
    Asm& with(const Asm& body) {
        QByteArray p;
        u16(p, body.size());
        action(0x94, p);
        return code(body);
    }

    int size() const { return b_.size(); }
    QByteArray bytes() const { return b_ + '\0'; }

private:
    Asm& push(uint8_t type, const QByteArray& data) {
        QByteArray p;
        p += static_cast<char>(type);
        p += data;
        return action(0x96, p);
    }
    static void u16(QByteArray& b, int v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>((v >> 8) & 0xFF);
    }
    static void u32(QByteArray& b, uint32_t v) {
        u16(b, v & 0xFFFF);
        u16(b, v >> 16);
    }
    QByteArray b_;
};

} // namespace avm1test
