// Caption buttons: visibility by window state and border icons, mouse handling and actions,
// and the state-dependent images.
#include <gtest/gtest.h>

#include "ModelFixtures.h"
#include "skin/model/SkinHost.h"
#include "skin/model/TSeSystemButton.h"

using namespace skin;

namespace {

class RecordingHost : public SkinHost {
public:
    TSeBorderIcons icons{kAllBorderIcons};
    std::vector<TSeAction> actions;
    int invalidations{0};
    int hints{0};

    void skinInvalidate(TSeSkinObject&) override { ++invalidations; }
    TSeBorderIcons skinBorderIcons() const override { return icons; }
    void skinPerformAction(TSeAction a, TSeSystemButton&) override { actions.push_back(a); }
    void skinShowHint(TSeSystemButton&, QPoint) override { ++hints; }
};

std::unique_ptr<TSeSystemButton> button(TSeAction a) {
    auto b = std::make_unique<TSeSystemButton>();
    b->Action = a;
    b->setStoredBounds(0, 0, 16, 16);
    return b;
}

} // namespace

TEST(SystemButton, WindowStatesHideTheButtonsThatDoNotApply) {
    using A = TSeAction;
    const std::pair<std::uint8_t, std::vector<A>> hiddenIn[] = {
        {state::Normal, {A::sbaRestore, A::sbaRollDown}},
        {state::Maximized, {A::sbaMaximize, A::sbaRollDown}},
        {state::Minimized, {A::sbaMinimize, A::sbaMaximize, A::sbaRollUp, A::sbaRollDown}},
        {state::RolledUp, {A::sbaRestore, A::sbaRollUp}},
        {state::Hot, {}},
    };
    const A all[] = {A::sbaClose,  A::sbaHelp,     A::sbaMinimize, A::sbaMaximize, A::sbaRestore,
                     A::sbaRollUp, A::sbaRollDown, A::sbaTray,     A::sbaSysMenu,  A::sbaCustom};
    for (const auto& [windowState, hidden] : hiddenIn) {
        for (A a : all) {
            auto b = button(a);
            b->setVisible(false);
            b->setState(windowState);
            const bool shouldHide = std::find(hidden.begin(), hidden.end(), a) != hidden.end();
            EXPECT_EQ(b->visible(), !shouldHide) << int(windowState) << " " << int(a);
        }
    }
}

TEST(SystemButton, MissingBorderIconsHideTheirButtons) {
    RecordingHost host;
    host.icons = TSeBorderIcons(TSeBorderIcon::kbiClose) | TSeBorderIcons(TSeBorderIcon::kbiTray);
    auto close = button(TSeAction::sbaClose);
    auto maximize = button(TSeAction::sbaMaximize);
    auto tray = button(TSeAction::sbaTray);
    auto custom = button(TSeAction::sbaCustom);
    auto help = button(TSeAction::sbaHelp);
    for (auto* b : {close.get(), maximize.get(), tray.get(), custom.get(), help.get()}) {
        b->bindTo(&host);
        b->setState(state::Normal);
    }
    EXPECT_TRUE(close->visible());
    EXPECT_FALSE(maximize->visible());
    EXPECT_TRUE(tray->visible());
    EXPECT_TRUE(custom->visible());
    EXPECT_FALSE(help->visible());
}

TEST(SystemButton, AClickPerformsTheActionOnce) {
    RecordingHost host;
    auto b = button(TSeAction::sbaMinimize);
    b->bindTo(&host);
    b->mouseEnter(Qt::NoButton);
    EXPECT_EQ(b->buttonState(), TSeSystemButton::ButtonState::Hot);
    b->mouseDown(Qt::LeftButton, 3, 3);
    EXPECT_EQ(b->buttonState(), TSeSystemButton::ButtonState::Pressed);
    b->mouseMove(Qt::LeftButton, 4, 4);
    EXPECT_EQ(host.hints, 0);
    b->mouseUp(Qt::LeftButton, 4, 4);
    EXPECT_EQ(b->buttonState(), TSeSystemButton::ButtonState::Hot);
    ASSERT_EQ(host.actions.size(), 1u);
    EXPECT_EQ(host.actions[0], TSeAction::sbaMinimize);
    EXPECT_GE(host.invalidations, 3);
    b->mouseMove(Qt::NoButton, 4, 4);
    EXPECT_EQ(host.hints, 1);
    b->mouseUp(Qt::LeftButton, 4, 4); // not pressed: nothing
    b->mouseDown(Qt::RightButton, 4, 4);
    b->mouseUp(Qt::RightButton, 4, 4);
    EXPECT_EQ(host.actions.size(), 1u);
}

