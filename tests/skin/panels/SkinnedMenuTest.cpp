// The menu bar and the menu windows drawn through a skin engine: the default look without the
// skin's objects, the bar's height and entry layout from its "Frame" and "Item" parts, entry
// sizes of the menu windows, hot and open entries in the item's ActiveColor, separators, check
// marks and arrows, and the engine reaching menu windows that are windows of their own.

#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPopupMenu.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "skin/engine/SkinMessage.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/format/SkinFile.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeActiveObject.h"
#include "skin/model/TSeSkinSource.h"
#include "tests/support/Pixels.h"

using skin::TSeSkinEngine;
using skin::TSeSkinItem;
using skin::TSeSkinMenuBar;
using skin::TSeSkinPopupMenu;
using skin::TSeSkinPopupWindow;

using testsupport::differingPixels;
using testsupport::rgb;

namespace {

const skin::SkinClassRegistry& registry() {
    static const auto r = skin::SkinClassRegistry::withStandardClasses();
    return r;
}

constexpr QRgb kBarFrame = qRgb(40, 40, 120);
constexpr QRgb kBarActive = qRgb(240, 200, 100);
constexpr QRgb kBarText = qRgb(250, 250, 250);
constexpr QRgb kPopupFrame = qRgb(220, 230, 240);
constexpr QRgb kPopupActive = qRgb(60, 140, 60);
constexpr QRgb kPopupText = qRgb(20, 20, 160);

struct MenuSkin {
    bool withMenuBar = true;
    bool withPopup = true;
    bool withBarItem = true;
    bool withPopupItem = true;
    bool withPopupFrame = true;
    int barHeight = 25;
    int barItemHeight = 19;
    int barMarginLeft = 7;
    int popupItemHeight = 22;
};

skin::TColor colour(QRgb c) {
    return skin::rgbColor(qRed(c), qGreen(c), qBlue(c));
}

template <class T = skin::TSeSkinObject>
std::unique_ptr<T> part(const char* name, QRect bounds, skin::TColor fill) {
    auto o = std::make_unique<T>();
    o->setName(name);
    o->Color = fill;
    o->setStoredBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
    return o;
}

std::unique_ptr<skin::TSeActiveObject> item(QRect bounds, QRgb text, QRgb active, int left,
                                            int right) {
    auto o = part<skin::TSeActiveObject>("Item", bounds, skin::clNone);
    o->Font.Color = colour(text);
    o->ActiveColor = colour(active);
    o->ActiveFont = o->Font;
    o->TextMarginLeft = left;
    o->TextMarginRight = right;
    return o;
}

QString writeMenuSkin(const QTemporaryDir& dir, const QString& name, const MenuSkin& o = {}) {
    skin::TSeSkinSource s;
    s.SkinName = "Menu test";
    s.addObject(part("Form", QRect(0, 0, 300, 250), colour(qRgb(1, 2, 3))));
    if (o.withMenuBar) {
        auto bar = part("MenuBar", QRect(0, 0, 300, o.barHeight), skin::clNone);
        auto frame = part("Frame", QRect(0, 0, 300, o.barHeight), colour(kBarFrame));
        frame->MarginLeft = o.barMarginLeft;
        frame->MarginTop = 2;
        bar->addChild(std::move(frame));
        if (o.withBarItem) {
            auto i = item(QRect(0, 0, 44, o.barItemHeight), kBarText, kBarActive, 6, 8);
            i->TextAlign = skin::TSeTextAlign::taCenter;
            bar->addChild(std::move(i));
        }
        s.addObject(std::move(bar));
    }
    if (o.withPopup) {
        auto popup = part("PopupMenu", QRect(0, 0, 180, 100), skin::clNone);
        if (o.withPopupFrame)
            popup->addChild(part("Frame", QRect(0, 0, 180, 100), colour(kPopupFrame)));
        if (o.withPopupItem)
            popup->addChild(
                item(QRect(3, 4, 174, o.popupItemHeight), kPopupText, kPopupActive, 20, 12));
        s.addObject(std::move(popup));
    }
    const QString path = dir.filePath(name);
    skin::saveSkinFile(s, path, registry());
    return path;
}

bool waitVisible(QWidget* w, bool visible) {
    for (int i = 0; i < 100 && w->isVisible() != visible; ++i)
        QTest::qWait(10);
    return w->isVisible() == visible;
}

// The mouse comes to rest over a point of a widget, with no button held.
void hover(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

QImage picture(QWidget* w) {
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Pixels in a rectangle that differ from a colour.
int inkIn(const QImage& image, const QRect& r, QRgb background) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += rgb(image.pixel(x, y)) != rgb(background);
    return n;
}

// A window with a menu bar of two menus.
struct BarWindow {
    QWidget host;
    TSeSkinMenuBar* bar;
    TSeSkinItem* file;
    TSeSkinItem* view;

    BarWindow() {
        host.resize(400, 120);
        bar = new TSeSkinMenuBar(&host);
        bar->setGeometry(0, 0, 400, 21);
        file = bar->Items()->Add(QStringLiteral("文件"));
        file->Add(QStringLiteral("打开(O)"));
        file->Add(QStringLiteral("-"));
        file->Add(QStringLiteral("退出(Esc)"));
        view = bar->Items()->Add(QStringLiteral("界面"));
        view->Add(QStringLiteral("显示工具栏(F2)"));
        bar->rebuild();
        host.show();
    }
};

class SkinnedMenu : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TSeSkinEngine engine;
};

} // namespace

