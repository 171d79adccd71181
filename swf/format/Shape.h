#pragma once

// DefineShape 1 to 4, parsed once into painter paths per fill and line style.

#include "swf/format/Character.h"
#include "swf/format/Result.h"
#include "swf/format/ShapeBuilder.h"

#include <memory>

namespace swf {

class ShapeCharacter final : public Character {
public:
    ShapeCharacter(uint16_t id, QRectF bounds, std::vector<BuiltLayer> layers);

    // Gradients, outlines and curves cost more to draw than copying a picture of them;
    // bitmap fills and plain polygons do not.
    bool worthKeepingAsPicture() const { return worthPicture_; }

    QRectF bounds() const { return bounds_; } // twips
    const std::vector<BuiltLayer>& layers() const { return layers_; }

private:
    QRectF bounds_;
    std::vector<BuiltLayer> layers_;
    bool worthPicture_ = false;
};

class MovieBudget;

// The shape's edges are charged to budget when one is given.
Result<std::shared_ptr<ShapeCharacter>> parseShapeTag(uint16_t code, Reader& r,
                                                      MovieBudget* budget = nullptr);

} // namespace swf
