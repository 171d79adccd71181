// The engine: its properties, quiet loading from the stored stream, the change broadcasts as
// real windows see them, file changes (busy flag, missing and broken files) and re-tinting.

#include "skin/engine/TSeSkinEngine.h"

#include <QApplication>
#include <QFile>
#include <QMetaProperty>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "skin/controls/TSeSkinPanel.h"
#include "skin/format/SkinError.h"
#include "skin/model/HueShift.h"
#include "tests/skin/engine/EngineFixtures.h"

using namespace enginetest;
using skin::SkinMessage;
using skin::SkinMessageKind;
using skin::TSeSkinEngine;
using skin::TSeSkinPanel;

namespace {

// Writes down every skin message a widget receives, as "name:number".
class Recorder : public QObject {
public:
    explicit Recorder(std::vector<std::string>& log) : log_(log) {}
    std::function<void(QObject*, SkinMessageKind)> onMessage;

    void watch(QWidget* w) {
        w->installEventFilter(this);
        for (QWidget* child : w->findChildren<QWidget*>())
            child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (SkinMessage::isSkinMessage(event)) {
            const auto* m = static_cast<SkinMessage*>(event);
            if (m->kind() == SkinMessageKind::BeforeChange ||
                m->kind() == SkinMessageKind::AfterChange) {
                log_.push_back(watched->objectName().toStdString() + ":" +
                               std::to_string(static_cast<int>(m->kind())));
                if (onMessage)
                    onMessage(watched, m->kind());
            }
        }
        return false;
    }

private:
    std::vector<std::string>& log_;
};

QWidget* child(QWidget* parent, const char* name) {
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    return w;
}

class SkinEngine : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TSeSkinEngine engine{nullptr, QStringLiteral("/nonexistent-executable-dir")};
};

} // namespace

TEST_F(SkinEngine, PublishedPropertiesInOrderWithTheirDefaults) {
    const QMetaObject* meta = engine.metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << meta->property(i).name();
    EXPECT_EQ(names, (QStringList{"DeltaHue", "SkinFile", "SkinStore", "SkinStoreCompression",
                                  "Version"}));
    EXPECT_EQ(engine.DeltaHue(), 0);
    EXPECT_TRUE(engine.SkinFile().isEmpty());
    EXPECT_FALSE(engine.SkinStoreCompression());
    engine.setVersion("1.0");
    engine.setSkinStore("other");
    EXPECT_EQ(engine.Version(), "3.2.0");
    EXPECT_EQ(engine.SkinStore(), "(none)");
    EXPECT_EQ(engine.source().SkinName, "SkinEngine Skin");
    EXPECT_FALSE(engine.source().hasObjects());
}

TEST_F(SkinEngine, TheStoredStreamLoadsQuietlyAndLoadedReportsItOnce) {
    int before = 0, after = 0;
    engine.OnBeforeChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &engine);
        ++before;
    };
    engine.OnAfterChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &engine);
        ++after;
    };
    std::vector<std::string> log;
    Recorder recorder(log);
    QWidget form;
    form.setObjectName("form");
    recorder.watch(&form);

    engine.setSkinFile(writeSkin(dir, "a.kskn"));
    ASSERT_EQ(after, 1);
    log.clear();
    EXPECT_TRUE(engine.readSkinStream(panelSkinStream()));
    EXPECT_TRUE(engine.SkinFile().isEmpty());
    EXPECT_EQ(engine.source().objects().size(), 2u);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(log.empty());
    engine.loaded();
    EXPECT_EQ(after, 2);
}

TEST_F(SkinEngine, AStreamWithoutSkinSkinsNothingAndReportsNothing) {
    int after = 0;
    engine.OnAfterChange = [&](QObject*) { ++after; };
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    EXPECT_FALSE(engine.readSkinStream(QByteArray(1, '\0')));
    engine.loaded();
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(engine.source().hasObjects());
    EXPECT_FALSE(panel.isSkinned());
    // A present skin is reported, and the panel that named the engine before takes it.
    EXPECT_TRUE(engine.readSkinStream(panelSkinStream()));
    EXPECT_TRUE(panel.isSkinned());
    engine.loaded();
    EXPECT_EQ(after, 1);
    // Reading an empty stream over a skin takes the copies away before the skin goes.
    EXPECT_FALSE(engine.readSkinStream(QByteArray(1, '\0')));
    EXPECT_FALSE(panel.isSkinned());
    EXPECT_EQ(panel.skinClient().skinCopy(), nullptr);
}