TEST(MenuCaption, AcceleratorMarkersAreNotShown) {
    EXPECT_EQ(TSeSkinItem::displayText(QStringLiteral("左归位(&L)")), QStringLiteral("左归位(L)"));
    EXPECT_EQ(TSeSkinItem::displayText(QStringLiteral("A&&B")), QStringLiteral("A&B"));
    EXPECT_EQ(TSeSkinItem::displayText(QStringLiteral("end&")), QStringLiteral("end&"));
    EXPECT_EQ(TSeSkinItem::displayText(QString()), QString());
}

TEST_F(SkinnedMenu, TheBarLooksPlainWithoutAMenuBarObject) {
    BarWindow plain, w;
    EXPECT_EQ(w.bar->SkinObject(), "MenuBar");
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "noBar.kskn", {.withMenuBar = false}));
    EXPECT_FALSE(w.bar->isSkinned());
    EXPECT_EQ(w.bar->height(), 21);
    EXPECT_EQ(differingPixels(picture(plain.bar), picture(w.bar)), 0);
    // Its menus find their own object all the same.
    EXPECT_TRUE(w.file->subMenuWindow()->isSkinned());
}

TEST_F(SkinnedMenu, TheBarTakesTheFramesHeightAndLaysEntriesOutInItsMargins) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "bar.kskn"));
    ASSERT_TRUE(w.bar->isSkinned());
    EXPECT_EQ(w.bar->height(), 25);
    EXPECT_EQ(w.bar->sizeHint().height(), 25);
    const QFont font = w.bar->skinMetrics().itemFont;
    const QRect first = w.bar->actionGeometry(w.bar->actions()[0]);
    const QRect second = w.bar->actionGeometry(w.bar->actions()[1]);
    EXPECT_EQ(first.topLeft(), QPoint(7, 2));
    EXPECT_EQ(first.height(), 19);
    EXPECT_EQ(first.width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("文件")) + 14);
    EXPECT_EQ(second.left(), first.right() + 1);
    EXPECT_EQ(second.top(), 2);

    // The frame covers the bar; an entry that is neither hot nor open shows the frame.
    const QImage idle = picture(w.bar);
    EXPECT_EQ(rgb(idle.pixel(390, 12)), rgb(kBarFrame));
    EXPECT_EQ(rgb(idle.pixel(first.left() + 1, first.top() + 1)), rgb(kBarFrame));
    EXPECT_GT(inkIn(idle, first, kBarFrame), 5); // the caption

    // A taller frame in the next skin; no skin gives the player's own 21 pixels back.
    engine.setSkinFile(writeMenuSkin(dir, "tall.kskn", {.barHeight = 30}));
    EXPECT_EQ(w.bar->height(), 30);
    // Without AutoSize the bar keeps the height it was given.
    w.bar->setAutoSize(false);
    w.bar->resize(400, 40);
    engine.setSkinFile(writeMenuSkin(dir, "short.kskn", {.barHeight = 18}));
    EXPECT_EQ(w.bar->height(), 40);
    w.bar->setAutoSize(true);
    EXPECT_EQ(w.bar->height(), 18);
    engine.setSkinFile(QString());
    EXPECT_FALSE(w.bar->isSkinned());
    EXPECT_EQ(w.bar->height(), 21);
    EXPECT_EQ(w.bar->sizeHint().height(), 21);
}

