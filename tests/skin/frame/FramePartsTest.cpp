// The frame's pieces on their own: the system menu's entries for each state, the images it
// draws itself, the geometry of sizing and snapping, and skins whose form object has link
// parts or no client part.

#include "FrameFixture.h"

#include "skin/controls/FormDragger.h"
#include "skin/controls/FormImages.h"
#include "skin/controls/SystemMenu.h"
#include "skin/model/SecondFamily.h"
#include "skin/model/TSeSkinSource.h"

using namespace frametest;
using skin::FormDragger;
using skin::FrameZone;
using skin::TSeBorderIcon;
using skin::TSeBorderIcons;
using skin::TSeWindowState;

namespace {

QStringList captionsOf(TSeWindowState s, TSeBorderIcons icons) {
    QStringList out;
    for (const skin::SystemMenuEntry& e : skin::systemMenuEntries(s, icons))
        out << e.caption;
    return out;
}

} // namespace

TEST(SystemMenuEntries, FollowTheStateAndTheBorderIcons) {
    using S = TSeWindowState;
    const TSeBorderIcons all = skin::kAllBorderIcons;
    EXPECT_EQ(captionsOf(S::kwsNormal, all), (QStringList{"Mi&nimize", "Ma&ximize", "Ro&llup",
                                                          "Minimize to &Tray", "-", "&Close"}));
    EXPECT_EQ(captionsOf(S::kwsRollup, all), (QStringList{"&Restore", "Mi&nimize", "Ma&ximize",
                                                          "Minimize to &Tray", "-", "&Close"}));
    EXPECT_EQ(captionsOf(S::kwsMinimized, all), (QStringList{"&Restore", "-", "&Close"}));
    EXPECT_EQ(captionsOf(S::kwsTray, all), (QStringList{"&Restore", "-", "&Close"}));
    // Close alone has no separator before it; no close, no separator at all.
    EXPECT_EQ(captionsOf(S::kwsNormal, TSeBorderIcons(TSeBorderIcon::kbiClose)),
              (QStringList{"&Close"}));
    EXPECT_EQ(captionsOf(S::kwsNormal, TSeBorderIcons(TSeBorderIcon::kbiMaximize)),
              (QStringList{"Ma&ximize"}));
    EXPECT_TRUE(captionsOf(S::kwsNormal, 0).isEmpty());
    // Images: restore 3, minimize 1, maximize 2, roll up 4, tray 5, close 0.
    std::vector<int> images;
    for (const auto& e : skin::systemMenuEntries(S::kwsRollup, all))
        images.push_back(e.imageIndex);
    EXPECT_EQ(images, (std::vector<int>{3, 1, 2, 5, -1, 0}));
    EXPECT_EQ(skin::systemMenuCommand(QStringLiteral("Minimize to &Tray")),
              skin::SystemMenuCommand::Tray);
    EXPECT_EQ(skin::systemMenuCommand(QStringLiteral("Close")), skin::SystemMenuCommand::None);
}

TEST(FormImages, SixDistinctGlyphsInTheMenusOrder) {
    const QList<QPixmap> images = skin::formimages::systemMenuImages();
    ASSERT_EQ(images.size(), 6);
    EXPECT_EQ(skin::formimages::systemMenuImageNames().first(), QStringLiteral("SE_FORM_CLOSE"));
    for (int i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].size(), QSize(16, 16));
        for (int j = 0; j < i; ++j)
            EXPECT_NE(images[i].toImage(), images[j].toImage()) << i << " " << j;
        // Something is drawn, and the corners stay clear.
        const QImage img = images[i].toImage();
        int inked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                inked += qAlpha(img.pixel(x, y)) > 0;
        EXPECT_GT(inked, 8) << i;
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << i;
    }
    EXPECT_TRUE(skin::formimages::image(QStringLiteral("SE_FORM_NOTHING")).isNull());
    EXPECT_TRUE(skin::formimages::image(QStringLiteral("SE_FORM_CLOSE"), Qt::black, 0).isNull());
}

TEST(FormDragger, SizingKeepsTheOppositeEdgesAndTheSizeLimits) {
    const QRect start(100, 100, 300, 200);
    const QSize min(100, 80), max(500, 400);
    EXPECT_EQ(FormDragger::sized(start, FrameZone::Right, {50, 9}, min, max),
              QRect(100, 100, 350, 200));
    EXPECT_EQ(FormDragger::sized(start, FrameZone::TopLeft, {-20, -30}, min, max),
              QRect(80, 70, 320, 230));
    EXPECT_EQ(FormDragger::sized(start, FrameZone::Left, {290, 0}, min, max),
              QRect(300, 100, 100, 200));
    EXPECT_EQ(FormDragger::sized(start, FrameZone::BottomRight, {900, 900}, min, max),
              QRect(100, 100, 500, 400));
    // A zero smallest size still leaves a pixel.
    EXPECT_EQ(FormDragger::sized(start, FrameZone::Bottom, {0, -500}, {0, 0}, max).height(), 1);
}

