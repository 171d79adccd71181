#include "swf/display/Drawing.h"

#include <QPainterPathStroker>
#include <cmath>

namespace swf {

namespace {

// Drawing coordinates are kept in whole twips like a file's shapes; a script may pass any
// number, so far-off values are held at the edge of what twips can express.
QPoint twips(double x, double y) {
    const auto clampTwip = [](double v) {
        if (!std::isfinite(v))
            return 0;
        return static_cast<int>(std::lround(std::clamp(v, -1.0e9, 1.0e9)));
    };
    return QPoint(clampTwip(x), clampTwip(y));
}

FillStyle gradientFill(Drawing::GradientType type, const Gradient& gradient,
                       const QTransform& matrix) {
    FillStyle fill;
    fill.type = type == Drawing::GradientType::Linear ? FillStyle::Type::Linear
                : gradient.focalPoint != 0            ? FillStyle::Type::Focal
                                                      : FillStyle::Type::Radial;
    fill.gradient = gradient;
    // Script's gradient box is the file's gradient square in pixels; both sides become twips.
    fill.matrix =
        QTransform::fromScale(1.0 / 20, 1.0 / 20) * matrix * QTransform::fromScale(20, 20);
    return fill;
}

} // namespace

void Drawing::lineStyle(std::optional<Line> line) {
    if (!line) {
        line_.reset();
        lineIndex_ = 0;
        return;
    }
    LineStyle style;
    style.width = std::isfinite(line->width) ? std::clamp(line->width, 0.0, 255.0 * 20) : 0;
    style.color = line->color;
    style.startCap = style.endCap = line->caps;
    style.join = line->joints;
    style.miterLimit = line->miterLimit;
    style.scaleHorizontally = line->scaleHorizontally;
    style.scaleVertically = line->scaleVertically;
    line_ = style;
    current_.lines.push_back(style);
    lineIndex_ = static_cast<uint32_t>(current_.lines.size());
    ++edgeCount_;
    dirty_ = true;
}

void Drawing::lineGradientStyle(GradientType type, const Gradient& gradient,
                                const QTransform& matrix) {
    if (!line_)
        return;
    LineStyle style = *line_;
    style.hasFill = true;
    style.fill = gradientFill(type, gradient, matrix);
    line_ = style;
    current_.lines.push_back(style);
    lineIndex_ = static_cast<uint32_t>(current_.lines.size());
    ++edgeCount_;
    dirty_ = true;
}

void Drawing::beginFill(QColor color) {
    closeFill();
    FillStyle fill;
    fill.type = FillStyle::Type::Solid;
    fill.color = color;
    fill_ = fill;
    current_.fills.push_back(fill);
    fillIndex_ = static_cast<uint32_t>(current_.fills.size());
    fillStart_ = pen_;
    fillOpen_ = true;
    ++edgeCount_;
}

void Drawing::beginGradientFill(GradientType type, const Gradient& gradient,
                                const QTransform& matrix) {
    closeFill();
    fill_ = gradientFill(type, gradient, matrix);
    current_.fills.push_back(*fill_);
    fillIndex_ = static_cast<uint32_t>(current_.fills.size());
    fillStart_ = pen_;
    fillOpen_ = true;
    ++edgeCount_;
}

void Drawing::beginBitmapFill(std::shared_ptr<const QImage> image, const QTransform& matrix,
                              bool repeat, bool smooth) {
    closeFill();
    if (!image || image->isNull())
        return;
    FillStyle fill;
    fill.type = FillStyle::Type::Bitmap;
    // Image pixels to the clip's pixels, then to twips, as a file's bitmap fills map them.
    fill.matrix = matrix * QTransform::fromScale(20, 20);
    images_.push_back(std::move(image));
    fill.bitmapId = static_cast<uint16_t>(std::min<std::size_t>(images_.size(), 0xffff));
    fill.repeat = repeat;
    fill.smooth = smooth;
    fill_ = fill;
    current_.fills.push_back(fill);
    fillIndex_ = static_cast<uint32_t>(current_.fills.size());
    fillStart_ = pen_;
    fillOpen_ = true;
    ++edgeCount_;
}

void Drawing::moveTo(double x, double y) {
    // A fill's outline is closed where the pen jumps away, as Flash does.
    if (fillOpen_ && pen_ != fillStart_)
        addEdge(ShapeEdge{twips(pen_.x(), pen_.y()), {}, twips(fillStart_.x(), fillStart_.y())});
    pen_ = QPointF(twips(x, y));
    fillStart_ = pen_;
}

void Drawing::lineTo(double x, double y) {
    const QPoint to = twips(x, y);
    addEdge(ShapeEdge{twips(pen_.x(), pen_.y()), {}, to});
    pen_ = QPointF(to);
}

void Drawing::curveTo(double cx, double cy, double x, double y) {
    const QPoint to = twips(x, y);
    addEdge(ShapeEdge{twips(pen_.x(), pen_.y()), twips(cx, cy), to, true});
    pen_ = QPointF(to);
}

void Drawing::endFill() {
    closeFill();
    fill_.reset();
    fillIndex_ = 0;
}

void Drawing::clear() {
    layers_.clear();
    current_ = EdgeLayer{};
    images_.clear();
    fill_.reset();
    line_.reset();
    fillIndex_ = lineIndex_ = 0;
    pen_ = fillStart_ = QPointF();
    fillOpen_ = false;
    edgeCount_ = 0;
    built_.clear();
    dirty_ = false;
}

void Drawing::closeFill() {
    if (!fillOpen_)
        return;
    if (pen_ != fillStart_) {
        // The closing edge fills but draws no line.
        const uint32_t line = lineIndex_;
        lineIndex_ = 0;
        addEdge(ShapeEdge{twips(pen_.x(), pen_.y()), {}, twips(fillStart_.x(), fillStart_.y())});
        lineIndex_ = line;
        pen_ = fillStart_;
    }
    fillOpen_ = false;
}

void Drawing::addEdge(const ShapeEdge& edge) {
    if (edgeCount_ >= kMaxEdges)
        return;
    const uint32_t fill = fillOpen_ ? fillIndex_ : 0;
    const uint32_t line = line_ ? lineIndex_ : 0;
    if (!fill && !line)
        return;
    if (edge.from == edge.to && !edge.curve && !line)
        return;
    current_.edges.push_back(StyledEdge{edge, 0, fill, line});
    ++edgeCount_;
    dirty_ = true;
}

const std::vector<BuiltLayer>& Drawing::built() const {
    if (dirty_) {
        built_.clear();
        for (const EdgeLayer& layer : layers_)
            built_.push_back(buildLayer(layer, false));
        if (!current_.edges.empty()) {
            BuiltLayer layer = buildLayer(current_, false);
            // The fill being drawn is closed for display even before endFill.
            for (auto& fill : layer.fillPaths)
                fill.path.closeSubpath();
            built_.push_back(std::move(layer));
        }
        dirty_ = false;
    }
    return built_;
}

QRectF Drawing::bounds() const {
    QRectF out;
    for (const BuiltLayer& layer : built()) {
        for (const auto& fill : layer.fillPaths)
            out |= fill.path.controlPointRect();
        for (const auto& stroke : layer.strokePaths) {
            double half = 0;
            if (stroke.style < layer.lines.size())
                half = layer.lines[stroke.style].width / 2;
            out |= stroke.path.controlPointRect().adjusted(-half, -half, half, half);
        }
    }
    return out;
}

bool layersContain(const std::vector<BuiltLayer>& layers, QPointF p) {
    for (const BuiltLayer& layer : layers) {
        for (const auto& fill : layer.fillPaths)
            if (fill.path.contains(p))
                return true;
        for (const auto& stroke : layer.strokePaths) {
            if (stroke.style >= layer.lines.size())
                continue;
            QPainterPathStroker stroker;
            stroker.setWidth(std::max(20.0, layer.lines[stroke.style].width));
            if (stroker.createStroke(stroke.path).contains(p))
                return true;
        }
    }
    return false;
}

bool Drawing::contains(QPointF twips) const {
    return layersContain(built(), twips);
}

} // namespace swf