TEST_F(SkinnedMenu, HotAndOpenBarEntriesShowTheItemsActiveColour) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "bar.kskn"));
    const QRect first = w.bar->actionGeometry(w.bar->actions()[0]);
    const QRect second = w.bar->actionGeometry(w.bar->actions()[1]);
    hover(w.bar, second.center());
    ASSERT_EQ(w.bar->activeAction(), w.bar->actions()[1]);
    QImage hot = picture(w.bar);
    EXPECT_EQ(rgb(hot.pixel(second.left() + 1, second.top() + 1)), rgb(kBarActive));
    EXPECT_EQ(rgb(hot.pixel(first.left() + 1, first.top() + 1)), rgb(kBarFrame));

    QTest::mouseClick(w.bar, Qt::LeftButton, Qt::NoModifier, first.center());
    QMenu* menu = w.file->subMenu();
    ASSERT_TRUE(waitVisible(menu, true));
    const QImage open = picture(w.bar);
    EXPECT_EQ(rgb(open.pixel(first.left() + 1, first.top() + 1)), rgb(kBarActive));
    EXPECT_EQ(rgb(open.pixel(second.left() + 1, second.top() + 1)), rgb(kBarFrame));
    menu->close();
    EXPECT_TRUE(waitVisible(menu, false));
}

TEST_F(SkinnedMenu, BufferedPaintingShowsTheSamePixels) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "bar.kskn"));
    hover(w.bar, w.bar->actionGeometry(w.bar->actions()[1]).center());
    const QImage direct = picture(w.bar);
    for (auto mode :
         {skin::TSePerformance::kspSharedBuffer, skin::TSePerformance::kspDoubleBuffer}) {
        w.bar->setPerformance(mode);
        EXPECT_EQ(differingPixels(direct, picture(w.bar)), 0) << int(mode);
    }
}

TEST_F(SkinnedMenu, BarEntriesWithoutAnItemPartKeepAPlainLookOnTheFrame) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "noItem.kskn", {.withBarItem = false}));
    ASSERT_TRUE(w.bar->isSkinned());
    const QRect first = w.bar->actionGeometry(w.bar->actions()[0]);
    EXPECT_FALSE(first.isEmpty());
    const QImage image = picture(w.bar);
    EXPECT_EQ(rgb(image.pixel(390, 12)), rgb(kBarFrame));
    EXPECT_GT(inkIn(image, first, kBarFrame), 5);
}

TEST_F(SkinnedMenu, BrokenSizesInTheSkinLeaveUsableMenus) {
    BarWindow w;
    w.bar->setSkinEngine(&engine);
    TSeSkinItem* open = w.file->Items(0);
    int n = 0;
    for (int height : {0, -7}) {
        engine.setSkinFile(writeMenuSkin(
            dir, QStringLiteral("flat%1.kskn").arg(n++),
            {.barHeight = height, .barItemHeight = height, .popupItemHeight = height}));
        ASSERT_TRUE(w.bar->isSkinned());
        EXPECT_EQ(w.bar->height(), 21);
        EXPECT_GT(w.bar->actionGeometry(w.bar->actions()[0]).height(), 5);
        w.bar->actions()[0]->menu()->popup(QPoint(10, 10));
        ASSERT_TRUE(waitVisible(w.file->subMenu(), true));
        EXPECT_GT(w.file->subMenu()->actionGeometry(open->action()).height(), 5);
        w.file->subMenu()->close();
        ASSERT_TRUE(waitVisible(w.file->subMenu(), false));
    }
    engine.setSkinFile(
        writeMenuSkin(dir, "huge.kskn", {.barHeight = 100000, .barMarginLeft = 100000}));
    EXPECT_LE(w.bar->height(), 512);
    EXPECT_LE(w.bar->actionGeometry(w.bar->actions()[0]).left(), 128);
}

