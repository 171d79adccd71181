#include "swf/display/ShapeObjects.h"

#include "swf/display/Drawing.h"
#include "swf/format/Bitmap.h"
#include "swf/format/MorphShape.h"
#include "swf/format/Shape.h"

namespace swf {

ShapeObject::ShapeObject(Stage& stage, std::shared_ptr<const ShapeCharacter> shape)
    : DisplayObject(Type::Shape, stage, std::move(shape)) {}

const ShapeCharacter& ShapeObject::shape() const {
    return static_cast<const ShapeCharacter&>(*character());
}

QRectF ShapeObject::localBounds() const {
    return shape().bounds();
}

bool ShapeObject::containsLocalPoint(QPointF p) const {
    return shape().bounds().contains(p) && layersContain(shape().layers(), p);
}

MorphObject::MorphObject(Stage& stage, std::shared_ptr<const MorphShapeCharacter> morph)
    : DisplayObject(Type::MorphShape, stage, std::move(morph)) {}

const MorphShapeCharacter& MorphObject::morph() const {
    return static_cast<const MorphShapeCharacter&>(*character());
}

QRectF MorphObject::localBounds() const {
    return morph().bounds(ratio());
}

bool MorphObject::containsLocalPoint(QPointF p) const {
    if (!localBounds().contains(p))
        return false;
    auto built = morph().at(ratio());
    return built && layersContain({*built}, p);
}

BitmapObject::BitmapObject(Stage& stage, std::shared_ptr<const BitmapCharacter> bitmap)
    : DisplayObject(Type::Bitmap, stage, std::move(bitmap)) {}

BitmapObject::BitmapObject(Stage& stage, std::shared_ptr<const QImage> image, bool smoothing)
    : DisplayObject(Type::Bitmap, stage, nullptr), scriptImage_(std::move(image)),
      smoothing_(smoothing) {}

const BitmapCharacter* BitmapObject::bitmap() const {
    return static_cast<const BitmapCharacter*>(character());
}

const QImage* BitmapObject::image() const {
    if (scriptImage_)
        return scriptImage_->isNull() ? nullptr : scriptImage_.get();
    const BitmapCharacter* b = bitmap();
    return b && !b->image().isNull() ? &b->image() : nullptr;
}

QRectF BitmapObject::localBounds() const {
    const QImage* img = image();
    return img ? QRectF(0, 0, img->width() * 20.0, img->height() * 20.0) : QRectF();
}

bool BitmapObject::containsLocalPoint(QPointF p) const {
    return localBounds().contains(p);
}

} // namespace swf
