#include "swf/render/CachedPictures.h"

#include "swf/display/Button.h"
#include "swf/display/Drawing.h"
#include "swf/display/MovieClip.h"
#include "swf/display/ShapeObjects.h"
#include "swf/display/TextField.h"
#include "swf/format/Filters.h"
#include "swf/format/ShapeBuilder.h"

#include <QPainterPath>
#include <bit>
#include <cstring>
#include <type_traits>

namespace swf {

namespace {

constexpr std::size_t kBudget = 96u * 1024 * 1024;
constexpr int kMaxDepth = 64;

// FNV-1a over the values that decide a picture.
class Hash {
public:
    template <typename T> void add(const T& v) {
        static_assert(std::is_trivially_copyable_v<T>);
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &v, sizeof(T));
        for (unsigned char b : bytes) {
            h_ ^= b;
            h_ *= 1099511628211ull;
        }
    }
    void add(double v) { add(std::bit_cast<uint64_t>(v == 0 ? 0.0 : v)); }
    void add(const QColor& c) { add(static_cast<uint32_t>(c.rgba())); }
    void add(const QTransform& m) {
        for (double v : {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()})
            add(v);
    }
    void add(const QRectF& r) {
        for (double v : {r.x(), r.y(), r.width(), r.height()})
            add(v);
    }
    void add(const ColorTransform& cx) {
        add(cx.mul);
        add(cx.add);
    }
    void add(const QPainterPath& p) {
        add(p.elementCount());
        add(static_cast<int>(p.fillRule()));
        for (int i = 0; i < p.elementCount(); ++i) {
            const QPainterPath::Element e = p.elementAt(i);
            add(e.x);
            add(e.y);
            add(static_cast<int>(e.type));
        }
    }
    void add(const Gradient& g) {
        add(g.spread);
        add(g.interpolation);
        add(g.focalPoint);
        for (const auto& s : g.stops) {
            add(s.ratio);
            add(s.color);
        }
    }
    void add(const FillStyle& f) {
        add(static_cast<int>(f.type));
        add(f.color);
        add(f.matrix);
        add(f.gradient);
        add(f.bitmapId);
        add(f.repeat);
        add(f.smooth);
    }
    void add(const Filter& f) {
        add(static_cast<int>(f.type));
        for (double v : {f.blurX, f.blurY, f.angle, f.distance, f.strength})
            add(v);
        add(f.passes);
        for (bool b : {f.inner, f.knockout, f.compositeSource, f.onTop, f.clamp, f.preserveAlpha})
            add(b);
        add(f.color);
        add(f.highlight);
        for (const auto& [ratio, colour] : f.gradient) {
            add(ratio);
            add(colour);
        }
        add(f.matrixX);
        add(f.matrixY);
        add(f.divisor);
        add(f.bias);
        for (float v : f.matrix)
            add(v);
        add(f.defaultColor);
        add(f.colorMatrix);
    }
    uint64_t value() const { return h_; }

private:
    uint64_t h_ = 14695981039346656037ull;
};

void addBuilt(Hash& h, const std::vector<BuiltLayer>& layers) {
    for (const BuiltLayer& layer : layers) {
        for (const FillStyle& f : layer.fills)
            h.add(f);
        for (const LineStyle& l : layer.lines) {
            h.add(l.width);
            h.add(l.color);
            h.add(static_cast<int>(l.startCap));
            h.add(static_cast<int>(l.join));
            h.add(l.miterLimit);
            h.add(l.scaleHorizontally);
            h.add(l.scaleVertically);
            h.add(l.hasFill);
            if (l.hasFill)
                h.add(l.fill);
        }
        for (const auto& fill : layer.fillPaths) {
            h.add(fill.style);
            h.add(fill.path);
        }
        for (const auto& stroke : layer.strokePaths) {
            h.add(stroke.style);
            h.add(stroke.path);
        }
    }
}

// False when something in the subtree can change its look without the tree showing it.
bool addObject(Hash& h, const DisplayObject& obj, int nesting) {
    if (nesting > kMaxDepth)
        return false;
    if (obj.mask() || obj.maskedBy())
        return false; // a script mask may live and move anywhere
    h.add(static_cast<int>(obj.type()));
    h.add(reinterpret_cast<uintptr_t>(obj.character()));
    // The object's own place is the device matrix the picture is kept with, not its content.
    if (nesting > 0)
        h.add(obj.matrix());
    h.add(obj.colorTransform());
    h.add(obj.visible());
    h.add(obj.ratio());
    h.add(obj.clipDepth());
    h.add(static_cast<int>(obj.blendMode()));
    h.add(obj.cacheAsBitmap());
    h.add(obj.filters().size());
    for (const Filter& f : obj.filters())
        h.add(f);
    h.add(obj.scrollRect().has_value());
    if (obj.scrollRect())
        h.add(*obj.scrollRect());
    h.add(obj.opaqueBackground().has_value());
    if (obj.opaqueBackground())
        h.add(*obj.opaqueBackground());
    const auto addChildren = [&](const std::map<int, std::shared_ptr<DisplayObject>>& children) {
        h.add(children.size());
        for (const auto& [depth, child] : children) {
            h.add(depth);
            h.add(reinterpret_cast<uintptr_t>(child.get()));
            if (!addObject(h, *child, nesting + 1))
                return false;
        }
        return true;
    };
    switch (obj.type()) {
    case DisplayObject::Type::Shape:
    case DisplayObject::Type::MorphShape:
        return true; // the character and the ratio say it all
    case DisplayObject::Type::Bitmap: {
        const auto& bitmap = static_cast<const BitmapObject&>(obj);
        const QImage* image = bitmap.image();
        // A BitmapData's pixels change in place; every change gives the image a new key.
        h.add(image ? image->cacheKey() : 0);
        h.add(bitmap.smoothing());
        return true;
    }
    case DisplayObject::Type::MovieClip: {
        const auto& clip = static_cast<const MovieClip&>(obj);
        h.add(clip.drawing().empty());
        if (!clip.drawing().empty()) {
            addBuilt(h, clip.drawing().built());
            for (const auto& image : clip.drawing().images())
                h.add(image ? image->cacheKey() : 0);
        }
        return addChildren(clip.children());
    }
    case DisplayObject::Type::Button:
        return addChildren(static_cast<const Button&>(obj).stateObjects());
    case DisplayObject::Type::Text:
        // Static text never changes; fields have too many ways to (caret, scrolling, formats).
        return static_cast<const TextField&>(obj).staticText() != nullptr &&
               !static_cast<const TextField&>(obj).editable();
    case DisplayObject::Type::Video:
        return false;
    }
    return false;
}

} // namespace

