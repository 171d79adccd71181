#pragma once

// TextSnapshot and MovieClip.getTextSnapshot over the static text of a clip.

#include "swf/avm1/Value.h"

namespace swf::avm1 {
class Vm;
}

namespace swf::avm1::builtins {

// After the MovieClip class: it adds getTextSnapshot to its prototype.
void installTextSnapshot(Vm& vm);
// A snapshot of clip's static text.
Value makeTextSnapshot(Vm& vm, const Value& clip);

} // namespace swf::avm1::builtins
