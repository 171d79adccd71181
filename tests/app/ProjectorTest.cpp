// Cutting the movie out of a projector, and the conversion command with its question.

#include "AppFixture.h"
#include "app/ProjectorConversion.h"
#include "playlist/FileDialog.h"
#include "playlist/TDropFilelistbox1.h"
#include "skin/controls/TSeSkinItem.h"
#include "skin/controls/TSeSkinSpeedButton.h"

#include <QtEndian>

using namespace apptest;
using app::EStreamError;
using app::ExtractProjectorMovie;

namespace {

QByteArray trailer(uint32_t magic, uint32_t length) {
    QByteArray t(8, '\0');
    qToLittleEndian<quint32>(magic, t.data());
    qToLittleEndian<quint32>(length, t.data() + 4);
    return t;
}

QByteArray projector(const QByteArray& movie) {
    return QByteArray("MZ fake player code ") + movie + trailer(app::kProjectorMagic, movie.size());
}

class Extract : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        return testsupport::writeFile(dir.file(name), bytes);
    }
    testsupport::IsolatedEnvironment dir;
};

} // namespace

TEST_F(Extract, TheThreeByteExample) {
    const QString source = write("a.exe", QByteArray::fromHex("4142435634 12FA03000000"));
    const QString target = dir.file("a.swf");
    EXPECT_TRUE(ExtractProjectorMovie(source, target));
    EXPECT_EQ(testsupport::readFile(target), QByteArray("ABC"));
}

TEST_F(Extract, NoTrailerOrAZeroLengthCreatesNothing) {
    const QString target = dir.file("t.swf");
    EXPECT_FALSE(ExtractProjectorMovie(write("plain.exe", QByteArray(4096, 'x')), target));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(ExtractProjectorMovie(
        write("zero.exe", QByteArray(100, 'x') + trailer(app::kProjectorMagic, 0)), target));
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(Extract, ALengthPastTheStartIsAReadErrorAndLeavesNoTarget) {
    const QString target = dir.file("t.swf");
    const QString source =
        write("big.exe", QByteArray(10, 'x') + trailer(app::kProjectorMagic, 11));
    try {
        ExtractProjectorMovie(source, target);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    // An older target stays as it was.
    write("t.swf", "older");
    EXPECT_THROW(ExtractProjectorMovie(source, target), EStreamError);
    EXPECT_EQ(testsupport::readFile(target), QByteArray("older"));
    // The whole data before the trailer is fine.
    EXPECT_TRUE(ExtractProjectorMovie(
        write("all.exe", QByteArray("0123456789") + trailer(app::kProjectorMagic, 10)), target));
    EXPECT_EQ(testsupport::readFile(target), QByteArray("0123456789"));
}

TEST_F(Extract, ShortFilesAndMissingSourcesAreErrors) {
    try {
        ExtractProjectorMovie(write("short.exe", "1234567"), dir.file("t.swf"));
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    const QString missing = dir.file("missing.exe");
    try {
        ExtractProjectorMovie(missing, dir.file("t.swf"));
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Cannot open file ") + missing);
    }
    const QString source = write("ok.exe", projector("SWF"));
    const QString badTarget = dir.file("no-folder/t.swf");
    try {
        ExtractProjectorMovie(source, badTarget);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral("Cannot create file ") + badTarget);
    }
}

TEST_F(Extract, AnExistingTargetIsReplaced) {
    const QString target = write("m.swf", QByteArray(5000, 'o'));
    const QByteArray movie = testsupport::makeMovingSquareMovie(5, 1);
    EXPECT_TRUE(ExtractProjectorMovie(write("m.exe", projector(movie)), target));
    EXPECT_EQ(testsupport::readFile(target), movie);
}

TEST_F(Extract, SourcesOfMoreThanTwoGigabytesWork) {
    // A sparse file: the player code is 3 GB of holes, the movie sits at the end.
    const QString source = dir.file("huge.exe");
    const QByteArray movie = QByteArray("FWS") + QByteArray(1000, 'm');
    {
        QFile f(source);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (!f.resize(3LL * 1024 * 1024 * 1024))
            GTEST_SKIP() << "no room for a sparse file here";
        ASSERT_TRUE(f.seek(f.size()));
        f.write(movie);
        f.write(trailer(app::kProjectorMagic, movie.size()));
    }
    const QString target = dir.file("huge.swf");
    EXPECT_TRUE(ExtractProjectorMovie(source, target));
    EXPECT_EQ(testsupport::readFile(target), movie);
    QFile::remove(source);
}

TEST(ProjectorTarget, SameFolderAndBaseNameWithSwf) {
    EXPECT_EQ(app::ProjectorConversion::targetPath(QStringLiteral("/a/b/Game.Exe")),
              QStringLiteral("/a/b/Game.swf"));
    EXPECT_EQ(app::ProjectorConversion::targetPath(QStringLiteral("/a/b.c/player")),
              QStringLiteral("/a/b.c/player.swf"));
    EXPECT_EQ(app::ProjectorConversion::targetPath(QStringLiteral("/a/x.y.exe")),
              QStringLiteral("/a/x.y.swf"));
}

namespace {

class OpenAnswer : public playlist::FileDialogProvider {
public:
    std::optional<QStringList> run(const playlist::FileDialogRequest& request) override {
        filters << request.filter;
        if (answer.isEmpty())
            return std::nullopt;
        return QStringList{answer};
    }
    QString answer;
    QStringList filters;
};

class Conversion : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        form->OpenDialog1().setProvider(&dialog);
    }
    OpenAnswer dialog;
    testsupport::ModalDriver boxes;
};

} // namespace

