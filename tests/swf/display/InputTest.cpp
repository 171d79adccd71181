// Buttons, clips acting as buttons, keys, focus and dragging, driven through the stage the
// way the control drives it.

#include "swf/Player.h"
#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "tests/swf/display/FakeScriptHost.h"
#include "tests/swf/display/MovieBuilder.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace testsupport;
namespace cond = swf::buttoncond;

namespace {

// Shapes 1 red, 2 green, 3 blue (10x10 px); button 20 shows them as up, over and down, with
// the red square as its hit area, scaled to 50x50 px at the stage's corner.
std::shared_ptr<swf::Movie> buttonMovie(bool menu = false) {
    SwfWriter w(100, 100, 12);
    w.defineRectShape(1, QRect(0, 0, 10, 10), Qt::red);
    w.defineRectShape(2, QRect(0, 0, 10, 10), Qt::green);
    w.defineRectShape(3, QRect(0, 0, 10, 10), Qt::blue);
    w.showFrame();
    auto movie = swf::loadMovie(w.finish()).value();
    auto button = std::make_shared<swf::ButtonCharacter>(20);
    const std::pair<uint8_t, uint16_t> states[] = {{swf::buttonstate::Up, 1},
                                                   {swf::buttonstate::Over, 2},
                                                   {swf::buttonstate::Down, 3},
                                                   {swf::buttonstate::HitTest, 1}};
    for (auto [state, id] : states)
        button->records().push_back({state, placement(1, id)});
    button->actions().push_back({uint16_t('a' << 9), "trace:key a"});
    button->setTrackAsMenu(menu);
    movie->define(button);
    swf::PlaceCommand place = placement(1, 20, "btn");
    place.matrix = QTransform::fromScale(5, 5);
    rootFrame(*movie, 0).commands.emplace_back(place);
    return movie;
}

struct Rig {
    std::unique_ptr<swf::Player> player;
    FakeScriptHost* script = nullptr;

    explicit Rig(std::shared_ptr<swf::Movie> movie) {
        player = std::make_unique<swf::Player>(movie, [this](swf::Stage& s) {
            auto host = std::make_unique<FakeScriptHost>(s);
            script = host.get();
            return host;
        });
        script->log.clear();
    }
    swf::Stage& stage() { return *player->stage(); }
    static QPointF px(double x, double y) { return QPointF(x * 20, y * 20); }
    QStringList buttonLog() const { return script->log.filter(" button "); }
    QColor pixel(int x, int y) {
        QImage img(100, 100, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&img);
        swf::RenderOptions o;
        o.quality = swf::RenderQuality::Low;
        player->render(painter, QRectF(0, 0, 100, 100), o);
        painter.end();
        return img.pixelColor(x, y);
    }
};

QString line(const char* who, uint16_t condition, int key = 0) {
    return QStringLiteral("%1 button %2 %3").arg(who).arg(condition).arg(key);
}

} // namespace

TEST(ButtonInput, RollOverPressReleaseAndRollOutWithTheirStatesAndTheHand) {
    Rig r(buttonMovie());
    auto* btn = r.stage().root().childByName("btn", true)->asButton();
    ASSERT_NE(btn, nullptr);
    EXPECT_EQ(r.pixel(20, 20), QColor(Qt::red));
    r.stage().mouseMove(Rig::px(80, 80));
    EXPECT_EQ(r.stage().cursor(), swf::Stage::Cursor::Arrow);
    r.stage().mouseMove(Rig::px(20, 20));
    EXPECT_EQ(r.stage().cursor(), swf::Stage::Cursor::Hand);
    EXPECT_EQ(btn->state(), swf::Button::State::Over);
    EXPECT_EQ(r.pixel(20, 20), QColor(Qt::green));
    r.stage().mouseDown(Rig::px(20, 20));
    EXPECT_EQ(r.pixel(20, 20), QColor(Qt::blue));
    r.stage().mouseUp(Rig::px(20, 20));
    r.stage().mouseMove(Rig::px(80, 80));
    EXPECT_EQ(r.buttonLog(),
              (QStringList{line("btn", cond::IdleToOverUp), line("btn", cond::OverUpToOverDown),
                           line("btn", cond::OverDownToOverUp), line("btn", cond::OverUpToIdle)}));
    EXPECT_EQ(r.pixel(20, 20), QColor(Qt::red));
    btn->setUseHandCursor(false);
    r.stage().mouseMove(Rig::px(20, 20));
    EXPECT_EQ(r.stage().cursor(), swf::Stage::Cursor::Arrow);
}

