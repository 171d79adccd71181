// Lookups, hit-testing, regions, hue shifts and binding.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ModelFixtures.h"
#include "skin/model/HueShift.h"
#include "skin/model/SkinColors.h"
#include "skin/model/SkinHost.h"
#include "skin/model/TSeActiveObject.h"
#include "skin/model/TSeBitmapObject.h"
#include "skin/model/TSeSystemButton.h"

using namespace skin;

TEST(Lookup, NamesIgnoreCaseAndTheSearchIsDepthFirst) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    EXPECT_EQ(s.findObject("form"), s.objects()[0].get());
    EXPECT_EQ(s.findObject("STATUSBAR")->name(), "StatusBar");
    EXPECT_EQ(s.findObject("Nope"), nullptr);
    TSeSkinObject* form = s.formObject();
    EXPECT_EQ(form->findObject("caption")->name(), "Caption");
    EXPECT_EQ(form->findObject("form"), form);
    EXPECT_EQ(form->findObjectByKind(TSeKind::skTitle)->name(), "Title");
    EXPECT_EQ(form->findObjectByKind(TSeKind::skSysButton)->name(), "SysMenu");
    s.setBusy(true);
    EXPECT_EQ(s.findObject("Form"), nullptr);
    EXPECT_EQ(s.formObject(), nullptr);
    s.setBusy(false);

    // Depth first: a grandchild of the first child before the second child.
    TSeSkinObject root;
    auto& a = root.addChild(std::make_unique<TSeSkinObject>());
    auto& deep = a.addChild(std::make_unique<TSeSkinObject>());
    auto& b = root.addChild(std::make_unique<TSeSkinObject>());
    deep.setName("x");
    b.setName("X");
    deep.Kind = b.Kind = TSeKind::skBottom;
    EXPECT_EQ(root.findObject("X"), &deep);
    EXPECT_EQ(root.findObjectByKind(TSeKind::skBottom), &deep);
}

TEST(Lookup, TheFormObjectFallsBackToTheFirstOfKindForm) {
    TSeSkinSource s;
    auto other = std::make_unique<TSeSkinObject>();
    other->setName("Window");
    other->Kind = TSeKind::skForm;
    s.addObject(std::make_unique<TSeSkinObject>());
    TSeSkinObject& window = s.addObject(std::move(other));
    EXPECT_EQ(s.formObject(), &window);
}

TEST(HitTest, TheLastChildWinsAndTransparentPartsAreIgnored) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 100, 100);
    auto& first = root.addChild(std::make_unique<TSeSkinObject>());
    first.setStoredBounds(0, 0, 60, 60);
    auto& second = root.addChild(std::make_unique<TSeSkinObject>());
    second.setStoredBounds(40, 40, 60, 60);
    auto& glass = root.addChild(std::make_unique<TSeSkinObject>());
    glass.setStoredBounds(0, 0, 100, 100);
    glass.Kind = TSeKind::skTranparent;
    EXPECT_EQ(root.objectAtPoint({50, 50}), &second);
    EXPECT_EQ(root.objectAtPoint({10, 10}), &first);
    EXPECT_EQ(root.objectAtPoint({90, 10}), &root);
    EXPECT_EQ(root.objectAtPoint({100, 10}), nullptr);
    second.setVisible(false);
    EXPECT_EQ(root.objectAtPoint({50, 50}), &first);
    root.Kind = TSeKind::skTranparent;
    EXPECT_EQ(root.objectAtPoint({50, 50}), nullptr);
}

TEST(HitTest, TheDefaultFormAnswersWithItsParts) {
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    auto form = s.formObject()->clone();
    form->setBounds(0, 0, 595, 391);
    form->setState(state::Normal);
    EXPECT_EQ(form->objectAtPoint({580, 10})->name(), "Close");
    EXPECT_EQ(form->objectAtPoint({300, 10})->Kind, TSeKind::skTitle);
    EXPECT_EQ(form->objectAtPoint({1, 200})->Kind, TSeKind::skLeft);
    EXPECT_EQ(form->objectAtPoint({300, 389})->Kind, TSeKind::skBottom);
    EXPECT_EQ(form->objectAtPoint({300, 200})->Kind, TSeKind::skClient);
    // Restore is hidden in the normal state, so its place belongs to Maximize.
    EXPECT_EQ(form->objectAtPoint({562, 10})->name(), "Maximize");
}