TEST_F(Conversion, YesPlaysTheNewMovieAndListsIt) {
    dialog.answer = writeMovie("game.exe", projector(testsupport::makeMovingSquareMovie(30, 1)));
    boxes.clickButton(QStringLiteral("Yes"));
    QTest::mouseClick(form->SeSkinSpeedButton3, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(dialog.filters, QStringList{QStringLiteral(".Exe|*.exe")});
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen()[0].text.contains(QStringLiteral("已经转换成功,是否现在播放?")));
    const QString target = env.file("game.swf");
    EXPECT_TRUE(QFileInfo::exists(target));
    EXPECT_EQ(form->state().currentMoviePath, target);
    ASSERT_TRUE(waitFor([&] { return form->DropFilelistbox11->lineCount() == 1; }));
    EXPECT_TRUE(form->DropFilelistbox11->line(0).endsWith(target));
}

TEST_F(Conversion, NoLeavesThePlaylistAlone) {
    dialog.answer = writeMovie("game.exe", projector("ABC"));
    boxes.clickButton(QStringLiteral("No"));
    form->CustomItem16->Click();
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(testsupport::readFile(env.file("game.swf")), QByteArray("ABC"));
    QTest::qWait(200);
    EXPECT_EQ(form->DropFilelistbox11->lineCount(), 0);
    EXPECT_TRUE(form->state().currentMoviePath.isEmpty());
}

TEST_F(Conversion, APlainExecutableOrACancelSaysNothing) {
    dialog.answer = writeMovie("plain.exe", QByteArray(64, 'x'));
    form->CustomItem16->Click();
    dialog.answer.clear();
    form->CustomItem16->Click();
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_FALSE(QFileInfo::exists(env.file("plain.swf")));
}

TEST_F(Conversion, ReadErrorsReachTheErrorBox) {
    dialog.answer =
        writeMovie("broken.exe", QByteArray(4, 'x') + trailer(app::kProjectorMagic, 100));
    boxes.pressKey(Qt::Key_Return);
    form->CustomItem16->Click();
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen()[0].text.contains(QStringLiteral("Stream read error")));
    EXPECT_FALSE(QFileInfo::exists(env.file("broken.swf")));
}