void CachedPictures::beginFrame() {
    ++frame_;
    for (auto it = pictures_.begin(); it != pictures_.end();) {
        if (it->second.owner.expired() || it->second.lastUsed + 1 < frame_) {
            bytes_ -= static_cast<std::size_t>(it->second.image.sizeInBytes());
            it = pictures_.erase(it);
        } else {
            ++it;
        }
    }
}

std::optional<uint64_t> CachedPictures::signatureOf(const DisplayObject& obj,
                                                    const ColorTransform& cx, double viewScale,
                                                    RenderQuality quality) {
    Hash h;
    h.add(cx);
    h.add(viewScale);
    h.add(static_cast<int>(quality));
    if (!addObject(h, obj, 0))
        return std::nullopt;
    return h.value();
}

const CachedPictures::Picture* CachedPictures::find(const DisplayObject& obj, uint64_t signature,
                                                    const QTransform& matrix) {
    const auto it = pictures_.find(&obj);
    if (it == pictures_.end())
        return nullptr;
    Picture& p = it->second;
    // A different object may have been made at the address of one that went.
    if (p.owner.expired() || p.owner.lock().get() != &obj || p.signature != signature ||
        p.linear != linearOf(matrix))
        return nullptr;
    p.lastUsed = frame_;
    return &p;
}

bool CachedPictures::store(const DisplayObject& obj, Picture picture) {
    ++drawn_;
    if (const auto it = pictures_.find(&obj); it != pictures_.end()) {
        bytes_ -= static_cast<std::size_t>(it->second.image.sizeInBytes());
        pictures_.erase(it);
    }
    const auto bytes = static_cast<std::size_t>(picture.image.sizeInBytes());
    if (bytes_ + bytes > kBudget)
        return false;
    picture.owner = obj.weak_from_this();
    if (picture.owner.expired())
        return false;
    picture.lastUsed = frame_;
    bytes_ += bytes;
    pictures_.emplace(&obj, std::move(picture));
    return true;
}

} // namespace swf
