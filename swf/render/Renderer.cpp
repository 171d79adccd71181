#include "swf/render/Renderer.h"

#include "swf/render/BlendComposite.h"
#include "swf/render/FilterRenderer.h"

#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/ShapeObjects.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/display/Video.h"
#include "swf/format/Bitmap.h"
#include "swf/format/MorphShape.h"
#include "swf/format/Movie.h"
#include "swf/format/Shape.h"
#include "swf/format/Sprite.h"
#include "swf/render/TextPainter.h"

#include <QPaintDevice>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <cmath>

namespace swf {

namespace {

constexpr int kMaxDrawNesting = 64;
constexpr std::size_t kMaxCachedImages = 64;
constexpr std::size_t kImageCacheBudget = 64u * 1024 * 1024;
// Blended sprites inside blended sprites each need a layer the size of the view at once.
constexpr int kMaxLayerNesting = 4;
constexpr int kMaxLayerSide = 4096;

std::optional<QPainter::CompositionMode> compositionFor(BlendMode mode) {
    switch (mode) {
    case BlendMode::Multiply:
        return QPainter::CompositionMode_Multiply;
    case BlendMode::Screen:
        return QPainter::CompositionMode_Screen;
    case BlendMode::Lighten:
        return QPainter::CompositionMode_Lighten;
    case BlendMode::Darken:
        return QPainter::CompositionMode_Darken;
    case BlendMode::Difference:
        return QPainter::CompositionMode_Difference;
    case BlendMode::Add:
        return QPainter::CompositionMode_Plus;
    case BlendMode::Overlay:
        return QPainter::CompositionMode_Overlay;
    case BlendMode::Hardlight:
        return QPainter::CompositionMode_HardLight;
    case BlendMode::Alpha:
        return QPainter::CompositionMode_DestinationIn;
    case BlendMode::Erase:
        return QPainter::CompositionMode_DestinationOut;
    default:
        return std::nullopt;
    }
}

// The painter's clip in device pixels, when it has one.
bool deviceClip(QPainter& painter, QPainterPath& clip) {
    painter.save();
    painter.setWorldTransform(QTransform());
    const bool clipped = painter.hasClipping();
    if (clipped)
        clip = painter.clipPath();
    painter.restore();
    return clipped;
}

// The part of the device a layer can show: all of it, cut to the clip when there is one.
QRect visibleArea(QPainter& painter, const QPainterPath& clip, bool clipped) {
    const QPaintDevice* device = painter.device();
    QRect area(0, 0, device->width(), device->height());
    if (clipped)
        area &= clip.boundingRect().toAlignedRect();
    return area;
}

// A transparent layer over area, cut to the largest layer we make; null when nothing is left
// or there is no memory for it.
QImage clearLayer(QRect& area) {
    area &= QRect(area.topLeft(), QSize(kMaxLayerSide, kMaxLayerSide));
    if (area.isEmpty())
        return {};
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (!layer.isNull())
        layer.fill(Qt::transparent);
    return layer;
}

double scaleOf(const QTransform& m) {
    return std::sqrt(std::abs(m.determinant()));
}

double toLinear(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double toSrgb(double c) {
    return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

QColor mixLinear(const QColor& a, const QColor& b, double t) {
    const auto mix = [t](int x, int y) {
        const double v = toLinear(x / 255.0) * (1 - t) + toLinear(y / 255.0) * t;
        return std::clamp(static_cast<int>(std::lround(toSrgb(v) * 255)), 0, 255);
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()),
                  static_cast<int>(std::lround(a.alpha() * (1 - t) + b.alpha() * t)));
}

QGradientStops stopsFor(const Gradient& g, const ColorTransform& cx) {
    QGradientStops stops;
    // Flash keeps the stops in the order given: a ratio that does not rise is moved just past
    // the one before, and stops pushed beyond the end are dropped.
    int last = -1;
    std::vector<std::pair<int, QColor>> ordered;
    for (const auto& s : g.stops) {
        const int ratio = std::max(s.ratio, last + 1);
        if (ratio > 255)
            break;
        last = ratio;
        ordered.emplace_back(ratio, cx.isIdentity() ? s.color : cx.apply(s.color));
    }
    if (ordered.empty()) {
        // A gradient without colours fills black.
        stops.append({0.0, QColor(Qt::black)});
        stops.append({1.0, QColor(Qt::black)});
        return stops;
    }
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const auto& [ratio, colour] = ordered[i];
        if (g.interpolation == 1 && i > 0) {
            // Qt mixes in sRGB; for linear-RGB gradients put in-between stops.
            const auto& [r0, c0] = ordered[i - 1];
            constexpr int kSteps = 8;
            for (int k = 1; k < kSteps; ++k) {
                const double t = k / static_cast<double>(kSteps);
                stops.append({(r0 + (ratio - r0) * t) / 255.0, mixLinear(c0, colour, t)});
            }
        }
        stops.append({ratio / 255.0, colour});
    }
    return stops;
}

QGradient::Spread spreadFor(int spread) {
    return spread == 1   ? QGradient::ReflectSpread
           : spread == 2 ? QGradient::RepeatSpread
                         : QGradient::PadSpread;
}

} // namespace

struct Renderer::Context {
    const Movie* movie; // whose dictionary bitmap fills come from
    RenderQuality quality;
    bool antialias;           // the edges of shapes are smoothed
    double viewScale;         // twips to device of the root: lines that do not scale use it
    QTransform stageToDevice; // for masks set by script, which live anywhere in the tree
    int layers = 0;           // blended sprites being drawn into layers of their own around this
    int cached = 0;           // pictures of cached objects being made around this
    // Bitmap fills of the drawing API refer to these images instead of the dictionary.
    const std::vector<std::shared_ptr<const QImage>>* images = nullptr;
    // Set while the shapes of a sprite with a scaling grid are drawn.
    const NineSlice* slice = nullptr;
};

// A sprite's scaling grid at the sprite's present scale: maps its own coordinates (twips) so
// that, once its matrix scales them, what lies outside the grid's middle keeps its size.
struct Renderer::NineSlice {
    QRectF bounds, grid;
    double sx = 1, sy = 1;
    QTransform toDevice; // the sprite's own space to the device