TEST_F(SkinnedMenu, MenuWindowsTakeTheEngineFromTheirBarOrPopupMenu) {
    // Set before the entries exist: windows made later still draw with it.
    QWidget host;
    auto* bar = new TSeSkinMenuBar(&host);
    bar->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "menu.kskn"));
    TSeSkinItem* file = bar->Items()->Add(QStringLiteral("文件"));
    TSeSkinItem* open = file->Add(QStringLiteral("打开(O)"));
    bar->rebuild();
    EXPECT_EQ(file->SkinEngine(), &engine);
    ASSERT_NE(file->subMenuWindow(), nullptr);
    EXPECT_TRUE(file->subMenuWindow()->isSkinned());
    TSeSkinItem* deeper = open->Add(QStringLiteral("深"));
    EXPECT_EQ(deeper->SkinEngine(), &engine);
    open->subMenu();
    EXPECT_TRUE(open->subMenuWindow()->isSkinned());

    TSeSkinPopupMenu popup;
    TSeSkinItem* sub = popup.Items()->Add(QStringLiteral("视频控制"));
    sub->Add(QStringLiteral("放大(↑)"));
    popup.menu();
    EXPECT_FALSE(popup.popupWindow()->isSkinned());
    popup.setSkinEngine(&engine);
    EXPECT_EQ(popup.SkinEngine(), &engine);
    EXPECT_TRUE(popup.popupWindow()->isSkinned());
    EXPECT_TRUE(sub->subMenuWindow()->isSkinned());
    popup.setSkinEngine(nullptr);
    EXPECT_FALSE(sub->subMenuWindow()->isSkinned());
}

TEST_F(SkinnedMenu, TheEnginesBroadcastsReachMenuWindowsNeverShown) {
    TSeSkinPopupMenu popup;
    TSeSkinItem* sub = popup.Items()->Add(QStringLiteral("进度控制"));
    sub->Add(QStringLiteral("快进(Pd)"));
    popup.menu();
    popup.setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "one.kskn"));
    EXPECT_EQ(sub->subMenuWindow()->skinMetrics().itemHeight, 22);
    // The change frees each copy before the skin goes and brings new ones after, which the
    // windows only hear through the broadcast.
    engine.setSkinFile(writeMenuSkin(dir, "two.kskn", {.popupItemHeight = 31}));
    EXPECT_TRUE(popup.popupWindow()->isSkinned());
    EXPECT_EQ(popup.popupWindow()->skinMetrics().itemHeight, 31);
    EXPECT_EQ(sub->subMenuWindow()->skinMetrics().itemHeight, 31);

    skin::SkinMessage before(skin::SkinMessageKind::BeforeChange, &engine);
    QCoreApplication::sendEvent(popup.popupWindow(), &before);
    EXPECT_EQ(popup.popupWindow()->skinClient().skinCopy(), nullptr);
    EXPECT_FALSE(popup.popupWindow()->isSkinned());
    skin::SkinMessage after(skin::SkinMessageKind::AfterChange, &engine);
    QCoreApplication::sendEvent(popup.popupWindow(), &after);
    EXPECT_TRUE(popup.popupWindow()->isSkinned());
}

