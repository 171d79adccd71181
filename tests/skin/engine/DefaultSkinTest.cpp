// The player's own skin through the engine, as the main window carries it: it has no "Panel"
// object, so panels keep their default look, while controls whose objects it has are skinned.

#include <gtest/gtest.h>

#include "skin/controls/TSeSkinPanel.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"
#include "tests/support/StoredSkin.h"

using skin::TSeSkinEngine;
using skin::TSeSkinPanel;

TEST(EngineWithDefaultSkin, PanelsKeepTheirOwnLookOthersAreSkinned) {
    const QByteArray stream =
        testsupport::storedSkinStream(QStringLiteral(QUARVEL_DEFAULT_SKIN_PATH));
    ASSERT_GT(stream.size(), 1) << QUARVEL_DEFAULT_SKIN_PATH;
    TSeSkinEngine engine;
    int after = 0;
    engine.OnAfterChange = [&](QObject*) { ++after; };
    QWidget form;
    auto* panel = new TSeSkinPanel(&form);
    auto* status = new TSeSkinPanel(&form);
    status->setSkinObject("StatusBar");
    panel->setSkinEngine(&engine);
    status->setSkinEngine(&engine);
    ASSERT_TRUE(engine.readSkinStream(stream));
    engine.loaded();
    EXPECT_EQ(after, 1);
    ASSERT_NE(engine.source().formObject(), nullptr);
    for (const char* absent : {"Panel", "TrackBar", "Splitter", "GroupBox", "ToolWindow"})
        EXPECT_EQ(engine.source().findObject(absent), nullptr) << absent;
    EXPECT_FALSE(panel->isSkinned());
    EXPECT_EQ(panel->CaptionHeight(), 20);
    EXPECT_TRUE(status->isSkinned());

    // The writer gives back a stream the engine reads to the same objects.
    const QByteArray written = engine.writeSkinStream();
    TSeSkinEngine again;
    ASSERT_TRUE(again.readSkinStream(written));
    ASSERT_EQ(again.source().objects().size(), engine.source().objects().size());
    for (std::size_t i = 0; i < again.source().objects().size(); ++i)
        EXPECT_EQ(again.source().objects()[i]->name(), engine.source().objects()[i]->name());

    // A tint over the whole skin reaches the skinned control's fresh copy (its text colour).
    const skin::TColor before = status->skinClient().skinCopy()->Font.Color;
    engine.setDeltaHue(60);
    EXPECT_TRUE(status->isSkinned());
    skin::TColor expected = before;
    skin::shiftColorHue(expected, 60);
    ASSERT_NE(expected, before);
    EXPECT_EQ(status->skinClient().skinCopy()->Font.Color, expected);
}