    static double axis(double v, double lo, double gridLo, double gridHi, double hi, double s) {
        const double corners = std::max(0.0, gridLo - lo) + std::max(0.0, hi - gridHi);
        // Too small to keep the edges whole, or no middle: scaled as a whole.
        if ((hi - lo) * s < corners || gridHi <= gridLo || s <= 0)
            return v;
        if (v <= gridLo)
            return lo + (v - lo) / s;
        if (v >= gridHi)
            return hi - (hi - v) / s;
        const double a = lo + (gridLo - lo) / s, b = hi - (hi - gridHi) / s;
        return a + (v - gridLo) * (b - a) / (gridHi - gridLo);
    }
    QPointF map(QPointF p) const {
        return {axis(p.x(), bounds.left(), grid.left(), grid.right(), bounds.right(), sx),
                axis(p.y(), bounds.top(), grid.top(), grid.bottom(), bounds.bottom(), sy)};
    }
    QPainterPath map(const QPainterPath& path) const {
        QPainterPath out;
        out.setFillRule(path.fillRule());
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            const QPointF p = map(QPointF(e.x, e.y));
            if (e.isMoveTo()) {
                out.moveTo(p);
            } else if (e.isLineTo()) {
                out.lineTo(p);
            } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
                const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
                out.cubicTo(p, map(QPointF(c2.x, c2.y)), map(QPointF(to.x, to.y)));
                i += 2;
            }
        }
        return out;
    }
};

namespace {

QImage colourTransformed(const QImage& source, const ColorTransform& cx) {
    if (cx.isIdentity())
        return source;
    QImage img = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = cx.applyPremultiplied(line[x]);
    }
    return img;
}

// The device pixels a picture of an object with filters covers: its bounds on whole pixels,
// so a moving object's filter does not shimmer, grown by how far the filters reach (reach is
// set to the furthest side).
QRect filteredArea(const QRectF& own, const std::vector<Filter>& filters, double scale,
                   int& reach) {
    std::array<double, 4> grow{0, 0, 0, 0};
    for (const Filter& f : filters) {
        const auto m = f.margins();
        for (std::size_t i = 0; i < 4; ++i)
            grow[i] += m[i];
    }
    const auto px = [scale](double v) { return static_cast<int>(std::ceil(v * scale)) + 1; };
    reach = px(*std::max_element(grow.begin(), grow.end()));
    return own.toAlignedRect().adjusted(-px(grow[0]), -px(grow[1]), px(grow[2]), px(grow[3]));
}

// A bitmap shown at its own size and not turned goes onto whole device pixels, as Flash
// snaps it: smoothing it there would only blur it by a fraction of a pixel.
bool snapToPixels(QTransform& m) {
    constexpr double kNear = 1e-3;
    if (m.type() > QTransform::TxScale || std::abs(m.m11() - 1) > kNear ||
        std::abs(m.m22() - 1) > kNear)
        return false;
    m = QTransform::fromTranslate(std::round(m.dx()), std::round(m.dy()));
    return true;
}

// Where an object draws in its own space: its scroll rectangle cuts it to that.
QRectF drawnBounds(const DisplayObject& obj) {
    if (const auto& scroll = obj.scrollRect())
        return QRectF(0, 0, scroll->width() * 20, scroll->height() * 20);
    return obj.localBounds();
}

} // namespace

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

void Renderer::render(QPainter& painter, const Stage& stage, const QTransform& twipsToDevice,
                      RenderQuality quality) const {
    // Qt's raster engine splits every fill of more than a few dozen spans into jobs for the
    // threads of the global pool, unless the caller is one of them. A movie frame is thousands
    // of small fills, and handing each to threads and waiting costs far more than drawing it,
    // so the whole frame is drawn on one thread of that pool: one hand-off per frame.
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool && !pool->contains(QThread::currentThread())) {
        QSemaphore done;
        const bool started = pool->tryStart([&] {
            renderHere(painter, stage, twipsToDevice, quality);
            done.release();
        });
        if (started) {
            done.acquire();
            return;
        }
    }
    renderHere(painter, stage, twipsToDevice, quality);
}

