// Our own default skin: what it holds, and that it survives every form unchanged.
#include <QFile>
#include <gtest/gtest.h>

#include "SmallSkin.h"
#include "skin/format/SkinFile.h"
#include "skin/format/TSeSkinFilter.h"
#include "skin/model/TSeActiveObject.h"
#include "skin/model/TSeButtonObject.h"
#include "skin/model/TSeSystemButton.h"
#include "tests/support/TempDir.h"
#include "tools/skinpack/SkinSourceDir.h"

using namespace skin;
using skintest::registry;

namespace {

void loadDefault(TSeSkinSource& s) {
    ASSERT_TRUE(loadSkinFile(s, QUARVEL_DEFAULT_SKIN_PATH, registry(), QString()));
}

std::string textOf(const TSeSkinSource& s) {
    const ObjectStreamer streamer(registry());
    std::string all;
    for (const auto& o : s.objects())
        all += std::string(o->className()) + "\n" + streamer.writeText(*o);
    return all;
}

} // namespace

TEST(DefaultSkin, HoldsTheEighteenTopLevelObjectsInOrder) {
    TSeSkinSource s;
    loadDefault(s);
    const char* names[] = {"Form",       "MenuBar", "PopupMenu",   "CheckBox", "RadioButton",
                           "Button",     "Tabs",    "ProgressBar", "Edit",     "SpeedButton",
                           "ComboBox",   "ListBox", "ScrollBox",   "Header",   "StatusBar",
                           "ControlBar", "Toolbar", "SpinButton"};
    ASSERT_EQ(s.objects().size(), 18u);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(s.objects()[i]->name(), names[i]);
    for (const char* absent : {"Panel", "TrackBar", "Splitter", "GroupBox", "ToolWindow"})
        EXPECT_EQ(s.findObject(absent), nullptr) << absent;
    EXPECT_EQ(s.formObject(), s.objects()[0].get());
}

TEST(DefaultSkin, HasThePartsTheControlsLookFor) {
    TSeSkinSource s;
    loadDefault(s);
    TSeSkinObject* form = s.findObject("Form");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->boundsRect(), QRect(0, 0, 300, 250));
    EXPECT_EQ(form->findObject("Caption")->boundsRect(), QRect(4, 0, 291, 22));
    auto* close = dynamic_cast<TSeSystemButton*>(form->findObject("Close"));
    ASSERT_TRUE(close);
    EXPECT_EQ(close->Action, TSeAction::sbaClose);
    EXPECT_EQ(close->boundsRect().topLeft(), QPoint(278, 3));
    for (TSeAction a : {TSeAction::sbaClose, TSeAction::sbaMaximize, TSeAction::sbaRestore,
                        TSeAction::sbaMinimize, TSeAction::sbaRollUp, TSeAction::sbaRollDown,
                        TSeAction::sbaTray, TSeAction::sbaSysMenu}) {
        bool found = false;
        form->forEachInTree([&](TSeSkinObject& o) {
            if (auto* b = dynamic_cast<TSeSystemButton*>(&o); b && b->Action == a)
                found = true;
        });
        EXPECT_TRUE(found) << int(a);
    }
    EXPECT_TRUE(form->findObjectByKind(TSeKind::skTitle));
    EXPECT_TRUE(form->findObjectByKind(TSeKind::skClient));
    EXPECT_EQ(s.findObject("MenuBar")->findObject("Frame")->height(), 21);
    EXPECT_TRUE(dynamic_cast<TSeActiveObject*>(s.findObject("MenuBar")->findObject("Item")));
    for (const char* part : {"Frame", "Panel", "Gripper"})
        EXPECT_TRUE(s.findObject("StatusBar")->findObject(part)) << part;
    for (const char* owner : {"Button", "SpeedButton"}) {
        for (const char* faceName : {"Face", "FlatFace"}) {
            auto* face = dynamic_cast<TSeButtonObject*>(s.findObject(owner)->findObject(faceName));
            ASSERT_TRUE(face) << owner << faceName;
            for (const auto* link : {&face->Bitmap, &face->BitmapHot, &face->BitmapPressed,
                                     &face->BitmapFocused, &face->BitmapDisabled})
                EXPECT_TRUE(link->image) << owner << faceName << link->Name;
        }
        EXPECT_TRUE(s.findObject(owner)->findObject("Text"));
    }
    EXPECT_TRUE(s.findObject("ProgressBar")->findObject("Frame"));
    EXPECT_TRUE(s.findObject("ProgressBar")->findObject("Bar"));
    // Every link of the skin names a bitmap that exists and lies inside it.
    for (const auto& top : s.objects()) {
        top->forEachInTree([&](TSeSkinObject& o) {
            auto* button = dynamic_cast<TSeSystemButton*>(&o);
            if (button && button->Action == TSeAction::sbaSysMenu)
                return; // draws the window's icon
            if (auto* b = dynamic_cast<TSeBitmapObject*>(&o)) {
                ASSERT_TRUE(b->Bitmap.usable()) << o.name();
                const QRect all(0, 0, b->Bitmap.image->width(), b->Bitmap.image->height());
                EXPECT_TRUE(all.contains(b->Bitmap.rect())) << o.name();
            }
        });
    }
}

