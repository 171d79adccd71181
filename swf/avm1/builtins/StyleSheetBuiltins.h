#pragma once

// TextField.StyleSheet: style sheets script builds (parseCSS, setStyle, load) and gives to
// text fields. The script side keeps the styles where movies look for them (_css with what the
// sheet said, _styles with the TextFormat objects transform made of it); the fields get a
// compiled copy that follows every update of the sheet.

#include "swf/avm1/Value.h"
#include "swf/text/StyleSheet.h"

#include <memory>

namespace swf::avm1 {
class Object;
class Vm;
} // namespace swf::avm1

namespace swf::avm1::builtins {

// Defines TextField.StyleSheet on the TextField constructor (SWF 7 and later).
void installStyleSheet(Vm& vm, Object* textFieldCtor);

// The compiled styles of a style sheet object, shared by every field it is given to and
// brought up to date whenever the sheet's update() runs; null for anything but an object.
std::shared_ptr<const text::StyleSheet> styleSheetFor(Vm& vm, const Value& sheet);

} // namespace swf::avm1::builtins
