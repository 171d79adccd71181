// The download progress bar drawn through a skin engine: its default look where the skin has
// no "ProgressBar", the frame and bar parts, the content inside the frame's margins, the
// transparency of the frame, and skin changes through the engine.

#include "skin/controls/TSeSkinProgressBar.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/SkinMessage.h"
#include "skin/engine/TSeSkinEngine.h"
#include "tests/skin/progressbar/ControlSkins.h"

using namespace controlskins;
using skin::TSeBarOrientation;
using skin::TSePerformance;
using skin::TSeSkinEngine;
using skin::TSeSkinProgressBar;

namespace {

class SkinnedProgressBar : public ::testing::Test {
protected:
    SkinnedProgressBar() {
        plainBar = new TSeSkinProgressBar(&plain.widget);
        plainBar->setGeometry(10, 10, 140, 16);
        bar = new TSeSkinProgressBar(&host.widget);
        bar->setGeometry(10, 10, 140, 16);
        for (TSeSkinProgressBar* b : {plainBar, bar}) {
            b->setSmooth(true);
            b->setPosition(50);
        }
        plain.widget.show();
        host.widget.show();
    }
    QString skinFile(const char* name, const ControlSkinOptions& o = {}) {
        return writeControlSkin(dir, name, o);
    }
    QTemporaryDir dir;
    TSeSkinEngine engine;
    Host plain, host;
    TSeSkinProgressBar* plainBar;
    TSeSkinProgressBar* bar;
};

} // namespace

TEST_F(SkinnedProgressBar, ANewBarNamesItsObjectBuffersAndIsTransparent) {
    TSeSkinProgressBar fresh;
    EXPECT_EQ(fresh.SkinObject(), "ProgressBar");
    EXPECT_EQ(fresh.Performance(), TSePerformance::kspDoubleBuffer);
    EXPECT_TRUE(fresh.Transparent());
    EXPECT_EQ(fresh.BorderWidth(), 0);
    EXPECT_EQ(fresh.Version(), "3.2.0");
    EXPECT_FALSE(fresh.isSkinned());
}

TEST_F(SkinnedProgressBar, WithoutItsObjectItLooksUnskinnedUntilASkinWithOneIsSet) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("none.kskn", {.progressBar = false}));
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(plain.area(plainBar), host.area(bar));

    engine.setSkinFile(skinFile("bar.kskn"));
    ASSERT_TRUE(bar->isSkinned());
    // The content lies inside the frame's margins, not inside the default border.
    EXPECT_EQ(bar->contentRect(), QRect(3, 3, 134, 10));
    EXPECT_EQ(bar->barRect(), QRect(3, 3, 67, 10));
    EXPECT_EQ(host.at(bar, 0, 0), rgb(sqFrame));
    EXPECT_EQ(host.at(bar, 139, 15), rgb(sqFrame));
    EXPECT_EQ(host.at(bar, 3, 8), kBarRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, 69, 8), kBarRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, 70, 8), rgb(sqFrame));

    // And back to the default look.
    engine.setSkinFile(skinFile("none2.kskn", {.progressBar = false}));
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(bar->contentRect(), QRect(2, 2, 136, 12));
    EXPECT_EQ(plain.area(plainBar), host.area(bar));
}

TEST_F(SkinnedProgressBar, TheBarPartFollowsTheOrientation) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("both.kskn", {.barHorz = true, .barVert = true}));
    ASSERT_TRUE(bar->isSkinned());
    EXPECT_EQ(host.at(bar, 10, 8), kBarHorzRgb & 0xFFFFFF);

    bar->setGeometry(10, 10, 16, 100);
    bar->setOrientation(TSeBarOrientation::kboVertical);
    // Filled from the bottom: half of the 94 pixels of content.
    EXPECT_EQ(bar->barRect(), QRect(3, 50, 10, 47));
    EXPECT_EQ(host.at(bar, 8, 90), kBarVertRgb & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, 8, 40), rgb(sqFrame));

    // Without a part for its direction the vertical bar takes "Bar".
    engine.setSkinFile(skinFile("horz.kskn", {.barHorz = true}));
    EXPECT_EQ(host.at(bar, 8, 90), kBarRgb & 0xFFFFFF);
}