TEST(Region, AMaskedBitmapObjectLeavesOutItsKeyPixels) {
    BitmapList bitmaps;
    auto b = std::make_unique<TSeBitmap>("m", 4, 3);
    for (auto& p : b->mutablePixels())
        p = 0xFF808080u;
    b->setPixel(0, 0, kKeyPixel);
    b->setPixel(2, 1, kKeyPixel);
    bitmaps.push_back(std::move(b));
    TSeBitmapObject o;
    o.setStoredBounds(10, 20, 4, 3);
    o.Bitmap = {"m", 0, 0, 4, 3};
    o.setBitmaps(&bitmaps);
    o.afterLoad();
    QRegion r = o.region();
    EXPECT_EQ(r.boundingRect(), QRect(10, 20, 4, 3));
    EXPECT_FALSE(r.contains(QPoint(10, 20)));
    EXPECT_FALSE(r.contains(QPoint(12, 21)));
    EXPECT_TRUE(r.contains(QPoint(11, 20)));
    EXPECT_TRUE(r.contains(QPoint(13, 21)));
    int area = 0;
    for (const QRect& rect : r)
        area += rect.width() * rect.height();
    EXPECT_EQ(area, 10);
    o.Kind = TSeKind::skClient;
    EXPECT_EQ(o.region(), QRegion(10, 20, 4, 3));
    o.Kind = TSeKind::skNone;
    o.Masked = false;
    EXPECT_EQ(o.region(), QRegion(10, 20, 4, 3));
}

TEST(Region, ATreeIsTheUnionOfItsVisibleChildrenUnlessItDrawsItself) {
    TSeSkinObject root;
    root.setStoredBounds(0, 0, 10, 10);
    auto& a = root.addChild(std::make_unique<TSeSkinObject>());
    a.setStoredBounds(0, 0, 2, 2);
    auto& b = root.addChild(std::make_unique<TSeSkinObject>());
    b.setStoredBounds(5, 5, 2, 2);
    EXPECT_EQ(root.region(), QRegion(0, 0, 2, 2) + QRegion(5, 5, 2, 2));
    b.setVisible(false);
    EXPECT_EQ(root.region(), QRegion(0, 0, 2, 2));
    root.DrawIfOwner = true;
    EXPECT_EQ(root.region(), QRegion(0, 0, 10, 10));
    root.DrawIfOwner = false;
    root.Masked = false;
    EXPECT_EQ(root.region(), QRegion(0, 0, 10, 10));
    root.setBounds(0, 0, 0, 10);
    EXPECT_TRUE(root.region().isEmpty());

    // The default form's region has its rounded top corners cut.
    TSeSkinSource s;
    skintest::loadDefaultSkin(s);
    auto form = s.formObject()->clone();
    form->setBounds(0, 0, 400, 300);
    const QRegion shape = form->region();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(399, 0)));
    EXPECT_TRUE(shape.contains(QPoint(10, 0)));
    EXPECT_TRUE(shape.contains(QPoint(0, 299)));
    EXPECT_TRUE(shape.contains(QPoint(200, 150)));
}

TEST(Hue, GreysStayAndTheWrapIsBy255) {
    for (int v : {0, 1, 77, 128, 255})
        EXPECT_EQ(shiftHue({v, v, v}, 100), (Rgb{v, v, v}));
    // Pure red has hue step 0; step 250 + 10 = 260 wraps to 5, not 4.
    const Rgb red = shiftHue({255, 0, 0}, 250);
    const Rgb wrapped = shiftHue(red, 10);
    EXPECT_EQ(wrapped, shiftHue({255, 0, 0}, 5));
    EXPECT_NE(wrapped, shiftHue({255, 0, 0}, 4));
    EXPECT_EQ(shiftHue({255, 0, 0}, 85), (Rgb{0, 255, 0}));
    EXPECT_EQ(shiftPixelHue(0x00123456, 40), 0x00123456u);
    EXPECT_EQ(shiftPixelHue(kKeyPixel, 40), kKeyPixel);
    EXPECT_EQ(shiftPixelHue(0x20FF0000, 85), 0xFF00FF00u);
}

TEST(Hue, ObjectsShiftColoursAndFontsButNotNone) {
    TSeActiveObject o;
    o.Color = rgbColor(255, 0, 0);
    o.Font.Color = clNone;
    o.ActiveColor = rgbColor(255, 0, 0);
    o.ActiveFont.Color = clWindowText; // a system colour, resolved first: black stays black
    auto& c = o.addChild(std::make_unique<TSeSkinObject>());
    c.Color = rgbColor(255, 0, 0);
    o.shiftHue(85);
    EXPECT_EQ(o.Color, rgbColor(0, 255, 0));
    EXPECT_EQ(o.Font.Color, clNone);
    EXPECT_EQ(o.ActiveColor, rgbColor(0, 255, 0));
    EXPECT_EQ(o.ActiveFont.Color, rgbColor(0, 0, 0));
    EXPECT_EQ(c.Color, rgbColor(0, 255, 0));
}

