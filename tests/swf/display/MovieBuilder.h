#pragma once

// Movies for the display tree's tests, put together in memory: a loaded movie with a red
// square shape (id 1) and the main timeline's frames, to which sprites, placements and
// action blocks are added directly.

#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "swf/format/Sprite.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>

namespace testsupport {

inline std::shared_ptr<swf::Movie> movieWithFrames(int frames, int version = 8) {
    SwfWriter w(100, 100, 12, version);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    for (int i = 0; i < frames; ++i)
        w.showFrame();
    auto r = swf::loadMovie(w.finish());
    EXPECT_TRUE(r.ok());
    return r.ok() ? r.value() : nullptr;
}

inline swf::PlaceCommand placement(uint16_t depth, uint16_t id, const char* name = nullptr,
                                   double xPx = 0, double yPx = 0) {
    swf::PlaceCommand p;
    p.depth = depth;
    p.characterId = id;
    p.matrix = QTransform::fromTranslate(xPx * 20, yPx * 20);
    if (name)
        p.name = QByteArray(name);
    return p;
}

inline swf::PlaceCommand moveTo(uint16_t depth, double xPx, double yPx) {
    swf::PlaceCommand p;
    p.depth = depth;
    p.move = true;
    p.matrix = QTransform::fromTranslate(xPx * 20, yPx * 20);
    return p;
}

inline std::shared_ptr<swf::SpriteCharacter> defineSprite(swf::Movie& movie, uint16_t id,
                                                          int frames) {
    auto sprite = std::make_shared<swf::SpriteCharacter>(id);
    sprite->timeline().frames.resize(static_cast<std::size_t>(frames));
    movie.define(sprite);
    return sprite;
}

inline swf::Frame& rootFrame(swf::Movie& movie, int index) {
    return movie.timeline().frames.at(static_cast<std::size_t>(index));
}

} // namespace testsupport
