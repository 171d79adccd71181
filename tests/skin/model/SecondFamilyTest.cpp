// The older family of skin objects: every stored property read from a skin's text and kept
// through both stream forms and copies, the bitmaps and colours each class draws with in each
// state, and hue shifts of the extra colours.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "skin/format/ObjectStreamer.h"
#include "skin/model/HueShift.h"
#include "skin/model/SecondFamily.h"
#include "skin/model/SkinColors.h"

using namespace skin;

namespace {

// Four 3 x 3 tiles side by side, each of one colour.
BitmapList tiles() {
    BitmapList list;
    auto b = std::make_unique<TSeBitmap>("tiles", 15, 3);
    const std::uint32_t colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
    for (int x = 0; x < 15; ++x)
        for (int y = 0; y < 3; ++y)
            b->setPixel(x, y, colours[x / 3]);
    list.push_back(std::move(b));
    return list;
}

TSeBitmapLink tile(int index) {
    return {"tiles", index * 3, 0, index * 3 + 3, 3};
}

QColor drawnAs(TSeSkinObject& o, std::uint8_t state, bool active = false) {
    o.setStoredBounds(0, 0, 6, 6);
    o.setState(state);
    o.setActive(active);
    return skintest::render(o, 6, 6).pixelColor(2, 2);
}

const char* kOlderSkin = R"(object Older: TSeLinkSkinObject
  LinkControl = 'Panel3'
  Left = 0
  Top = 0
  Width = 100
  Height = 50
  object Box: TSeButtonBitmapBoxObject
    Bitmap.Name = 'tiles'
    Bitmap.Right = 3
    Bitmap.Bottom = 3
    BorderTileStyle = tsStretch
    HotBitmap.Name = 'tiles'
    HotBitmap.Left = 3
    HotBitmap.Right = 6
    HotBitmap.Bottom = 3
    FocusedBitmap.Name = 'tiles'
    PressedBitmap.Name = 'tiles'
    DisabledBitmap.Name = 'tiles'
    TileStyle = tsCenter
  end
  object Sys: TSeSysButtonSkinObject
    Action = sbaRollUp
    RollPanel = 'Panel2'
    BitmapHover.Name = 'tiles'
    BitmapDown.Name = 'tiles'
  end
  object Colours: TSeColorButtonObject
    HotColor = clRed
    PressedColor = $00123456
    FocusedFont.Height = -15
    DisabledColor = clGray
  end
  object Roll: TSeRollPanelObject
    RollKind = rkBottom
    RollValue = 40
  end
  object Lit: TSeActiveSkinObject
    ActiveColor = clBlue
    ActiveFont.Name = 'Tahoma'
  end
  object Window: TSeFormBitmapSkinObject
    InactiveBitmap.Name = 'tiles'
    InactiveBitmap.Left = 6
  end
  object Focusable: TSeActiveBitmapBoxObject
    FocusedBitmap.Name = 'tiles'
    FocusedBitmap.Top = 1
  end
end
)";

} // namespace

TEST(SecondFamily, EveryStoredPropertySurvivesTextBinaryAndCopy) {
    const ObjectStreamer streamer(skintest::registry());
    auto root = streamer.readText("TSeLinkSkinObject", kOlderSkin);
    auto& link = dynamic_cast<TSeLinkSkinObject&>(*root);
    EXPECT_EQ(link.LinkControl, "Panel3");
    ASSERT_EQ(root->children().size(), 7u);
    auto& box = dynamic_cast<TSeButtonBitmapBoxObject&>(*root->children()[0]);
    EXPECT_EQ(box.BorderTileStyle, TscTileStyle::tsStretch);
    EXPECT_EQ(box.TileStyle, TscTileStyle::tsCenter);
    EXPECT_EQ(box.HotBitmap.Left, 3);
    EXPECT_EQ(box.HotBitmap.Right, 6);
    auto& sys = dynamic_cast<TSeSysButtonSkinObject&>(*root->children()[1]);
    EXPECT_EQ(sys.Action, TSeAction::sbaRollUp);
    EXPECT_EQ(sys.RollPanel, "Panel2");
    auto& colours = dynamic_cast<TSeColorButtonObject&>(*root->children()[2]);
    EXPECT_EQ(colours.PressedColor, TColor(0x00123456));
    EXPECT_EQ(colours.FocusedFont.Height, -15);
    auto& roll = dynamic_cast<TSeRollPanelObject&>(*root->children()[3]);
    EXPECT_EQ(roll.RollKind, TSeRollKind::rkBottom);
    EXPECT_EQ(roll.RollValue, 40);
    auto& lit = dynamic_cast<TSeActiveSkinObject&>(*root->children()[4]);
    EXPECT_EQ(lit.ActiveFont.Name, "Tahoma");
    auto& window = dynamic_cast<TSeFormBitmapSkinObject&>(*root->children()[5]);
    EXPECT_EQ(window.InactiveBitmap.Left, 6);
    auto& focusable = dynamic_cast<TSeActiveBitmapBoxObject&>(*root->children()[6]);
    EXPECT_EQ(focusable.FocusedBitmap.Top, 1);

    // Text and binary forms and a deep copy all give the same text back.
    const std::string text = streamer.writeText(*root);
    const std::string binary = streamer.writeBinary(*root);
    ByteReader reader(binary);
    auto fromBinary = streamer.readBinary("", reader);
    EXPECT_EQ(streamer.writeText(*fromBinary), text);
    auto copy = root->clone();
    EXPECT_EQ(streamer.writeText(*copy), text);
    for (std::size_t i = 0; i < root->children().size(); ++i)
        EXPECT_STREQ(copy->children()[i]->className(), root->children()[i]->className());
}

