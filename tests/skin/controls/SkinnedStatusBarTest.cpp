// The status bar drawn through a skin engine: its default look without a "StatusBar" object,
// the frame around and under the panels, the panel and gripper parts, pieces whose parts are
// missing, owner-drawn panels, switching skins and losing the engine.

#include "skin/controls/TSeSkinStatusBar.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/TSeSkinEngine.h"
#include "skin/format/SkinFile.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSkinSource.h"
#include "tests/support/Pixels.h"

using skin::TSeSkinEngine;
using skin::TSeSkinStatusBar;
using skin::TSeStatusPanelStyle;

using testsupport::differingPixels;
using testsupport::rgb;

namespace {

const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

struct Colours {
    QRgb frame = qRgb(30, 60, 150);
    QRgb panel = qRgb(200, 180, 40);
    QRgb text = qRgb(250, 10, 10);
    QRgb grip = qRgb(10, 200, 90);
};

struct BarSkin {
    bool withObject = true;
    bool withFrame = true;
    bool withPanel = true;
    bool withGripper = true;
    Colours colours;
};

std::unique_ptr<skin::TSeSkinObject> filled(const char* name, QRgb colour, QRect bounds) {
    auto o = std::make_unique<skin::TSeSkinObject>();
    o->setName(name);
    o->Color = skin::rgbColor(qRed(colour), qGreen(colour), qBlue(colour));
    o->setStoredBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    return o;
}

// A skin whose status bar parts are plain fills, so a pixel tells which part painted it.
QString writeBarSkin(const QTemporaryDir& dir, const QString& name, const BarSkin& o = {}) {
    skin::TSeSkinSource s;
    s.SkinName = "Status bar test";
    s.addObject(filled("Form", qRgb(1, 2, 3), QRect(0, 0, 300, 250)));
    if (o.withObject) {
        auto bar = filled("StatusBar", qRgb(0, 0, 0), QRect(0, 0, 300, 22));
        bar->Color = skin::clNone;
        if (o.withFrame)
            bar->addChild(filled("Frame", o.colours.frame, QRect(0, 0, 300, 22)));
        if (o.withPanel) {
            auto panel = filled("Panel", o.colours.panel, QRect(0, 0, 120, 22));
            panel->Font.Color =
                skin::rgbColor(qRed(o.colours.text), qGreen(o.colours.text), qBlue(o.colours.text));
            panel->TextMarginLeft = 6;
            bar->addChild(std::move(panel));
        }
        if (o.withGripper)
            bar->addChild(filled("Gripper", o.colours.grip, QRect(290, 12, 10, 10)));
        s.addObject(std::move(bar));
    }
    const QString path = dir.filePath(name);
    skin::saveSkinFile(s, path, registry());
    return path;
}

// A bar of three panels (100, 200, 50) in a window 400 pixels wide.
struct BarWindow {
    QWidget host;
    TSeSkinStatusBar* bar;

    BarWindow() {
        host.resize(400, 40);
        bar = new TSeSkinStatusBar(&host);
        bar->setGeometry(0, 18, 400, 22);
        for (int w : {100, 200, 50})
            bar->Panels().Add().setWidth(w);
        host.show();
    }
    QImage picture() const { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb at(int x, int y) const { return picture().pixel(x, y) & 0xFFFFFF; }
};

class SkinnedStatusBar : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TSeSkinEngine engine;
};

} // namespace

TEST_F(SkinnedStatusBar, NamesTheStatusBarObjectAndLooksPlainWithoutIt) {
    BarWindow plain, skinned;
    EXPECT_EQ(skinned.bar->SkinObject(), "StatusBar");
    EXPECT_EQ(skinned.bar->Version(), "3.2.0");
    skinned.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "none.kskn", {.withObject = false}));
    EXPECT_FALSE(skinned.bar->isSkinned());
    for (BarWindow* w : {&plain, &skinned})
        w->bar->Panels()[0].setText(QStringLiteral("已停止"));
    EXPECT_EQ(differingPixels(plain.picture(), skinned.picture()), 0);
    EXPECT_EQ(skinned.bar->gripRect(), QRect(386, 8, 14, 14));
}

TEST_F(SkinnedStatusBar, FramePanelAndGripperPartsPaintTheirPieces) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "bar.kskn"));
    ASSERT_TRUE(w.bar->isSkinned());
    const Colours c;
    // Beyond the last panel the frame shows; every panel shows the panel part.
    EXPECT_EQ(w.at(370, 5), rgb(c.frame));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.at(w.bar->panelRect(i).center().x(), 3), rgb(c.panel)) << i;
    // The grip takes the gripper part's size at the bottom right corner.
    EXPECT_EQ(w.bar->gripRect(), QRect(390, 12, 10, 10));
    EXPECT_EQ(w.at(395, 17), rgb(c.grip));
    EXPECT_EQ(w.at(389, 17), rgb(c.frame));

    // Text is written in the panel part's font colour.
    w.bar->Panels()[0].setText(QStringLiteral("WWWW"));
    const QImage picture = w.picture();
    int ink = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 100; ++x)
            ink += rgb(picture.pixel(x, y)) == rgb(c.text);
    EXPECT_GT(ink, 4);
    // Nothing of it spills left of the part's text margin and the panel's margin.
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(rgb(picture.pixel(x, y)), rgb(c.panel)) << x << "," << y;
}

