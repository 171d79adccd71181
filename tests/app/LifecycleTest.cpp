// The main window's life: the command-line movie, the .swf association, the start values, the
// right-click menu over the movie, and the playlist kept across starts.

#include "AppFixture.h"
#include "platform/ClassRegistry.h"
#include "playlist/PlaylistCommands.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinMenuBar.h"
#include "skin/controls/TSeSkinPanel.h"
#include "skin/controls/TSeSkinProgressBar.h"
#include "skin/controls/TSeSkinSpeedButton.h"
#include "skin/controls/TSeSkinSplitter.h"
#include "skin/controls/TSeSkinStatusBar.h"
#include "skin/controls/TSeSkinTrackBar.h"
#include "skin/engine/TSeSkinEngine.h"
#include "skin/model/TSeSkinObject.h"
#include "skin/model/TSeSkinSource.h"

#include <QApplication>
#include <QMenu>

using namespace apptest;

namespace {

class Lifecycle : public AppTest {};

} // namespace

TEST_F(Lifecycle, CommandLineMoviePlaysAtStart) {
    const QString path = writeMovie("start.swf", testsupport::makeMovingSquareMovie(50, 10));
    form.reset();
    createForm({path, QStringLiteral("ignored")});
    ASSERT_TRUE(waitFor([&] { return form->ShockwaveFlash1().get_TotalFrames() == 50; }));
    EXPECT_EQ(form->state().currentMoviePath, path);
    ASSERT_TRUE(waitFor([&] { return panelText(2) == path; }));
}

TEST_F(Lifecycle, MissingCommandLineFileStartsWithNothing) {
    form.reset();
    createForm({env.file("nope.swf")});
    QTest::qWait(100);
    EXPECT_TRUE(form->state().currentMoviePath.isEmpty());
    EXPECT_EQ(form->ShockwaveFlash1().get_TotalFrames(), 0);
}

TEST_F(Lifecycle, EveryStartRegistersTheSwfAssociation) {
    platform::ClassRegistry registry;
    EXPECT_EQ(registry.value(QStringLiteral(".swf")), QStringLiteral("swf File"));
    EXPECT_EQ(registry.value(QStringLiteral("swf File\\Shell\\Open\\Command")),
              u'"' + QCoreApplication::applicationFilePath() + QStringLiteral("\" \"%1\""));
    EXPECT_TRUE(QFileInfo::exists(env.file("data/applications/quarvel-flash.desktop")));
    EXPECT_TRUE(testsupport::readFile(env.file("config/mimeapps.list"))
                    .contains("application/x-shockwave-flash=quarvel-flash.desktop"));
}

TEST_F(Lifecycle, PlaylistIsSavedOnCloseAndRestoredAtTheNextStart) {
    const QString a = writeMovie("a.swf", testsupport::makeMovingSquareMovie(3));
    const QString b = writeMovie("路径/b.swf", testsupport::makeMovingSquareMovie(3));
    form->playlistCommands().dropFiles({a, b});
    ASSERT_EQ(form->DropFilelistbox11->lineCount(), 2);
    const QStringList lines = {form->DropFilelistbox11->line(0), form->DropFilelistbox11->line(1)};
    form->CustomItem3Click(nullptr); // 退出(Esc) of the menu bar
    EXPECT_TRUE(QFileInfo::exists(settingsFile()));
    form.reset();
    createForm();
    ASSERT_EQ(form->DropFilelistbox11->lineCount(), 2);
    EXPECT_EQ(form->DropFilelistbox11->line(0), lines[0]);
    EXPECT_EQ(form->DropFilelistbox11->line(1), lines[1]);
}

TEST_F(Lifecycle, MovieMenuExitDestroysTheControlAndStillSaves) {
    const QString a = writeMovie("a.swf", testsupport::makeMovingSquareMovie(3));
    form->playlistCommands().dropFiles({a});
    form->CustomItem24Click(nullptr);
    EXPECT_TRUE(form->ShockwaveFlash1().isDestroyed());
    EXPECT_TRUE(QFileInfo::exists(settingsFile()));
}