TEST(SecondFamily, ButtonBoxesPickTheirBitmapByStateAndFallBackToTheNormalOne) {
    BitmapList list = tiles();
    TSeButtonBitmapBoxObject o;
    o.Bitmap = tile(0);
    o.HotBitmap = tile(1);
    o.PressedBitmap = tile(2);
    o.FocusedBitmap = tile(3);
    o.DisabledBitmap = {"tiles", 0, 0, 0, 0}; // empty: not usable
    o.setBitmaps(&list);
    o.afterLoad();
    EXPECT_EQ(drawnAs(o, state::Normal), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(o, state::Hot), QColor(0, 255, 0));
    EXPECT_EQ(drawnAs(o, state::Pressed), QColor(0, 0, 255));
    EXPECT_EQ(drawnAs(o, state::Focused), QColor(255, 255, 0));
    EXPECT_EQ(drawnAs(o, state::Disabled), QColor(255, 0, 0));
}

TEST(SecondFamily, SystemFormAndFocusBoxesUseTheirOtherBitmaps) {
    BitmapList list = tiles();
    TSeSysButtonSkinObject sys;
    sys.Bitmap = tile(0);
    sys.BitmapHover = tile(1);
    sys.BitmapDown = tile(2);
    sys.setBitmaps(&list);
    sys.afterLoad();
    EXPECT_EQ(drawnAs(sys, state::Normal), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(sys, state::Hot), QColor(0, 255, 0));
    EXPECT_EQ(drawnAs(sys, state::Pressed), QColor(0, 0, 255));

    TSeFormBitmapSkinObject form;
    form.Bitmap = tile(0);
    form.InactiveBitmap = tile(4);
    form.setBitmaps(&list);
    form.afterLoad();
    EXPECT_EQ(drawnAs(form, state::Normal, true), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(form, state::Normal, false), QColor(0, 255, 255));

    TSeActiveBitmapBoxObject focus;
    focus.Bitmap = tile(0);
    focus.FocusedBitmap = tile(3);
    focus.setBitmaps(&list);
    focus.afterLoad();
    EXPECT_EQ(drawnAs(focus, state::Normal), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(focus, state::Focused), QColor(255, 255, 0));
    EXPECT_EQ(drawnAs(focus, state::Normal, true), QColor(255, 255, 0));

    // An unresolved link draws nothing at all.
    TSeBitmapSkinObject missing;
    missing.Bitmap = {"nowhere", 0, 0, 3, 3};
    missing.setBitmaps(&list);
    missing.afterLoad();
    EXPECT_EQ(drawnAs(missing, state::Normal), QColor(1, 2, 3));
}

TEST(SecondFamily, ColourObjectsFillAndWriteInTheStatesColoursAndShiftThem) {
    TSeColorButtonObject o;
    o.Color = rgbColor(255, 0, 0);
    o.HotColor = rgbColor(0, 255, 0);
    o.PressedColor = rgbColor(0, 0, 255);
    o.FocusedColor = rgbColor(255, 255, 0);
    o.DisabledColor = rgbColor(128, 128, 128);
    o.HotFont.Height = -20;
    EXPECT_EQ(drawnAs(o, state::Normal), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(o, state::Hot), QColor(0, 255, 0));
    EXPECT_EQ(o.GetFont().Height, -20);
    EXPECT_EQ(drawnAs(o, state::Pressed), QColor(0, 0, 255));
    EXPECT_EQ(drawnAs(o, state::Focused), QColor(255, 255, 0));
    EXPECT_EQ(drawnAs(o, state::Disabled), QColor(128, 128, 128));
    o.shiftHue(85);
    EXPECT_EQ(o.Color, rgbColor(0, 255, 0));
    EXPECT_EQ(o.HotColor, rgbColor(0, 0, 255));
    EXPECT_EQ(o.DisabledColor, rgbColor(128, 128, 128));

    TSeActiveSkinObject a;
    a.Color = rgbColor(255, 0, 0);
    a.ActiveColor = rgbColor(0, 0, 255);
    EXPECT_EQ(drawnAs(a, state::Normal), QColor(255, 0, 0));
    EXPECT_EQ(drawnAs(a, state::Normal, true), QColor(0, 0, 255));
    EXPECT_EQ(drawnAs(a, state::Hot), QColor(0, 0, 255));
    a.shiftHue(85);
    EXPECT_EQ(a.ActiveColor, rgbColor(255, 0, 0));
}
