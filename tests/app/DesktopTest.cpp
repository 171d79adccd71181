// How the player meets the desktop: Qt's own dialogs in Chinese, its icon in the window and in
// the user's icon theme, and a clear word instead of an abort when there is no display.

#include "AppFixture.h"
#include "app/AppIcon.h"
#include "app/QtTranslations.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTranslator>

using namespace apptest;

namespace {

// Installs Qt's Chinese catalogue for one test and takes it away again.
class ChineseQt {
public:
    ChineseQt() : translator_(app::installQtTranslations(*qApp)) {}
    ~ChineseQt() {
        if (translator_) {
            QCoreApplication::removeTranslator(translator_);
            delete translator_;
        }
    }
    bool loaded() const { return translator_ != nullptr; }

private:
    QTranslator* translator_;
};

QStringList buttonTexts(QWidget* w) {
    QStringList texts;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        if (b->isVisibleTo(w) && !b->text().isEmpty())
            texts << b->text();
    return texts;
}

} // namespace

TEST(Desktop, QtsOwnDialogsSpeakChineseWhateverTheLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    {
        ChineseQt chinese;
        ASSERT_TRUE(chinese.loaded()) << "qtbase_zh_CN.qm is missing from Qt's translations";
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Save);
        const QStringList texts = buttonTexts(&box);
        EXPECT_TRUE(texts.contains(QStringLiteral("取消"))) << texts.join(u',').toStdString();
        EXPECT_TRUE(texts.contains(QStringLiteral("保存"))) << texts.join(u',').toStdString();

        QFileDialog dialog(nullptr, QStringLiteral("t"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        auto* fileNameLabel = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        ASSERT_NE(fileNameLabel, nullptr);
        EXPECT_TRUE(fileNameLabel->text().contains(QStringLiteral("文件名")))
            << fileNameLabel->text().toStdString();
        auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        ASSERT_NE(lookIn, nullptr);
        EXPECT_FALSE(lookIn->text().contains(QStringLiteral("Look in")));
        const QStringList dialogButtons =
            buttonTexts(dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")));
        EXPECT_TRUE(dialogButtons.contains(QStringLiteral("取消")))
            << dialogButtons.join(u',').toStdString();
    }
    QLocale::setDefault(before);
    // Without the catalogue Qt is English again, so the check above is not a given.
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("?"),
                    QMessageBox::Cancel);
    EXPECT_EQ(buttonTexts(&box), QStringList{QStringLiteral("Cancel")});
}

TEST(Desktop, TheIconComesInEveryThemeSize) {
    const QIcon icon = app::applicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Drawn, not blank: the middle of the large picture is opaque and the corners clear.
    const QImage big = icon.pixmap(QSize(256, 256)).toImage();
    EXPECT_EQ(qAlpha(big.pixel(128, 128)), 255);
    EXPECT_EQ(qAlpha(big.pixel(0, 0)), 0);

    const QList<platform::IconFile> files = app::applicationIconFiles();
    QStringList paths;
    for (const platform::IconFile& f : files) {
        paths << f.themePath;
        EXPECT_FALSE(f.bytes.isEmpty()) << f.themePath.toStdString();
    }
    EXPECT_TRUE(paths.contains(QStringLiteral("16x16/apps/quarvel-flash.png")));
    EXPECT_TRUE(paths.contains(QStringLiteral("256x256/apps/quarvel-flash.png")));
    EXPECT_TRUE(paths.contains(QStringLiteral("scalable/apps/quarvel-flash.svg")));
}

class DesktopWindow : public AppTest {};

TEST_F(DesktopWindow, TheWindowShowsTheIconAndTheAssociationInstallsIt) {
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_TRUE(form->windowIcon().availableSizes().contains(QSize(32, 32)));
    const QString theme = env.file("data/icons/hicolor");
    for (const platform::IconFile& f : app::applicationIconFiles())
        EXPECT_EQ(testsupport::readFile(theme + u'/' + f.themePath), f.bytes)
            << f.themePath.toStdString();
    const QByteArray desktop =
        testsupport::readFile(env.file("data/applications/quarvel-flash.desktop"));
    EXPECT_TRUE(desktop.contains("\nIcon=quarvel-flash\n")) << desktop.toStdString();
    const QImage installed(theme + QStringLiteral("/48x48/apps/quarvel-flash.png"));
    EXPECT_EQ(installed.size(), QSize(48, 48));
}

TEST(Desktop, WithoutADisplayThePlayerAndRunShSayHowToRunIt) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    // The script says so before it installs or builds anything.
    for (const QString& program :
         {QStringLiteral(QUARVEL_PLAYER_PATH), QStringLiteral(QUARVEL_SOURCE_DIR "/run.sh")}) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, {});
        ASSERT_TRUE(process.waitForFinished(20000)) << program.toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program.toStdString();
        EXPECT_EQ(process.exitCode(), 1) << program.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << program.toStdString();
        const QByteArray said = process.readAllStandardError();
        EXPECT_TRUE(said.contains("xvfb-run -a ./run.sh")) << said.toStdString();
        EXPECT_EQ(said.count('\n'), 1) << said.toStdString();
    }
}
