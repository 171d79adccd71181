// Rolling panels inside an edge-aligned parent: heights, the order of the roll events, the
// caption button, and how the parent's other controls follow.

#include "skin/controls/TAlignLayout.h"
#include "skin/controls/TSeSkinPanel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using skin::TAlign;
using skin::TAlignLayout;
using skin::TSeSkinPanel;

namespace {

class Panels : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(181, 400);
        layout = new TAlignLayout(&host);
        bottom = new TSeSkinPanel(&host);
        bottom->resize(181, 123);
        bottom->setNormalHeight(123);
        layout->addControl(bottom, TAlign::alBottom);
        fill = new TSeSkinPanel(&host);
        layout->addControl(fill, TAlign::alClient);
        host.show();
    }

    void clickButton(TSeSkinPanel* panel) {
        const QPoint at = panel->buttonRect().center();
        QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, at);
    }

    QWidget host;
    TAlignLayout* layout = nullptr;
    TSeSkinPanel* bottom = nullptr;
    TSeSkinPanel* fill = nullptr;
};

} // namespace

TEST_F(Panels, AlignedControlsShareTheParent) {
    EXPECT_EQ(bottom->geometry(), QRect(0, 400 - 123, 181, 123));
    EXPECT_EQ(fill->geometry(), QRect(0, 0, 181, 400 - 123));
    host.resize(200, 300);
    EXPECT_EQ(bottom->geometry(), QRect(0, 300 - 123, 200, 123));
    EXPECT_EQ(fill->geometry(), QRect(0, 0, 200, 300 - 123));
}

TEST_F(Panels, RollingUpShrinksToTheCaptionBarAndTheNeighbourFollows) {
    bottom->setAnimateRoll(true);
    std::vector<int> steps;
    QObject watcher;
    struct Filter : QObject {
        std::vector<int>* steps;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Resize)
                steps->push_back(static_cast<QWidget*>(o)->height());
            return false;
        }
    } filter;
    filter.steps = &steps;
    bottom->installEventFilter(&filter);
    clickButton(bottom);
    EXPECT_TRUE(bottom->Rolled());
    EXPECT_EQ(bottom->height(), 22);
    EXPECT_EQ(bottom->RolledHeight(), 22);
    EXPECT_EQ(bottom->NormalHeight(), 123);
    EXPECT_EQ(fill->geometry(), QRect(0, 0, 181, 400 - 22));
    // The animation went down in steps of four pixels.
    ASSERT_GE(steps.size(), 20u);
    for (std::size_t i = 0; i + 1 < steps.size(); ++i)
        EXPECT_EQ(steps[i] % 4, 0) << "step " << i << " height " << steps[i];
    EXPECT_EQ(steps.back(), 22);

    steps.clear();
    clickButton(bottom);
    EXPECT_FALSE(bottom->Rolled());
    EXPECT_EQ(bottom->height(), 123);
    EXPECT_EQ(fill->height(), 400 - 123);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 123);
}

TEST_F(Panels, BeforeRollComesFirstInBothDirectionsAlsoFromCode) {
    std::vector<std::string> events;
    bottom->OnBeforeRoll = [&](QObject* sender) {
        EXPECT_EQ(sender, bottom);
        events.push_back("before rolled=" + std::to_string(bottom->Rolled()) +
                         " height=" + std::to_string(bottom->height()));
    };
    bottom->OnRollup = [&](QObject*) {
        events.push_back("rollup rolled=" + std::to_string(bottom->Rolled()));
    };
    bottom->OnButtonClick = [&](QObject*) { events.push_back("button"); };
    bottom->setRolled(true);
    bottom->setRolled(true); // already rolled: nothing
    clickButton(bottom);
    EXPECT_EQ(events,
              (std::vector<std::string>{"before rolled=0 height=123", "rollup rolled=1",
                                        "before rolled=1 height=22", "rollup rolled=0", "button"}));
}

TEST_F(Panels, APanelRolledAtLoadUnrollsToItsStoredHeight) {
    auto* loaded = new TSeSkinPanel(&host);
    loaded->resize(181, 214);
    loaded->setNormalHeight(214);
    loaded->loadRolled(true);
    layout->insertControl(0, loaded, TAlign::alBottom);
    int before = 0;
    loaded->OnBeforeRoll = [&](QObject*) { ++before; };
    EXPECT_EQ(loaded->height(), 22);
    EXPECT_EQ(before, 0);
    // Stacked below the other bottom panel: it was added in front of it.
    EXPECT_EQ(loaded->geometry(), QRect(0, 400 - 22, 181, 22));
    EXPECT_EQ(bottom->y(), 400 - 22 - 123);
    clickButton(loaded);
    EXPECT_EQ(loaded->height(), 214);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(fill->height(), 400 - 214 - 123);
}

TEST_F(Panels, WithoutButtonTheCaptionBarDoesNothing) {
    bottom->setShowButton(false);
    EXPECT_TRUE(bottom->buttonRect().isEmpty());
    QTest::mouseClick(bottom, Qt::LeftButton, Qt::NoModifier, QPoint(170, 10));
    EXPECT_FALSE(bottom->Rolled());
    bottom->setShowButton(true);
    bottom->setShowCaption(false);
    EXPECT_TRUE(bottom->buttonRect().isEmpty());
}

TEST_F(Panels, ButtonIsTheInsetSquareAtTheCaptionBarsRightEnd) {
    // Caption bar 20 high inside a bevel of 1: the square 20 x 20 inset by 2.
    EXPECT_EQ(bottom->captionRect(), QRect(1, 1, 179, 20));
    EXPECT_EQ(bottom->buttonRect(), QRect(160 + 2, 1 + 2, 16, 16));
}

TEST_F(Panels, PressingAndLeavingTheButtonDoesNotRoll) {
    const QPoint on = bottom->buttonRect().center();
    QTest::mousePress(bottom, Qt::LeftButton, Qt::NoModifier, on);
    EXPECT_TRUE(bottom->isButtonPressed());
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), bottom->mapToGlobal(QPointF(10, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bottom, &move);
    EXPECT_FALSE(bottom->isButtonPressed());
    QTest::mouseRelease(bottom, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(bottom->Rolled());
}

TEST_F(Panels, HideButtonHidesThePanel) {
    bottom->setButtonKind(skin::TSePanelButtonKind::pbkHide);
    int hidden = 0, clicked = 0;
    bottom->OnHide = [&](QObject*) { ++hidden; };
    bottom->OnButtonClick = [&](QObject*) {
        EXPECT_EQ(hidden, 1);
        ++clicked;
    };
    clickButton(bottom);
    EXPECT_TRUE(bottom->isHidden());
    EXPECT_EQ(clicked, 1);
    EXPECT_FALSE(bottom->Rolled());
    // The neighbour takes the freed space at once.
    EXPECT_EQ(fill->height(), 400);
}

TEST_F(Panels, ParentRollCarriesTheParent) {
    QWidget outer;
    outer.resize(100, 300);
    auto* holder = new QWidget(&outer);
    holder->resize(100, 150);
    auto* panel = new TSeSkinPanel(holder);
    panel->resize(100, 150);
    panel->setParentRoll(true);
    panel->setRolled(true);
    EXPECT_EQ(holder->height(), 22);
    panel->setRolled(false);
    EXPECT_EQ(holder->height(), 150);
}
