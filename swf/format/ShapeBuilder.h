#pragma once

// The file describes a shape as a list of edges, each with the fill on its left (fill0), the
// fill on its right (fill1) and a line style. Filling needs closed outlines per fill, so the
// edges of each fill are oriented consistently and linked end to start into contours.

#include "swf/format/Reader.h"
#include "swf/format/Styles.h"

#include <QPainterPath>
#include <QPoint>
#include <vector>

namespace swf {

// Shapes with more edges than this are cut off there: memory stays proportional to what any
// real drawing needs.
inline constexpr std::size_t kMaxShapeEdges = 2'000'000;

struct ShapeEdge {
    QPoint from;
    QPoint control; // for curves
    QPoint to;
    bool curve = false;
};

struct StyledEdge {
    ShapeEdge edge;
    uint32_t fill0 = 0; // 1-based index into the layer's fills; 0 none
    uint32_t fill1 = 0;
    uint32_t line = 0;
};

// The edges drawn with one set of style arrays. A shape that brings new style arrays half-way
// has one layer per set, drawn in order.
struct EdgeLayer {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<StyledEdge> edges;
};

struct BuiltLayer {
    struct Fill {
        QPainterPath path;
        uint32_t style; // 0-based into fills
    };
    struct Stroke {
        QPainterPath path;
        uint32_t style; // 0-based into lines
    };
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<Fill> fillPaths;
    std::vector<Stroke> strokePaths;
};

// Reads shape records up to the end record. layers must hold the first layer with its styles
// already; shapeVersion 0 reads records that may not bring new styles (morph shapes), and
// keeps edges without any style, whose places the end shape of a morph still matches.
// At most maxEdges edges are read; edgesRead (when given) learns how many were, and a shape
// that has more stops with false there.
bool readShapeRecords(Reader& r, int shapeVersion, int fillBits, int lineBits,
                      std::vector<EdgeLayer>& layers, std::size_t maxEdges = kMaxShapeEdges,
                      std::size_t* edgesRead = nullptr);

BuiltLayer buildLayer(const EdgeLayer& layer, bool windingRule);

class MovieBudget;

// readShapeRecords against what is left of budget's edges (no limit but the per-shape one when
// budget is null). The edges read are charged; false with the budget exceeded when they do not
// fit, otherwise what readShapeRecords says.
bool readBudgetedShapeRecords(Reader& r, int shapeVersion, int fillBits, int lineBits,
                              std::vector<EdgeLayer>& layers, MovieBudget* budget);

} // namespace swf
