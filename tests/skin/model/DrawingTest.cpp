// Drawing: fills, text, nine-part bitmaps, tile styles, masks and the state looks.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "skin/model/TSeActiveBitmap.h"
#include "skin/model/TSeActiveObject.h"
#include "skin/model/TSeButtonObject.h"
#include "skin/model/TSeTextObject.h"

using namespace skin;

namespace {

const QColor kCanvas(1, 2, 3);

bool anyPixelNot(const QImage& img, QRect area, QColor c) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) != c)
                return true;
    return false;
}

struct BitmapFixture {
    BitmapList bitmaps;
    BitmapFixture() {
        bitmaps.push_back(skintest::patternBitmap("pat", 9, 9));
        auto solid = std::make_unique<TSeBitmap>("solid", 4, 4);
        for (auto& p : solid->mutablePixels())
            p = 0xFF00FF00u;
        bitmaps.push_back(std::move(solid));
    }
    QColor patternAt(int x, int y) const { return QColor::fromRgb(bitmaps[0]->pixel(x, y)); }
};

} // namespace

TEST(Drawing, FillsWithColourUnlessNoneAndDrawsText) {
    TSeSkinObject o;
    o.setStoredBounds(2, 3, 30, 20);
    o.Color = rgbColor(200, 10, 20);
    QImage img = skintest::render(o, 40, 30);
    EXPECT_EQ(img.pixelColor(2, 3), QColor(200, 10, 20));
    EXPECT_EQ(img.pixelColor(31, 22), QColor(200, 10, 20));
    EXPECT_EQ(img.pixelColor(32, 22), kCanvas);
    EXPECT_EQ(img.pixelColor(1, 3), kCanvas);

    o.Color = clNone;
    o.Font.Color = rgbColor(255, 255, 255);
    o.Font.Height = -14;
    o.setText("Wx");
    img = skintest::render(o, 40, 30);
    EXPECT_TRUE(anyPixelNot(img, QRect(2, 3, 30, 20), kCanvas)); // the text
    EXPECT_EQ(img.pixelColor(31, 22), kCanvas);                  // but no fill
    o.setText("");
    EXPECT_FALSE(anyPixelNot(skintest::render(o, 40, 30), QRect(0, 0, 40, 30), kCanvas));
}

TEST(Drawing, AContainerDrawsItsOwnFaceOnlyWithDrawIfOwner) {
    TSeSkinObject parent;
    parent.setStoredBounds(0, 0, 20, 20);
    parent.Color = rgbColor(255, 0, 0);
    auto& c = parent.addChild(std::make_unique<TSeSkinObject>());
    c.setStoredBounds(5, 5, 4, 4);
    c.Color = rgbColor(0, 0, 255);
    QImage img = skintest::render(parent, 20, 20);
    EXPECT_EQ(img.pixelColor(0, 0), kCanvas);
    EXPECT_EQ(img.pixelColor(6, 6), QColor(0, 0, 255));
    parent.DrawIfOwner = true;
    img = skintest::render(parent, 20, 20);
    EXPECT_EQ(img.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(6, 6), QColor(0, 0, 255));
    // Invisible or sizeless children are skipped; an invisible parent draws nothing.
    c.setVisible(false);
    EXPECT_EQ(skintest::render(parent, 20, 20).pixelColor(6, 6), QColor(255, 0, 0));
    parent.setVisible(false);
    EXPECT_EQ(skintest::render(parent, 20, 20).pixelColor(0, 0), kCanvas);
}

TEST(Drawing, ASeparatorIsAOnePixelLineInsetThree) {
    TSeSkinObject o;
    o.setStoredBounds(0, 0, 20, 9);
    o.Color = clNone;
    o.Font.Color = rgbColor(9, 9, 9);
    o.setText("-");
    const QImage img = skintest::render(o, 20, 9);
    EXPECT_EQ(img.pixelColor(3, 4), QColor(9, 9, 9));
    EXPECT_EQ(img.pixelColor(16, 4), QColor(9, 9, 9));
    EXPECT_EQ(img.pixelColor(2, 4), kCanvas);
    EXPECT_EQ(img.pixelColor(17, 4), kCanvas);
    EXPECT_EQ(img.pixelColor(10, 3), kCanvas);
    EXPECT_EQ(img.pixelColor(10, 5), kCanvas);
}

