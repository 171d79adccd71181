// The rolling panel drawn through a skin engine: its default look where the skin has no
// "Panel", its skinned frame, caption and button parts, the caption height and transparency
// it takes from the skin, and buffered painting.

#include "skin/controls/TSeSkinPanel.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/controls/TAlignLayout.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"
#include "tests/skin/engine/EngineFixtures.h"

using namespace enginetest;
using skin::TSeBlending;
using skin::TSePanelButtonKind;
using skin::TSePerformance;
using skin::TSeSkinEngine;
using skin::TSeSkinPanel;

namespace {

// A window holding one panel at a fixed place, painted the same way every time.
struct PanelWindow {
    QWidget host;
    TSeSkinPanel* panel;

    explicit PanelWindow(const QString& caption = QStringLiteral("Playlist")) {
        host.resize(200, 180);
        QPalette pal = host.palette();
        pal.setColor(QPalette::Window, QColor(0xF0, 0xE8, 0xD0));
        host.setPalette(pal);
        host.setAutoFillBackground(true);
        panel = new TSeSkinPanel(&host);
        panel->setGeometry(10, 10, 150, 120);
        panel->setCaption(caption);
        host.show();
    }
    QImage picture() { return host.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // A pixel of the panel, in the panel's own coordinates.
    QRgb at(QPoint p) { return picture().pixel(panel->mapTo(&host, p)) & 0xFFFFFF; }
    QRgb at(int x, int y) { return at(QPoint(x, y)); }
};

QRgb rgb(std::uint32_t pixel) {
    return rgbOf(pixel) & 0xFFFFFF;
}

class SkinnedPanel : public ::testing::Test {
protected:
    QString skinFile(const char* name, const PanelSkinOptions& o = {}) {
        return writeSkin(dir, name, o);
    }
    QTemporaryDir dir;
    TSeSkinEngine engine;
};

} // namespace

TEST_F(SkinnedPanel, NamesThePanelObjectAndStartsUnskinned) {
    TSeSkinPanel panel;
    EXPECT_EQ(panel.SkinObject(), "Panel");
    EXPECT_EQ(panel.Version(), "3.2.0");
    EXPECT_EQ(panel.Performance(), TSePerformance::kspNoBuffer);
    EXPECT_EQ(panel.SkinEngine(), nullptr);
    EXPECT_FALSE(panel.isSkinned());
    EXPECT_EQ(panel.CaptionHeight(), 20);
}

TEST_F(SkinnedPanel, WithoutAPanelObjectItLooksUnskinnedUntilASkinWithOneIsSet) {
    PanelWindow plain, skinned;
    skinned.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("noPanel.kskn", {.withPanel = false}));
    EXPECT_FALSE(skinned.panel->isSkinned());
    EXPECT_EQ(maxChannelDifference(plain.picture(), skinned.picture()), 0);

    TSeSkinPanel* const same = skinned.panel;
    engine.setSkinFile(skinFile("panel.kskn"));
    ASSERT_EQ(skinned.panel, same);
    EXPECT_TRUE(skinned.panel->isSkinned());
    EXPECT_EQ(skinned.panel->CaptionHeight(), kSkinCaptionHeight);
    EXPECT_NE(maxChannelDifference(plain.picture(), skinned.picture()), 0);
    // The frame covers the control; the caption bar shows the "Caption" part's fill; the
    // roll button its normal image.
    const QRect bar = skinned.panel->captionRect();
    EXPECT_EQ(bar.height(), kSkinCaptionHeight);
    EXPECT_EQ(skinned.at(75, 110), rgb(kFramePixel));
    EXPECT_EQ(skinned.at(0, 0), rgb(kFramePixel));
    EXPECT_EQ(skinned.at(bar.center().x(), bar.bottom()), kCaptionRgb & 0xFFFFFF);
    EXPECT_EQ(skinned.at(skinned.panel->buttonRect().center()), rgb(kButtonPixel));
    // Children sit below the taller bar.
    EXPECT_EQ(skinned.panel->contentsMargins().top(), 1 + kSkinCaptionHeight + 3);

    // And back: a skin without the object gives the default look again.
    engine.setSkinFile(skinFile("noPanel2.uskn", {.withPanel = false}));
    EXPECT_FALSE(skinned.panel->isSkinned());
    EXPECT_EQ(skinned.panel->CaptionHeight(), 20);
    EXPECT_EQ(maxChannelDifference(plain.picture(), skinned.picture()), 0);
}