TEST(Hue, TheSourceShiftsByTheDifferenceToTheAppliedOffset) {
    TSeSkinSource s;
    auto b = std::make_unique<TSeBitmap>("p", 1, 1);
    b->setPixel(0, 0, 0xFFFF0000);
    s.addBitmap(std::move(b));
    auto o = std::make_unique<TSeSkinObject>();
    o->Color = rgbColor(255, 0, 0);
    TSeSkinObject& obj = s.addObject(std::move(o));
    s.setHue(10);
    s.setHue(10);
    const std::uint32_t once = shiftPixelHue(0xFFFF0000, 10);
    EXPECT_EQ(s.bitmaps()[0]->pixel(0, 0), once);
    s.setHue(20);
    EXPECT_EQ(s.bitmaps()[0]->pixel(0, 0), shiftPixelHue(once, 10));
    EXPECT_EQ(s.appliedHue(), 20);
    const TColor c = obj.Color;
    s.setHue(20);
    EXPECT_EQ(obj.Color, c);
}

TEST(Binding, TheHostReceivesRepaintsAndGivesTheReadingOrder) {
    struct Host : SkinHost {
        int repaints = 0;
        QObject frameObject;
        void skinInvalidate(TSeSkinObject&) override { ++repaints; }
        bool skinRightToLeft() const override { return true; }
        QObject* skinFrame() override { return &frameObject; }
    } host;
    TSeSkinObject root;
    auto& c = root.addChild(std::make_unique<TSeSkinObject>());
    root.bindTo(&host);
    EXPECT_TRUE(c.rightToLeft());
    EXPECT_EQ(c.host(), &host);
    EXPECT_EQ(c.frame(), &host.frameObject);
    c.setText("a");
    c.setText("a");
    EXPECT_EQ(host.repaints, 1);
    c.setVisible(false);
    const int before = host.repaints;
    c.invalidate(); // invisible objects ask for nothing
    EXPECT_EQ(host.repaints, before);
    root.bindTo(nullptr);
    EXPECT_FALSE(c.rightToLeft());
    EXPECT_EQ(c.frame(), nullptr);
}

TEST(Charset, ReadingSetsEveryFontOfTheTreeToDefault) {
    TSeSkinSource s;
    auto o = std::make_unique<TSeActiveObject>();
    o->Font.Charset = 134;
    o->ActiveFont.Charset = 134;
    auto child = std::make_unique<TSeSkinObject>();
    child->Font.Charset = 0;
    auto* childPtr = &o->addChild(std::move(child));
    auto* ptr = o.get();
    s.addObject(std::move(o));
    EXPECT_EQ(ptr->Font.Charset, 1);
    EXPECT_EQ(ptr->ActiveFont.Charset, 1);
    EXPECT_EQ(childPtr->Font.Charset, 1);
}

TEST(Names, EveryColourAndCharsetNameReadsBackInAnyCase) {
    int named = 0;
    // Standard colours, system colours and the two special values.
    std::vector<TColor> colours{clNone, clDefault};
    for (TColor c : {0x000000u, 0x000080u, 0xFFFFFFu, 0xC0DCC0u, 0xF0FBFFu, 0xA4A0A0u})
        colours.push_back(c);
    for (TColor i = 0; i <= 0x1E; ++i)
        colours.push_back(0x80000000u + i);
    for (const TColor c : colours) {
        const auto name = colorToIdent(c);
        if (!name)
            continue; // index 0x19 has no name
        ++named;
        std::string lower(*name), upper(*name);
        for (char& ch : lower)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        for (char& ch : upper)
            ch = char(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(colorFromIdent(*name), c) << *name;
        EXPECT_EQ(colorFromIdent(lower), c) << lower;
        EXPECT_EQ(colorFromIdent(upper), c) << upper;
        EXPECT_FALSE(colorFromIdent(std::string(*name) + "x")) << *name;
        EXPECT_FALSE(colorFromIdent(name->substr(0, name->size() - 1))) << *name;
    }
    EXPECT_EQ(named, 38);
    EXPECT_FALSE(colorFromIdent(""));
    EXPECT_FALSE(colorFromIdent("cl"));
    EXPECT_FALSE(colorFromIdent("zzz"));

    for (int cs = 0; cs < 256; ++cs) {
        if (const auto name = charsetToIdent(cs)) {
            EXPECT_EQ(charsetFromIdent(*name), cs) << *name;
            std::string lower(*name);
            for (char& ch : lower)
                ch = char(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(charsetFromIdent(lower), cs) << lower;
        }
    }
    EXPECT_EQ(charsetFromIdent("DEFAULT_CHARSET"), 1);
    EXPECT_FALSE(charsetFromIdent("DEFAULT"));
}
