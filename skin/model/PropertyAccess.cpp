#include "skin/model/PropertyAccess.h"

#include <limits>

namespace skin::props {

void invalidValue(std::string_view property) {
    throw SkinError("Invalid property value for " + std::string(property));
}

int toInt(const PropertyValue& v, std::string_view property) {
    if (v.type != PropertyValue::Type::Integer || v.integer < std::numeric_limits<int>::min() ||
        v.integer > std::numeric_limits<int>::max())
        invalidValue(property);
    return int(v.integer);
}

bool toBool(const PropertyValue& v, std::string_view property) {
    if (v.type != PropertyValue::Type::Boolean)
        invalidValue(property);
    return v.boolean;
}

std::string toString(const PropertyValue& v, std::string_view property) {
    if (v.type != PropertyValue::Type::String)
        invalidValue(property);
    return v.text;
}

TColor toColor(const PropertyValue& v, std::string_view property) {
    if (v.type == PropertyValue::Type::Integer) {
        if (v.integer < std::numeric_limits<std::int32_t>::min() ||
            v.integer > std::numeric_limits<std::uint32_t>::max())
            invalidValue(property);
        return TColor(std::uint32_t(v.integer));
    }
    if (v.type == PropertyValue::Type::Identifier) {
        if (auto c = colorFromIdent(v.text))
            return *c;
    }
    invalidValue(property);
}

int toCharset(const PropertyValue& v, std::string_view property) {
    if (v.type == PropertyValue::Type::Integer && v.integer >= 0 && v.integer <= 255)
        return int(v.integer);
    if (v.type == PropertyValue::Type::Identifier) {
        if (auto c = charsetFromIdent(v.text))
            return *c;
    }
    invalidValue(property);
}

void putInt(PropertyList& out, std::string name, int v) {
    out.push_back({std::move(name), PropertyValue::makeInteger(v)});
}

void putBool(PropertyList& out, std::string name, bool v) {
    out.push_back({std::move(name), PropertyValue::makeBoolean(v)});
}

void putString(PropertyList& out, std::string name, std::string v) {
    out.push_back({std::move(name), PropertyValue::makeString(std::move(v))});
}

void putIdent(PropertyList& out, std::string name, std::string_view v) {
    out.push_back({std::move(name), PropertyValue::makeIdentifier(std::string(v))});
}

void putColor(PropertyList& out, std::string name, TColor v) {
    if (auto ident = colorToIdent(v))
        putIdent(out, std::move(name), *ident);
    else
        // Colours are 32-bit; stored as the signed value the binary form carries.
        putInt(out, std::move(name), int(std::int32_t(v)));
}

} // namespace skin::props

#include "skin/model/TSeBitmap.h"

namespace skin::props {

bool readLink(std::string_view prefix, TSeBitmapLink& link, std::string_view name,
              const PropertyValue& v) {
    if (name.size() <= prefix.size() + 1 || !name.starts_with(prefix) || name[prefix.size()] != '.')
        return false;
    const std::string_view sub = name.substr(prefix.size() + 1);
    if (sub == "Name")
        link.Name = toString(v, name);
    else if (sub == "Left")
        link.Left = toInt(v, name);
    else if (sub == "Top")
        link.Top = toInt(v, name);
    else if (sub == "Right")
        link.Right = toInt(v, name);
    else if (sub == "Bottom")
        link.Bottom = toInt(v, name);
    else
        return false;
    return true;
}

void writeLink(const std::string& prefix, const TSeBitmapLink& link, PropertyList& out) {
    if (!link.Name.empty())
        putString(out, prefix + ".Name", link.Name);
    const std::pair<const char*, int> values[] = {
        {".Left", link.Left}, {".Top", link.Top}, {".Right", link.Right}, {".Bottom", link.Bottom}};
    for (const auto& [suffix, value] : values) {
        if (value != 0)
            putInt(out, prefix + suffix, value);
    }
}

} // namespace skin::props