TEST(ButtonInput, DragOutDragOverAndReleaseOutside) {
    Rig r(buttonMovie());
    r.stage().mouseMove(Rig::px(20, 20));
    r.stage().mouseDown(Rig::px(20, 20));
    r.stage().mouseMove(Rig::px(80, 80));
    r.stage().mouseMove(Rig::px(30, 30));
    r.stage().mouseMove(Rig::px(90, 90));
    r.stage().mouseUp(Rig::px(90, 90));
    EXPECT_EQ(
        r.buttonLog(),
        (QStringList{line("btn", cond::IdleToOverUp), line("btn", cond::OverUpToOverDown),
                     line("btn", cond::OverDownToOutDown), line("btn", cond::OutDownToOverDown),
                     line("btn", cond::OverDownToOutDown), line("btn", cond::OutDownToIdle)}));
    // A press that started elsewhere does not roll over an ordinary button ...
    r.script->log.clear();
    r.stage().mouseDown(Rig::px(90, 90));
    r.stage().mouseMove(Rig::px(20, 20));
    r.stage().mouseUp(Rig::px(20, 20));
    EXPECT_EQ(r.buttonLog(), (QStringList{line("btn", cond::IdleToOverUp)}));
}

TEST(ButtonInput, MenuButtonsTakeAPressThatStartedElsewhere) {
    Rig r(buttonMovie(true));
    r.stage().mouseDown(Rig::px(90, 90));
    r.stage().mouseMove(Rig::px(20, 20));
    r.stage().mouseUp(Rig::px(20, 20));
    EXPECT_EQ(r.buttonLog(), (QStringList{line("btn", cond::IdleToOverDown),
                                          line("btn", cond::OverDownToOverUp)}));
}

TEST(ButtonInput, DisabledAndHiddenButtonsIgnoreTheMouse) {
    Rig r(buttonMovie());
    auto* btn = r.stage().root().childByName("btn", true);
    btn->setEnabled(false);
    r.stage().mouseMove(Rig::px(20, 20));
    r.stage().mouseDown(Rig::px(20, 20));
    r.stage().mouseUp(Rig::px(20, 20));
    EXPECT_TRUE(r.buttonLog().isEmpty());
    EXPECT_EQ(r.stage().cursor(), swf::Stage::Cursor::Arrow);
    btn->setEnabled(true);
    btn->setVisible(false);
    r.stage().mouseMove(Rig::px(21, 21));
    EXPECT_TRUE(r.buttonLog().isEmpty());
}

TEST(ButtonInput, KeyConditionsAndEnterOnTheFocusedButton) {
    Rig r(buttonMovie());
    r.stage().keyDown(65, 'a');
    r.stage().keyUp(65, 'a');
    EXPECT_EQ(r.buttonLog(), (QStringList{line("btn", 0, 'a')}));
    EXPECT_TRUE(r.stage().isKeyDown(65) == false);
    r.script->log.clear();
    r.stage().keyDown(9, 0); // Tab gives the only button the focus
    EXPECT_EQ(r.stage().focus(), r.stage().root().childByName("btn", true));
    r.stage().keyDown(13, 13);
    EXPECT_TRUE(r.buttonLog().contains(line("btn", cond::OverDownToOverUp)));
}

TEST(ButtonInput, ClipsWithButtonHandlersActAsButtonsForEverythingInsideThem) {
    auto movie = buttonMovie();
    Rig r(movie);
    r.script->buttonClips = {"clip"};
    swf::MovieClip* clip = r.stage().root().createEmptyMovieClip("clip", 3).value();
    clip->drawing().beginFill(Qt::black);
    clip->drawing().moveTo(1200, 1200);
    clip->drawing().lineTo(1800, 1200);
    clip->drawing().lineTo(1800, 1800);
    clip->drawing().lineTo(1200, 1800);
    clip->drawing().endFill();
    r.stage().mouseMove(Rig::px(75, 75));
    EXPECT_EQ(r.stage().cursor(), swf::Stage::Cursor::Hand);
    r.stage().mouseDown(Rig::px(75, 75));
    r.stage().mouseUp(Rig::px(75, 75));
    EXPECT_EQ(r.buttonLog(),
              (QStringList{line("clip", cond::IdleToOverUp), line("clip", cond::OverUpToOverDown),
                           line("clip", cond::OverDownToOverUp)}));
    // Outside its drawing nothing happens, however big its bounds.
    r.script->log.clear();
    r.stage().mouseMove(Rig::px(95, 95));
    EXPECT_EQ(r.buttonLog(), (QStringList{line("clip", cond::OverUpToIdle)}));
}

