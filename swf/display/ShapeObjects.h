#pragma once

// The leaves of the display tree: shapes, morph shapes and bitmaps. They only draw; script
// sees them through their parents (their transform, bounds and hit tests).

#include "swf/display/DisplayObject.h"

#include <QImage>
#include <memory>

namespace swf {

class BitmapCharacter;
class MorphShapeCharacter;
class ShapeCharacter;

class ShapeObject final : public DisplayObject {
public:
    ShapeObject(Stage& stage, std::shared_ptr<const ShapeCharacter> shape);
    const ShapeCharacter& shape() const;
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;
};

class MorphObject final : public DisplayObject {
public:
    MorphObject(Stage& stage, std::shared_ptr<const MorphShapeCharacter> morph);
    const MorphShapeCharacter& morph() const;
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;
};

// A DefineBits bitmap placed by the timeline, or a BitmapData attached by script.
class BitmapObject final : public DisplayObject {
public:
    BitmapObject(Stage& stage, std::shared_ptr<const BitmapCharacter> bitmap);
    BitmapObject(Stage& stage, std::shared_ptr<const QImage> image, bool smoothing);
    // Null when neither a decoded character nor an image is there.
    const QImage* image() const;
    const BitmapCharacter* bitmap() const;
    bool smoothing() const { return smoothing_; }
    QRectF localBounds() const override;
    bool containsLocalPoint(QPointF localTwips) const override;

private:
    std::shared_ptr<const QImage> scriptImage_;
    bool smoothing_ = true;
};

} // namespace swf