void Renderer::renderHere(QPainter& painter, const Stage& stage, const QTransform& twipsToDevice,
                          RenderQuality quality) const {
    const QTransform full = twipsToDevice * painter.worldTransform();
    const bool antialias = antialiasesShapes(quality);
    Context ctx{&stage.movie(), quality, antialias, scaleOf(full), full};
    shapePictures_.beginFrame();
    cachedPictures_.beginFrame();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothsBitmaps(quality, true));
    for (const auto& [number, level] : stage.levels())
        drawObject(ctx, painter, *level, level->matrix() * full, ColorTransform{}, 0);
    if (stage.focusRectVisible()) {
        const QRectF box = full.mapRect(stage.focus()->bounds(nullptr));
        painter.setWorldTransform(QTransform());
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 0), 2));
        painter.drawRect(box.adjusted(-1, -1, 1, 1));
    }
    painter.restore();
}

void Renderer::drawChildren(Context& ctx, QPainter& painter,
                            const std::map<int, std::shared_ptr<DisplayObject>>& children,
                            const QTransform& matrix, const ColorTransform& cx, int nesting) const {
    if (nesting > kMaxDrawNesting)
        return;
    struct Mask {
        int clipDepth;
        QPainterPath path; // device coordinates, already cut by the masks below it
    };
    std::vector<Mask> masks;
    // The mask whose clip the painter holds now (an index into masks), or -1. The objects one
    // mask covers share one clip: setting a clip path costs as much as drawing the mask, so it
    // is set once per run of masked objects rather than once for each.
    int applied = -1;
    const auto useMask = [&](int wanted) {
        if (wanted == applied)
            return;
        if (applied >= 0)
            painter.restore();
        applied = wanted;
        if (wanted < 0)
            return;
        painter.save();
        painter.setWorldTransform(QTransform());
        painter.setClipPath(masks[static_cast<std::size_t>(wanted)].path, Qt::IntersectClip);
    };
    for (const auto& [depth, child] : children) {
        const DisplayObject& obj = *child;
        while (!masks.empty() && masks.back().clipDepth + kTimelineDepthOffset < depth) {
            if (applied == static_cast<int>(masks.size()) - 1)
                useMask(-1);
            masks.pop_back();
        }
        const QTransform m = obj.matrix() * matrix;
        if (obj.clipDepth() > 0) {
            QPainterPath path;
            path.setFillRule(Qt::WindingFill);
            collectMask(ctx, obj, m, path, nesting);
            if (!masks.empty())
                path = path.intersected(masks.back().path);
            masks.push_back({obj.clipDepth(), std::move(path)});
            continue;
        }
        // What masks another object by script is not drawn itself.
        if (obj.maskedBy())
            continue;
        if (masks.empty()) {
            useMask(-1);
            drawObject(ctx, painter, obj, m, cx, nesting);
            continue;
        }
        if (masks.back().path.isEmpty())
            continue; // masked by nothing: invisible
        useMask(static_cast<int>(masks.size()) - 1);
        drawObject(ctx, painter, obj, m, cx, nesting);
    }
    useMask(-1);
}

void Renderer::collectMask(Context& ctx, const DisplayObject& obj, const QTransform& matrix,
                           QPainterPath& out, int nesting) const {
    if (nesting > kMaxDrawNesting)
        return;
    const auto add = [&](const QPainterPath& local) {
        QPainterPath p = matrix.map(local);
        out = out.isEmpty() ? p : out.united(p);
    };
    const auto addLayers = [&](const std::vector<BuiltLayer>& layers) {
        for (const BuiltLayer& layer : layers)
            for (const auto& fill : layer.fillPaths)
                add(fill.path);
    };
    const auto addRect = [&](const QRectF& r) {
        QPainterPath p;
        p.addRect(r);
        add(p);
    };
    switch (obj.type()) {
    case DisplayObject::Type::Shape:
        addLayers(static_cast<const ShapeObject&>(obj).shape().layers());
        break;
    case DisplayObject::Type::MorphShape: {
        auto built = static_cast<const MorphObject&>(obj).morph().at(obj.ratio());
        for (const auto& fill : built->fillPaths)
            add(fill.path);
        break;
    }
    case DisplayObject::Type::Bitmap:
    case DisplayObject::Type::Video:
        addRect(obj.localBounds());
        break;
    case DisplayObject::Type::Text:
        add(textFieldOutline(static_cast<const TextField&>(obj),
                             obj.movie() ? obj.movie() : ctx.movie));
        break;
    case DisplayObject::Type::MovieClip: {
        const auto& clip = static_cast<const MovieClip&>(obj);
        if (!clip.drawing().empty())
            addLayers(clip.drawing().built());
        for (const auto& [depth, child] : clip.children())
            if (child->clipDepth() == 0)
                collectMask(ctx, *child, child->matrix() * matrix, out, nesting + 1);
        break;
    }
    case DisplayObject::Type::Button:
        for (const auto& [depth, child] : static_cast<const Button&>(obj).stateObjects())
            collectMask(ctx, *child, child->matrix() * matrix, out, nesting + 1);
        break;
    }
}

