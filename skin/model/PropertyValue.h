#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skin {

// One published property value as both stream forms carry it. The text form and the binary
// form are both decoded into these before an object sees them.
struct PropertyValue {
    enum class Type { Integer, String, Identifier, Boolean, Binary, Set };

    Type type{Type::Integer};
    std::int64_t integer{0};
    bool boolean{false};
    std::string text;                 // String and Identifier; raw bytes for Binary
    std::vector<std::string> members; // Set

    static PropertyValue makeInteger(std::int64_t v) {
        PropertyValue p;
        p.type = Type::Integer;
        p.integer = v;
        return p;
    }
    static PropertyValue makeString(std::string s) {
        PropertyValue p;
        p.type = Type::String;
        p.text = std::move(s);
        return p;
    }
    static PropertyValue makeIdentifier(std::string s) {
        PropertyValue p;
        p.type = Type::Identifier;
        p.text = std::move(s);
        return p;
    }
    static PropertyValue makeBoolean(bool b) {
        PropertyValue p;
        p.type = Type::Boolean;
        p.boolean = b;
        return p;
    }
    static PropertyValue makeBinary(std::string bytes) {
        PropertyValue p;
        p.type = Type::Binary;
        p.text = std::move(bytes);
        return p;
    }
    static PropertyValue makeSet(std::vector<std::string> m) {
        PropertyValue p;
        p.type = Type::Set;
        p.members = std::move(m);
        return p;
    }

    bool operator==(const PropertyValue&) const = default;
};

struct Property {
    std::string name;
    PropertyValue value;
    bool operator==(const Property&) const = default;
};

using PropertyList = std::vector<Property>;

// An object as a stream holds it before it is instantiated: class, name, properties and (for
// forms that nest object blocks) children.
struct ObjectRecord {
    std::string className;
    std::string name;
    PropertyList properties;
    std::vector<ObjectRecord> children;
};

} // namespace skin