TEST(Drawing, LongTitlesAreCutWithAnEllipsisInsideTheirMargins) {
    TSeSkinObject o;
    o.setStoredBounds(0, 0, 80, 20);
    o.Color = clNone;
    o.Kind = TSeKind::skTitle;
    o.TextMarginRight = 20;
    o.Font.Color = rgbColor(255, 255, 255);
    o.setText(QStringLiteral("一个很长很长的标题文字在这里一直写下去"));
    const QImage img = skintest::render(o, 120, 20);
    EXPECT_TRUE(anyPixelNot(img, QRect(0, 0, 60, 20), kCanvas));
    EXPECT_FALSE(anyPixelNot(img, QRect(61, 0, 59, 20), kCanvas));
    // The same text in a plain object is only clipped, with no dots at its end.
    o.Kind = TSeKind::skNone;
    const QImage plain = skintest::render(o, 120, 20);
    EXPECT_FALSE(anyPixelNot(plain, QRect(61, 0, 59, 20), kCanvas));
    EXPECT_NE(plain, img);
}

TEST(Drawing, ShadowTextDrawsBlackOneDownAndRight) {
    TSeSkinObject o;
    o.setStoredBounds(0, 0, 40, 20);
    o.Color = rgbColor(255, 255, 255);
    o.Font.Color = rgbColor(255, 255, 255);
    o.setText("I");
    EXPECT_FALSE(anyPixelNot(skintest::render(o, 40, 20), QRect(0, 0, 40, 20), Qt::white));
    o.TextEffect = TSeTextEffect::teShadow;
    EXPECT_TRUE(anyPixelNot(skintest::render(o, 40, 20), QRect(0, 0, 40, 20), Qt::white));
}

TEST(Drawing, DisabledTextIsGreyAndRightTextMirrorsTheAlignment) {
    TSeSkinObject o;
    o.setStoredBounds(0, 0, 100, 20);
    o.Color = rgbColor(255, 255, 255);
    o.Font.Color = rgbColor(0, 0, 255);
    o.setRightText("Ctrl+O");
    QImage img = skintest::render(o, 100, 20);
    EXPECT_FALSE(anyPixelNot(img, QRect(0, 0, 50, 20), Qt::white));
    EXPECT_TRUE(anyPixelNot(img, QRect(50, 0, 50, 20), Qt::white));
    o.setEnabled(false);
    img = skintest::render(o, 100, 20);
    bool grey = false, blue = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 50; x < 100; ++x) {
            const QColor c = img.pixelColor(x, y);
            grey = grey || c == QColor(0x80, 0x80, 0x80);
            blue = blue || (c.blue() > 200 && c.red() < 50);
        }
    EXPECT_TRUE(grey);
    EXPECT_FALSE(blue);
}

TEST(Drawing, NinePartCopiesCornersOneToOneAndTilesEdgesAndCentre) {
    BitmapFixture f;
    TSeBitmapObject o;
    o.setStoredBounds(1, 1, 20, 14);
    o.Bitmap = {"pat", 0, 0, 9, 9};
    o.MarginLeft = o.MarginRight = o.MarginTop = o.MarginBottom = 3;
    o.setBitmaps(&f.bitmaps);
    o.afterLoad();
    const QImage img = skintest::render(o, 24, 18);
    // Corners.
    EXPECT_EQ(img.pixelColor(1, 1), f.patternAt(0, 0));
    EXPECT_EQ(img.pixelColor(3, 3), f.patternAt(2, 2));
    EXPECT_EQ(img.pixelColor(18, 1), f.patternAt(6, 0));
    EXPECT_EQ(img.pixelColor(20, 14), f.patternAt(8, 8));
    EXPECT_EQ(img.pixelColor(1, 12), f.patternAt(0, 6));
    // Top edge tiled from its left: source columns 3..5 repeat.
    EXPECT_EQ(img.pixelColor(4, 1), f.patternAt(3, 0));
    EXPECT_EQ(img.pixelColor(7, 1), f.patternAt(3, 0));
    EXPECT_EQ(img.pixelColor(9, 2), f.patternAt(5, 1));
    // Centre tiled likewise.
    EXPECT_EQ(img.pixelColor(4, 4), f.patternAt(3, 3));
    EXPECT_EQ(img.pixelColor(7, 7), f.patternAt(3, 3));
    EXPECT_EQ(img.pixelColor(21, 15), kCanvas);
}

