// Objects drawn as bitmaps (cacheAsBitmap): the kept picture looks like drawing the object
// afresh, and is drawn again exactly when what it shows changes, not when it only moves.

#include "swf/Player.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/format/Filters.h"
#include "swf/format/MovieLoader.h"
#include "swf/render/Renderer.h"
#include "tests/support/SwfWriter.h"
#include "tests/swf/render/TwoSquareSprite.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using testsupport::SwfWriter;

namespace {

// A sprite of a red square at (0, 0) and a blue one at (40, 0), both 40 pixels, placed at
// (10, 10) at depth 1 of a 100-pixel stage with a white background.
struct Scene {
    swf::Player player;
    swf::Renderer renderer;
    swf::DisplayObject* clip = nullptr;

    Scene() : player(makeMovie()) {
        const auto& root = *player.stage()->levels().begin()->second;
        clip = root.childAtDepth(1 + swf::kTimelineDepthOffset);
    }

    static std::shared_ptr<swf::Movie> makeMovie() {
        auto r = swf::loadMovie(twoSquareSpriteMovie());
        EXPECT_TRUE(r.ok());
        return r.ok() ? r.value() : nullptr;
    }

    swf::DisplayObject* child(int depth) const {
        return clip->asMovieClip()->childAtDepth(depth + swf::kTimelineDepthOffset);
    }

    QImage draw(bool antialias = true) {
        QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter painter(&img);
        renderer.render(painter, *player.stage(), QTransform::fromScale(0.05, 0.05), antialias);
        painter.end();
        return img;
    }
};

::testing::AssertionResult near(QRgb actual, QRgb expected, int tolerance = 2) {
    const int d[] = {qRed(actual) - qRed(expected), qGreen(actual) - qGreen(expected),
                     qBlue(actual) - qBlue(expected), qAlpha(actual) - qAlpha(expected)};
    for (int v : d)
        if (std::abs(v) > tolerance)
            return ::testing::AssertionFailure()
                   << "got " << qRed(actual) << "," << qGreen(actual) << "," << qBlue(actual) << ","
                   << qAlpha(actual) << " expected " << qRed(expected) << "," << qGreen(expected)
                   << "," << qBlue(expected) << "," << qAlpha(expected);
    return ::testing::AssertionSuccess();
}

// Pixels of the two pictures that differ by more than tolerance in any channel.
int differing(const QImage& a, const QImage& b, int tolerance) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!near(a.pixel(x, y), b.pixel(x, y), tolerance))
                ++count;
    return count;
}

swf::Filter glow() {
    swf::Filter f;
    f.type = swf::Filter::Type::Glow;
    f.color = QColor(0, 255, 0);
    f.blurX = f.blurY = 6;
    f.strength = 2;
    return f;
}

} // namespace

TEST(CacheAsBitmap, PictureMatchesDrawingAfresh) {
    // Turned, scaled and off the pixel grid, with and without a filter and a colour change:
    // the cached picture is the same drawing, put down where the object is.
    for (const bool filtered : {false, true}) {
        Scene plain, cached;
        for (Scene* s : {&plain, &cached}) {
            ASSERT_NE(s->clip, nullptr);
            s->clip->setMatrix(QTransform(0.9, 0.5, -0.5, 0.9, 0, 0) *
                               QTransform::fromTranslate(437, 211));
            swf::ColorTransform cx;
            cx.mul[0] = 0.5f;
            cx.add[1] = 40;
            s->clip->setColorTransform(cx);
            if (filtered)
                s->clip->setFilters({glow()});
        }
        cached.clip->setCacheAsBitmap(true);
        const QImage expected = plain.draw();
        EXPECT_EQ(differing(cached.draw(), expected, 2), 0) << "filtered " << filtered;
        // Drawn the second time from the kept picture: still the same.
        EXPECT_EQ(differing(cached.draw(), expected, 2), 0) << "filtered " << filtered;
        EXPECT_EQ(cached.renderer.cachedPicturesDrawn(), 1u);
    }
}