TEST(ButtonInput, TabOrderFollowsTabIndexOrReadingOrder) {
    auto movie = buttonMovie();
    swf::PlaceCommand second = placement(2, 20, "second");
    second.matrix = QTransform::fromTranslate(1200, 0);
    swf::PlaceCommand third = placement(3, 20, "third");
    third.matrix = QTransform::fromTranslate(0, 1200);
    rootFrame(*movie, 0).commands.emplace_back(third);
    rootFrame(*movie, 0).commands.emplace_back(second);
    Rig r(movie);
    swf::MovieClip& root = r.stage().root();
    const auto order = [&] {
        QStringList names;
        for (auto* o : r.stage().tabOrder())
            names << o->name();
        return names;
    };
    EXPECT_EQ(order(), (QStringList{"btn", "second", "third"}));
    root.childByName("third", true)->setTabIndex(1);
    root.childByName("btn", true)->setTabIndex(2);
    EXPECT_EQ(order(), (QStringList{"third", "btn"}));
    r.stage().tabToNext(false);
    r.stage().tabToNext(false);
    EXPECT_EQ(r.stage().focus()->name(), "btn");
    r.stage().tabToNext(false); // wraps
    EXPECT_EQ(r.stage().focus()->name(), "third");
    // The keyboard's focus shows as a yellow frame just outside the button (at 0,60 10x10).
    bool framed = false;
    for (int y = 56; y < 60; ++y)
        framed = framed || r.pixel(5, y) == QColor(255, 255, 0);
    EXPECT_TRUE(framed);
    r.stage().setFocus(nullptr);
    EXPECT_FALSE(r.stage().focusRectVisible());
}

TEST(ButtonInput, DraggingFollowsTheMouseWithinItsBoundsAndNamesTheDropTarget) {
    Rig r(buttonMovie());
    swf::MovieClip& root = r.stage().root();
    swf::MovieClip* dragged = root.createEmptyMovieClip("d", 5).value();
    dragged->setX(50);
    dragged->setY(50);
    r.stage().mouseMove(Rig::px(55, 55));
    dragged->startDrag(false, QRectF(0, 0, 1400, 1400));
    r.stage().mouseMove(Rig::px(45, 60));
    EXPECT_DOUBLE_EQ(dragged->x(), 40);
    EXPECT_DOUBLE_EQ(dragged->y(), 55);
    r.stage().mouseMove(Rig::px(95, 95)); // held inside the bounds
    EXPECT_DOUBLE_EQ(dragged->x(), 70);
    EXPECT_DOUBLE_EQ(dragged->y(), 70);
    dragged->startDrag(true, std::nullopt);
    r.stage().mouseMove(Rig::px(20, 20));
    EXPECT_DOUBLE_EQ(dragged->x(), 20);
    r.stage().mouseUp(Rig::px(20, 20));
    dragged->stopDrag();
    r.stage().mouseMove(Rig::px(60, 60));
    EXPECT_DOUBLE_EQ(dragged->x(), 20);
    EXPECT_EQ(r.stage().dragged(), nullptr);
}

TEST(ButtonInput, MouseAndKeyClipEventsReachEveryClip) {
    auto movie = buttonMovie();
    defineSprite(*movie, 30, 1);
    rootFrame(*movie, 0).commands.emplace_back(placement(4, 30, "listener"));
    Rig r(movie);
    r.script->loggedEvents = swf::clipevent::MouseDown | swf::clipevent::KeyDown;
    r.stage().mouseDown(Rig::px(90, 90));
    r.stage().keyDown(37, 0);
    EXPECT_TRUE(r.script->log.contains("listener mouseDown"));
    EXPECT_TRUE(r.script->log.contains("_root mouseDown"));
    EXPECT_TRUE(r.script->log.contains("listener keyDown(37)"));
    EXPECT_TRUE(r.stage().isKeyDown(37));
    EXPECT_EQ(r.stage().lastKeyCode(), 37);
}