TEST_F(SkinnedStatusBar, TheSameTextAgainCostsNoRepaintWhileSkinned) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "bar.kskn"));
    w.bar->Panels()[1].setText(QStringLiteral("已停止"));
    const int before = w.bar->repaintRequests();
    w.bar->Panels()[1].setText(QStringLiteral("已停止"));
    w.bar->Panels()[1].setImageIndex(-1);
    EXPECT_EQ(w.bar->repaintRequests(), before);
    w.bar->Panels()[1].setText(QStringLiteral("已装载：100 %"));
    EXPECT_EQ(w.bar->repaintRequests(), before + 1);
}

TEST_F(SkinnedStatusBar, APanelWithoutFrameShowsTheBarUnderIt) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "bar.kskn"));
    w.bar->Panels()[1].setFramed(false);
    EXPECT_EQ(w.at(200, 5), rgb(Colours{}.frame));
    EXPECT_EQ(w.at(50, 5), rgb(Colours{}.panel));
}

TEST_F(SkinnedStatusBar, MissingPartsLeaveThoseBitsInTheirDefaultLook) {
    BarWindow plain, w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(
        writeBarSkin(dir, "noParts.kskn", {.withPanel = false, .withGripper = false}));
    ASSERT_TRUE(w.bar->isSkinned());
    const Colours c;
    // The frame runs under the panels; the default separators and grip are drawn on it.
    EXPECT_EQ(w.at(50, 5), rgb(c.frame));
    EXPECT_EQ(w.bar->gripRect(), QRect(386, 8, 14, 14));
    const QImage picture = w.picture();
    const QImage reference = plain.picture();
    const QRgb separator = rgb(reference.pixel(99, 11));
    ASSERT_NE(separator, rgb(reference.pixel(50, 11)));
    EXPECT_EQ(rgb(picture.pixel(99, 11)), separator);
    int gripInk = 0;
    for (int y = 8; y < 22; ++y)
        for (int x = 386; x < 400; ++x)
            gripInk += rgb(picture.pixel(x, y)) != rgb(c.frame);
    EXPECT_GT(gripInk, 5);

    // Without a frame the bar's own background is drawn around skinned panels.
    engine.setSkinFile(writeBarSkin(dir, "noFrame.kskn", {.withFrame = false}));
    ASSERT_TRUE(w.bar->isSkinned());
    EXPECT_EQ(w.at(370, 5), rgb(reference.pixel(370, 5)));
    EXPECT_EQ(w.at(50, 5), rgb(c.panel));
}

TEST_F(SkinnedStatusBar, OwnerDrawnPanelsArePaintedByTheHandler) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "bar.kskn"));
    QList<QRect> asked;
    w.bar->OnDrawPanel = [&](TSeSkinStatusBar* sender, skin::TSeStatusPanel& panel, QPainter& p,
                             const QRect& r) {
        EXPECT_EQ(sender, w.bar);
        EXPECT_EQ(panel.Index(), 2);
        asked << r;
        p.fillRect(r.adjusted(2, 2, -2, -2), Qt::magenta);
    };
    w.bar->Panels()[2].setText(QStringLiteral("not drawn"));
    w.bar->Panels()[2].setStyle(TSeStatusPanelStyle::psOwnerDraw);
    const QImage picture = w.picture();
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.last(), w.bar->panelRect(2));
    EXPECT_EQ(rgb(picture.pixel(325, 11)), rgb(qRgb(255, 0, 255)));
    // The panel part lies under what the handler drew.
    EXPECT_EQ(rgb(picture.pixel(300, 0)), rgb(Colours{}.panel));
}

TEST_F(SkinnedStatusBar, ImagesSitBesideTheTextOnEitherSide) {
    BarWindow w;
    QPixmap blue(8, 8);
    blue.fill(Qt::blue);
    w.bar->setImages({QPixmap(), blue});
    auto& panel = w.bar->Panels()[1];
    panel.setImageIndex(1);
    // Left of the text, after the margin.
    EXPECT_EQ(w.at(100 + 2 + 2 + 1, 11), rgb(qRgb(0, 0, 255)));
    panel.setLayout(skin::TSeStatusGliphLayout::sglGlyphRight);
    EXPECT_EQ(w.at(299 - 2 - 2 - 1, 11), rgb(qRgb(0, 0, 255)));
    EXPECT_NE(w.at(100 + 2 + 2 + 1, 11), rgb(qRgb(0, 0, 255)));
    panel.setShowImage(false);
    EXPECT_NE(w.at(299 - 2 - 2 - 1, 11), rgb(qRgb(0, 0, 255)));
    // An index outside the list, or an empty picture, shows nothing and does no harm.
    panel.setShowImage(true);
    for (int index : {0, 2, 1000, -5}) {
        panel.setImageIndex(index);
        const QImage picture = w.picture();
        for (int x = 101; x < 299; ++x)
            ASSERT_NE(rgb(picture.pixel(x, 11)), rgb(qRgb(0, 0, 255))) << index;
    }
}