void Renderer::drawContent(Context& ctx, QPainter& p, const DisplayObject& obj, const QTransform& m,
                           const ColorTransform& cx, int nesting) const {
    const auto& scroll = obj.scrollRect();
    const auto& background = obj.opaqueBackground();
    if (!scroll && !background) {
        drawOwn(ctx, p, obj, m, cx, nesting);
        return;
    }
    // A scroll rectangle shows its part of the object at the object's origin, cut to its
    // size; an opaque background fills that part, or the bounds without one.
    QRectF shown = obj.localBounds();
    QTransform at = m;
    if (scroll) {
        if (!(scroll->width() > 0 && scroll->height() > 0))
            return;
        shown = QRectF(0, 0, scroll->width() * 20, scroll->height() * 20);
        at = QTransform::fromTranslate(-scroll->x() * 20, -scroll->y() * 20) * m;
    }
    p.save();
    p.setWorldTransform(m);
    if (scroll)
        p.setClipRect(shown, Qt::IntersectClip);
    if (background && !shown.isEmpty()) {
        QColor fill = *background;
        fill.setAlpha(255);
        p.fillRect(shown, cx.isIdentity() ? fill : cx.apply(fill));
    }
    drawOwn(ctx, p, obj, at, cx, nesting);
    p.restore();
}

void Renderer::drawOwn(Context& ctx, QPainter& p, const DisplayObject& obj, const QTransform& m,
                       const ColorTransform& cx, int nesting) const {
    const Movie* outerMovie = ctx.movie;
    if (const Movie* own = obj.movie())
        ctx.movie = own;
    switch (obj.type()) {
    case DisplayObject::Type::Shape: {
        const auto& shape = static_cast<const ShapeObject&>(obj).shape();
        if (ctx.slice) {
            drawSliced(ctx, p, shape.layers(), obj.matrix(), cx);
            break;
        }
        const auto drawPaths = [&](QPainter& target, const QTransform& at) {
            drawLayers(ctx, target, shape.layers(), at, cx);
        };
        if (!shapePictures_.draw(p, shape, m, cx, ctx.quality, drawPaths))
            drawPaths(p, m);
        break;
    }
    case DisplayObject::Type::MorphShape: {
        auto built = static_cast<const MorphObject&>(obj).morph().at(obj.ratio());
        drawBuiltLayer(ctx, p, *built, m, cx);
        break;
    }
    case DisplayObject::Type::Bitmap: {
        const auto& bitmapObject = static_cast<const BitmapObject&>(obj);
        const QImage* image = bitmapObject.image();
        if (!image)
            break;
        p.save();
        QTransform at = QTransform::fromScale(20, 20) * m;
        const bool snapped = snapToPixels(at);
        p.setWorldTransform(at);
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        !snapped && smoothsBitmaps(ctx.quality, bitmapObject.smoothing()));
        if (const BitmapCharacter* bitmap = bitmapObject.bitmap())
            p.drawImage(QPointF(0, 0), transformedImage(*bitmap, cx));
        else
            p.drawImage(QPointF(0, 0), colourTransformed(*image, cx));
        p.restore();
        break;
    }
    case DisplayObject::Type::MovieClip: {
        const auto& clip = static_cast<const MovieClip&>(obj);
        // The grid reaches the sprite's own shapes, not those of sprites inside it.
        const NineSlice* outerSlice = ctx.slice;
        const std::optional<NineSlice> slice = nineSliceFor(clip, m);
        ctx.slice = slice ? &*slice : nullptr;
        if (!clip.drawing().empty()) {
            // What the drawing API drew lies beneath the clip's children.
            const auto* outerImages = ctx.images;
            ctx.images = &clip.drawing().images();
            if (ctx.slice)
                drawSliced(ctx, p, clip.drawing().built(), QTransform(), cx);
            else
                drawLayers(ctx, p, clip.drawing().built(), m, cx);
            ctx.images = outerImages;
        }
        drawChildren(ctx, p, clip.children(), m, cx, nesting + 1);
        ctx.slice = outerSlice;
        break;
    }
    case DisplayObject::Type::Button:
        drawChildren(ctx, p, static_cast<const Button&>(obj).stateObjects(), m, cx, nesting + 1);
        break;
    case DisplayObject::Type::Text:
        paintTextField(p, static_cast<const TextField&>(obj), ctx.movie, m, cx);
        break;
    case DisplayObject::Type::Video: {
        const auto& video = static_cast<const VideoObject&>(obj);
        const QImage picture = video.picture();
        const QRectF box = video.localBounds();
        if (picture.isNull() || box.isEmpty())
            break;
        // The decoded picture fills the stream's frame whatever size it was coded at.
        p.save();
        p.setWorldTransform(m);
        p.setRenderHint(QPainter::SmoothPixmapTransform,
                        smoothsBitmaps(ctx.quality, video.smoothing()));
        p.drawImage(box, colourTransformed(picture, cx));
        p.restore();
        break;
    }
    }
    ctx.movie = outerMovie;
}

