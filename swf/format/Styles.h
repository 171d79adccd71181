#pragma once

// Fill and line styles of shapes and morph shapes, as read from the file.

#include "swf/format/Reader.h"

#include <QColor>
#include <QGradientStops>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace swf {

struct Gradient {
    struct Stop {
        int ratio = 0; // 0..255
        QColor color;
    };
    std::vector<Stop> stops;
    int spread = 0;        // 0 pad, 1 reflect, 2 repeat
    int interpolation = 0; // 0 sRGB, 1 linear RGB
    double focalPoint = 0; // -1..1 along the x axis, for focal gradients
};

struct FillStyle {
    enum class Type { Solid, Linear, Radial, Focal, Bitmap };
    Type type = Type::Solid;
    QColor color;
    QTransform matrix; // gradient square or bitmap pixels to shape twips
    Gradient gradient;
    uint16_t bitmapId = 0;
    bool repeat = true;
    bool smooth = true;
};

struct LineStyle {
    double width = 20; // twips; 0 is a hairline
    QColor color;
    Qt::PenCapStyle startCap = Qt::RoundCap;
    Qt::PenCapStyle endCap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    double miterLimit = 3;
    bool noClose = false;
    bool scaleHorizontally = true;
    bool scaleVertically = true;
    bool hasFill = false;
    FillStyle fill; // when hasFill
};

// shapeVersion is 1..4 (DefineShape to DefineShape4).
bool readFillStyle(Reader& r, int shapeVersion, FillStyle& out);
bool readFillStyles(Reader& r, int shapeVersion, std::vector<FillStyle>& out);
bool readLineStyles(Reader& r, int shapeVersion, std::vector<LineStyle>& out);
bool readGradient(Reader& r, int shapeVersion, bool focal, Gradient& out);

// Reads LINESTYLE2's flag bits (caps, join, fill flag, scaling, no-close) into out and tells
// whether a fill style follows instead of a colour.
void readLineStyle2Flags(Reader& r, LineStyle& out);

} // namespace swf
