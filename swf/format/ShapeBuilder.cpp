#include "swf/format/ShapeBuilder.h"

#include "swf/format/MovieBudget.h"

#include <algorithm>
#include <unordered_map>

namespace swf {

namespace {

uint64_t key(QPoint p) {
    return static_cast<uint64_t>(static_cast<uint32_t>(p.x())) << 32 | static_cast<uint32_t>(p.y());
}

void addSegment(QPainterPath& path, const ShapeEdge& e) {
    if (e.curve)
        path.quadTo(e.control, e.to);
    else
        path.lineTo(e.to);
}

ShapeEdge reversed(const ShapeEdge& e) {
    return ShapeEdge{e.to, e.control, e.from, e.curve};
}

QPainterPath linkContours(const std::vector<ShapeEdge>& edges, bool windingRule) {
    QPainterPath path;
    path.setFillRule(windingRule ? Qt::WindingFill : Qt::OddEvenFill);
    // Edges by their start point, each list with a cursor past the edges already used, so
    // that many edges meeting at one point cost no more than a few.
    struct Starts {
        std::vector<std::size_t> edges;
        std::size_t cursor = 0;
    };
    std::unordered_map<uint64_t, Starts> byStart;
    byStart.reserve(edges.size());
    for (std::size_t i = 0; i < edges.size(); ++i)
        byStart[key(edges[i].from)].edges.push_back(i);
    std::vector<bool> used(edges.size(), false);
    const auto takeFrom = [&](QPoint p) -> std::size_t {
        const auto it = byStart.find(key(p));
        if (it == byStart.end())
            return edges.size();
        Starts& s = it->second;
        while (s.cursor < s.edges.size() && used[s.edges[s.cursor]])
            ++s.cursor;
        return s.cursor < s.edges.size() ? s.edges[s.cursor] : edges.size();
    };
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first])
            continue;
        const QPoint start = edges[first].from;
        path.moveTo(start);
        std::size_t cur = first;
        for (;;) {
            used[cur] = true;
            addSegment(path, edges[cur]);
            const QPoint end = edges[cur].to;
            if (end == start) {
                path.closeSubpath();
                break;
            }
            const std::size_t next = takeFrom(end);
            if (next == edges.size())
                break; // an open outline; the fill closes it with a straight line
            cur = next;
        }
    }
    return path;
}

} // namespace

bool readShapeRecords(Reader& r, int shapeVersion, int fillBits, int lineBits,
                      std::vector<EdgeLayer>& layers, std::size_t maxEdges,
                      std::size_t* edgesRead) {
    QPoint pen;
    std::size_t edgeCount = 0;
    std::size_t unused = 0;
    std::size_t& counted = edgesRead ? *edgesRead : unused;
    counted = 0;
    const std::size_t limit = std::min(maxEdges, kMaxShapeEdges);
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    for (;;) {
        if (r.failed())
            return false;
        const bool isEdge = r.ub(1);
        if (!isEdge) {
            const uint32_t flags = r.ub(5);
            if (flags == 0)
                return !r.failed(); // end of shape
            if (flags & 0x01) {
                const int n = static_cast<int>(r.ub(5));
                const int x = r.sb(n), y = r.sb(n);
                pen = QPoint(x, y);
            }
            if (flags & 0x02)
                fill0 = r.ub(fillBits);
            if (flags & 0x04)
                fill1 = r.ub(fillBits);
            if (flags & 0x08)
                line = r.ub(lineBits);
            if (flags & 0x10) {
                if (shapeVersion < 2)
                    return false;
                EdgeLayer next;
                if (!readFillStyles(r, shapeVersion, next.fills) ||
                    !readLineStyles(r, shapeVersion, next.lines))
                    return false;
                fillBits = static_cast<int>(r.ub(4));
                lineBits = static_cast<int>(r.ub(4));
                layers.push_back(std::move(next));
                // New style arrays reset the current styles.
                fill0 = fill1 = line = 0;
            }
            continue;
        }
        ShapeEdge e;
        e.from = pen;
        const bool straight = r.ub(1);
        const int n = static_cast<int>(r.ub(4)) + 2;
        if (straight) {
            int dx = 0, dy = 0;
            if (r.ub(1)) {
                dx = r.sb(n);
                dy = r.sb(n);
            } else if (r.ub(1)) {
                dy = r.sb(n);
            } else {
                dx = r.sb(n);
            }
            e.to = pen + QPoint(dx, dy);
        } else {
            const int cx = r.sb(n), cy = r.sb(n), ax = r.sb(n), ay = r.sb(n);
            e.control = pen + QPoint(cx, cy);
            e.to = e.control + QPoint(ax, ay);
            e.curve = true;
        }
        pen = e.to;
        if (++edgeCount > limit)
            return false; // far beyond any drawn shape: keep what came before
        counted = edgeCount;
        // An edge of no length bounds nothing; it only matters to a line's caps.
        // Morph shapes keep every edge: the end shape matches them one for one.
        if (shapeVersion == 0 || ((fill0 || fill1 || line) && (e.from != e.to || line)))
            layers.back().edges.push_back(StyledEdge{e, fill0, fill1, line});
    }
}