TEST_F(SkinnedPanel, TheRollButtonPartFollowsKindRollAndMouse) {
    PanelWindow w;
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("panel.kskn"));
    ASSERT_TRUE(w.panel->isSkinned());
    const QPoint centre = w.panel->buttonRect().center();
    EXPECT_EQ(w.at(centre), rgb(kButtonPixel));

    QTest::mouseMove(w.panel, centre);
    ASSERT_TRUE(w.panel->isButtonHot());
    EXPECT_EQ(w.at(centre), rgb(kButtonHotPixel));
    QTest::mousePress(w.panel, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(w.panel->isButtonPressed());
    EXPECT_EQ(w.at(centre), rgb(kButtonPressedPixel));
    QTest::mouseRelease(w.panel, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(w.panel->Rolled());
    QTest::mouseMove(w.panel, QPoint(5, 5));
    EXPECT_EQ(w.at(centre), rgb(kRolldownPixel));

    w.panel->setButtonKind(TSePanelButtonKind::pbkHide);
    EXPECT_EQ(w.at(centre), rgb(kHidePixel));
}

TEST_F(SkinnedPanel, ASkinWithoutTheSpecificButtonUsesButtonOrTheDefaultButton) {
    PanelWindow w;
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("plain.kskn", {.rollup = false, .rolldown = false, .hide = false}));
    const QPoint centre = w.panel->buttonRect().center();
    EXPECT_EQ(w.at(centre), rgb(kGreyPixel));

    engine.setSkinFile(skinFile(
        "none.kskn", {.rollup = false, .rolldown = false, .hide = false, .plainButton = false}));
    ASSERT_TRUE(w.panel->isSkinned());
    // Still a visible button, not just the caption bar's fill.
    const QRect button = w.panel->buttonRect();
    const QImage picture = w.picture();
    int differing = 0;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x)
            if ((picture.pixel(w.panel->mapTo(&w.host, QPoint(x, y))) & 0xFFFFFF) !=
                (kCaptionRgb & 0xFFFFFF))
                ++differing;
    EXPECT_GT(differing, button.width() * button.height() / 4);
}

TEST_F(SkinnedPanel, TheCaptionGoesToTheTitlePartOrIsWrittenInsetWithoutOne) {
    PanelWindow w(QStringLiteral("WWWWWW"));
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("title.kskn", {.withTitle = true}));
    w.picture();
    skin::TSeSkinObject* copy = w.panel->skinClient().skinCopy();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->findObject("Title")->text(), "WWWWWW");
    EXPECT_TRUE(copy->findObject("Caption")->text().isEmpty());
    EXPECT_EQ(copy->findObject("Title")->boundsRect(), w.panel->captionRect());

    // Neither part: the panel keeps its own caption height, the bar gets the parent's
    // colour and the text starts five pixels in.
    engine.setSkinFile(skinFile("bare.kskn", {.withCaption = false}));
    ASSERT_TRUE(w.panel->isSkinned());
    EXPECT_EQ(w.panel->CaptionHeight(), 20);
    const QRect bar = w.panel->captionRect();
    const QRgb parent = w.host.palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    const QImage picture = w.picture();
    auto px = [&](int x, int y) {
        return picture.pixel(w.panel->mapTo(&w.host, QPoint(x, y))) & 0xFFFFFF;
    };
    for (int y = bar.top(); y <= bar.bottom(); ++y)
        for (int x = bar.left(); x < bar.left() + 5; ++x)
            ASSERT_EQ(px(x, y), parent) << x << "," << y;
    int ink = 0;
    for (int y = bar.top(); y <= bar.bottom(); ++y)
        for (int x = bar.left() + 5; x < bar.left() + 40; ++x)
            ink += px(x, y) != parent;
    EXPECT_GT(ink, 10);
}

TEST_F(SkinnedPanel, TransparencyComesFromTheFramesMaskFlags) {
    PanelWindow w;
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("opaque.kskn"));
    EXPECT_FALSE(w.panel->Transparent());
    EXPECT_TRUE(w.panel->autoFillBackground());
    int n = 0;
    for (PanelSkinOptions o :
         {PanelSkinOptions{.frameMasked = true}, PanelSkinOptions{.frameMaskedBorder = true},
          PanelSkinOptions{.frameMaskedAngles = true}}) {
        engine.setSkinFile(skinFile(qPrintable(QString("masked%1.kskn").arg(n++)), o));
        EXPECT_TRUE(w.panel->Transparent());
        EXPECT_FALSE(w.panel->autoFillBackground());
    }
    engine.setSkinFile(skinFile("opaque2.kskn"));
    EXPECT_FALSE(w.panel->Transparent());
    // Unskinned, the panel fills its background again whatever the flag says.
    w.panel->setTransparent(true);
    engine.setSkinFile(QString());
    EXPECT_TRUE(w.panel->autoFillBackground());
}

TEST_F(SkinnedPanel, TheCaptionHeightComesAndGoesWithTheSkin) {
    PanelWindow w;
    w.panel->loadRolled(true);
    ASSERT_EQ(w.panel->height(), 22);
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("panel.kskn"));
    EXPECT_EQ(w.panel->CaptionHeight(), kSkinCaptionHeight);
    EXPECT_EQ(w.panel->height(), kSkinCaptionHeight + 2);
    // The panel's own height is kept for when the skin no longer applies.
    w.panel->setCaptionHeight(30);
    EXPECT_EQ(w.panel->CaptionHeight(), kSkinCaptionHeight);
    w.panel->setSkinObject("Nothing");
    EXPECT_FALSE(w.panel->isSkinned());
    EXPECT_EQ(w.panel->CaptionHeight(), 30);
    EXPECT_EQ(w.panel->height(), 32);
    w.panel->setSkinObject("panel"); // names compare ignoring case
    EXPECT_TRUE(w.panel->isSkinned());
    EXPECT_EQ(w.panel->height(), kSkinCaptionHeight + 2);
}

