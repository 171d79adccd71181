#pragma once

// The pictures of objects drawn "as a bitmap" (cacheAsBitmap): each is drawn once into a
// picture of its own and copied from then on, until what it shows changes. A change of what
// its subtree holds or draws, of its colour, of its filters or of its scale, rotation or skew
// on the device draws it again; moving it does not: the picture is put down at the nearest
// whole pixel, as Flash does with cached objects.
//
// What is drawn is summed up by a signature of the subtree, walked each frame: that costs far
// less than drawing it. Subtrees whose look can change without the tree telling us (text
// fields, video, masks set by script that live elsewhere) are not cached at all.

#include "swf/format/Types.h"
#include "swf/render/RenderQuality.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QTransform>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

namespace swf {

class DisplayObject;
struct Filter;

class CachedPictures {
public:
    struct Picture {
        QImage image;
        QPoint corner;  // device pixel of the picture's top left when it was drawn
        QPointF origin; // the object's device origin when it was drawn
        uint64_t signature = 0;
        std::array<double, 4> linear{}; // the device matrix without its translation
        std::weak_ptr<const DisplayObject> owner;
        uint64_t lastUsed = 0;
    };

    // Starts a new drawing of the whole movie; pictures of objects not drawn in the last one
    // go, and so do those of objects that no longer exist.
    void beginFrame();

    // What the object draws, summed up, for a picture seen through cx with the view at
    // viewScale and drawn at quality; nullopt when the object must not be cached.
    static std::optional<uint64_t> signatureOf(const DisplayObject& obj, const ColorTransform& cx,
                                               double viewScale, RenderQuality quality);

    // The kept picture of obj when it still shows what signature and matrix ask for.
    const Picture* find(const DisplayObject& obj, uint64_t signature, const QTransform& matrix);
    // Keeps a newly drawn picture; false when it does not fit the budget (it is then simply
    // not kept).
    bool store(const DisplayObject& obj, Picture picture);

    // How many pictures have been drawn since the cache was made (each store counts).
    std::size_t drawn() const { return drawn_; }
    std::size_t size() const { return pictures_.size(); }

    static std::array<double, 4> linearOf(const QTransform& m) {
        return {m.m11(), m.m12(), m.m21(), m.m22()};
    }

private:
    std::unordered_map<const DisplayObject*, Picture> pictures_;
    std::size_t bytes_ = 0;
    std::size_t drawn_ = 0;
    uint64_t frame_ = 0;
};

} // namespace swf