BuiltLayer buildLayer(const EdgeLayer& layer, bool windingRule) {
    BuiltLayer out;
    out.fills = layer.fills;
    out.lines = layer.lines;
    const std::size_t fillCount = layer.fills.size();
    const std::size_t lineCount = layer.lines.size();
    std::vector<std::vector<ShapeEdge>> perFill(fillCount);
    for (const StyledEdge& se : layer.edges) {
        // The fill on the right follows the edge's direction; the one on the left runs against
        // it, so every fill's outline turns the same way.
        // The same fill on both sides: an edge inside the region, bounding nothing.
        if (se.fill0 == se.fill1)
            continue;
        if (se.fill1 >= 1 && se.fill1 <= fillCount)
            perFill[se.fill1 - 1].push_back(se.edge);
        if (se.fill0 >= 1 && se.fill0 <= fillCount)
            perFill[se.fill0 - 1].push_back(reversed(se.edge));
    }
    for (std::size_t i = 0; i < fillCount; ++i)
        if (!perFill[i].empty())
            out.fillPaths.push_back(
                {linkContours(perFill[i], windingRule), static_cast<uint32_t>(i)});

    std::vector<QPainterPath> perLine(lineCount);
    std::vector<QPoint> lineStart(lineCount);
    std::vector<bool> lineOpen(lineCount, false);
    for (const StyledEdge& se : layer.edges) {
        if (se.line < 1 || se.line > lineCount)
            continue;
        const std::size_t i = se.line - 1;
        QPainterPath& p = perLine[i];
        if (!lineOpen[i] || p.currentPosition() != QPointF(se.edge.from)) {
            p.moveTo(se.edge.from);
            lineStart[i] = se.edge.from;
            lineOpen[i] = true;
        }
        addSegment(p, se.edge);
        if (se.edge.to == lineStart[i] && !layer.lines[i].noClose) {
            p.closeSubpath();
            lineOpen[i] = false;
        }
    }
    for (std::size_t i = 0; i < lineCount; ++i)
        if (!perLine[i].isEmpty())
            out.strokePaths.push_back({perLine[i], static_cast<uint32_t>(i)});
    return out;
}

bool readBudgetedShapeRecords(Reader& r, int shapeVersion, int fillBits, int lineBits,
                              std::vector<EdgeLayer>& layers, MovieBudget* budget) {
    if (!budget)
        return readShapeRecords(r, shapeVersion, fillBits, lineBits, layers);
    const std::size_t left =
        static_cast<std::size_t>(std::min<uint64_t>(budget->edgesLeft(), kMaxShapeEdges));
    std::size_t read = 0;
    const bool whole = readShapeRecords(r, shapeVersion, fillBits, lineBits, layers, left, &read);
    // Stopped by the budget rather than by damage or the per-shape cap: one edge more was there.
    if (!whole && read == left && left < kMaxShapeEdges && !r.failed()) {
        budget->takeEdges(static_cast<uint64_t>(read) + 1);
        return false;
    }
    budget->takeEdges(read);
    return whole;
}

} // namespace swf