TEST(Drawing, TileStylesStretchCentreAndTile) {
    BitmapFixture f;
    TSeBitmapObject o;
    o.setStoredBounds(0, 0, 18, 18);
    o.Bitmap = {"pat", 0, 0, 9, 9};
    o.setBitmaps(&f.bitmaps);
    o.afterLoad();
    o.TileStyle = TscTileStyle::tsStretch;
    QImage img = skintest::render(o, 20, 20);
    EXPECT_EQ(img.pixelColor(0, 0), f.patternAt(0, 0));
    EXPECT_EQ(img.pixelColor(1, 1), f.patternAt(0, 0));
    EXPECT_EQ(img.pixelColor(17, 17), f.patternAt(8, 8));
    o.TileStyle = TscTileStyle::tsCenter;
    img = skintest::render(o, 20, 20);
    EXPECT_EQ(img.pixelColor(4, 4), f.patternAt(0, 0));
    EXPECT_EQ(img.pixelColor(3, 3), kCanvas);
    EXPECT_EQ(img.pixelColor(12, 12), f.patternAt(8, 8));
    o.TileStyle = TscTileStyle::tsTile;
    img = skintest::render(o, 20, 20);
    EXPECT_EQ(img.pixelColor(9, 9), f.patternAt(0, 0));
    EXPECT_EQ(img.pixelColor(17, 0), f.patternAt(8, 0));
    EXPECT_EQ(img.pixelColor(18, 0), kCanvas);
}

TEST(Drawing, MaskedDrawingLeavesKeyPixelsAlone) {
    BitmapFixture f;
    f.bitmaps[0]->setPixel(0, 0, kKeyPixel);
    TSeBitmapObject o;
    o.setStoredBounds(0, 0, 9, 9);
    o.Bitmap = {"pat", 0, 0, 9, 9};
    o.setBitmaps(&f.bitmaps);
    o.afterLoad();
    EXPECT_EQ(skintest::render(o, 9, 9).pixelColor(0, 0), kCanvas);
    o.Masked = false;
    EXPECT_EQ(skintest::render(o, 9, 9).pixelColor(0, 0), QColor(0x7F, 0, 0x7F));
}

TEST(Drawing, ABitmapObjectWithoutAUsableLinkDrawsNothingNotEvenChildren) {
    BitmapFixture f;
    TSeBitmapObject o;
    o.setStoredBounds(0, 0, 9, 9);
    o.Color = rgbColor(255, 0, 0);
    auto& c = o.addChild(std::make_unique<TSeSkinObject>());
    c.setStoredBounds(0, 0, 3, 3);
    c.Color = rgbColor(0, 0, 255);
    o.setBitmaps(&f.bitmaps);
    o.Bitmap = {"nothing", 0, 0, 9, 9};
    o.afterLoad();
    EXPECT_FALSE(o.Bitmap.usable());
    EXPECT_FALSE(anyPixelNot(skintest::render(o, 9, 9), QRect(0, 0, 9, 9), kCanvas));
    o.Bitmap = {"pat", 4, 4, 4, 9}; // resolves, but an empty rectangle
    o.afterLoad();
    EXPECT_FALSE(o.Bitmap.usable());
    o.Bitmap = {"pat", 0, 0, 9, 9};
    o.afterLoad();
    EXPECT_EQ(skintest::render(o, 9, 9).pixelColor(1, 1), QColor(0, 0, 255));
}

