// Status panels beyond text: controls kept inside them, panels giving way when the bar is too
// narrow and taking the spare width, the bar's bevels and the panel class hook.

#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

#include "skin/controls/TSeSkinStatusBar.h"

using namespace skin;

namespace {

struct Bar {
    TSeSkinStatusBar bar;
    explicit Bar(std::initializer_list<int> widths, int barWidth = 400) {
        bar.setSizeGrip(false);
        bar.resize(barWidth, 20);
        for (int w : widths)
            bar.Panels().Add().setWidth(w);
    }
};

// A panel class of the owner's, with a field of its own.
class NotePanel : public TSeStatusPanel {
public:
    explicit NotePanel(TSeSkinStatusBar* bar) : TSeStatusPanel(bar) {}
    QString note = QStringLiteral("mine");
};

} // namespace

TEST(StatusPanelLayout, PanelsOfLowViewPriorityGiveWayFirst) {
    Bar b({100, 200, 100});
    b.bar.Panels()[0].setViewPriority(50);
    b.bar.Panels()[2].setViewPriority(20);
    EXPECT_EQ(b.bar.panelRect(2), QRect(300, 0, 100, 20));
    b.bar.resize(350, 20);
    // The least wanted goes; the others keep their places.
    EXPECT_TRUE(b.bar.panelRect(2).isEmpty());
    EXPECT_EQ(b.bar.panelRect(0), QRect(0, 0, 100, 20));
    EXPECT_EQ(b.bar.panelRect(1), QRect(100, 0, 200, 20));
    b.bar.resize(250, 20);
    EXPECT_TRUE(b.bar.panelRect(0).isEmpty());
    EXPECT_EQ(b.bar.panelRect(1), QRect(0, 0, 200, 20));
    // Priority 100 never gives way, even when it does not fit.
    b.bar.resize(100, 20);
    EXPECT_EQ(b.bar.panelRect(1), QRect(0, 0, 200, 20));
    EXPECT_EQ(b.bar.panelAt(QPoint(50, 5)), 1);
    // Values are percentages.
    b.bar.Panels()[0].setViewPriority(250);
    EXPECT_EQ(b.bar.Panels()[0].ViewPriority(), 100);
    b.bar.Panels()[0].setViewPriority(-3);
    EXPECT_EQ(b.bar.Panels()[0].ViewPriority(), 0);
}

TEST(StatusPanelLayout, SpareWidthGoesByStretchPriority) {
    Bar b({100, 100, 50}, 450);
    EXPECT_EQ(b.bar.panelRect(2).right(), 249); // nothing stretches by default
    b.bar.Panels()[1].setStretchPriority(100);
    EXPECT_EQ(b.bar.panelRect(1), QRect(100, 0, 300, 20));
    EXPECT_EQ(b.bar.panelRect(2), QRect(400, 0, 50, 20));
    b.bar.Panels()[1].setStretchPriority(50);
    b.bar.Panels()[2].setStretchPriority(25);
    EXPECT_EQ(b.bar.panelRect(1).width(), 200);
    EXPECT_EQ(b.bar.panelRect(2).width(), 100);
    // Shares beyond the whole are scaled down together.
    b.bar.Panels()[1].setStretchPriority(100);
    b.bar.Panels()[2].setStretchPriority(100);
    EXPECT_EQ(b.bar.panelRect(1).width(), 200);
    EXPECT_EQ(b.bar.panelRect(2).width(), 150);
    EXPECT_EQ(b.bar.panelRect(2).right(), 449);
}