void Renderer::drawObject(Context& ctx, QPainter& painter, const DisplayObject& obj,
                          const QTransform& matrix, const ColorTransform& parentCx,
                          int nesting) const {
    if (!obj.visible() || nesting > kMaxDrawNesting)
        return;
    if (const DisplayObject* mask = obj.mask()) {
        // A mask set by script: drawn only where the mask draws, wherever the mask lives.
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        collectMask(ctx, *mask, mask->concatenatedMatrix() * ctx.stageToDevice, path, nesting);
        if (path.isEmpty())
            return;
        painter.save();
        painter.setWorldTransform(QTransform());
        painter.setClipPath(path, Qt::IntersectClip);
        drawMasked(ctx, painter, obj, matrix, parentCx, nesting);
        painter.restore();
        return;
    }
    drawMasked(ctx, painter, obj, matrix, parentCx, nesting);
}

void Renderer::drawMasked(Context& ctx, QPainter& painter, const DisplayObject& obj,
                          const QTransform& matrix, const ColorTransform& parentCx,
                          int nesting) const {
    const ColorTransform cx = obj.colorTransform().then(parentCx);
    if (cx.mul[3] <= 0 && cx.add[3] <= 0)
        return; // fully transparent
    auto mode = compositionFor(obj.blendMode());
    // Alpha and erase act on the layer of a blended parent; with none there is nothing for
    // them to act on, and Flash shows nothing of them.
    if ((obj.blendMode() == BlendMode::Alpha || obj.blendMode() == BlendMode::Erase) &&
        ctx.layers == 0)
        return;
    const auto drawContent = [&](QPainter& p, const QTransform& m) {
        this->drawContent(ctx, p, obj, m, cx, nesting);
    };
    const bool container =
        obj.type() == DisplayObject::Type::MovieClip || obj.type() == DisplayObject::Type::Button;

    // Objects with filters are kept as pictures too, as Flash does: a glow or shadow that
    // does not change is worked out once, not every frame.
    const bool keep =
        obj.cacheAsBitmap() || (!obj.filters().empty() && ctx.layers < kMaxLayerNesting);
    if (keep && ctx.cached < kMaxLayerNesting && !ctx.slice &&
        drawCached(ctx, painter, obj, matrix, cx, nesting))
        return;
    if (!obj.filters().empty() && ctx.layers < kMaxLayerNesting) {
        drawFiltered(ctx, painter, obj, matrix, cx, nesting);
        return;
    }
    const BlendMode blend = obj.blendMode();
    // Layer on a shape changes nothing: there is nothing inside it to blend with each other.
    const bool layered = blend != BlendMode::Normal && (blend != BlendMode::Layer || container);
    if (layered && ctx.layers < kMaxLayerNesting) {
        // A blended object is drawn into a layer of its own first, so its parts blend with
        // each other normally and the result blends with what lies beneath once.
        QPaintDevice* device = painter.device();
        QPainterPath clip;
        const bool clipped = deviceClip(painter, clip);
        QRect area = visibleArea(painter, clip, clipped);
        // Alpha acts on its whole bounds, where it leaves nothing of what it does not cover;
        // the other modes act only where the object draws, so a margin does no harm.
        const int margin = blend == BlendMode::Alpha ? 0 : 2;
        area &= matrix.mapRect(drawnBounds(obj))
                    .toAlignedRect()
                    .adjusted(-margin, -margin, margin, margin);
        QImage layer = clearLayer(area);
        if (layer.isNull())
            return;
        {
            QPainter lp(&layer);
            lp.setRenderHints(painter.renderHints());
            if (clipped)
                lp.setClipPath(clip.translated(-area.topLeft()));
            ++ctx.layers;
            drawContent(lp, matrix * QTransform::fromTranslate(-area.x(), -area.y()));
            --ctx.layers;
        }
        auto* target =
            device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
        if (target && BlendComposite::composite(*target, area.topLeft(), layer, blend))
            return;
        // A device we cannot write to directly: the nearest of the painter's own modes.
        if (blend == BlendMode::Invert) {
            QPainter lp(&layer);
            lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
            lp.fillRect(layer.rect(), Qt::white);
            mode = QPainter::CompositionMode_Difference;
        }
        painter.save();
        painter.setWorldTransform(QTransform());
        if (mode)
            painter.setCompositionMode(*mode);
        painter.drawImage(area.topLeft(), layer);
        painter.restore();
        return;
    }
    if (mode) {
        painter.save();
        painter.setCompositionMode(*mode);
        drawContent(painter, matrix);
        painter.restore();
    } else {
        drawContent(painter, matrix);
    }
}

void Renderer::drawFiltered(Context& ctx, QPainter& painter, const DisplayObject& obj,
                            const QTransform& matrix, const ColorTransform& cx, int nesting) const {
    const QRectF own = matrix.mapRect(drawnBounds(obj));
    if (own.isEmpty())
        return;
    // Filter sizes are in stage pixels: they grow with the view, not with the object.
    const double scale = ctx.viewScale * 20;
    int reach = 0;
    QRect area = filteredArea(own, obj.filters(), scale, reach);
    QPainterPath clip;
    const bool clipped = deviceClip(painter, clip);
    const QRect visible = visibleArea(painter, clip, clipped);
    // What lies beyond the view still blurs into it, up to the filter's reach.
    area &= visible.adjusted(-reach, -reach, reach, reach);
    QImage layer = clearLayer(area);
    if (layer.isNull())
        return;
    {
        QPainter lp(&layer);
        lp.setRenderHints(painter.renderHints());
        ++ctx.layers;
        drawContent(ctx, lp, obj, matrix * QTransform::fromTranslate(-area.x(), -area.y()), cx,
                    nesting);
        --ctx.layers;
    }
    for (const Filter& f : obj.filters())
        FilterRenderer::apply(layer, f, scale);

    putPicture(painter, std::move(layer), area.topLeft(), obj.blendMode());
}