TEST(FormDragger, SnapsOnlyWithinTheDistance) {
    const QRect area(0, 0, 800, 560);
    EXPECT_EQ(FormDragger::snapped(QRect(15, 300, 100, 100), area, 20).topLeft(), QPoint(0, 300));
    EXPECT_EQ(FormDragger::snapped(QRect(25, 300, 100, 100), area, 20).topLeft(), QPoint(25, 300));
    EXPECT_EQ(FormDragger::snapped(QRect(690, 450, 100, 100), area, 20).topLeft(),
              QPoint(700, 460));
    EXPECT_EQ(FormDragger::snapped(QRect(5, 5, 100, 100), area, 0).topLeft(), QPoint(5, 5));
}

namespace {

// A form object with caption, client and a link part, and no client part when asked.
void fillLinkSkin(skin::TSeSkinSource& s, bool withClient) {
    auto form = std::make_unique<skin::TSeSkinObject>();
    form->setName("Form");
    form->Kind = skin::TSeKind::skForm;
    form->setStoredBounds(0, 0, 320, 240);
    auto caption = std::make_unique<skin::TSeSkinObject>();
    caption->setName("Caption");
    caption->Kind = skin::TSeKind::skCaption;
    caption->Align = skin::TSeAlign::saTop;
    caption->Color = skin::rgbColor(200, 40, 40);
    caption->setStoredBounds(0, 0, 320, 30);
    auto link = std::make_unique<skin::TSeLinkSkinObject>();
    link->setName("Gadget");
    link->LinkControl = "Gadget";
    link->Align = skin::TSeAlign::saTopRight;
    link->setStoredBounds(250, 40, 60, 20);
    auto outside = std::make_unique<skin::TSeLinkSkinObject>();
    outside->setName("Away");
    outside->LinkControl = "Away";
    outside->setStoredBounds(1000, 1000, 10, 10);
    form->addChild(std::move(caption));
    if (withClient) {
        auto client = std::make_unique<skin::TSeSkinObject>();
        client->setName("Client");
        client->Kind = skin::TSeKind::skClient;
        client->Align = skin::TSeAlign::saClient;
        client->Color = skin::rgbColor(250, 250, 250);
        client->setStoredBounds(0, 30, 320, 210);
        client->Masked = false;
        form->addChild(std::move(client));
    }
    form->addChild(std::move(link));
    form->addChild(std::move(outside));
    s.addObject(std::move(form));
}

} // namespace

TEST(SkinnedFrameParts, LinkPartsPlaceTheirControlsInClientCoordinates) {
    skin::TSeSkinEngine engine;
    fillLinkSkin(engine.source(), true);
    QWidget window;
    auto* frame = new skin::TSeSkinForm(&window);
    auto* gadget = new QWidget(&window);
    gadget->setObjectName(QStringLiteral("Gadget"));
    auto* away = new QWidget(&window);
    away->setObjectName(QStringLiteral("Away"));
    away->setGeometry(1, 1, 5, 5);
    frame->setSkinEngine(&engine);
    window.resize(420, 300);
    frame->loaded();
    // A client part at the left edge leaves the whole window to the client.
    EXPECT_EQ(frame->clientRect(), window.rect());
    EXPECT_EQ(gadget->geometry(), QRect(350, 40, 60, 20));
    EXPECT_TRUE(away->geometry().isEmpty());
}

TEST(SkinnedFrameParts, AFormObjectWithoutAClientPartSizesTheWindow) {
    skin::TSeSkinEngine engine;
    fillLinkSkin(engine.source(), false);
    QWidget window;
    window.resize(500, 400);
    auto* frame = new skin::TSeSkinForm(&window);
    frame->setSkinEngine(&engine);
    frame->loaded();
    EXPECT_TRUE(frame->isSkinned());
    EXPECT_EQ(window.size(), QSize(320, 240));
    EXPECT_EQ(frame->clientRect(), window.rect());
    EXPECT_EQ(frame->zoneAt(QPoint(100, 10)), FrameZone::Caption);
}

TEST(SkinnedFrameParts, ANamedObjectTheSkinHasIsUsedAndTheToolWindowStyleAsksForIt) {
    skin::TSeSkinEngine engine;
    fillLinkSkin(engine.source(), true);
    auto tool = engine.source().objects().front()->clone();
    tool->setName("ToolWindow");
    tool->findObject("Caption")->setStoredBounds(0, 0, 320, 18);
    engine.source().addObject(std::move(tool));
    QWidget window;
    window.resize(400, 300);
    auto* frame = new skin::TSeSkinForm(&window);
    frame->setSkinEngine(&engine);
    frame->setBorderStyle(skin::TSeBorderStyle::kbsToolWindow);
    frame->loaded();
    EXPECT_EQ(frame->SkinObject(), QStringLiteral("ToolWindow"));
    EXPECT_EQ(QString::fromStdString(frame->skinTree()->name()), QStringLiteral("ToolWindow"));
    EXPECT_EQ(frame->partOfKind(skin::TSeKind::skCaption)->height(), 18);
}