TEST(DefaultSkin, IsWhatTheSourcesDescribe) {
    TSeSkinSource packed, sources;
    loadDefault(packed);
    loadSkinSourceDir(sources, QUARVEL_SOURCE_DIR "/assets/skin", registry());
    EXPECT_EQ(textOf(packed), textOf(sources));
}

TEST(DefaultSkin, EveryFormWritesAndReadsBackTheSameSkin) {
    TSeSkinSource s;
    loadDefault(s);
    testsupport::IsolatedEnvironment env;
    for (const char* ext : {"uskn", "kskn", "xskn", "mskn"}) {
        const QString path = env.file(QStringLiteral("default.") + ext);
        saveSkinFile(s, path, registry());
        TSeSkinSource back;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        auto filter = skinFilterForFile(path, back, registry());
        filter->LoadFromStream(file);
        EXPECT_EQ(filter->bodyConsumed(), filter->bodySize()) << ext;
        EXPECT_EQ(back.SkinName, s.SkinName);
        EXPECT_EQ(back.Author, s.Author);
        EXPECT_EQ(textOf(back), textOf(s)) << ext;
        ASSERT_EQ(back.bitmaps().size(), s.bitmaps().size());
        const bool packedForm = std::string(ext) == "mskn";
        for (std::size_t i = 0; i < s.bitmaps().size(); ++i) {
            const TSeBitmap& a = *s.bitmaps()[i];
            const TSeBitmap& b = *back.bitmaps()[i];
            EXPECT_EQ(a.name(), b.name());
            ASSERT_EQ(a.width(), b.width());
            ASSERT_EQ(a.height(), b.height());
            if (!packedForm) {
                EXPECT_EQ(a.pixels(), b.pixels()) << ext << " " << a.name();
                continue;
            }
            int mismatches = 0;
            for (std::size_t p = 0; p < a.pixels().size(); ++p) {
                const auto x = a.pixels()[p], y = b.pixels()[p];
                const bool same = isKeyPixel(x)
                                      ? isKeyPixel(y)
                                      : (x & 0xF8F8F8) == (y & 0xF8F8F8) && !isKeyPixel(y);
                mismatches += !same;
            }
            EXPECT_EQ(mismatches, 0) << a.name();
        }
    }
}

TEST(DefaultSkin, TheStreamValueBeginsAsTheFormStoresIt) {
    TSeSkinSource s;
    loadDefault(s);
    const QByteArray value = writeSkinStream(s, registry());
    EXPECT_TRUE(value.startsWith(QByteArray("\x02KSLZ\x78\x01", 7)));
    TSeSkinSource back;
    ASSERT_TRUE(readSkinStream(back, value, registry()));
    EXPECT_EQ(textOf(back), textOf(s));
}
