#pragma once

// Shared helpers of the object model tests.
#include <QImage>
#include <QPainter>
#include <memory>

#include "skin/format/SkinFile.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

namespace skintest {

inline const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

inline void loadDefaultSkin(skin::TSeSkinSource& s) {
    if (!skin::loadSkinFile(s, QUARVEL_DEFAULT_SKIN_PATH, registry(), QString()))
        throw std::runtime_error("default skin missing");
}

// Draws an object onto a canvas of a known colour.
inline QImage render(skin::TSeSkinObject& o, int w, int h, QColor background = QColor(1, 2, 3)) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    o.draw(p);
    p.end();
    return img;
}

// A bitmap whose pixels encode their position, with the key pixel where `key` says.
inline std::unique_ptr<skin::TSeBitmap> patternBitmap(const std::string& name, int w, int h) {
    auto b = std::make_unique<skin::TSeBitmap>(name, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->setPixel(x, y,
                        0xFF000000u | std::uint32_t(x * 16 + 8) << 16 |
                            std::uint32_t(y * 16 + 8) << 8 | 0x40);
    return b;
}

} // namespace skintest