void Renderer::putPicture(QPainter& painter, QImage picture, QPoint at, BlendMode blend) {
    QPaintDevice* device = painter.device();
    auto* target = device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    if (target && blend != BlendMode::Normal && blend != BlendMode::Layer) {
        QPainterPath clip;
        if (deviceClip(painter, clip)) {
            // The painter's clip does not reach a direct blend: cut the picture to it first,
            // on a copy, as the picture may be kept for later frames.
            picture = picture.copy();
            QPainterPath outside;
            outside.addRect(QRectF(picture.rect()));
            outside = outside.subtracted(clip.translated(-at));
            QPainter lp(&picture);
            lp.setCompositionMode(QPainter::CompositionMode_Clear);
            lp.fillPath(outside, Qt::black);
        }
        if (BlendComposite::composite(*target, at, picture, blend))
            return;
    }
    painter.save();
    painter.setWorldTransform(QTransform());
    if (const auto mode = compositionFor(blend))
        painter.setCompositionMode(*mode);
    painter.drawImage(at, picture);
    painter.restore();
}

bool Renderer::drawCached(Context& ctx, QPainter& painter, const DisplayObject& obj,
                          const QTransform& matrix, const ColorTransform& cx, int nesting) const {
    const auto signature = CachedPictures::signatureOf(obj, cx, ctx.viewScale, ctx.quality);
    if (!signature)
        return false;
    CachedPictures::Picture fresh;
    const CachedPictures::Picture* picture = cachedPictures_.find(obj, *signature, matrix);
    if (!picture) {
        const QRectF own = matrix.mapRect(drawnBounds(obj));
        if (own.isEmpty())
            return true;
        const double scale = ctx.viewScale * 20;
        int reach = 0;
        // The whole object, not just what the view shows now: it may move into view later.
        const QRect area = filteredArea(own, obj.filters(), scale, reach);
        if (area.width() > kMaxLayerSide || area.height() > kMaxLayerSide)
            return false;
        // Kept only for its filters, an object larger than the view is drawn as usual: that
        // draws just the part in view, which costs less when it changes every frame.
        const QPaintDevice* device = painter.device();
        if (!obj.cacheAsBitmap() && static_cast<qint64>(area.width()) * area.height() >
                                        static_cast<qint64>(device->width()) * device->height())
            return false;
        QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
        if (layer.isNull())
            return false;
        layer.fill(Qt::transparent);
        {
            QPainter lp(&layer);
            lp.setRenderHints(painter.renderHints());
            // Drawn uncached, filters and blend modes would give obj a layer of its own, on
            // which its children's alpha and erase modes act: keep that so here.
            const bool ownLayer = !obj.filters().empty() || obj.blendMode() != BlendMode::Normal;
            ++ctx.cached;
            ctx.layers += ownLayer ? 1 : 0;
            drawContent(ctx, lp, obj, matrix * QTransform::fromTranslate(-area.x(), -area.y()), cx,
                        nesting);
            ctx.layers -= ownLayer ? 1 : 0;
            --ctx.cached;
        }
        for (const Filter& f : obj.filters())
            FilterRenderer::apply(layer, f, scale);
        fresh.image = std::move(layer);
        fresh.corner = area.topLeft();
        fresh.origin = QPointF(matrix.dx(), matrix.dy());
        fresh.signature = *signature;
        fresh.linear = CachedPictures::linearOf(matrix);
        cachedPictures_.store(obj, fresh);
        picture = &fresh;
    }
    // Moved since it was drawn: the picture goes to the nearest whole pixel.
    const QPoint shift(static_cast<int>(std::lround(matrix.dx() - picture->origin.x())),
                       static_cast<int>(std::lround(matrix.dy() - picture->origin.y())));
    putPicture(painter, picture->image, picture->corner + shift, obj.blendMode());
    return true;
}

std::optional<Renderer::NineSlice> Renderer::nineSliceFor(const MovieClip& clip,
                                                          const QTransform& toDevice) {
    const Character* c = clip.character();
    if (!c || c->kind() != Character::Kind::Sprite)
        return std::nullopt;
    const auto& grid = static_cast<const SpriteCharacter*>(c)->timeline().scalingGrid;
    const QTransform& own = clip.matrix();
    // A turned or skewed sprite has no sides to keep: it is scaled as a whole.
    if (!grid || own.m12() != 0 || own.m21() != 0)
        return std::nullopt;
    NineSlice slice{clip.localBounds(), *grid, std::abs(own.m11()), std::abs(own.m22()), toDevice};
    if (slice.bounds.isEmpty() || (slice.sx == 1 && slice.sy == 1))
        return std::nullopt;
    return slice;
}

