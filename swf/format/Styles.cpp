#include "swf/format/Styles.h"

namespace swf {

namespace {

Qt::PenCapStyle capFrom(uint32_t v) {
    switch (v) {
    case 1:
        return Qt::FlatCap;
    case 2:
        return Qt::SquareCap;
    default:
        return Qt::RoundCap;
    }
}

} // namespace

bool readGradient(Reader& r, int shapeVersion, bool focal, Gradient& out) {
    out.spread = static_cast<int>(r.ub(2));
    out.interpolation = static_cast<int>(r.ub(2));
    const int count = static_cast<int>(r.ub(4));
    out.stops.clear();
    out.stops.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Gradient::Stop s;
        s.ratio = r.u8();
        s.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        out.stops.push_back(s);
    }
    if (focal)
        out.focalPoint = std::clamp(r.fixed8(), -1.0, 1.0);
    return !r.failed();
}

bool readFillStyle(Reader& r, int shapeVersion, FillStyle& out) {
    const int type = r.u8();
    switch (type) {
    case 0x00:
        out.type = FillStyle::Type::Solid;
        out.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        out.type = type == 0x10   ? FillStyle::Type::Linear
                   : type == 0x12 ? FillStyle::Type::Radial
                                  : FillStyle::Type::Focal;
        out.matrix = r.matrix();
        readGradient(r, shapeVersion, type == 0x13, out.gradient);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        out.type = FillStyle::Type::Bitmap;
        out.bitmapId = r.u16();
        out.matrix = r.matrix();
        out.repeat = type == 0x40 || type == 0x42;
        out.smooth = type == 0x40 || type == 0x41;
        break;
    default:
        return false;
    }
    return !r.failed();
}

bool readFillStyles(Reader& r, int shapeVersion, std::vector<FillStyle>& out) {
    int count = r.u8();
    if (count == 0xff && shapeVersion >= 2)
        count = r.u16();
    out.clear();
    // Each style needs at least two bytes: never reserve more than the data could hold.
    if (static_cast<std::size_t>(count) * 2 > r.remaining())
        return false;
    out.resize(static_cast<std::size_t>(count));
    for (auto& fill : out)
        if (!readFillStyle(r, shapeVersion, fill))
            return false;
    return !r.failed();
}

void readLineStyle2Flags(Reader& r, LineStyle& out) {
    out.startCap = capFrom(r.ub(2));
    const uint32_t join = r.ub(2);
    out.hasFill = r.ub(1);
    out.scaleHorizontally = !r.ub(1);
    out.scaleVertically = !r.ub(1);
    r.ub(1); // pixel hinting
    r.ub(5);
    out.noClose = r.ub(1);
    out.endCap = capFrom(r.ub(2));
    out.join = join == 1 ? Qt::BevelJoin : join == 2 ? Qt::MiterJoin : Qt::RoundJoin;
    if (join == 2)
        out.miterLimit = r.u16() / 256.0;
}

bool readLineStyles(Reader& r, int shapeVersion, std::vector<LineStyle>& out) {
    int count = r.u8();
    if (count == 0xff && shapeVersion >= 2)
        count = r.u16();
    out.clear();
    if (static_cast<std::size_t>(count) * 5 > r.remaining())
        return false;
    out.resize(static_cast<std::size_t>(count));
    for (auto& line : out) {
        line.width = r.u16();
        if (shapeVersion == 4) {
            readLineStyle2Flags(r, line);
            if (line.hasFill) {
                if (!readFillStyle(r, shapeVersion, line.fill))
                    return false;
                if (line.fill.type == FillStyle::Type::Solid) {
                    line.color = line.fill.color;
                    line.hasFill = false;
                }
            } else {
                line.color = r.rgba();
            }
        } else {
            line.color = shapeVersion >= 3 ? r.rgba() : r.rgb();
        }
    }
    return !r.failed();
}

} // namespace swf
