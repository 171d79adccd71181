#pragma once

#include <string>
#include <string_view>

#include "skin/model/PropertyValue.h"

namespace skin::textform {

// Parses "object Name: TClass ... end" with its properties; nested object blocks become
// children. Throws SkinError naming the line of the first thing it cannot parse.
ObjectRecord parse(std::string_view text, int maxDepth = 64);

// Writes the record with CR LF line ends and two spaces per level; binary values as upper-case
// hex lines of at most 32 bytes.
std::string write(const ObjectRecord& record);

} // namespace skin::textform