void Renderer::drawSliced(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                          const QTransform& shapeToSprite, const ColorTransform& cx) const {
    for (const BuiltLayer& layer : layers) {
        BuiltLayer mapped;
        mapped.fills = layer.fills;
        mapped.lines = layer.lines;
        // Fills keep their own mapping onto the shape; only the outlines bend to the grid.
        for (FillStyle& f : mapped.fills)
            f.matrix = f.matrix * shapeToSprite;
        for (LineStyle& l : mapped.lines)
            l.fill.matrix = l.fill.matrix * shapeToSprite;
        for (const auto& fill : layer.fillPaths)
            mapped.fillPaths.push_back({ctx.slice->map(shapeToSprite.map(fill.path)), fill.style});
        for (const auto& stroke : layer.strokePaths)
            mapped.strokePaths.push_back(
                {ctx.slice->map(shapeToSprite.map(stroke.path)), stroke.style});
        drawBuiltLayer(ctx, painter, mapped, ctx.slice->toDevice, cx);
    }
}

void Renderer::drawLayers(Context& ctx, QPainter& painter, const std::vector<BuiltLayer>& layers,
                          const QTransform& matrix, const ColorTransform& cx) const {
    for (const BuiltLayer& layer : layers)
        drawBuiltLayer(ctx, painter, layer, matrix, cx);
}

QImage Renderer::transformedImage(const BitmapCharacter& bitmap, const ColorTransform& cx,
                                  bool padded) const {
    const QImage& source = padded ? bitmap.paddedImage() : bitmap.image();
    if (cx.isIdentity())
        return source;
    ImageKey key{
        &bitmap,
        {cx.mul[0], cx.mul[1], cx.mul[2], cx.mul[3], cx.add[0], cx.add[1], cx.add[2], cx.add[3]},
        padded};
    const auto it = imageCache_.find(key);
    if (it != imageCache_.end())
        return it->second;
    QImage img = source.copy();
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            line[x] = cx.applyPremultiplied(line[x]);
    }
    const auto bytes = static_cast<std::size_t>(img.sizeInBytes());
    if (imageCache_.size() >= kMaxCachedImages || imageCacheBytes_ + bytes > kImageCacheBudget) {
        imageCache_.clear();
        imageCacheBytes_ = 0;
    }
    if (bytes <= kImageCacheBudget) {
        imageCache_.emplace(key, img);
        imageCacheBytes_ += bytes;
    }
    return img;
}

QBrush Renderer::brushFor(Context& ctx, const FillStyle& fill, const ColorTransform& cx) const {
    switch (fill.type) {
    case FillStyle::Type::Solid:
        return QBrush(cx.isIdentity() ? fill.color : cx.apply(fill.color));
    case FillStyle::Type::Linear: {
        QLinearGradient g(-16384, 0, 16384, 0);
        g.setStops(stopsFor(fill.gradient, cx));
        g.setSpread(spreadFor(fill.gradient.spread));
        // Flash mixes the stops' colours and alphas apart, so a fade to transparent black
        // darkens on the way.
        g.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush b(g);
        b.setTransform(fill.matrix);
        return b;
    }
    case FillStyle::Type::Radial:
    case FillStyle::Type::Focal: {
        const double focal = fill.type == FillStyle::Type::Focal ? fill.gradient.focalPoint : 0;
        QRadialGradient g(QPointF(0, 0), 16384, QPointF(focal * 16384, 0));
        g.setStops(stopsFor(fill.gradient, cx));
        g.setSpread(spreadFor(fill.gradient.spread));
        // Flash mixes the stops' colours and alphas apart, so a fade to transparent black
        // darkens on the way.
        g.setInterpolationMode(QGradient::ComponentInterpolation);
        QBrush b(g);
        b.setTransform(fill.matrix);
        return b;
    }
    case FillStyle::Type::Bitmap: {
        if (ctx.images) {
            // A drawing-API fill: bitmapId counts the drawing's own images from 1.
            if (fill.bitmapId == 0 || fill.bitmapId > ctx.images->size())
                return QBrush();
            const auto& image = (*ctx.images)[fill.bitmapId - 1];
            if (!image || image->isNull())
                return QBrush();
            QBrush b(colourTransformed(*image, cx));
            b.setTransform(fill.matrix);
            return b;
        }
        const Character* c = ctx.movie ? ctx.movie->character(fill.bitmapId) : nullptr;
        if (!c || c->kind() != Character::Kind::Bitmap)
            return QBrush(); // Flash leaves such fills empty
        const auto& bitmap = static_cast<const BitmapCharacter&>(*c);
        if (bitmap.image().isNull())
            return QBrush();
        if (!fill.repeat && !bitmap.paddedImage().isNull()) {
            QBrush b(transformedImage(bitmap, cx, true));
            b.setTransform(QTransform::fromTranslate(-1, -1) * fill.matrix);
            return b;
        }
        QBrush b(transformedImage(bitmap, cx));
        b.setTransform(fill.matrix);
        return b;
    }
    }
    return QBrush();
}