TEST_F(SkinEngine, ABrokenStreamFailsAndLeavesControlsUnskinned) {
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    engine.readSkinStream(panelSkinStream());
    ASSERT_TRUE(panel.isSkinned());
    QByteArray broken = panelSkinStream();
    broken.truncate(broken.size() / 2);
    EXPECT_THROW(engine.readSkinStream(broken), skin::SkinError);
    EXPECT_FALSE(panel.isSkinned());
    EXPECT_EQ(panel.CaptionHeight(), 20);
    EXPECT_THROW(engine.readSkinStream(QByteArray()), skin::SkinError);
    // A good stream afterwards skins the panel again.
    engine.readSkinStream(panelSkinStream());
    EXPECT_TRUE(panel.isSkinned());
}

TEST_F(SkinEngine, ChangesAreBroadcastToEveryWindowAndControlDepthFirst) {
    std::vector<std::string> log;
    engine.OnBeforeChange = [&](QObject*) { log.push_back("OnBeforeChange"); };
    engine.OnAfterChange = [&](QObject*) { log.push_back("OnAfterChange"); };
    Recorder recorder(log);

    QWidget a;
    a.setObjectName("a");
    QWidget* a1 = child(&a, "a1");
    child(a1, "a11");
    child(a1, "a12");
    child(&a, "a2");
    // A dialog parented to a window is a window of its own, told once, as itself.
    auto* dialog = new QWidget(&a, Qt::Dialog);
    dialog->setObjectName("d");
    child(dialog, "d1");
    QWidget b;
    b.setObjectName("b");
    child(&b, "b1");
    for (QWidget* w : {&a, &b})
        recorder.watch(w);

    // Pending events are handled after each window is told: an event posted while the first
    // window hears of the change arrives before the next window does.
    struct Marker : QObject {
        std::vector<std::string>* log;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) {
                log->push_back("posted");
                return true;
            }
            return QObject::event(e);
        }
    } marker;
    marker.log = &log;
    bool posted = false;
    recorder.onMessage = [&](QObject*, SkinMessageKind) {
        if (!posted) {
            posted = true;
            QCoreApplication::postEvent(&marker, new QEvent(QEvent::User));
        }
    };

    engine.readSkinStream(panelSkinStream());
    log.clear();
    engine.setDeltaHue(40);

    const std::vector<std::string> subtreeA = {"a", "a1", "a11", "a12", "a2"};
    const std::vector<std::string> subtreeB = {"b", "b1"};
    const std::vector<std::string> subtreeD = {"d", "d1"};
    // Windows come in some order, each as one depth-first run; every window hears 1703
    // before any hears 1702.
    auto checkRound = [&](std::size_t& at, const char* number) {
        std::vector<std::string> seen;
        for (int form = 0; form < 3; ++form) {
            ASSERT_LT(at, log.size());
            if (log[at] == "posted")
                ++at;
            const std::string first = log[at].substr(0, log[at].find(':'));
            const auto& subtree = first == "a" ? subtreeA : first == "b" ? subtreeB : subtreeD;
            ASSERT_TRUE(first == "a" || first == "b" || first == "d") << log[at];
            for (const auto& name : subtree) {
                ASSERT_LT(at, log.size());
                EXPECT_EQ(log[at], name + ":" + number);
                ++at;
            }
            seen.push_back(first);
        }
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "d"}));
    };
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "OnBeforeChange");
    std::size_t at = 1;
    const std::size_t firstForm = at;
    checkRound(at, "1703");
    // The posted event ran right after the first window's run, not later.
    const auto postedAt = std::find(log.begin(), log.end(), "posted") - log.begin();
    const std::size_t firstRunLength = log[firstForm][0] == 'a' ? subtreeA.size() : subtreeB.size();
    EXPECT_EQ(std::size_t(postedAt), firstForm + firstRunLength);
    checkRound(at, "1702");
    ASSERT_EQ(at + 1, log.size());
    EXPECT_EQ(log.back(), "OnAfterChange");
}

