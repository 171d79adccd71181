#include "skin/format/BinaryForm.h"

#include <limits>

namespace skin::binaryform {

namespace {

enum Tag : std::uint8_t {
    vaNull = 0,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = kBinaryValueTag,
    vaSet = 11,
    vaLString = 12,
    vaInt64 = 19,
    vaUTF8String = 20,
};

void readComponent(ByteReader& r, ObjectRecord& rec, int depthLeft) {
    if (depthLeft <= 0)
        throw SkinError("Skin objects are nested too deeply");
    skipFilerFlags(r);
    rec.className = r.shortString();
    rec.name = r.shortString();
    rec.properties.reserve(32);
    for (;;) {
        std::string name = r.shortString();
        if (name.empty())
            break;
        rec.properties.push_back({std::move(name), readValue(r)});
    }
    for (;;) {
        if (r.peekU8() == 0) {
            r.u8();
            break;
        }
        ObjectRecord child;
        readComponent(r, child, depthLeft - 1);
        rec.children.push_back(std::move(child));
    }
}

} // namespace

void skipFilerFlags(ByteReader& r) {
    if (r.remaining() == 0)
        return;
    const std::uint8_t b = r.peekU8();
    if ((b & 0xF0) == 0xF0) {
        r.u8();
        if (b & 0x02) // the child position
            readValue(r);
    }
}

PropertyValue readValue(ByteReader& r) {
    const std::uint8_t tag = r.u8();
    switch (tag) {
    case vaInt8:
        return PropertyValue::makeInteger(r.i8());
    case vaInt16:
        return PropertyValue::makeInteger(r.i16());
    case vaInt32:
        return PropertyValue::makeInteger(r.i32());
    case vaInt64: {
        const std::uint64_t lo = r.u32();
        const std::uint64_t hi = r.u32();
        return PropertyValue::makeInteger(std::int64_t(lo | hi << 32));
    }
    case vaString:
        return PropertyValue::makeString(r.shortString());
    case vaLString:
    case vaUTF8String:
        return PropertyValue::makeString(r.string32());
    case vaIdent: {
        // Booleans may also arrive as identifiers. Looked at in place: only the others need a
        // string.
        const std::string_view ident = r.shortStringView();
        if (ident == "True" || ident == "False")
            return PropertyValue::makeBoolean(ident == "True");
        return PropertyValue::makeIdentifier(std::string(ident));
    }
    case vaFalse:
        return PropertyValue::makeBoolean(false);
    case vaTrue:
        return PropertyValue::makeBoolean(true);
    case vaBinary: {
        const std::uint32_t n = r.u32();
        return PropertyValue::makeBinary(std::string(r.bytes(n)));
    }
    case vaSet: {
        std::vector<std::string> members;
        for (;;) {
            std::string m = r.shortString();
            if (m.empty())
                break;
            members.push_back(std::move(m));
        }
        return PropertyValue::makeSet(std::move(members));
    }
    default:
        throw SkinError("Invalid property value tag " + std::to_string(tag) + " in skin data");
    }
}

void writeValue(const PropertyValue& v, ByteWriter& out) {
    switch (v.type) {
    case PropertyValue::Type::Integer:
        if (v.integer >= -128 && v.integer <= 127) {
            out.u8(vaInt8);
            out.u8(std::uint8_t(std::int8_t(v.integer)));
        } else if (v.integer >= -32768 && v.integer <= 32767) {
            out.u8(vaInt16);
            out.i16(std::int16_t(v.integer));
        } else if (v.integer >= std::numeric_limits<std::int32_t>::min() &&
                   v.integer <= std::numeric_limits<std::int32_t>::max()) {
            out.u8(vaInt32);
            out.i32(std::int32_t(v.integer));
        } else {
            out.u8(vaInt64);
            out.u32(std::uint32_t(std::uint64_t(v.integer)));
            out.u32(std::uint32_t(std::uint64_t(v.integer) >> 32));
        }
        break;
    case PropertyValue::Type::String:
        if (v.text.size() <= 255) {
            out.u8(vaString);
            out.shortString(v.text);
        } else {
            out.u8(vaLString);
            out.string32(v.text);
        }
        break;
    case PropertyValue::Type::Identifier:
        out.u8(vaIdent);
        out.shortString(v.text);
        break;
    case PropertyValue::Type::Boolean:
        out.u8(v.boolean ? vaTrue : vaFalse);
        break;
    case PropertyValue::Type::Binary:
        out.u8(vaBinary);
        out.string32(v.text);
        break;
    case PropertyValue::Type::Set:
        out.u8(vaSet);
        for (const auto& m : v.members)
            out.shortString(m);
        out.u8(0);
        break;
    }
}

ObjectRecord read(ByteReader& r, int maxDepth) {
    if (r.bytes(4) != "TPF0")
        throw SkinError("Invalid stream format: a skin object does not start with TPF0");
    ObjectRecord rec;
    readComponent(r, rec, maxDepth);
    return rec;
}

namespace {
void writeComponent(const ObjectRecord& rec, ByteWriter& out) {
    out.shortString(rec.className);
    out.shortString(rec.name);
    for (const auto& p : rec.properties) {
        out.shortString(p.name);
        writeValue(p.value, out);
    }
    out.u8(0);
    for (const auto& c : rec.children)
        writeComponent(c, out);
    out.u8(0);
}
} // namespace

void write(const ObjectRecord& rec, ByteWriter& out) {
    out.raw("TPF0");
    writeComponent(rec, out);
}

std::string write(const ObjectRecord& rec) {
    ByteWriter w;
    write(rec, w);
    return std::move(w.bytes());
}

} // namespace skin::binaryform
