#pragma once

#include <string>
#include <string_view>

#include "skin/format/SkinError.h"
#include "skin/model/PropertyValue.h"
#include "skin/model/SkinColors.h"
#include "skin/model/SkinTypes.h"

namespace skin::props {

// Typed access to decoded property values. A value of the wrong kind is a malformed skin and
// throws SkinError naming the property.
[[noreturn]] void invalidValue(std::string_view property);

int toInt(const PropertyValue& v, std::string_view property);
bool toBool(const PropertyValue& v, std::string_view property);
std::string toString(const PropertyValue& v, std::string_view property);
TColor toColor(const PropertyValue& v, std::string_view property);
int toCharset(const PropertyValue& v, std::string_view property);

template <typename E> E toEnum(const PropertyValue& v, std::string_view property) {
    if (v.type != PropertyValue::Type::Identifier)
        invalidValue(property);
    auto e = enumFromName<E>(v.text);
    if (!e)
        invalidValue(property);
    return *e;
}

void putInt(PropertyList& out, std::string name, int v);
void putBool(PropertyList& out, std::string name, bool v);
void putString(PropertyList& out, std::string name, std::string v);
void putIdent(PropertyList& out, std::string name, std::string_view v);
void putColor(PropertyList& out, std::string name, TColor v);

template <typename E> void putEnum(PropertyList& out, std::string name, E v) {
    putIdent(out, std::move(name), enumName(v));
}

} // namespace skin::props

namespace skin {
struct TSeBitmapLink;
}

namespace skin::props {

// "Prefix.Name", "Prefix.Left" ... of a bitmap link. False if `name` is not one of them.
bool readLink(std::string_view prefix, TSeBitmapLink& link, std::string_view name,
              const PropertyValue& v);
void writeLink(const std::string& prefix, const TSeBitmapLink& link, PropertyList& out);

} // namespace skin::props
