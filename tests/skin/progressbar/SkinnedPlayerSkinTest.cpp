// The player's own packed skin through an engine, as the main window carries it: it has
// "SpeedButton" and "ProgressBar" objects but no "TrackBar" or "Splitter", so the buttons and
// the download bar are skinned while the sliders and the splitter keep their own look.

#include <gtest/gtest.h>

#include "skin/controls/TSeSkinProgressBar.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinTrackBar.h"
#include "skin/engine/TSeSkinEngine.h"
#include "tests/skin/progressbar/ControlSkins.h"
#include "tests/support/StoredSkin.h"

using namespace skin;

TEST(SkinnedWithThePlayersSkin, ButtonsAndTheDownloadBarAreSkinnedSlidersAndSplitterAreNot) {
    const QByteArray stream =
        testsupport::storedSkinStream(QStringLiteral(QUARVEL_DEFAULT_SKIN_PATH));
    ASSERT_GT(stream.size(), 1) << QUARVEL_DEFAULT_SKIN_PATH;
    TSeSkinEngine engine;
    controlskins::Host host, plain;
    auto* button = new TSeSkinSpeedButton(&host.widget);
    auto* plainButton = new TSeSkinSpeedButton(&plain.widget);
    auto* bar = new TSeSkinProgressBar(&host.widget);
    auto* plainBar = new TSeSkinProgressBar(&plain.widget);
    auto* slider = new TSeSkinTrackBar(&host.widget);
    auto* splitter = new TSeSkinSplitter(&host.widget);
    for (TSeSkinSpeedButton* b : {button, plainButton}) {
        b->setGeometry(5, 5, 91, 25);
        b->setCaption(QStringLiteral("打开文件"));
    }
    for (TSeSkinProgressBar* b : {bar, plainBar}) {
        b->setGeometry(5, 40, 140, 16);
        b->setSmooth(true);
        b->setPosition(40);
    }
    slider->setGeometry(5, 60, 150, 45);
    splitter->setGeometry(200, 0, 4, 200);
    button->setSkinEngine(&engine);
    bar->setSkinEngine(&engine);
    splitter->setSkinEngine(&engine);
    ASSERT_TRUE(engine.readSkinStream(stream));
    engine.loaded();
    host.widget.show();
    plain.widget.show();

    EXPECT_TRUE(button->isSkinned());
    EXPECT_TRUE(bar->isSkinned());
    EXPECT_FALSE(slider->isSkinned());
    EXPECT_FALSE(splitter->isSkinned());
    EXPECT_NE(host.area(button), plain.area(plainButton));
    EXPECT_NE(host.area(bar), plain.area(plainBar));
    // The download bar's content lies inside its frame's margins of 3.
    EXPECT_EQ(bar->contentRect(), QRect(3, 3, 134, 10));
}
