#include "swf/render/ShapePictureCache.h"

#include "swf/format/Shape.h"

#include <cmath>

namespace swf {

namespace {

constexpr std::size_t kBudget = 96u * 1024 * 1024;
constexpr int kMaxSide = 1024;
constexpr std::size_t kMaxSightings = 50000;
// Whole pixels of the translation move a picture; eighths of a pixel select it.
constexpr double kSteps = 8;
// A picture unused for this many drawings may make room for a new one. Movies that loop come
// back to the same placements a loop later; dropping fresh pictures to make new ones would
// draw every shape twice and copy it once, and never reuse any.
constexpr uint64_t kStaleDrawings = 600;

} // namespace

bool ShapePictureCache::makeRoom(std::size_t bytes) {
    if (bytes_ + bytes <= kBudget)
        return true;
    for (auto it = pictures_.begin(); it != pictures_.end();) {
        if (it->second.lastUsed + kStaleDrawings < frame_) {
            bytes_ -= static_cast<std::size_t>(it->second.image.sizeInBytes());
            it = pictures_.erase(it);
        } else {
            ++it;
        }
    }
    return bytes_ + bytes <= kBudget;
}

bool ShapePictureCache::draw(QPainter& painter, const ShapeCharacter& shape,
                             const QTransform& matrix, const ColorTransform& cx,
                             RenderQuality quality, const DrawPaths& drawPaths) {
    if (!shape.worthKeepingAsPicture())
        return false;
    // A picture is transparent around the shape; modes that act on what the source does not
    // cover would wrongly clear that margin.
    const auto mode = painter.compositionMode();
    if (matrix.type() == QTransform::TxProject ||
        (mode != QPainter::CompositionMode_SourceOver &&
         mode != QPainter::CompositionMode_Multiply && mode != QPainter::CompositionMode_Screen &&
         mode != QPainter::CompositionMode_Plus))
        return false;
    const double qx = std::round(matrix.dx() * kSteps) / kSteps;
    const double qy = std::round(matrix.dy() * kSteps) / kSteps;
    const double wholeX = std::floor(qx), wholeY = std::floor(qy);
    const int fx = static_cast<int>((qx - wholeX) * kSteps);
    const int fy = static_cast<int>((qy - wholeY) * kSteps);
    const auto fixed = [](double v) { return static_cast<int64_t>(std::llround(v * 1e7)); };
    const Key key{
        &shape,
        {fixed(matrix.m11()), fixed(matrix.m12()), fixed(matrix.m21()), fixed(matrix.m22())},
        fx,
        fy,
        {cx.mul[0], cx.mul[1], cx.mul[2], cx.mul[3], cx.add[0], cx.add[1], cx.add[2], cx.add[3]},
        quality};
    auto hit = pictures_.find(key);
    if (hit == pictures_.end()) {
        if (sightings_.size() > kMaxSightings)
            sightings_.clear();
        // Seen once: draw it directly, keep a picture if it comes again. Turning shapes come
        // back at the very same angle only when a loop repeats, and a shape that turns all
        // the time would otherwise pay for a picture it never uses: they wait for a third time.
        const int needed = matrix.type() > QTransform::TxScale ? 3 : 2;
        if (++sightings_[key] < needed)
            return false;
        const QTransform local(matrix.m11(), matrix.m12(), matrix.m21(), matrix.m22(), fx / kSteps,
                               fy / kSteps);
        const QRect box = local.mapRect(shape.bounds()).toAlignedRect().adjusted(-2, -2, 2, 2);
        if (box.isEmpty() || box.width() > kMaxSide || box.height() > kMaxSide)
            return false;
        Picture picture{QImage(box.size(), QImage::Format_ARGB32_Premultiplied), box.topLeft()};
        const auto bytes = static_cast<std::size_t>(picture.image.sizeInBytes());
        if (picture.image.isNull() || !makeRoom(bytes))
            return false; // everything kept is in use: draw this one from its paths
        picture.image.fill(Qt::transparent);
        {
            QPainter p(&picture.image);
            p.setRenderHint(QPainter::Antialiasing, antialiasesShapes(quality));
            p.setRenderHint(QPainter::SmoothPixmapTransform, smoothsBitmaps(quality, true));
            drawPaths(p, local * QTransform::fromTranslate(-box.x(), -box.y()));
        }
        bytes_ += bytes;
        hit = pictures_.emplace(key, std::move(picture)).first;
    }
    hit->second.lastUsed = frame_;
    painter.setWorldTransform(QTransform());
    painter.drawImage(QPoint(static_cast<int>(wholeX), static_cast<int>(wholeY)) +
                          hit->second.offset,
                      hit->second.image);
    return true;
}

} // namespace swf