TEST(Drawing, AButtonInAStateWithAnEmptyLinkDrawsItsNormalBitmap) {
    BitmapFixture f;
    TSeButtonObject b;
    b.setStoredBounds(0, 0, 4, 4);
    b.Bitmap = {"pat", 0, 0, 4, 4};
    b.BitmapHot = {"solid", 0, 0, 0, 0};
    b.BitmapPressed = {"solid", 0, 0, 4, 4};
    b.setBitmaps(&f.bitmaps);
    b.afterLoad();
    b.setState(state::Hot);
    EXPECT_EQ(skintest::render(b, 4, 4).pixelColor(1, 1), f.patternAt(1, 1));
    b.setState(state::Pressed);
    EXPECT_EQ(skintest::render(b, 4, 4).pixelColor(1, 1), QColor(0, 255, 0));
    b.setState(state::Disabled);
    EXPECT_EQ(skintest::render(b, 4, 4).pixelColor(1, 1), f.patternAt(1, 1));
}

TEST(Drawing, ActiveLooksFollowActivityAndState) {
    TSeActiveObject a;
    a.Color = rgbColor(1, 1, 1);
    a.ActiveColor = rgbColor(2, 2, 2);
    EXPECT_EQ(a.currentColor(), rgbColor(1, 1, 1));
    for (std::uint8_t s : {state::Hot, state::Pressed, state::Focused}) {
        a.setState(s);
        EXPECT_EQ(a.currentColor(), rgbColor(2, 2, 2)) << int(s);
    }
    a.setState(state::Disabled);
    EXPECT_EQ(a.currentColor(), rgbColor(1, 1, 1));
    a.setActive(true);
    EXPECT_EQ(a.currentColor(), rgbColor(2, 2, 2));

    BitmapFixture f;
    TSeActiveBitmap ab;
    ab.Bitmap = {"pat", 0, 0, 4, 4};
    ab.ActiveBitmap = {"solid", 0, 0, 4, 4};
    ab.ActiveFont.Height = -20;
    ab.setBitmaps(&f.bitmaps);
    ab.afterLoad();
    EXPECT_EQ(&ab.currentBitmap(), &ab.Bitmap);
    ab.setState(state::Pressed);
    EXPECT_EQ(&ab.currentBitmap(), &ab.Bitmap);
    EXPECT_EQ(ab.GetFont().Height, ab.Font.Height);
    ab.setState(state::Focused);
    EXPECT_EQ(&ab.currentBitmap(), &ab.ActiveBitmap);
    EXPECT_EQ(ab.GetFont().Height, -20);

    TSeTextObject t;
    t.FontHot.Height = -5;
    t.FontPressed.Height = -6;
    t.FontFocused.Height = -7;
    t.FontDisabled.Height = -8;
    const std::pair<std::uint8_t, int> expected[] = {
        {0, t.Font.Height}, {5, -5}, {6, -6}, {7, -7}, {8, -8}};
    for (const auto& [s, h] : expected) {
        t.setState(s);
        EXPECT_EQ(t.GetFont().Height, h);
    }
}

TEST(Drawing, TheDefaultSkinDrawsEveryObject) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    for (const auto& top : s.objects()) {
        auto copy = top->clone();
        copy->setBounds(0, 0, std::max(copy->width(), 40), std::max(copy->height(), 12));
        const QImage img = skintest::render(*copy, copy->width(), copy->height());
        EXPECT_TRUE(anyPixelNot(img, QRect(0, 0, copy->width(), copy->height()), kCanvas))
            << top->name();
    }
}

TEST(Drawing, FontNamesFromWindowsSkinsAreDecodedFromCodePage936) {
    TSeFont font;
    font.Name = "\xCB\xCE\xCC\xE5"; // 宋体 in code page 936
    EXPECT_EQ(font.toQFont().family(), QStringLiteral("宋体"));
    font.Name = "微软雅黑";
    EXPECT_EQ(font.toQFont().family(), QStringLiteral("微软雅黑"));
}