TEST_F(SkinnedProgressBar, WithoutAnyBarPartOnlyTheFrameIsDrawn) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("nobar.kskn", {.bar = false}));
    ASSERT_TRUE(bar->isSkinned());
    bar->setPosition(100);
    const QImage picture = host.area(bar);
    EXPECT_FALSE(contains(picture, kBarRgb));
    EXPECT_FALSE(contains(picture, QColor(bar->palette().color(QPalette::Highlight)).rgb()));
    EXPECT_EQ(host.at(bar, 70, 8), rgb(sqFrame));
}

TEST_F(SkinnedProgressBar, AnEmptyRangeShowsAnEmptyBarWhateverThePosition) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("bar.kskn"));
    bar->setMax(0);
    bar->setMin(0);
    for (int position : {0, 1, -5, 100}) {
        bar->setPosition(position);
        EXPECT_FALSE(contains(host.area(bar), kBarRgb)) << position;
    }
    // A position outside the range likewise.
    bar->setMax(100);
    bar->setPosition(150);
    EXPECT_FALSE(contains(host.area(bar), kBarRgb));
}

TEST_F(SkinnedProgressBar, AHoleInTheFrameShowsTheParentOrTheBarsColour) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("holed.kskn", {.holedFrame = true}));
    ASSERT_TRUE(bar->isSkinned());
    bar->setPosition(0);
    // The 8 x 8 image is stretched over 140 x 16: its hole covers the middle.
    EXPECT_EQ(host.at(bar, 70, 8), Host::kBackground & 0xFFFFFF);
    EXPECT_EQ(host.at(bar, 0, 0), rgb(sqFrame));

    bar->setColor(QColor(0x12, 0x34, 0x56));
    bar->setTransparent(false);
    EXPECT_EQ(host.at(bar, 70, 8), qRgb(0x12, 0x34, 0x56) & 0xFFFFFF);
}

TEST_F(SkinnedProgressBar, EveryBufferingModePaintsTheSame) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("bar.kskn"));
    const QImage doubleBuffered = host.area(bar);
    for (TSePerformance mode : {TSePerformance::kspNoBuffer, TSePerformance::kspSharedBuffer}) {
        bar->setPerformance(mode);
        EXPECT_EQ(host.area(bar), doubleBuffered);
    }
}

TEST_F(SkinnedProgressBar, ASkinChangeTakesTheCopyAwayUntilItHasHappened) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("bar.kskn"));
    ASSERT_TRUE(bar->isSkinned());
    skin::SkinMessage before(skin::SkinMessageKind::BeforeChange, &engine);
    QCoreApplication::sendEvent(bar, &before);
    EXPECT_EQ(bar->skinClient().skinCopy(), nullptr);
    EXPECT_FALSE(bar->isSkinned());
    // Painting meanwhile is the default look and does not touch the skin.
    EXPECT_EQ(plain.area(plainBar), host.area(bar));
    skin::SkinMessage after(skin::SkinMessageKind::AfterChange, &engine);
    QCoreApplication::sendEvent(bar, &after);
    EXPECT_TRUE(bar->isSkinned());
    // Messages about another engine are not ours.
    TSeSkinEngine other;
    skin::SkinMessage foreign(skin::SkinMessageKind::BeforeChange, &other);
    QCoreApplication::sendEvent(bar, &foreign);
    EXPECT_TRUE(bar->isSkinned());
}

TEST_F(SkinnedProgressBar, AnEngineThatGoesAwayLeavesTheDefaultLook) {
    auto owned = std::make_unique<TSeSkinEngine>();
    bar->setSkinEngine(owned.get());
    owned->setSkinFile(skinFile("bar.kskn"));
    ASSERT_TRUE(bar->isSkinned());
    owned.reset();
    EXPECT_EQ(bar->SkinEngine(), nullptr);
    EXPECT_FALSE(bar->isSkinned());
    EXPECT_EQ(plain.area(plainBar), host.area(bar));
}

TEST_F(SkinnedProgressBar, AnotherObjectNameIsLookedUpAtOnce) {
    bar->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("bar.kskn"));
    bar->setSkinObject(QStringLiteral("Gauge"));
    EXPECT_FALSE(bar->isSkinned());
    bar->setSkinObject(QStringLiteral("ProgressBar"));
    EXPECT_TRUE(bar->isSkinned());
}