TEST_F(SkinnedStatusBar, ANewSkinRepaintsTheBarAndNoSkinRestoresItsOwnLook) {
    BarWindow plain, w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "one.kskn"));
    EXPECT_EQ(w.at(370, 5), rgb(Colours{}.frame));
    Colours other;
    other.frame = qRgb(90, 20, 20);
    other.panel = qRgb(20, 90, 20);
    engine.setSkinFile(writeBarSkin(dir, "two.uskn", {.colours = other}));
    EXPECT_EQ(w.at(370, 5), rgb(other.frame));
    EXPECT_EQ(w.at(50, 5), rgb(other.panel));

    // A tint reaches the bar too: its colours move, grey stays grey.
    const QRgb before = w.at(370, 5);
    engine.setDeltaHue(60);
    EXPECT_TRUE(w.bar->isSkinned());
    EXPECT_NE(w.at(370, 5), before);

    engine.setSkinFile(QString());
    EXPECT_FALSE(w.bar->isSkinned());
    EXPECT_EQ(differingPixels(plain.picture(), w.picture()), 0);
}

TEST_F(SkinnedStatusBar, BufferedPaintingShowsTheSamePixels) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "bar.kskn"));
    w.bar->Panels()[0].setText(QStringLiteral("已装载：42 %"));
    const QImage direct = w.picture();
    for (auto mode :
         {skin::TSePerformance::kspSharedBuffer, skin::TSePerformance::kspDoubleBuffer}) {
        w.bar->setPerformance(mode);
        EXPECT_EQ(differingPixels(direct, w.picture()), 0) << int(mode);
    }
}

TEST_F(SkinnedStatusBar, OutlivesItsEngineAndTheEngineOutlivesIt) {
    auto owned = std::make_unique<TSeSkinEngine>();
    BarWindow plain, w;
    w.bar->setSkinEngine(owned.get());
    owned->setSkinFile(writeBarSkin(dir, "bar.kskn"));
    ASSERT_TRUE(w.bar->isSkinned());
    owned.reset();
    EXPECT_EQ(w.bar->SkinEngine(), nullptr);
    EXPECT_FALSE(w.bar->isSkinned());
    EXPECT_EQ(differingPixels(plain.picture(), w.picture()), 0);

    auto bar = std::make_unique<TSeSkinStatusBar>();
    bar->setSkinEngine(&engine);
    engine.setSkinFile(writeBarSkin(dir, "again.kskn"));
    EXPECT_TRUE(bar->isSkinned());
    bar.reset();
    engine.setSkinFile(writeBarSkin(dir, "after.kskn")); // reaches no freed bar
}

TEST(StatusBarMouse, ClicksAndDoubleClicksNameThePanel) {
    QWidget host;
    host.resize(400, 40);
    auto* bar = new TSeSkinStatusBar(&host);
    bar->setGeometry(0, 18, 400, 22);
    for (int w : {100, 200, 50})
        bar->Panels().Add().setWidth(w);
    host.show();
    QStringList log;
    bar->OnPanelClick = [&](TSeSkinStatusBar*, skin::TSeStatusPanel& p) {
        log << QStringLiteral("click %1").arg(p.Index());
    };
    bar->OnPanelDblClick = [&](TSeSkinStatusBar*, skin::TSeStatusPanel& p) {
        log << QStringLiteral("double %1").arg(p.Index());
    };
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(370, 10)); // past the panels
    QTest::mouseClick(bar, Qt::RightButton, Qt::NoModifier, QPoint(20, 10));
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(320, 10));
    EXPECT_EQ(log.first(), QStringLiteral("click 1"));
    EXPECT_TRUE(log.contains(QStringLiteral("double 2")));
    EXPECT_FALSE(log.contains(QStringLiteral("click 0")));
    for (const QString& entry : log)
        EXPECT_FALSE(entry.endsWith(QStringLiteral("-1")));

    // The grip shows the resize cursor and takes presses for itself.
    QTest::mouseMove(bar, bar->gripRect().center());
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeFDiagCursor);
    log.clear();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->gripRect().center());
    EXPECT_TRUE(log.isEmpty());
    bar->setSizeGrip(false);
    EXPECT_TRUE(bar->gripRect().isEmpty());
}
