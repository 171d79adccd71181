// The speed button drawn through a skin engine: the face part and object state for each
// button state, flat buttons, the whole object standing in for a missing face, the chevron
// part, the caption's font from the "Text" part, and skin changes.

#include "skin/controls/TSeSkinSpeedButton.h"

#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/TSeSkinEngine.h"
#include "tests/skin/progressbar/ControlSkins.h"

using namespace controlskins;
using skin::TButtonLayout;
using skin::TSePerformance;
using skin::TSeSkinEngine;
using skin::TSeSkinSpeedButton;

namespace {

class SkinnedSpeedButton : public ::testing::Test {
protected:
    SkinnedSpeedButton() {
        plainButton = new TSeSkinSpeedButton(&plain.widget);
        button = new TSeSkinSpeedButton(&host.widget);
        for (TSeSkinSpeedButton* b : {plainButton, button})
            b->setGeometry(20, 20, 91, 25);
        plain.widget.show();
        host.widget.show();
    }
    void skinWith(const ControlSkinOptions& o = {}) {
        button->setSkinEngine(&engine);
        engine.setSkinFile(writeControlSkin(dir, QStringLiteral("s%1.kskn").arg(++files), o));
    }
    // A pixel of the face away from the caption.
    QRgb face() { return host.at(button, 3, 3); }
    void enter() {
        QEnterEvent e(QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                      button->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(button, &e);
    }
    void leave() {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(button, &e);
    }
    QTemporaryDir dir;
    int files = 0;
    TSeSkinEngine engine;
    Host plain, host;
    TSeSkinSpeedButton* plainButton;
    TSeSkinSpeedButton* button;
};

} // namespace

TEST_F(SkinnedSpeedButton, ANewButtonNamesItsObjectAndIsTransparent) {
    TSeSkinSpeedButton fresh;
    EXPECT_EQ(fresh.SkinObject(), "SpeedButton");
    EXPECT_TRUE(fresh.Transparent());
    EXPECT_EQ(fresh.Performance(), TSePerformance::kspNoBuffer);
    EXPECT_EQ(fresh.Version(), "3.2.0");
    EXPECT_EQ(fresh.size(), QSize(29, 29));
    EXPECT_EQ(fresh.Layout(), TButtonLayout::blGlyphLeft);
    EXPECT_EQ(fresh.Margin(), -1);
    EXPECT_EQ(fresh.Spacing(), 4);
}

TEST_F(SkinnedSpeedButton, WithoutItsObjectItLooksUnskinnedUntilASkinWithOneIsSet) {
    for (TSeSkinSpeedButton* b : {plainButton, button})
        b->setCaption(QStringLiteral("打开文件"));
    skinWith({.speedButton = false});
    EXPECT_FALSE(button->isSkinned());
    EXPECT_EQ(plain.area(plainButton), host.area(button));

    skinWith();
    ASSERT_TRUE(button->isSkinned());
    EXPECT_EQ(face(), rgb(sqFace));
    EXPECT_EQ(host.at(button, 90, 24), rgb(sqFace));
    EXPECT_TRUE(contains(host.area(button), kTextRgb));

    skinWith({.speedButton = false});
    EXPECT_FALSE(button->isSkinned());
    EXPECT_EQ(plain.area(plainButton), host.area(button));
}

TEST_F(SkinnedSpeedButton, ARaisedFaceShowsPressedLatchedAndDisabled) {
    skinWith();
    enter();
    // A raised button has no hot look.
    EXPECT_EQ(face(), rgb(sqFace));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->skinState(), 6);
    EXPECT_EQ(face(), rgb(sqFacePressed));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(face(), rgb(sqFace));

    button->setGroupIndex(1);
    button->setDown(true);
    EXPECT_EQ(button->state(), TSeSkinSpeedButton::bsLatched);
    EXPECT_EQ(face(), rgb(sqFaceFocused));
    button->setEnabled(false);
    EXPECT_EQ(face(), rgb(sqFaceDisabled));
}

TEST_F(SkinnedSpeedButton, AFlatFaceLightsUpUnderTheMouse) {
    button->setFlat(true);
    skinWith();
    EXPECT_EQ(face(), rgb(sqFlat));
    enter();
    EXPECT_EQ(face(), rgb(sqFlatHot));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(face(), rgb(sqFlatPressed));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(face(), rgb(sqFlatHot));

    // Latched: hot while the mouse is over it, latched once it leaves.
    button->setGroupIndex(2);
    button->setDown(true);
    EXPECT_EQ(face(), rgb(sqFlatHot));
    leave();
    EXPECT_EQ(face(), rgb(sqFlatFocused));
    button->setEnabled(false);
    EXPECT_EQ(face(), rgb(sqFlatDisabled));
}

TEST_F(SkinnedSpeedButton, WithoutFacePartsTheWholeObjectIsDrawn) {
    skinWith({.faces = false, .chevron = false});
    ASSERT_TRUE(button->isSkinned());
    EXPECT_EQ(face(), kSpeedRootRgb & 0xFFFFFF);
    button->setFlat(true);
    EXPECT_EQ(face(), kSpeedRootRgb & 0xFFFFFF);
}