class OpenSkinnedPopup : public SkinnedMenu {
protected:
    void SetUp() override {
        zoom = popup.Items()->Add(QStringLiteral("放大(↑)"), [&](QObject*) { log << "zoom"; });
        separator = popup.Items()->Add(QStringLiteral("-"));
        grab = popup.Items()->Add(QStringLiteral("抓图"), [&](QObject*) { log << "grab"; });
        grab->setEnabled(false);
        loop = popup.Items()->Add(QStringLiteral("单个文件循环WW"));
        loop->setChecked(true);
        sub = popup.Items()->Add(QStringLiteral("控制区归位"));
        sub->Add(QStringLiteral("左归位(&L)"), [&](QObject*) { log << "left"; });
        popup.setSkinEngine(&engine);
    }
    void open(const MenuSkin& o = {}) {
        engine.setSkinFile(writeMenuSkin(dir, "popup.kskn", o));
        popup.Popup(100, 100);
        ASSERT_TRUE(waitVisible(popup.menu(), true));
    }
    QRect entry(TSeSkinItem* item) { return popup.menu()->actionGeometry(item->action()); }

    TSeSkinPopupMenu popup;
    TSeSkinItem* zoom = nullptr;
    TSeSkinItem* separator = nullptr;
    TSeSkinItem* grab = nullptr;
    TSeSkinItem* loop = nullptr;
    TSeSkinItem* sub = nullptr;
    QStringList log;
};

TEST_F(OpenSkinnedPopup, EntriesTakeTheItemsHeightAndCaptionPlus42) {
    open();
    TSeSkinPopupWindow* window = popup.popupWindow();
    ASSERT_TRUE(window->isSkinned());
    const QFontMetrics metrics(window->skinMetrics().itemFont);
    int widest = 0;
    for (TSeSkinItem* i : {zoom, grab, loop, sub})
        widest =
            std::max(widest, metrics.horizontalAdvance(TSeSkinItem::displayText(i->Caption())));
    int y = 4;
    for (TSeSkinItem* i : {zoom, separator, grab, loop, sub}) {
        const QRect r = entry(i);
        EXPECT_EQ(r.topLeft(), QPoint(3, y)) << i->Caption().toStdString();
        EXPECT_EQ(r.height(), 22);
        EXPECT_EQ(r.width(), widest + 42);
        y += 22;
    }
    // A hidden entry takes no room.
    grab->setVisible(false);
    popup.close();
    ASSERT_TRUE(waitVisible(popup.menu(), false));
    popup.Popup(100, 100);
    ASSERT_TRUE(waitVisible(popup.menu(), true));
    EXPECT_TRUE(entry(grab).isEmpty());
    EXPECT_EQ(entry(loop).top(), 4 + 2 * 22);
}

TEST_F(OpenSkinnedPopup, TheSelectedEntryIsDrawnInTheActiveColour) {
    open();
    QWidget* window = popup.menu();
    const QImage idle = picture(window);
    EXPECT_EQ(rgb(idle.pixel(1, 1)), rgb(kPopupFrame));
    EXPECT_EQ(rgb(idle.pixel(entry(zoom).left() + 1, entry(zoom).top() + 1)), rgb(kPopupFrame));
    QTest::keyClick(window, Qt::Key_Down);
    ASSERT_EQ(popup.menu()->activeAction(), zoom->action());
    const QImage selected = picture(window);
    EXPECT_EQ(rgb(selected.pixel(entry(zoom).left() + 1, entry(zoom).top() + 1)),
              rgb(kPopupActive));
    EXPECT_EQ(rgb(selected.pixel(entry(loop).left() + 1, entry(loop).top() + 1)), rgb(kPopupFrame));
    // The keyboard works as it does unskinned.
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(log, QStringList{QStringLiteral("zoom")});
    EXPECT_TRUE(waitVisible(window, false));
}

