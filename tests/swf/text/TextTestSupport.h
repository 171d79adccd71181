#pragma once

// Shared pieces of the text tests: loading movies the test writer made, rendering them and
// finding the fields they place.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"
#include "tests/support/SwfWriter.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace texttest {

inline std::shared_ptr<swf::Movie> load(const QByteArray& file) {
    auto r = swf::loadMovie(file);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().message.toStdString());
    return r.ok() ? r.value() : nullptr;
}

inline QImage render(const swf::Player& p, int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::magenta);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, w, h), o);
    return img;
}

// Pixels of the colour (within a tolerance) in a rectangle of the image.
inline int countColour(const QImage& img, QRect area, QColor c, int tolerance = 40) {
    int n = 0;
    area &= img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) <= tolerance &&
                std::abs(p.green() - c.green()) <= tolerance &&
                std::abs(p.blue() - c.blue()) <= tolerance)
                ++n;
        }
    return n;
}

// The first text field found at a depth of the root (timeline depth as the file numbers it).
inline swf::TextField* fieldAt(swf::Player& p, int fileDepth) {
    const auto& children = p.stage()->root().children();
    const auto it = children.find(fileDepth + swf::kTimelineDepthOffset);
    return it == children.end() ? nullptr : it->second->asTextField();
}

// A 400x200 white stage holding one edit text of the box font (20 px letters, each 400/1024 of
// the size wide) at file depth 1, with the glyphs given; bounds default to 200x100 px.
inline QByteArray oneFieldMovie(testsupport::EditTextSpec spec, const QString& glyphs) {
    testsupport::SwfWriter writer(400, 200, 12);
    writer.setBackgroundColor(Qt::white);
    writer.defineFont2(1, testsupport::FontSpec::boxes(glyphs));
    spec.fontId = 1;
    spec.fontHeight = 400;
    spec.useOutlines = true;
    spec.color = QColor(Qt::black);
    if (spec.bounds.isEmpty())
        spec.bounds = QRect(0, 0, 200 * 20, 100 * 20);
    writer.defineEditText(2, spec);
    writer.placeObject2(1, 2);
    writer.showFrame();
    return writer.finish();
}

} // namespace texttest