TEST(SystemButton, LeavingWhilePressedAndReleasingElsewhereDoesNothing) {
    RecordingHost host;
    auto b = button(TSeAction::sbaClose);
    b->bindTo(&host);
    b->mouseEnter(Qt::NoButton);
    b->mouseDown(Qt::LeftButton, 1, 1);
    b->mouseLeave();
    EXPECT_EQ(b->buttonState(), TSeSystemButton::ButtonState::Normal);
    // Coming back with the button held shows it pressed again.
    b->mouseEnter(Qt::LeftButton);
    EXPECT_EQ(b->buttonState(), TSeSystemButton::ButtonState::Pressed);
    b->mouseLeave();
    EXPECT_TRUE(host.actions.empty());
}

TEST(SystemButton, DoubleClickingTheSystemMenuButtonCloses) {
    RecordingHost host;
    auto menu = button(TSeAction::sbaSysMenu);
    menu->bindTo(&host);
    menu->dblClick(Qt::LeftButton, 2, 2);
    auto other = button(TSeAction::sbaMaximize);
    other->bindTo(&host);
    other->dblClick(Qt::LeftButton, 2, 2);
    ASSERT_EQ(host.actions.size(), 1u);
    EXPECT_EQ(host.actions[0], TSeAction::sbaClose);
    // Roll-panel and none buttons have nothing to do.
    auto none = button(TSeAction::sbaRollPanel);
    none->bindTo(&host);
    none->mouseDown(Qt::LeftButton, 1, 1);
    none->mouseUp(Qt::LeftButton, 1, 1);
    EXPECT_EQ(host.actions.size(), 1u);
}

TEST(SystemButton, DrawsTheImageOfItsStateAndTheInactiveLook) {
    BitmapList bitmaps;
    const QRgb colours[] = {0xFF101010, 0xFF202020, 0xFF303030, 0xFF404040};
    auto strip = std::make_unique<TSeBitmap>("b", 16, 4);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            strip->setPixel(x, y, colours[x / 4]);
    bitmaps.push_back(std::move(strip));
    auto b = button(TSeAction::sbaClose);
    b->setStoredBounds(0, 0, 4, 4);
    b->Bitmap = {"b", 0, 0, 4, 4};
    b->ActiveBitmap = {"b", 4, 0, 8, 4};
    b->BitmapHot = {"b", 8, 0, 12, 4};
    b->BitmapPressed = {"b", 12, 0, 16, 4};
    b->setBitmaps(&bitmaps);
    b->afterLoad();
    auto at = [&] { return skintest::render(*b, 4, 4).pixel(1, 1); };
    EXPECT_EQ(at(), colours[0]); // inactive window
    b->setActive(true);
    EXPECT_EQ(at(), colours[1]);
    b->mouseEnter(Qt::NoButton);
    EXPECT_EQ(at(), colours[2]);
    b->mouseDown(Qt::LeftButton, 0, 0);
    EXPECT_EQ(at(), colours[3]);
    EXPECT_TRUE(b->active()); // restored after drawing
    b->setActive(false);
    EXPECT_EQ(at(), colours[0]);
    // Without a usable hot image the normal look stays.
    b->BitmapPressed = {"b", 0, 0, 0, 0};
    b->setActive(true);
    EXPECT_EQ(at(), colours[0]);
}

TEST(SystemButton, TheDefaultFormShowsTheRightButtonsPerState) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    auto form = s.formObject()->clone();
    form->setState(state::Normal);
    EXPECT_TRUE(form->findObject("Maximize")->visible());
    EXPECT_FALSE(form->findObject("Restore")->visible());
    EXPECT_FALSE(form->findObject("RollDown")->visible());
    form->setState(state::Maximized);
    EXPECT_FALSE(form->findObject("Maximize")->visible());
    EXPECT_TRUE(form->findObject("Restore")->visible());
    form->setState(state::RolledUp);
    EXPECT_TRUE(form->findObject("RollDown")->visible());
    EXPECT_FALSE(form->findObject("RollUp")->visible());
}