TEST_F(SkinnedPanel, BufferedPaintingShowsTheSamePixels) {
    for (const bool hole : {false, true}) {
        // A frame with a masked hole lets the parent show through in the middle.
        const QString file =
            skinFile(hole ? "hole.kskn" : "solid.kskn", {.frameMasked = hole, .frameHole = hole});
        PanelWindow w;
        auto* small = new TSeSkinPanel(&w.host);
        small->setGeometry(165, 20, 30, 60);
        w.panel->setSkinEngine(&engine);
        small->setSkinEngine(&engine);
        engine.setSkinFile(file);
        ASSERT_TRUE(w.panel->isSkinned());
        ASSERT_EQ(w.panel->Transparent(), hole);
        const QImage direct = w.picture();
        if (hole) {
            const QRgb parent = w.host.palette().color(QPalette::Window).rgb() & 0xFFFFFF;
            EXPECT_EQ(w.at(75, 80), parent);
        }
        for (auto mode : {TSePerformance::kspSharedBuffer, TSePerformance::kspDoubleBuffer}) {
            w.panel->setPerformance(mode);
            small->setPerformance(mode);
            EXPECT_LE(maxChannelDifference(direct, w.picture()), 2)
                << "mode " << int(mode) << " hole " << hole;
        }
        w.panel->setPerformance(TSePerformance::kspNoBuffer);
        small->setPerformance(TSePerformance::kspNoBuffer);
    }
}

TEST_F(SkinnedPanel, BlendingMixesABufferedPanelWithWhatLiesBeneath) {
    PanelWindow w;
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("panel.kskn"));
    w.panel->setPerformance(TSePerformance::kspDoubleBuffer);
    w.panel->setBlending(TSeBlending{true, 128});
    const QColor beneath = w.panel->palette().color(QPalette::Window);
    const QColor frame = QColor::fromRgb(rgb(kFramePixel));
    const QColor seen = QColor::fromRgb(w.at(75, 110));
    EXPECT_NEAR(seen.red(), (frame.red() + beneath.red()) / 2, 3);
    EXPECT_NEAR(seen.green(), (frame.green() + beneath.green()) / 2, 3);
    EXPECT_NEAR(seen.blue(), (frame.blue() + beneath.blue()) / 2, 3);
}

TEST_F(SkinnedPanel, WithoutItsEngineThePanelLooksUnskinnedAgain) {
    PanelWindow plain, skinned;
    auto owned = std::make_unique<TSeSkinEngine>();
    skinned.panel->setSkinEngine(owned.get());
    owned->setSkinFile(skinFile("panel.kskn"));
    ASSERT_TRUE(skinned.panel->isSkinned());
    owned.reset();
    EXPECT_EQ(skinned.panel->SkinEngine(), nullptr);
    EXPECT_EQ(maxChannelDifference(plain.picture(), skinned.picture()), 0);
}

TEST_F(SkinnedPanel, RepaintRequestsOfItsPartsAndOtherEnginesChanges) {
    PanelWindow w;
    w.panel->setSkinEngine(&engine);
    engine.setSkinFile(skinFile("panel.kskn"));
    w.picture();
    QCoreApplication::processEvents();
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    w.panel->installEventFilter(&counter);
    skin::TSeSkinObject* copy = w.panel->skinClient().skinCopy();
    ASSERT_NE(copy, nullptr);
    copy->findObject("Caption")->setText("changed");
    QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);

    // Another engine's change leaves this panel's copy alone.
    TSeSkinEngine other;
    other.setSkinFile(skinFile("other.kskn"));
    other.setDeltaHue(50);
    EXPECT_EQ(w.panel->skinClient().skinCopy(), copy);
}

TEST_F(SkinnedPanel, AWindowGoesDownWithItsEngineAndPanelsInEitherOrder) {
    for (const bool engineFirst : {true, false}) {
        auto form = std::make_unique<QWidget>();
        form->resize(181, 400);
        TSeSkinEngine* owned = engineFirst ? new TSeSkinEngine(form.get()) : nullptr;
        auto* layout = new skin::TAlignLayout(form.get());
        std::vector<TSeSkinPanel*> panels;
        for (int i = 0; i < 3; ++i) {
            auto* panel = new TSeSkinPanel(form.get());
            layout->addControl(panel, skin::TAlign::alTop);
            panel->loadRolled(i == 1);
            panels.push_back(panel);
        }
        if (!owned)
            owned = new TSeSkinEngine(form.get());
        for (auto* panel : panels)
            panel->setSkinEngine(owned);
        owned->setSkinFile(skinFile("panel.kskn"));
        form->show();
        ASSERT_TRUE(panels[1]->isSkinned());
        EXPECT_EQ(panels[1]->height(), kSkinCaptionHeight + 2);
        form.reset();
    }
}
