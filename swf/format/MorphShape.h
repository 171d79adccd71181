#pragma once

// DefineMorphShape and DefineMorphShape2: two shapes with matching edges and styles, drawn
// in between by the placement's ratio (0 the start shape, 65535 the end shape).

#include "swf/format/Character.h"
#include "swf/format/Result.h"
#include "swf/format/ShapeBuilder.h"

#include <map>
#include <memory>
#include <mutex>

namespace swf {

class MorphShapeCharacter final : public Character {
public:
    struct Styles {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
    };

    MorphShapeCharacter(uint16_t id, QRectF startBounds, QRectF endBounds, Styles start, Styles end,
                        std::vector<StyledEdge> startEdges, std::vector<ShapeEdge> endEdges);

    QRectF bounds(uint16_t ratio) const;
    // The shape at ratio, built on first use and kept for the ratios used most recently.
    std::shared_ptr<const BuiltLayer> at(uint16_t ratio) const;

private:
    QRectF startBounds_, endBounds_;
    Styles start_, end_;
    std::vector<StyledEdge> startEdges_;
    std::vector<ShapeEdge> endEdges_;
    mutable std::mutex cacheMutex_;
    mutable std::map<uint16_t, std::shared_ptr<const BuiltLayer>> cache_;
};

class MovieBudget;

// The edges of both shapes are charged to budget when one is given.
Result<std::shared_ptr<MorphShapeCharacter>> parseMorphShapeTag(uint16_t code, Reader& r,
                                                                MovieBudget* budget = nullptr);

} // namespace swf