TEST_F(OpenSkinnedPopup, PicturesWidenEntriesAndPushTheCaptionAlong) {
    open();
    const int plainWidth = entry(loop).width();
    popup.close();
    ASSERT_TRUE(waitVisible(popup.menu(), false));

    QPixmap blue(28, 30);
    blue.fill(Qt::blue);
    popup.setImages({QPixmap(), blue});
    EXPECT_EQ(sub->Items(0)->Images().size(), 2); // handed down
    loop->setImageIndex(1);                       // the widest caption
    zoom->setImageIndex(0);                       // an empty picture shows nothing
    grab->setImageIndex(7);                       // an index past the list neither
    EXPECT_FALSE(loop->action()->icon().isNull());
    EXPECT_TRUE(zoom->action()->icon().isNull());
    EXPECT_TRUE(grab->action()->icon().isNull());
    popup.Popup(100, 100);
    ASSERT_TRUE(waitVisible(popup.menu(), true));
    // Wider by the picture, and at least the picture plus four high.
    EXPECT_EQ(entry(loop).width(), plainWidth + 28);
    EXPECT_EQ(entry(loop).height(), 34);
    EXPECT_EQ(entry(zoom).height(), 22);
    const QImage image = picture(popup.menu());
    const QRect r = entry(loop);
    // The picture sits in the left margin, which grows to hold it, framed since the entry is
    // checked; the caption starts after it.
    const QRect place(r.left() + 2, r.top() + 2, 28, 30);
    EXPECT_EQ(rgb(image.pixel(place.center())), rgb(qRgb(0, 0, 255)));
    EXPECT_EQ(rgb(image.pixel(place.left() + 5, place.top() - 2)), rgb(kPopupText));
    const int caption = QFontMetrics(popup.popupWindow()->skinMetrics().itemFont)
                            .horizontalAdvance(loop->Caption());
    EXPECT_GT(inkIn(image, QRect(r.left() + 32 + caption - 6, r.top(), 6, r.height()), kPopupFrame),
              3);
    // An entry without a picture still has its caption at the part's margin.
    EXPECT_GT(inkIn(image, QRect(entry(zoom).left() + 20, entry(zoom).top(), 12, 22), kPopupFrame),
              3);
}

TEST_F(OpenSkinnedPopup, OnBeforeDropDownRunsBeforeASubMenuOpens) {
    bool wasOpen = true;
    int calls = 0;
    sub->OnBeforeDropDown = [&](QObject* sender) {
        EXPECT_EQ(sender, sub);
        wasOpen = sub->subMenu()->isVisible();
        ++calls;
    };
    open();
    EXPECT_EQ(calls, 0);
    QTest::keyClick(popup.menu(), Qt::Key_Up);
    QTest::keyClick(popup.menu(), Qt::Key_Right);
    ASSERT_TRUE(waitVisible(sub->subMenu(), true));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(wasOpen);
}

TEST_F(OpenSkinnedPopup, SeparatorsDisabledEntriesCheckMarksAndArrows) {
    open();
    const QImage image = picture(popup.menu());
    // The separator is the item's line: one pixel high in the font colour, inset by three.
    const QRect line = entry(separator);
    const int middle = line.top() + line.height() / 2;
    EXPECT_EQ(rgb(image.pixel(line.left() + 3, middle)), rgb(kPopupText));
    EXPECT_EQ(rgb(image.pixel(line.right() - 3, middle)), rgb(kPopupText));
    EXPECT_EQ(rgb(image.pixel(line.left() + 2, middle)), rgb(kPopupFrame));
    EXPECT_EQ(rgb(image.pixel(line.left() + 10, middle - 1)), rgb(kPopupFrame));

    auto count = [&](const QRect& r, auto&& pred) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += pred(image.pixel(x, y));
        return n;
    };
    auto bluish = [](QRgb p) { return qBlue(p) > 100 && qRed(p) < 120 && qGreen(p) < 120; };
    // Grey ink blended into the frame stays nearly neutral; blue ink does not.
    auto greyish = [](QRgb p) { return qRed(p) < 200 && qBlue(p) - qRed(p) < 30; };
    // A disabled caption is grey, an enabled one in the font colour.
    const QRect grabText = entry(grab).adjusted(20, 0, -12, 0);
    EXPECT_EQ(count(grabText, bluish), 0);
    EXPECT_GT(count(grabText, greyish), 3);
    EXPECT_GT(count(entry(zoom).adjusted(20, 0, -12, 0), bluish), 3);

    // The check mark in the left margin of the checked entry only; the arrow in the right
    // margin of the entry with sub-entries only.
    auto left = [&](TSeSkinItem* i) { return QRect(entry(i).topLeft(), QSize(20, 22)); };
    auto right = [&](TSeSkinItem* i) {
        return QRect(entry(i).right() - 11, entry(i).top(), 12, 22);
    };
    EXPECT_GT(inkIn(image, left(loop), kPopupFrame), 5);
    EXPECT_EQ(inkIn(image, left(zoom), kPopupFrame), 0);
    EXPECT_GT(inkIn(image, right(sub), kPopupFrame), 5);
    EXPECT_EQ(inkIn(image, right(loop), kPopupFrame), 0);
}

