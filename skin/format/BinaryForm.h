#pragma once

#include <string>

#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"
#include "skin/model/PropertyValue.h"

namespace skin::binaryform {

// The component stream: "TPF0", class and object name, tagged property values, then the
// (normally empty) list of nested components. Nesting deeper than `maxDepth` is refused.
ObjectRecord read(ByteReader& reader, int maxDepth = 64);
void write(const ObjectRecord& record, ByteWriter& out);
std::string write(const ObjectRecord& record);

// The tag of a binary value (`Objects` is one).
constexpr std::uint8_t kBinaryValueTag = 10;

// Skips the filer flags an inherited or positioned component may start with.
void skipFilerFlags(ByteReader& reader);

// Single values, shared with the text form's conversion.
PropertyValue readValue(ByteReader& reader);
void writeValue(const PropertyValue& value, ByteWriter& out);

} // namespace skin::binaryform
