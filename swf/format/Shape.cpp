#include "swf/format/Shape.h"

#include "swf/format/MovieBudget.h"
#include "swf/format/TagParser.h"

namespace swf {

ShapeCharacter::ShapeCharacter(uint16_t id, QRectF bounds, std::vector<BuiltLayer> layers)
    : Character(id, Kind::Shape), bounds_(bounds), layers_(std::move(layers)) {
    bool bitmap = false, costly = false;
    int elements = 0;
    for (const BuiltLayer& layer : layers_) {
        for (const FillStyle& f : layer.fills) {
            bitmap |= f.type == FillStyle::Type::Bitmap;
            costly |= f.type != FillStyle::Type::Solid && f.type != FillStyle::Type::Bitmap;
        }
        costly |= !layer.strokePaths.empty();
        for (const auto& fill : layer.fillPaths)
            elements += fill.path.elementCount();
    }
    worthPicture_ = !bitmap && (costly || elements > 16);
}

Result<std::shared_ptr<ShapeCharacter>> parseShapeTag(uint16_t code, Reader& r,
                                                      MovieBudget* budget) {
    const int version = code == tag::DefineShape    ? 1
                        : code == tag::DefineShape2 ? 2
                        : code == tag::DefineShape3 ? 3
                                                    : 4;
    const uint16_t id = r.u16();
    const QRectF bounds = r.rect();
    bool winding = false;
    if (version == 4) {
        r.rect(); // edge bounds
        r.ub(5);
        winding = r.ub(1);
        r.ub(2); // stroke scaling hints
    }
    std::vector<EdgeLayer> layers(1);
    if (!readFillStyles(r, version, layers[0].fills) ||
        !readLineStyles(r, version, layers[0].lines))
        return Error{QStringLiteral("Broken styles in shape %1.").arg(id)};
    const int fillBits = static_cast<int>(r.ub(4));
    const int lineBits = static_cast<int>(r.ub(4));
    if (!readBudgetedShapeRecords(r, version, fillBits, lineBits, layers, budget)) {
        if (budget && budget->exceeded())
            return Error{budget->error()};
        // Flash draws what a damaged shape has up to the damage; so do we, unless nothing
        // of it could be read.
        if (r.failed() && layers.size() == 1 && layers[0].edges.empty())
            return Error{QStringLiteral("Broken shape %1.").arg(id)};
    }
    std::vector<BuiltLayer> built;
    built.reserve(layers.size());
    for (const EdgeLayer& layer : layers)
        built.push_back(buildLayer(layer, winding));
    return std::make_shared<ShapeCharacter>(id, bounds, std::move(built));
}

} // namespace swf