TEST_F(OpenSkinnedPopup, ASkinWithoutPopupObjectOrItemPartStillShowsEveryEntry) {
    open({.withPopup = false});
    EXPECT_FALSE(popup.popupWindow()->isSkinned());
    // Exactly the look of a menu that never had an engine.
    TSeSkinPopupMenu plain;
    for (TSeSkinItem* i : {zoom, separator, grab, loop, sub}) {
        TSeSkinItem* copy = plain.Items()->Add(i->Caption());
        copy->setEnabled(i->Enabled());
        copy->setChecked(i->Checked());
        if (i->Count() > 0)
            copy->Add(i->Items(0)->Caption());
    }
    plain.Popup(300, 100);
    ASSERT_TRUE(waitVisible(plain.menu(), true));
    EXPECT_EQ(differingPixels(picture(plain.menu()), picture(popup.menu())), 0);
    plain.close();
    popup.close();
    ASSERT_TRUE(waitVisible(popup.menu(), false));

    open({.withPopupItem = false});
    ASSERT_TRUE(popup.popupWindow()->isSkinned());
    const QImage image = picture(popup.menu());
    EXPECT_EQ(rgb(image.pixel(1, 1)), rgb(kPopupFrame));
    for (TSeSkinItem* i : {zoom, grab, loop, sub}) {
        ASSERT_FALSE(entry(i).isEmpty());
        EXPECT_GT(inkIn(image, entry(i), kPopupFrame), 3) << i->Caption().toStdString();
    }
    popup.close();
    ASSERT_TRUE(waitVisible(popup.menu(), false));

    // No frame part: the window still gets a background and a border.
    open({.withPopupFrame = false});
    const QImage bare = picture(popup.menu());
    EXPECT_NE(rgb(bare.pixel(0, 0)),
              rgb(bare.pixel(entry(zoom).left() + 1, entry(zoom).top() + 1)));
}

TEST_F(SkinnedMenu, MenusOutliveTheirEngineAndTheEngineOutlivesThem) {
    auto owned = std::make_unique<TSeSkinEngine>();
    auto popup = std::make_unique<TSeSkinPopupMenu>();
    TSeSkinItem* sub = popup->Items()->Add(QStringLiteral("音频控制"));
    sub->Add(QStringLiteral("增大音量(+)"));
    popup->menu();
    popup->setSkinEngine(owned.get());
    owned->setSkinFile(writeMenuSkin(dir, "menu.kskn"));
    ASSERT_TRUE(sub->subMenuWindow()->isSkinned());
    owned.reset();
    EXPECT_EQ(popup->SkinEngine(), nullptr);
    EXPECT_EQ(sub->subMenuWindow()->SkinEngine(), nullptr);
    EXPECT_FALSE(sub->subMenuWindow()->isSkinned());
    // Windows made after the engine went have none either.
    TSeSkinItem* late = sub->Items(0)->Add(QStringLiteral("later"));
    sub->Items(0)->subMenu();
    EXPECT_EQ(late->SkinEngine(), nullptr);
    popup->Popup(50, 50);
    ASSERT_TRUE(waitVisible(popup->menu(), true));
    popup->close();

    popup->setSkinEngine(&engine);
    engine.setSkinFile(writeMenuSkin(dir, "again.kskn"));
    popup.reset();
    engine.setSkinFile(writeMenuSkin(dir, "after.kskn")); // reaches no freed window
}