TEST_F(Lifecycle, RightPressOnTheMovieOpensThePlayersMenuAndNeverReachesTheControl) {
    QWidget* control = form->ShockwaveFlash1().widget();
    ASSERT_NE(control, nullptr);
    form->resize(600, 400);
    QTest::qWait(20);
    QTest::mousePress(control, Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_NE(form->movieMenu(), nullptr);
    EXPECT_TRUE(waitFor([&] { return form->movieMenu()->isVisible(); }, 1000));
    form->movieMenu()->hide();
    // Any other button passes through.
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_FALSE(form->movieMenu()->isVisible());
}

TEST_F(Lifecycle, SaveFailureOnCloseIsSwallowed) {
    form->setSettingsFilePath(QStringLiteral("/proc/quarvel/none/Flash.ini"));
    form->playlistCommands().dropFiles(
        {writeMovie("a.swf", testsupport::makeMovingSquareMovie(3))});
    form->CustomItem3Click(nullptr);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Lifecycle, TheWindowCarriesTheDefaultSkin) {
    ASSERT_GT(form->SkinStream().size(), 100);
    EXPECT_EQ(form->SkinStream().at(0), '\x02');
    const auto& objects = form->skinSource().objects();
    QStringList names;
    for (const auto& o : objects)
        names << QString::fromStdString(std::string(o->name()));
    EXPECT_EQ(names, (QStringList{"Form", "MenuBar", "PopupMenu", "CheckBox", "RadioButton",
                                  "Button", "Tabs", "ProgressBar", "Edit", "SpeedButton",
                                  "ComboBox", "ListBox", "ScrollBox", "Header", "StatusBar",
                                  "ControlBar", "Toolbar", "SpinButton"}));
    EXPECT_EQ(form->skinSource().findObject("Panel"), nullptr);

    // The window's engine holds that skin and every rolling panel points at it; the skin has
    // no "Panel" object, so the panels keep their own look.
    ASSERT_NE(form->SeSkinEngine1, nullptr);
    EXPECT_EQ(&form->SeSkinEngine1->source(), &form->skinSource());
    EXPECT_EQ(form->SeSkinEngine1->DeltaHue(), 0);
    EXPECT_EQ(form->SeSkinEngine1->Version(), QStringLiteral("3.2.0"));
    for (skin::TSeSkinPanel* panel :
         {form->SeSkinPanel5, form->SeSkinPanel4, form->SeSkinPanel1, form->SeSkinPanel3}) {
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->SkinEngine(), form->SeSkinEngine1) << panel->objectName().toStdString();
        EXPECT_FALSE(panel->isSkinned()) << panel->objectName().toStdString();
    }
    // Controls whose objects the skin has draw from it; the track bars have no engine and
    // the splitter finds no object, so both keep their own look.
    EXPECT_TRUE(form->SeSkinMenuBar1->isSkinned());
    EXPECT_TRUE(form->SeSkinStatusBar1->isSkinned());
    EXPECT_TRUE(form->SeSkinProgressBar1->isSkinned());
    for (skin::TSeSkinSpeedButton* button :
         {form->SeSkinSpeedButton1, form->SeSkinSpeedButton2, form->SeSkinSpeedButton3,
          form->SeSkinSpeedButton4, form->SeSkinSpeedButton5, form->SeSkinSpeedButton6,
          form->SeSkinSpeedButton7, form->SeSkinSpeedButton8})
        EXPECT_TRUE(button->isSkinned()) << button->objectName().toStdString();
    EXPECT_FALSE(form->SeSkinSplitter1->isSkinned());
    EXPECT_EQ(form->SeSkinTrackBar4->SkinEngine(), nullptr);
    EXPECT_FALSE(form->SeSkinTrackBar4->isSkinned());

    // A hue change reaches the controls and leaves them skinned.
    form->SeSkinEngine1->setDeltaHue(40);
    EXPECT_TRUE(form->SeSkinStatusBar1->isSkinned());
    EXPECT_TRUE(form->SeSkinSpeedButton1->isSkinned());
    form->SeSkinEngine1->setDeltaHue(0);
}