TEST_F(SkinnedSpeedButton, TheChevronTakesItsOwnPartOrTheFace) {
    button->setShowChevron(true);
    skinWith();
    const QPoint chevron = button->chevronRect().center();
    EXPECT_EQ(host.at(button, chevron), kChevronRgb & 0xFFFFFF);
    EXPECT_EQ(face(), rgb(sqFace));
    // A flat button looks for "FlatChevron" and, without one, draws its face there.
    button->setFlat(true);
    EXPECT_EQ(host.at(button, chevron), rgb(sqFlat));

    button->setFlat(false);
    skinWith({.chevron = false});
    EXPECT_EQ(host.at(button, chevron), rgb(sqFace));
}

TEST_F(SkinnedSpeedButton, TheCaptionTakesTheTextPartsFontForTheState) {
    button->setCaption(QStringLiteral("WWW"));
    skinWith();
    EXPECT_TRUE(contains(host.area(button), kTextRgb));
    EXPECT_FALSE(contains(host.area(button), kTextPressedRgb));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(contains(host.area(button), kTextPressedRgb));
    EXPECT_FALSE(contains(host.area(button), kTextRgb));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    // Without a "Text" part the object's own font is used.
    skinWith({.text = false});
    EXPECT_FALSE(contains(host.area(button), kTextRgb));
    EXPECT_FALSE(contains(host.area(button), kTextPressedRgb));
}

TEST_F(SkinnedSpeedButton, TheGlyphSitsByLayoutAndMovesWhilePressed) {
    QPixmap glyph(8, 8);
    glyph.fill(QColor(0x01, 0xFE, 0x01));
    button->setGlyph(glyph);
    button->setCaption(QString());
    skinWith();
    // Alone and with the default margin the glyph is centred.
    EXPECT_EQ(button->placeContent(button->font()).glyph, QRect(41, 8, 8, 8));
    EXPECT_EQ(host.at(button, 41, 8), qRgb(0x01, 0xFE, 0x01) & 0xFFFFFF);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(host.at(button, 41, 8), rgb(sqFacePressed));
    EXPECT_EQ(host.at(button, 42, 9), qRgb(0x01, 0xFE, 0x01) & 0xFFFFFF);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));

    button->setMargin(3);
    EXPECT_EQ(button->placeContent(button->font()).glyph, QRect(3, 8, 8, 8));
    button->setLayout(TButtonLayout::blGlyphRight);
    EXPECT_EQ(button->placeContent(button->font()).glyph, QRect(80, 8, 8, 8));
    button->setLayout(TButtonLayout::blGlyphTop);
    EXPECT_EQ(button->placeContent(button->font()).glyph, QRect(41, 3, 8, 8));
    button->setLayout(TButtonLayout::blGlyphBottom);
    EXPECT_EQ(button->placeContent(button->font()).glyph, QRect(41, 14, 8, 8));

    // With a caption, the caption follows the glyph at the spacing.
    button->setLayout(TButtonLayout::blGlyphLeft);
    button->setCaption(QStringLiteral("Go"));
    const auto place = button->placeContent(button->font());
    EXPECT_EQ(place.glyph.left(), 3);
    EXPECT_EQ(place.text.left(), 3 + 8 + 4);
}

TEST_F(SkinnedSpeedButton, GroupedButtonsStillLatchOneAtATimeWhileSkinned) {
    auto* second = new TSeSkinSpeedButton(&host.widget);
    second->setGeometry(120, 20, 91, 25);
    second->setSkinEngine(&engine);
    second->show();
    for (TSeSkinSpeedButton* b : {button, second})
        b->setGroupIndex(3);
    skinWith();
    ASSERT_TRUE(second->isSkinned());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(button->Down());
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(button->Down());
    EXPECT_EQ(face(), rgb(sqFace));
    // Clicking the latched button again leaves it latched.
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    EXPECT_EQ(second->state(), TSeSkinSpeedButton::bsLatched);
    EXPECT_EQ(host.at(second, 3, 3), rgb(sqFaceFocused));
}

TEST_F(SkinnedSpeedButton, AnEngineThatGoesAwayLeavesTheDefaultLook) {
    auto owned = std::make_unique<TSeSkinEngine>();
    button->setSkinEngine(owned.get());
    owned->setSkinFile(writeControlSkin(dir, QStringLiteral("gone.kskn")));
    ASSERT_TRUE(button->isSkinned());
    owned.reset();
    EXPECT_EQ(button->SkinEngine(), nullptr);
    EXPECT_EQ(plain.area(plainButton), host.area(button));
}

TEST_F(SkinnedSpeedButton, ARetintedSkinReachesTheButtonAndABackShiftRestoresIt) {
    skinWith();
    ASSERT_EQ(face(), rgb(sqFace));
    engine.setDeltaHue(60);
    ASSERT_TRUE(button->isSkinned());
    const QRgb tinted = face();
    EXPECT_NE(tinted, rgb(sqFace));
    // Same lightness, other hue.
    EXPECT_NEAR(QColor(tinted).lightness(), QColor(rgb(sqFace)).lightness(), 2);
    engine.setDeltaHue(0);
    const QColor back(face());
    const QColor original(rgb(sqFace));
    EXPECT_NEAR(back.red(), original.red(), 2);
    EXPECT_NEAR(back.green(), original.green(), 2);
    EXPECT_NEAR(back.blue(), original.blue(), 2);
}
