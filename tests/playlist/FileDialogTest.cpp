#include "playlist/FileDialog.h"

#include "tests/support/TempDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

using namespace playlist;

namespace {

// Answers the next QFileDialog the way a user would, after recording how it was set up.
struct DialogSeen {
    bool shown = false;
    QFileDialog::AcceptMode acceptMode{};
    QFileDialog::FileMode fileMode{};
    QStringList nameFilters;
    QString defaultSuffix;
    bool confirmsOverwrite = false;
};

void answerNextDialog(DialogSeen& seen, const QStringList& choose) {
    QTimer::singleShot(0, [&seen, choose] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.shown = true;
        seen.acceptMode = dialog->acceptMode();
        seen.fileMode = dialog->fileMode();
        seen.nameFilters = dialog->nameFilters();
        seen.defaultSuffix = dialog->defaultSuffix();
        seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        if (choose.isEmpty()) {
            dialog->reject();
            return;
        }
        QStringList quoted;
        for (const QString& name : choose)
            quoted.append(u'"' + name + u'"');
        dialog->selectFile(choose.size() == 1 ? choose.front() : quoted.join(u' '));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it, QDialog does not
    });
}

} // namespace

TEST(FileDialogTest, FilterTranslation) {
    EXPECT_EQ(QtFileDialogProvider::nameFilters(".swf|*.swf"), QStringList{".swf (*.swf)"});
    EXPECT_EQ(QtFileDialogProvider::nameFilters("Movies|*.swf;*.spl|All|*.*"),
              (QStringList{"Movies (*.swf *.spl)", "All (*.*)"}));
    EXPECT_TRUE(QtFileDialogProvider::nameFilters("").isEmpty());
}

TEST(FileDialogTest, OpenDialogShowsAQFileDialogAndKeepsTheSelection) {
    testsupport::IsolatedEnvironment env;
    const QString a = testsupport::writeFile(env.file("a.swf"), "a");
    const QString b = testsupport::writeFile(env.file("b.swf"), "b");
    TOpenDialog dialog;
    setUpOpenDialog1(dialog);
    dialog.setFilter(".swf|*.swf");
    dialog.setInitialDir(env.path());

    DialogSeen seen;
    answerNextDialog(seen, {"a.swf", "b.swf"});
    ASSERT_TRUE(dialog.execute());
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptOpen);
    EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFiles);
    EXPECT_EQ(seen.nameFilters, QStringList{".swf (*.swf)"});
    EXPECT_EQ(dialog.files(), (QStringList{a, b}));
    EXPECT_EQ(dialog.fileName(), a);

    // Cancelling keeps the last selection.
    answerNextDialog(seen, {});
    EXPECT_FALSE(dialog.execute());
    EXPECT_EQ(dialog.files(), (QStringList{a, b}));
}

TEST(FileDialogTest, SaveDialogAddsTheDefaultExtension) {
    testsupport::IsolatedEnvironment env;
    TSaveDialog dialog;
    setUpSaveDialog1(dialog);
    dialog.setFilter(".ini|*.ini");
    dialog.setDefaultExt(".ini");
    dialog.setInitialDir(env.path());

    DialogSeen seen;
    answerNextDialog(seen, {"mylist"});
    ASSERT_TRUE(dialog.execute());
    EXPECT_EQ(seen.acceptMode, QFileDialog::AcceptSave);
    EXPECT_EQ(seen.defaultSuffix, "ini");
    EXPECT_TRUE(seen.confirmsOverwrite);
    EXPECT_EQ(dialog.fileName(), env.file("mylist.ini"));
}

TEST(FileDialogTest, ScriptedProviderSeesTheSettings) {
    struct Provider : FileDialogProvider {
        std::optional<QStringList> run(const FileDialogRequest& r) override {
            request = r;
            return QStringList{"/m/typed"};
        }
        FileDialogRequest request;
    } provider;
    TSaveDialog dialog;
    setUpSaveDialog1(dialog);
    dialog.setProvider(&provider);
    dialog.setFileName("/m/preset.swf");
    ASSERT_TRUE(dialog.execute());
    EXPECT_EQ(provider.request.kind, DialogKind::Save);
    EXPECT_EQ(provider.request.filter, ".swf|*.swf");
    EXPECT_EQ(provider.request.fileName, "/m/preset.swf");
    EXPECT_TRUE(provider.request.options & DialogOption::PathMustExist);
    EXPECT_EQ(dialog.fileName(), "/m/typed.swf");
    EXPECT_EQ(dialog.files(), QStringList{"/m/typed.swf"});
}