TEST_F(SkinEngine, WindowsAreToldActiveFirstThenInTheOrderTheyWereShown) {
    QWidget a, b, c, never;
    c.show();
    a.show();
    b.show();
    QApplication::setActiveWindow(&b);
    if (QApplication::activeWindow() != &b)
        GTEST_SKIP() << "the platform does not activate windows";
    QList<QWidget*> ours;
    for (QWidget* w : TSeSkinEngine::formsInScreenOrder())
        if (w == &a || w == &b || w == &c || w == &never)
            ours.append(w);
    EXPECT_EQ(ours, (QList<QWidget*>{&b, &c, &a, &never}));
}

TEST_F(SkinEngine, WhileAFileChangeRunsLookupsFindNothingAndControlsAreNotSkinned) {
    const QString first = writeSkin(dir, "first.kskn");
    const QString second = writeSkin(dir, "second.uskn");
    QWidget form;
    auto* panel = new TSeSkinPanel(&form);
    panel->setSkinEngine(&engine);
    engine.setSkinFile(first);
    ASSERT_TRUE(panel->isSkinned());

    int checks = 0;
    auto expectBusy = [&] {
        EXPECT_TRUE(engine.source().busy());
        EXPECT_TRUE(engine.isChanging());
        EXPECT_EQ(engine.source().findObject("Panel"), nullptr);
        EXPECT_EQ(engine.source().formObject(), nullptr);
        EXPECT_FALSE(panel->isSkinned());
        ++checks;
    };
    engine.OnBeforeChange = [&](QObject*) { expectBusy(); };
    std::vector<std::string> log;
    Recorder recorder(log);
    recorder.watch(&form);
    recorder.onMessage = [&](QObject* w, SkinMessageKind kind) {
        if (w == panel && kind == SkinMessageKind::BeforeChange)
            expectBusy();
    };
    bool afterSeen = false;
    engine.OnAfterChange = [&](QObject*) {
        EXPECT_FALSE(engine.source().busy());
        EXPECT_TRUE(panel->isSkinned());
        afterSeen = true;
    };
    engine.setSkinFile(second);
    EXPECT_EQ(checks, 2);
    EXPECT_TRUE(afterSeen);
    EXPECT_FALSE(engine.isChanging());
    EXPECT_EQ(engine.SkinFile(), second);
}

TEST_F(SkinEngine, AFirstSkinFileIsLoadedWithoutTheBeforeChangeBroadcast) {
    int before = 0, after = 0;
    engine.OnBeforeChange = [&](QObject*) { ++before; };
    engine.OnAfterChange = [&](QObject*) { ++after; };
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    engine.setSkinFile(writeSkin(dir, "skin.xskn"));
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(panel.isSkinned());
}

TEST_F(SkinEngine, AMissingOrUnknownSkinFileLeavesNoSkin) {
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    for (const QString& name : {dir.filePath("missing.kskn"), dir.filePath("skin.skin"),
                                QStringLiteral("relative-and-missing.kskn"), QString()}) {
        engine.readSkinStream(panelSkinStream());
        ASSERT_TRUE(panel.isSkinned());
        if (name.endsWith(".skin") && !QFile::exists(name))
            QFile::copy(writeSkin(dir, "skin.kskn"), name);
        int after = 0;
        engine.OnAfterChange = [&](QObject*) { ++after; };
        engine.setSkinFile(name);
        EXPECT_FALSE(engine.source().hasObjects()) << name.toStdString();
        EXPECT_FALSE(panel.isSkinned());
        EXPECT_EQ(panel.CaptionHeight(), 20);
        EXPECT_EQ(after, 1);
    }
}

TEST_F(SkinEngine, ARelativeSkinFileIsFoundBesideTheExecutable) {
    writeSkin(dir, "beside.kskn");
    TSeSkinEngine besides(nullptr, dir.path());
    besides.setSkinFile("beside.kskn");
    EXPECT_TRUE(besides.source().hasObjects());
}

