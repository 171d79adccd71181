// Speed buttons: clicks, latching groups, AllowAllUp and the chevron.

#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinToolBar.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

using skin::TSeSkinSpeedButton;

TEST(SpeedButton, ClickRunsOnClickOnlyWhenReleasedInside) {
    QWidget host;
    auto* b = new TSeSkinSpeedButton(&host);
    host.show();
    int clicks = 0;
    b->OnClick = [&](QObject* sender) {
        EXPECT_EQ(sender, b);
        ++clicks;
    };
    EXPECT_EQ(b->size(), QSize(29, 29));
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsUp);
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsPressed);
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsUp);
    b->setEnabled(false);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}

TEST(SpeedButton, GroupedButtonsLatchOneAtATime) {
    QWidget host;
    auto* a = new TSeSkinSpeedButton(&host);
    auto* b = new TSeSkinSpeedButton(&host);
    auto* other = new TSeSkinSpeedButton(&host);
    b->move(30, 0);
    other->move(60, 0);
    a->setGroupIndex(1);
    b->setGroupIndex(1);
    other->setGroupIndex(2);
    other->setDown(true);
    host.show();
    QTest::mouseClick(a, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->state(), TSeSkinSpeedButton::bsLatched);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->state(), TSeSkinSpeedButton::bsUp);
    // Another group is not touched.
    EXPECT_TRUE(other->Down());
    // A latched button clicked again stays latched without AllowAllUp...
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsLatched);
    // ...and goes up with it; going down passes AllowAllUp to the group.
    a->setAllowAllUp(true);
    a->setDown(true);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_FALSE(b->Down());
    QTest::mouseClick(a, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(a->Down());
}

TEST(SpeedButton, DownWithoutGroupFollowsTheMouse) {
    QWidget host;
    auto* b = new TSeSkinSpeedButton(&host);
    host.show();
    b->setDown(true);
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsUp);
    b->setDown(false);
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsUp);
}

TEST(SpeedButton, ChevronPressCallsItsEventAndNotTheClick) {
    QWidget host;
    auto* b = new TSeSkinSpeedButton(&host);
    b->resize(60, 25);
    b->setShowChevron(true);
    host.show();
    int clicks = 0, chevron = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    b->OnChevronClick = [&](QObject*) { ++chevron; };
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(55, 10));
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsChevronPressed);
    b->Click();
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(55, 10));
    EXPECT_EQ(chevron, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b->state(), TSeSkinSpeedButton::bsUp);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

TEST(SpeedButton, AllowTimerRepeatsWhileHeld) {
    QWidget host;
    auto* b = new TSeSkinSpeedButton(&host);
    b->setAllowTimer(true);
    host.show();
    QTest::mouseMove(b, QPoint(5, 5));
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(b, &enter);
    QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::qWait(900);
    QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // Two ticks while held, and the release's own click.
    EXPECT_GE(clicks, 2);
    const int after = clicks;
    QTest::qWait(500);
    EXPECT_EQ(clicks, after);
}

TEST(ToolBar, PlacesButtonsSideBySideInsideItsBorder) {
    skin::TSeSkinToolBar bar;
    bar.resize(500, 29);
    bar.setBorderWidth(2);
    auto* one = bar.addButton(QStringLiteral("打开文件"), QSize(91, 25));
    auto* two = bar.addButton(QStringLiteral("Internet播放"), QSize(91, 25));
    EXPECT_EQ(one->geometry(), QRect(2, 2, 91, 25));
    EXPECT_EQ(two->geometry(), QRect(93, 2, 91, 25));
    EXPECT_EQ(bar.ButtonCount(), 2);
    EXPECT_EQ(two->Caption(), QStringLiteral("Internet播放"));
}
