#pragma once

// One ActionScript 1/2 value. Objects are owned by the machine's heap; a Value only points at
// them, so copying is cheap and a value never keeps an object alive on its own.

#include <QString>
#include <cstdint>

namespace swf::avm1 {

class Object;

enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
public:
    Value() = default;
    Value(bool b) : type_(Type::Boolean), b_(b) {}
    Value(double n) : type_(Type::Number), n_(n) {}
    Value(int n) : type_(Type::Number), n_(n) {}
    Value(QString s) : type_(Type::String), s_(std::move(s)) {}
    Value(const char* s) : type_(Type::String), s_(QString::fromUtf8(s)) {}
    Value(Object* o) : type_(o ? Type::Object : Type::Null), o_(o) {}
    static Value null() {
        Value v;
        v.type_ = Type::Null;
        return v;
    }

    Type type() const { return type_; }
    bool isUndefined() const { return type_ == Type::Undefined; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNullish() const { return type_ == Type::Undefined || type_ == Type::Null; }
    bool isBoolean() const { return type_ == Type::Boolean; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isObject() const { return type_ == Type::Object; }

    bool boolean() const { return b_; }
    double number() const { return n_; }
    const QString& string() const { return s_; }
    Object* object() const { return type_ == Type::Object ? o_ : nullptr; }

private:
    Type type_ = Type::Undefined;
    union {
        bool b_;
        double n_ = 0;
        Object* o_;
    };
    QString s_;
};

} // namespace swf::avm1
