#pragma once

// A flash.geom.ColorTransform: four multipliers and four offsets kept as numbers, reached by
// script through accessors on the prototype. Other built-ins (Transform, BitmapData) read it.

#include "swf/avm1/Object.h"

#include <array>

namespace swf::avm1::builtins {

class ColorTransformObject : public Object {
public:
    enum Field { RedMul, GreenMul, BlueMul, AlphaMul, RedAdd, GreenAdd, BlueAdd, AlphaAdd };
    using Object::Object;
    std::array<double, 8> v{1, 1, 1, 1, 0, 0, 0, 0};

    // Applies this transform after other: the result is what other followed by this gives.
    void concat(const ColorTransformObject& other) {
        for (int i = 0; i < 4; ++i) {
            v[4 + i] += v[i] * other.v[4 + i];
            v[i] *= other.v[i];
        }
    }
};

} // namespace swf::avm1::builtins