bool Renderer::drawBitmapRect(Context& ctx, QPainter& painter, const QPainterPath& path,
                              const FillStyle& style, const QTransform& matrix,
                              const ColorTransform& cx) const {
    // Most bitmaps sit in a shape that is just their own rectangle. Drawn as an image
    // instead of a tiled brush, Qt takes its fast untiled path for smoothed, turned pictures.
    const Character* c = ctx.movie ? ctx.movie->character(style.bitmapId) : nullptr;
    if (!c || c->kind() != Character::Kind::Bitmap || path.elementCount() > 6 ||
        style.matrix.type() > QTransform::TxScale)
        return false;
    const auto& bitmap = static_cast<const BitmapCharacter&>(*c);
    const QImage& image = bitmap.image();
    if (image.isNull())
        return false;
    const QRectF box = style.matrix.mapRect(QRectF(QPointF(0, 0), QSizeF(image.size())));
    constexpr double kSlack = 0.5; // twips
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isCurveTo())
            return false;
        const bool onX =
            std::abs(e.x - box.left()) < kSlack || std::abs(e.x - box.right()) < kSlack;
        const bool onY =
            std::abs(e.y - box.top()) < kSlack || std::abs(e.y - box.bottom()) < kSlack;
        if (!onX || !onY)
            return false;
    }
    if (std::abs(path.boundingRect().width() - box.width()) > kSlack ||
        std::abs(path.boundingRect().height() - box.height()) > kSlack)
        return false;
    painter.save();
    QTransform at = style.matrix * matrix;
    const bool snapped = snapToPixels(at);
    const bool smooth = !snapped && smoothsBitmaps(ctx.quality, style.smooth);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    const QRectF device = at.mapRect(QRectF(QPointF(0, 0), QSizeF(image.size())));
    const QRect pixels(QPoint(static_cast<int>(std::lround(device.left())),
                              static_cast<int>(std::lround(device.top()))),
                       QPoint(static_cast<int>(std::lround(device.right())) - 1,
                              static_cast<int>(std::lround(device.bottom())) - 1));
    if (smooth && at.type() <= QTransform::TxScale && at.m11() > 0 && at.m22() > 0 &&
        !pixels.isEmpty() && !bitmap.paddedImage().isNull()) {
        // Bitmaps laid side by side as tiles must meet without a seam: each goes onto whole
        // pixels, so neighbours share their edge exactly, and smoothing reads the picture's own
        // edge past its border instead of fading into transparency there.
        painter.setWorldTransform(QTransform());
        painter.drawImage(QRectF(pixels), transformedImage(bitmap, cx, true),
                          QRectF(1, 1, image.width(), image.height()));
    } else {
        painter.setWorldTransform(at);
        painter.drawImage(QPointF(0, 0), transformedImage(bitmap, cx));
    }
    painter.restore();
    return true;
}

void Renderer::drawBuiltLayer(Context& ctx, QPainter& painter, const BuiltLayer& layer,
                              const QTransform& matrix, const ColorTransform& cx) const {
    painter.setWorldTransform(matrix);
    for (const auto& fill : layer.fillPaths) {
        if (fill.style >= layer.fills.size())
            continue;
        const FillStyle& style = layer.fills[fill.style];
        if (style.type == FillStyle::Type::Bitmap && !style.repeat && !ctx.images &&
            drawBitmapRect(ctx, painter, fill.path, style, matrix, cx))
            continue;
        const QBrush brush = brushFor(ctx, style, cx);
        if (brush.style() == Qt::NoBrush)
            continue;
        if (style.type == FillStyle::Type::Bitmap)
            painter.setRenderHint(QPainter::SmoothPixmapTransform,
                                  smoothsBitmaps(ctx.quality, style.smooth));
        painter.fillPath(fill.path, brush);
    }
    if (layer.strokePaths.empty())
        return;
    // Lines are stroked in device pixels: the stroker works out its curve steps in the units
    // it is given, and in twips that would be twenty times too fine.
    painter.setWorldTransform(QTransform());
    const double scale = scaleOf(matrix);
    for (const auto& stroke : layer.strokePaths) {
        if (stroke.style >= layer.lines.size())
            continue;
        const LineStyle& style = layer.lines[stroke.style];
        QPen pen;
        if (style.hasFill) {
            QBrush brush = brushFor(ctx, style.fill, cx);
            brush.setTransform(brush.transform() * matrix);
            pen.setBrush(brush);
        } else {
            pen.setColor(cx.isIdentity() ? style.color : cx.apply(style.color));
        }
        pen.setCapStyle(style.startCap);
        pen.setJoinStyle(style.join);
        if (style.join == Qt::MiterJoin)
            pen.setMiterLimit(std::max(1.0, style.miterLimit));
        const bool scaling = style.scaleHorizontally || style.scaleVertically;
        const double deviceWidth = scaling ? style.width * scale : style.width * ctx.viewScale;
        // Flash never draws a line thinner than a pixel: hairlines and tiny widths show one
        // pixel wide.
        pen.setWidthF(std::max(1.0, deviceWidth));
        painter.strokePath(matrix.map(stroke.path), pen);
    }
}

} // namespace swf