TEST(CacheAsBitmap, MovingKeepsThePictureAndPutsItOnWholePixels) {
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    s.clip->setCacheAsBitmap(true);
    s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    // 30.4 pixels to the right and 40 down: the red square now starts at x 40.4, y 50, drawn
    // from the same picture at the nearest whole pixel (40).
    s.clip->setMatrix(QTransform::fromTranslate((10 + 30.4) * 20, 50 * 20));
    const QImage moved = s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    EXPECT_TRUE(near(moved.pixel(40, 50), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(moved.pixel(79, 89), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(moved.pixel(80, 50), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(moved.pixel(39, 50), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(moved.pixel(15, 15), qRgb(255, 255, 255))); // where it was
}

TEST(CacheAsBitmap, ChangesOfWhatItShowsDrawItAgain) {
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    s.clip->setCacheAsBitmap(true);
    s.draw();
    std::size_t drawn = 1;
    const auto expectRedrawn = [&](const char* what) {
        s.draw();
        EXPECT_EQ(s.renderer.cachedPicturesDrawn(), ++drawn) << what;
        s.draw();
        EXPECT_EQ(s.renderer.cachedPicturesDrawn(), drawn) << what << ", second time";
    };

    // Scaled: the squares are twice as big in the new picture.
    s.clip->setMatrix(QTransform::fromScale(2, 1) * QTransform::fromTranslate(200, 200));
    expectRedrawn("scale");
    EXPECT_TRUE(near(s.draw().pixel(85, 30), qRgb(255, 0, 0)));

    s.clip->setMatrix(QTransform(0, 1, -1, 0, 1400, 200));
    expectRedrawn("rotation");

    // A child moves inside: the clip's content changed even though the clip did not move.
    s.clip->setMatrix(QTransform::fromTranslate(200, 200));
    expectRedrawn("back to the start");
    s.child(2)->setMatrix(QTransform::fromTranslate(0, 800));
    expectRedrawn("child moved");
    EXPECT_TRUE(near(s.draw().pixel(55, 55), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(s.draw().pixel(55, 15), qRgb(255, 255, 255)));

    swf::ColorTransform greener;
    greener.add[1] = 255;
    s.child(1)->setColorTransform(greener);
    expectRedrawn("child's colour");
    EXPECT_TRUE(near(s.draw().pixel(15, 15), qRgb(255, 255, 0)));

    s.child(2)->setVisible(false);
    expectRedrawn("child hidden");
    EXPECT_TRUE(near(s.draw().pixel(55, 55), qRgb(255, 255, 255)));

    s.clip->setFilters({glow()});
    expectRedrawn("filter added");
    const QRgb glowing = s.draw().pixel(51, 20);
    EXPECT_TRUE(qGreen(glowing) == 255 && qRed(glowing) < 200) << qRed(glowing);

    auto softer = glow();
    softer.strength = 1;
    s.clip->setFilters({softer});
    expectRedrawn("filter changed");

    s.clip->setAlpha(50);
    expectRedrawn("own alpha");

    // Drawing at another quality is another picture.
    s.draw(false);
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), ++drawn);
}

TEST(CacheAsBitmap, FilteredObjectsAreKeptUntilWhatTheyShowChanges) {
    // Not asked to be cached, but with a glow: worked out once while nothing changes.
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    s.clip->setFilters({glow()});
    const QImage first = s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    EXPECT_EQ(differing(s.draw(), first, 0), 0);
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    const QRgb glowing = first.pixel(91, 30); // just right of the blue square
    EXPECT_TRUE(qGreen(glowing) == 255 && qRed(glowing) < 200) << qRed(glowing);

    swf::ColorTransform greener;
    greener.add[1] = 255;
    s.child(1)->setColorTransform(greener);
    EXPECT_TRUE(near(s.draw().pixel(15, 15), qRgb(255, 255, 0)));
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 2u);

    // The filter taken away: drawn as usual, no glow left behind.
    s.clip->setFilters({});
    const QImage plain = s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 2u);
    EXPECT_TRUE(near(plain.pixel(51, 20), qRgb(0, 0, 255)));
    EXPECT_TRUE(near(plain.pixel(91, 30), qRgb(255, 255, 255)));

    // Larger than the view: drawn afresh each time, just the part in view.
    s.clip->setFilters({glow()});
    s.clip->setMatrix(QTransform::fromScale(4, 4) * QTransform::fromTranslate(-100, -100));
    const QImage big = s.draw();
    s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 2u);
    EXPECT_TRUE(near(big.pixel(50, 50), qRgb(255, 255, 0))); // the greened red square
}

TEST(CacheAsBitmap, TurnedOffOrRemovedItIsDrawnAsUsual) {
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    s.clip->setCacheAsBitmap(true);
    s.draw();
    s.clip->setCacheAsBitmap(false);
    s.child(1)->setVisible(false);
    const QImage img = s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    EXPECT_TRUE(near(img.pixel(15, 15), qRgb(255, 255, 255)));
    EXPECT_TRUE(near(img.pixel(55, 15), qRgb(0, 0, 255)));

    // Removed from the tree by script and the same address reused or not: nothing stale shows.
    s.clip->setCacheAsBitmap(true);
    s.draw();
    s.player.stage()->levels().begin()->second->removeChildAt(1 + swf::kTimelineDepthOffset);
    const QImage gone = s.draw();
    EXPECT_TRUE(near(gone.pixel(55, 15), qRgb(255, 255, 255)));
}