TEST_F(SkinEngine, ABrokenSkinFileFailsTheSetterAfterTheCopiesAreGone) {
    const QString good = writeSkin(dir, "good.kskn");
    QFile::copy(good, dir.filePath("broken.kskn"));
    {
        QFile f(dir.filePath("broken.kskn"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.resize(f.size() / 2);
    }
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    engine.setSkinFile(good);
    ASSERT_TRUE(panel.isSkinned());
    ASSERT_EQ(panel.CaptionHeight(), kSkinCaptionHeight);
    int after = 0;
    engine.OnAfterChange = [&](QObject*) { ++after; };
    try {
        engine.setSkinFile(dir.filePath("broken.kskn"));
        ADD_FAILURE() << "no error";
    } catch (const skin::SkinError&) {
        EXPECT_EQ(panel.skinClient().skinCopy(), nullptr);
        EXPECT_FALSE(panel.isSkinned());
    }
    EXPECT_EQ(after, 0);
    // Not half skinned: the panel is back to its own caption height.
    EXPECT_EQ(panel.CaptionHeight(), 20);
    EXPECT_FALSE(engine.source().busy());
    EXPECT_FALSE(engine.isChanging());
    // The engine is not stuck: the next file loads and the panel is skinned again.
    engine.setSkinFile(good);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(panel.isSkinned());
}

TEST_F(SkinEngine, AnErrorInAHandlerStillEndsTheChange) {
    engine.readSkinStream(panelSkinStream());
    engine.OnBeforeChange = [](QObject*) { throw std::runtime_error("handler"); };
    EXPECT_THROW(engine.setDeltaHue(5), std::runtime_error);
    EXPECT_FALSE(engine.isChanging());
    EXPECT_THROW(engine.setSkinFile(writeSkin(dir, "x.kskn")), std::runtime_error);
    EXPECT_FALSE(engine.isChanging());
    EXPECT_FALSE(engine.source().busy());
    engine.OnBeforeChange = nullptr;
    engine.setDeltaHue(5);
    EXPECT_EQ(engine.source().appliedHue(), 5);
}

TEST_F(SkinEngine, HueChangesShiftByTheDifferenceToWhatIsApplied) {
    engine.readSkinStream(panelSkinStream());
    const auto pixelAt = [&](int x) { return engine.source().bitmaps()[0]->pixel(x, 0); };
    int before = 0;
    engine.OnBeforeChange = [&](QObject*) { ++before; };
    engine.setDeltaHue(0);
    EXPECT_EQ(before, 0);
    engine.setDeltaHue(10);
    EXPECT_EQ(before, 1);
    const std::uint32_t once = skin::shiftPixelHue(kFramePixel, 10);
    EXPECT_EQ(pixelAt(0), once);
    engine.setDeltaHue(10);
    EXPECT_EQ(before, 1);
    engine.setDeltaHue(20);
    EXPECT_EQ(before, 2);
    EXPECT_EQ(pixelAt(0), skin::shiftPixelHue(once, 10));
    EXPECT_NE(pixelAt(0), skin::shiftPixelHue(once, 20));
    // Grey has no hue to turn.
    EXPECT_EQ(pixelAt(6 * 8), kGreyPixel);
}

TEST_F(SkinEngine, HueStepsWrapBy255) {
    // Pure red sits at hue step 0; at 250 and ten more it is at step 5 (260 - 255), not 4.
    engine.readSkinStream(panelSkinStream());
    engine.setDeltaHue(250);
    engine.setDeltaHue(260);
    const std::uint32_t red = engine.source().bitmaps()[0]->pixel(7 * 8, 0);
    EXPECT_EQ(red, skin::shiftPixelHue(kRedPixel, 5));
    EXPECT_NE(red, skin::shiftPixelHue(kRedPixel, 4));
}

TEST_F(SkinEngine, ControlsTakeTheRetintedColoursAfterAHueChange) {
    TSeSkinPanel panel;
    panel.setSkinEngine(&engine);
    engine.readSkinStream(panelSkinStream());
    const skin::TColor original = panel.skinClient().skinCopy()->findObject("Caption")->Color;
    engine.setDeltaHue(85);
    const skin::TColor shifted = panel.skinClient().skinCopy()->findObject("Caption")->Color;
    skin::TColor expected = original;
    skin::shiftColorHue(expected, 85);
    EXPECT_EQ(shifted, expected);
    EXPECT_NE(shifted, original);
}

TEST_F(SkinEngine, AHueSetWithoutSkinIsAppliedToTheNextFile) {
    engine.setDeltaHue(30);
    EXPECT_EQ(engine.DeltaHue(), 30);
    engine.setSkinFile(writeSkin(dir, "a.kskn"));
    EXPECT_EQ(engine.source().bitmaps()[0]->pixel(0, 0), skin::shiftPixelHue(kFramePixel, 30));
    // Another file starts from its own pixels: tinted by 30 once, not by 60.
    engine.setSkinFile(writeSkin(dir, "b.uskn"));
    EXPECT_EQ(engine.source().bitmaps()[0]->pixel(0, 0), skin::shiftPixelHue(kFramePixel, 30));
    engine.setDeltaHue(40);
    EXPECT_EQ(engine.source().bitmaps()[0]->pixel(0, 0),
              skin::shiftPixelHue(skin::shiftPixelHue(kFramePixel, 30), 10));
}

TEST_F(SkinEngine, ChangesRequestedDuringAChangeRunAfterIt) {
    const QString a = writeSkin(dir, "a.kskn");
    const QString b = writeSkin(dir, "b.kskn", {.withPanel = false});
    QWidget form;
    auto* panel = new TSeSkinPanel(&form);
    panel->setSkinEngine(&engine);
    engine.setSkinFile(a);
    int before = 0;
    engine.OnBeforeChange = [&](QObject*) {
        if (++before == 1) {
            engine.setDeltaHue(7);
            engine.setSkinFile(b);
        }
    };
    engine.setDeltaHue(3);
    EXPECT_EQ(engine.SkinFile(), b);
    EXPECT_EQ(engine.source().objects().size(), 1u);
    EXPECT_EQ(engine.source().appliedHue(), 7);
    EXPECT_FALSE(panel->isSkinned());
    EXPECT_FALSE(engine.isChanging());
}

TEST_F(SkinEngine, DestroyingTheEngineLeavesControlsWithoutIt) {
    auto* owned = new TSeSkinEngine;
    TSeSkinPanel panel;
    panel.setSkinEngine(owned);
    owned->readSkinStream(panelSkinStream());
    ASSERT_TRUE(panel.isSkinned());
    delete owned;
    EXPECT_EQ(panel.SkinEngine(), nullptr);
    EXPECT_EQ(panel.skinClient().skinCopy(), nullptr);
    EXPECT_FALSE(panel.isSkinned());
    EXPECT_EQ(panel.CaptionHeight(), 20);
}

TEST_F(SkinEngine, AnEngineDestroyedWhileItBroadcastsStopsCleanly) {
    auto* owned = new TSeSkinEngine;
    QPointer<TSeSkinEngine> watch(owned);
    QWidget first, second;
    auto* panel = new TSeSkinPanel(&second);
    panel->setSkinEngine(owned);
    owned->readSkinStream(panelSkinStream());
    // Whichever window hears first posts the engine's deletion; it runs before the next
    // window is told.
    struct Killer : QObject {
        TSeSkinEngine* victim = nullptr;
        bool event(QEvent* e) override {
            if (e->type() == QEvent::User) {
                delete victim;
                return true;
            }
            return QObject::event(e);
        }
    } killer;
    killer.victim = owned;
    std::vector<std::string> log;
    Recorder recorder(log);
    bool posted = false;
    recorder.onMessage = [&](QObject*, SkinMessageKind) {
        if (!std::exchange(posted, true))
            QCoreApplication::postEvent(&killer, new QEvent(QEvent::User));
    };
    recorder.watch(&first);
    recorder.watch(&second);
    owned->setSkinFile(writeSkin(dir, "a.kskn"));
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(panel->SkinEngine(), nullptr);
    EXPECT_FALSE(panel->isSkinned());
}

TEST_F(SkinEngine, BoundPartsReachTheSkinnedFrameThroughTheirControlsWindow) {
    QWidget form;
    auto* panel = new TSeSkinPanel(&form);
    panel->setSkinEngine(&engine);
    engine.readSkinStream(panelSkinStream());
    skin::TSeSkinObject* caption = panel->skinClient().skinCopy()->findObject("Caption");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->frame(), nullptr);
    // A frame component answers the query on the window it decorates.
    struct Frame : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (SkinMessage::isSkinMessage(e)) {
                auto* m = static_cast<SkinMessage*>(e);
                if (m->kind() == SkinMessageKind::QueryFrame)
                    m->setFrame(this);
            }
            return false;
        }
    } frame;
    form.installEventFilter(&frame);
    EXPECT_EQ(caption->frame(), &frame);
}