TEST(StatusPanelControl, AControlLivesInsideItsPanelAndHidesWithIt) {
    Bar b({100, 200}, 300);
    auto* label = new QLabel(QStringLiteral("50%"));
    b.bar.Panels()[1].setControl(label);
    EXPECT_EQ(label->parentWidget(), &b.bar);
    EXPECT_EQ(label->geometry(), QRect(101, 1, 198, 18));
    b.bar.Panels()[1].setFramed(false);
    b.bar.Panels()[0].setWidth(50);
    EXPECT_EQ(label->geometry(), QRect(50, 0, 200, 20));
    b.bar.show();
    EXPECT_TRUE(label->isVisible());
    b.bar.Panels()[1].setViewPriority(10);
    b.bar.resize(120, 20);
    EXPECT_FALSE(label->isVisible());
    b.bar.resize(400, 20);
    EXPECT_TRUE(label->isVisible());
    // Stays clear of the size grip.
    b.bar.setSizeGrip(true);
    b.bar.Panels()[1].setStretchPriority(100);
    EXPECT_LT(label->geometry().right(), b.bar.gripRect().left());
    // A control deleted by its owner is forgotten.
    delete label;
    EXPECT_EQ(b.bar.Panels()[1].Control(), nullptr);
    b.bar.resize(300, 20);
}

TEST(StatusBarBevel, EdgesTakeRoomAndDrawInTheirKind) {
    Bar b({50}, 100);
    EXPECT_EQ(b.bar.contentRect(), b.bar.rect()); // bkNone: no bevel at all
    b.bar.setBevelKind(TSeBevelKind::bkTile);
    EXPECT_EQ(b.bar.contentRect(), QRect(2, 2, 96, 16));
    EXPECT_EQ(b.bar.panelRect(0), QRect(2, 2, 50, 16));
    b.bar.setBevelSides(beTop | beBottom);
    EXPECT_EQ(b.bar.contentRect(), QRect(0, 2, 100, 16));
    b.bar.setBevelInner(TSeBevelCut::bvNone);
    EXPECT_EQ(b.bar.contentRect(), QRect(0, 1, 100, 18));
    b.bar.setBevelSides(beLeft | beTop | beRight | beBottom);
    b.bar.setBevelOuter(TSeBevelCut::bvRaised);
    QImage raised = b.bar.grab().toImage();
    const QRgb light = b.bar.palette().color(QPalette::Light).rgb();
    const QRgb dark = b.bar.palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(raised.pixelColor(50, 0).rgb(), light);
    EXPECT_EQ(raised.pixelColor(50, 19).rgb(), dark);
    b.bar.setBevelOuter(TSeBevelCut::bvLowered);
    QImage lowered = b.bar.grab().toImage();
    EXPECT_EQ(lowered.pixelColor(50, 0).rgb(), dark);
    EXPECT_EQ(lowered.pixelColor(50, 19).rgb(), light);
    b.bar.setBevelKind(TSeBevelKind::bkFlat);
    QImage flat = b.bar.grab().toImage();
    EXPECT_EQ(flat.pixelColor(50, 0).rgb(), dark);
    EXPECT_EQ(flat.pixelColor(50, 19).rgb(), dark);
}

TEST(StatusBarPanelClass, OnCreatePanelClassChoosesWhatAddMakes) {
    TSeSkinStatusBar bar;
    int asked = 0;
    bar.OnCreatePanelClass = [&](TSeSkinStatusBar* sender,
                                 TSeSkinStatusBar::PanelClass& panelClass) {
        EXPECT_EQ(sender, &bar);
        ++asked;
        panelClass = [](TSeSkinStatusBar* owner) { return std::make_unique<NotePanel>(owner); };
    };
    TSeStatusPanel& made = bar.Panels().Add();
    EXPECT_EQ(asked, 1);
    auto* note = dynamic_cast<NotePanel*>(&made);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->note, QStringLiteral("mine"));
    made.setText(QStringLiteral("x"));
    EXPECT_EQ(bar.Panels()[0].Text(), QStringLiteral("x"));
    // A hook that makes nothing gets the plain panel.
    bar.OnCreatePanelClass = [](TSeSkinStatusBar*, TSeSkinStatusBar::PanelClass& panelClass) {
        panelClass = nullptr;
    };
    TSeStatusPanel& plain = bar.Panels().Add();
    EXPECT_EQ(dynamic_cast<NotePanel*>(&plain), nullptr);
    EXPECT_EQ(bar.Panels().Count(), 2);
}