TEST(CacheAsBitmap, ScrollingShowsTheNewPartAndABackgroundFillsIt) {
    // Red 0..40 and blue 40..80 of the clip's own pixels, clip at (10, 10). The scroll
    // rectangle (30, 0, 20, 20) shows 10 pixels of red then 10 of blue at the clip's origin.
    for (const bool cached : {false, true}) {
        Scene s;
        ASSERT_NE(s.clip, nullptr);
        s.clip->setCacheAsBitmap(cached);
        s.clip->setScrollRect(QRectF(30, 0, 20, 20));
        QImage img = s.draw();
        EXPECT_TRUE(near(img.pixel(15, 15), qRgb(255, 0, 0))) << cached;
        EXPECT_TRUE(near(img.pixel(25, 15), qRgb(0, 0, 255))) << cached;
        EXPECT_TRUE(near(img.pixel(31, 15), qRgb(255, 255, 255))) << cached;
        // Scrolled on to 70 and 30 high: 10 pixels of blue, then past the content the opaque
        // background.
        s.clip->setScrollRect(QRectF(70, 0, 20, 30));
        s.clip->setOpaqueBackground(QColor(0, 255, 0));
        img = s.draw();
        EXPECT_TRUE(near(img.pixel(15, 15), qRgb(0, 0, 255))) << cached;
        EXPECT_TRUE(near(img.pixel(25, 15), qRgb(0, 255, 0))) << cached;
        EXPECT_TRUE(near(img.pixel(15, 35), qRgb(0, 0, 255))) << cached;
        EXPECT_TRUE(near(img.pixel(25, 35), qRgb(0, 255, 0))) << cached;
        EXPECT_TRUE(near(img.pixel(15, 45), qRgb(255, 255, 255))) << cached;
        EXPECT_EQ(s.renderer.cachedPicturesDrawn(), cached ? 2u : 0u);
    }
}

TEST(CacheAsBitmap, ScrollRectOfAScaledAndTurnedClipCutsInItsOwnSpace) {
    // The clip doubled and turned a quarter: its scroll rectangle (0, 0, 20, 10) of own
    // pixels becomes 40 wide along y and 20 across x, to the left of the clip's origin.
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    s.clip->setMatrix(QTransform(0, 2, -2, 0, 60 * 20, 10 * 20));
    s.clip->setScrollRect(QRectF(0, 0, 20, 10));
    const QImage img = s.draw();
    EXPECT_TRUE(near(img.pixel(50, 30), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(41, 48), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(img.pixel(50, 52), qRgb(255, 255, 255))); // past its 20 own pixels
    EXPECT_TRUE(near(img.pixel(35, 30), qRgb(255, 255, 255))); // past its 10 own pixels
    EXPECT_TRUE(near(img.pixel(65, 30), qRgb(255, 255, 255))); // the other side of the origin
}

TEST(CacheAsBitmap, PixelsChangedInPlaceAndTextFieldsStillShow) {
    // A BitmapData's image changes under the cached clip: the next frame shows the change.
    Scene s;
    ASSERT_NE(s.clip, nullptr);
    auto image = std::make_shared<QImage>(10, 10, QImage::Format_ARGB32_Premultiplied);
    image->fill(qRgb(0, 200, 0));
    ASSERT_TRUE(s.clip->asMovieClip()->attachBitmap(image, 5, false).ok());
    s.clip->setCacheAsBitmap(true);
    EXPECT_TRUE(near(s.draw().pixel(15, 15), qRgb(0, 200, 0)));
    s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 1u);
    image->fill(qRgb(200, 200, 0));
    EXPECT_TRUE(near(s.draw().pixel(15, 15), qRgb(200, 200, 0)));
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 2u);

    // A text field can change in ways the tree does not show (caret, scrolling): such a clip
    // is drawn as usual, every frame, and nothing is kept for it.
    ASSERT_TRUE(s.clip->asMovieClip()->createTextField("t", 6, QRectF(0, 50, 40, 20)).ok());
    s.draw();
    s.draw();
    EXPECT_EQ(s.renderer.cachedPicturesDrawn(), 2u);
    EXPECT_TRUE(near(s.draw().pixel(15, 15), qRgb(200, 200, 0)));
}
