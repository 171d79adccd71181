// What script draws: the drawing API's fills, lines and gradients, bitmaps attached from
// script, masks set by script, and the visibility and alpha script changes.

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

namespace {

std::unique_ptr<swf::Player> emptyPlayer() {
    testsupport::SwfWriter w(100, 100, 12);
    w.setBackgroundColor(Qt::white);
    w.defineRectShape(1, QRect(0, 0, 100, 100), Qt::red);
    w.showFrame();
    return std::make_unique<swf::Player>(swf::loadMovie(w.finish()).value());
}

QImage render(swf::Player& p) {
    QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&img);
    swf::RenderOptions o;
    o.quality = swf::RenderQuality::Low;
    p.render(painter, QRectF(0, 0, 100, 100), o);
    return img;
}

// A square path in pixels, as script gives coordinates (the drawing keeps twips).
void square(swf::Drawing& d, double x, double y, double side) {
    d.moveTo(x * 20, y * 20);
    d.lineTo((x + side) * 20, y * 20);
    d.lineTo((x + side) * 20, (y + side) * 20);
    d.lineTo(x * 20, (y + side) * 20);
}

} // namespace

TEST(ScriptDrawing, FillsLinesAndClearing) {
    auto p = emptyPlayer();
    swf::MovieClip* clip = p->stage()->root().createEmptyMovieClip("c", 1).value();
    swf::Drawing& d = clip->drawing();
    d.beginFill(Qt::blue);
    square(d, 10, 10, 30);
    d.endFill(); // closes the outline itself
    swf::Drawing::Line line;
    line.width = 4 * 20;
    line.color = Qt::green;
    d.lineStyle(line);
    d.moveTo(60 * 20, 20 * 20);
    d.lineTo(90 * 20, 20 * 20);
    QImage img = render(*p);
    EXPECT_EQ(img.pixelColor(25, 25), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(75, 20), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(75, 40), QColor(Qt::white));
    EXPECT_EQ(clip->bounds(nullptr).toAlignedRect(), QRect(200, 200, 1640, 600));
    // The drawing moves, fades and hides with its clip.
    clip->setX(50);
    img = render(*p);
    EXPECT_EQ(img.pixelColor(75, 25), QColor(Qt::blue));
    clip->setAlpha(0);
    EXPECT_EQ(render(*p).pixelColor(75, 25), QColor(Qt::white));
    clip->setAlpha(100);
    clip->setVisible(false);
    EXPECT_EQ(render(*p).pixelColor(75, 25), QColor(Qt::white));
    clip->setVisible(true);
    d.clear();
    EXPECT_TRUE(d.empty());
    EXPECT_EQ(render(*p).pixelColor(75, 25), QColor(Qt::white));
}

TEST(ScriptDrawing, GradientAndBitmapFills) {
    auto p = emptyPlayer();
    swf::MovieClip* clip = p->stage()->root().createEmptyMovieClip("c", 1).value();
    swf::Drawing& d = clip->drawing();
    swf::Gradient g;
    g.stops = {{0, Qt::black}, {255, Qt::white}};
    // A gradient box 100 px wide from x = 0, as createGradientBox makes it.
    const QTransform box(100.0 / 1638.4, 0, 0, 100.0 / 1638.4, 50, 25);
    d.beginGradientFill(swf::Drawing::GradientType::Linear, g, box);
    square(d, 0, 0, 100);
    d.endFill();
    QImage img = render(*p);
    EXPECT_LT(img.pixelColor(5, 10).red(), 40);
    EXPECT_GT(img.pixelColor(95, 10).red(), 215);
    d.clear();
    auto image = std::make_shared<QImage>(2, 2, QImage::Format_ARGB32_Premultiplied);
    image->fill(Qt::yellow);
    image->setPixelColor(1, 1, Qt::blue);
    d.beginBitmapFill(image, QTransform::fromScale(10, 10), true, false);
    square(d, 0, 0, 40);
    d.endFill();
    img = render(*p);
    EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::yellow));
    EXPECT_EQ(img.pixelColor(15, 15), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(35, 35), QColor(Qt::blue)); // repeats
    EXPECT_EQ(img.pixelColor(60, 60), QColor(Qt::white));
}

TEST(ScriptDrawing, HostileDrawingIsBounded) {
    auto p = emptyPlayer();
    swf::Drawing& d = p->stage()->root().createEmptyMovieClip("c", 1).value()->drawing();
    d.beginFill(Qt::blue);
    d.lineTo(std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN());
    d.lineTo(1e300, -1e300);
    for (std::size_t i = 0; i < swf::Drawing::kMaxEdges + 10; ++i)
        d.lineTo(static_cast<double>(i % 100), 5);
    d.endFill();
    EXPECT_FALSE(d.empty());
    render(*p); // draws without trouble
}

TEST(ScriptDrawing, MasksSetByScriptCutWhatTheyMaskAndAreNotDrawnThemselves) {
    auto p = emptyPlayer();
    swf::MovieClip& root = p->stage()->root();
    auto content = root.attachCharacter(1, "content", 1); // red, the whole stage
    ASSERT_TRUE(content.ok());
    swf::MovieClip* mask = root.createEmptyMovieClip("mask", 2).value();
    mask->drawing().beginFill(Qt::black);
    square(mask->drawing(), 0, 0, 50);
    mask->drawing().endFill();
    mask->setX(25);
    content.value()->setMask(mask);
    QImage img = render(*p);
    EXPECT_EQ(img.pixelColor(10, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(40, 40), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(40, 80), QColor(Qt::white));
    // Removing the mask shows all again, and the mask itself is drawn once more.
    content.value()->setMask(nullptr);
    img = render(*p);
    EXPECT_EQ(img.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(img.pixelColor(40, 40), QColor(Qt::black));
    // A mask that leaves the tree stops masking.
    content.value()->setMask(mask);
    mask->removeByScript();
    EXPECT_EQ(render(*p).pixelColor(10, 10), QColor(Qt::red));
}

TEST(ScriptDrawing, AttachedBitmapsAndTextFieldBoxes) {
    auto p = emptyPlayer();
    swf::MovieClip& root = p->stage()->root();
    auto image = std::make_shared<QImage>(10, 10, QImage::Format_ARGB32_Premultiplied);
    image->fill(Qt::cyan);
    auto bitmap = root.attachBitmap(image, 3, false);
    ASSERT_TRUE(bitmap.ok());
    bitmap.value()->setX(80);
    image->fill(Qt::magenta); // shared with the script's BitmapData: changes show
    auto field = root.createTextField("t", 4, QRectF(10, 60, 30, 20));
    ASSERT_TRUE(field.ok());
    field.value()->setBackground(true);
    field.value()->setBackgroundColor(Qt::darkGreen);
    QImage img = render(*p);
    EXPECT_EQ(img.pixelColor(85, 5), QColor(Qt::magenta));
    EXPECT_EQ(img.pixelColor(20, 70), QColor(Qt::darkGreen));
    EXPECT_DOUBLE_EQ(field.value()->width(), 30);
}
