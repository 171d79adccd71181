#include "swf/format/MorphShape.h"

#include "swf/format/MovieBudget.h"

#include "swf/format/TagParser.h"

#include <cmath>

namespace swf {

namespace {

double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

QColor lerp(const QColor& a, const QColor& b, double t) {
    return QColor(static_cast<int>(std::lround(lerp(a.red(), b.red(), t))),
                  static_cast<int>(std::lround(lerp(a.green(), b.green(), t))),
                  static_cast<int>(std::lround(lerp(a.blue(), b.blue(), t))),
                  static_cast<int>(std::lround(lerp(a.alpha(), b.alpha(), t))));
}

QTransform lerp(const QTransform& a, const QTransform& b, double t) {
    return QTransform(lerp(a.m11(), b.m11(), t), lerp(a.m12(), b.m12(), t),
                      lerp(a.m21(), b.m21(), t), lerp(a.m22(), b.m22(), t), lerp(a.dx(), b.dx(), t),
                      lerp(a.dy(), b.dy(), t));
}

QPoint lerp(QPoint a, QPoint b, double t) {
    return QPoint(static_cast<int>(std::lround(lerp(a.x(), b.x(), t))),
                  static_cast<int>(std::lround(lerp(a.y(), b.y(), t))));
}

FillStyle lerp(const FillStyle& a, const FillStyle& b, double t) {
    FillStyle f = a;
    f.color = lerp(a.color, b.color, t);
    f.matrix = lerp(a.matrix, b.matrix, t);
    for (std::size_t i = 0; i < f.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
        f.gradient.stops[i].ratio = static_cast<int>(
            std::lround(lerp(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t)));
        f.gradient.stops[i].color = lerp(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
    }
    f.gradient.focalPoint = lerp(a.gradient.focalPoint, b.gradient.focalPoint, t);
    return f;
}

bool readMorphFill(Reader& r, FillStyle& start, FillStyle& end) {
    const int type = r.u8();
    switch (type) {
    case 0x00:
        start.type = end.type = FillStyle::Type::Solid;
        start.color = r.rgba();
        end.color = r.rgba();
        break;
    case 0x10:
    case 0x12:
    case 0x13: {
        start.type = end.type = type == 0x10   ? FillStyle::Type::Linear
                                : type == 0x12 ? FillStyle::Type::Radial
                                               : FillStyle::Type::Focal;
        start.matrix = r.matrix();
        end.matrix = r.matrix();
        start.gradient.spread = end.gradient.spread = static_cast<int>(r.ub(2));
        start.gradient.interpolation = end.gradient.interpolation = static_cast<int>(r.ub(2));
        const int count = static_cast<int>(r.ub(4));
        for (int i = 0; i < count; ++i) {
            Gradient::Stop s, e;
            s.ratio = r.u8();
            s.color = r.rgba();
            e.ratio = r.u8();
            e.color = r.rgba();
            start.gradient.stops.push_back(s);
            end.gradient.stops.push_back(e);
        }
        if (type == 0x13) {
            start.gradient.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
            end.gradient.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
        }
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        start.type = end.type = FillStyle::Type::Bitmap;
        start.bitmapId = end.bitmapId = r.u16();
        start.matrix = r.matrix();
        end.matrix = r.matrix();
        start.repeat = end.repeat = type == 0x40 || type == 0x42;
        start.smooth = end.smooth = type == 0x40 || type == 0x41;
        break;
    default:
        return false;
    }
    return !r.failed();
}

int readCount(Reader& r) {
    int count = r.u8();
    if (count == 0xff)
        count = r.u16();
    return count;
}

} // namespace

MorphShapeCharacter::MorphShapeCharacter(uint16_t id, QRectF startBounds, QRectF endBounds,
                                         Styles start, Styles end,
                                         std::vector<StyledEdge> startEdges,
                                         std::vector<ShapeEdge> endEdges)
    : Character(id, Kind::MorphShape), startBounds_(startBounds), endBounds_(endBounds),
      start_(std::move(start)), end_(std::move(end)), startEdges_(std::move(startEdges)),
      endEdges_(std::move(endEdges)) {}

QRectF MorphShapeCharacter::bounds(uint16_t ratio) const {
    const double t = ratio / 65535.0;
    return QRectF(QPointF(lerp(startBounds_.left(), endBounds_.left(), t),
                          lerp(startBounds_.top(), endBounds_.top(), t)),
                  QPointF(lerp(startBounds_.right(), endBounds_.right(), t),
                          lerp(startBounds_.bottom(), endBounds_.bottom(), t)));
}

std::shared_ptr<const BuiltLayer> MorphShapeCharacter::at(uint16_t ratio) const {
    {
        std::lock_guard lock(cacheMutex_);
        const auto it = cache_.find(ratio);
        if (it != cache_.end())
            return it->second;
    }
    const double t = ratio / 65535.0;
    EdgeLayer layer;
    for (std::size_t i = 0; i < start_.fills.size(); ++i)
        layer.fills.push_back(lerp(start_.fills[i], end_.fills[i], t));
    for (std::size_t i = 0; i < start_.lines.size(); ++i) {
        LineStyle l = start_.lines[i];
        const LineStyle& e = end_.lines[i];
        l.width = lerp(l.width, e.width, t);
        l.color = lerp(l.color, e.color, t);
        if (l.hasFill)
            l.fill = lerp(l.fill, e.fill, t);
        layer.lines.push_back(l);
    }
    layer.edges.reserve(startEdges_.size());
    for (std::size_t i = 0; i < startEdges_.size(); ++i) {
        StyledEdge se = startEdges_[i];
        if (i < endEdges_.size()) {
            const ShapeEdge& a = startEdges_[i].edge;
            const ShapeEdge& b = endEdges_[i];
            // A straight edge matched with a curve is a curve with its control in the middle.
            const QPoint ac = a.curve ? a.control : (a.from + a.to) / 2;
            const QPoint bc = b.curve ? b.control : (b.from + b.to) / 2;
            se.edge.from = lerp(a.from, b.from, t);
            se.edge.to = lerp(a.to, b.to, t);
            se.edge.control = lerp(ac, bc, t);
            se.edge.curve = a.curve || b.curve;
        }
        layer.edges.push_back(se);
    }
    auto built = std::make_shared<const BuiltLayer>(buildLayer(layer, false));
    std::lock_guard lock(cacheMutex_);
    if (cache_.size() >= 16)
        cache_.clear();
    cache_.emplace(ratio, built);
    return built;
}

Result<std::shared_ptr<MorphShapeCharacter>> parseMorphShapeTag(uint16_t code, Reader& r,
                                                                MovieBudget* budget) {
    const bool v2 = code == tag::DefineMorphShape2;
    const uint16_t id = r.u16();
    const QRectF startBounds = r.rect();
    const QRectF endBounds = r.rect();
    if (v2) {
        r.rect();
        r.rect();
        r.u8();
    }
    const uint32_t offset = r.u32();
    const std::size_t offsetBase = r.position();
    if (r.failed() || offset > r.remaining())
        return Error{QStringLiteral("Broken morph shape %1.").arg(id)};
    Reader endReader = r;
    endReader.skip(offset);
    Reader startReader = r.sub(offset);
    (void)offsetBase;

    MorphShapeCharacter::Styles start, end;
    const int fillCount = readCount(startReader);
    if (static_cast<std::size_t>(fillCount) * 9 > startReader.remaining())
        return Error{QStringLiteral("Broken morph shape %1.").arg(id)};
    start.fills.resize(static_cast<std::size_t>(fillCount));
    end.fills.resize(static_cast<std::size_t>(fillCount));
    for (int i = 0; i < fillCount; ++i)
        if (!readMorphFill(startReader, start.fills[i], end.fills[i]))
            return Error{QStringLiteral("Broken morph fill in shape %1.").arg(id)};
    const int lineCount = readCount(startReader);
    if (static_cast<std::size_t>(lineCount) * 4 > startReader.remaining())
        return Error{QStringLiteral("Broken morph shape %1.").arg(id)};
    start.lines.resize(static_cast<std::size_t>(lineCount));
    end.lines.resize(static_cast<std::size_t>(lineCount));
    for (int i = 0; i < lineCount; ++i) {
        LineStyle& s = start.lines[i];
        LineStyle& e = end.lines[i];
        s.width = startReader.u16();
        e.width = startReader.u16();
        if (v2) {
            readLineStyle2Flags(startReader, s);
            const double w = e.width;
            e = s;
            e.width = w;
            if (s.hasFill) {
                if (!readMorphFill(startReader, s.fill, e.fill))
                    return Error{QStringLiteral("Broken morph line in shape %1.").arg(id)};
                if (s.fill.type == FillStyle::Type::Solid) {
                    s.color = s.fill.color;
                    e.color = e.fill.color;
                    s.hasFill = e.hasFill = false;
                }
                continue;
            }
        }
        s.color = startReader.rgba();
        e.color = startReader.rgba();
    }
    std::vector<EdgeLayer> startLayers(1);
    const int fillBits = static_cast<int>(startReader.ub(4));
    const int lineBits = static_cast<int>(startReader.ub(4));
    readBudgetedShapeRecords(startReader, 0, fillBits, lineBits, startLayers, budget);
    std::vector<EdgeLayer> endLayers(1);
    const int endFillBits = static_cast<int>(endReader.ub(4));
    const int endLineBits = static_cast<int>(endReader.ub(4));
    readBudgetedShapeRecords(endReader, 0, endFillBits, endLineBits, endLayers, budget);
    if (budget && budget->exceeded())
        return Error{budget->error()};
    std::vector<ShapeEdge> endEdges;
    endEdges.reserve(endLayers[0].edges.size());
    for (const StyledEdge& se : endLayers[0].edges)
        endEdges.push_back(se.edge);
    return std::make_shared<MorphShapeCharacter>(id, startBounds, endBounds, std::move(start),
                                                 std::move(end), std::move(startLayers[0].edges),
                                                 std::move(endEdges));
}

} // namespace swf
