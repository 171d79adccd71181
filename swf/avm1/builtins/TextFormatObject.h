#pragma once

// TextFormat objects as the text engine's formats: what getTextFormat gives script and what
// setTextFormat, style sheets and getTextExtent take from it.

#include "swf/avm1/Value.h"
#include "swf/text/TextFormat.h"

namespace swf::avm1 {
class Vm;
}

namespace swf::avm1::builtins {

// A new TextFormat object with the fields f has; the others stay null.
Value formatObject(Vm& vm, const text::PartialTextFormat& f);
// What a TextFormat object (or any object with such fields) sets; null fields set nothing.
text::PartialTextFormat partialOf(Vm& vm, const Value& tf);

} // namespace swf::avm1::builtins
