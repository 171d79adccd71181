#pragma once

#include <string>
#include <string_view>

#include "skin/model/PropertyValue.h"

namespace skin::textform {

// Receives an object's text form as it is read: the object, its properties in order, its
// nested object blocks (each begun and ended within), its end. Names are valid only during
// the call.
class Handler {
public:
    virtual ~Handler();
    virtual void beginObject(std::string_view className, std::string_view name) = 0;
    virtual void property(std::string_view name, PropertyValue&& value) = 0;
    virtual void endObject() = 0;
};

// Parses "object Name: TClass ... end" with its properties; nested object blocks become
// children. Throws SkinError naming the line of the first thing it cannot parse.
ObjectRecord parse(std::string_view text, int maxDepth = 64);
// The same, handing each part over as it is read instead of building a record.
void parse(std::string_view text, Handler& handler, int maxDepth = 64);

// Writes the record with CR LF line ends and two spaces per level; binary values as upper-case
// hex lines of at most 32 bytes.
std::string write(const ObjectRecord& record);

} // namespace skin::textform
