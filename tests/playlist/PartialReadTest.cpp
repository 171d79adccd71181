// A list file that was read only in part must survive the save that follows: the entries we
// could not read are still in it.

#include "PlaylistFixture.h"

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistFile.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

using namespace playlisttest;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class PartialReadTest : public PlaylistFixture {
protected:
    QStringList statusNotes() const { return host.log.filter(QRegularExpression("^status ")); }
    QStringList files() const { return QDir(env.path()).entryList(QDir::Files, QDir::Name); }

    testsupport::IsolatedEnvironment env;
    QString path = env.file("Flash.ini");
    const QString film = PlaylistEntry::fileEntry(QStringLiteral("/m/电影.swf"));
};

QByteArray gbk(const QString& text) {
    return platform::encodeGb18030(text);
}

} // namespace

TEST_F(PartialReadTest, EncodingIsChosenPerLine) {
    // UTF-8 lines, a Windows (code page 936) line, and UTF-8 again: every line reads right.
    const QByteArray bytes = "[播放列表]\r\n0=" + film.toUtf8() +
                             "\r\n1=" + gbk(QStringLiteral("/m/动画.swf")) +
                             "\r\n2=/m/第三.swf\r\n";
    writeFile(path, bytes);
    EXPECT_TRUE(commands.LoadPlayList(path));
    EXPECT_EQ(box->lines(), (QStringList{film, "/m/动画.swf", "/m/第三.swf"}));
    EXPECT_TRUE(statusNotes().isEmpty());

    // A Windows file with one line added on a UTF-8 system keeps that line too.
    writeFile(path, gbk(QStringLiteral("[播放列表]\r\n0=/m/甲.swf\r\n")) +
                        QStringLiteral("1=/m/乙.swf\r\n").toUtf8());
    EXPECT_TRUE(commands.LoadPlayList(path));
    EXPECT_EQ(box->lines(), (QStringList{"/m/甲.swf", "/m/乙.swf"}));

    // Saved back, both are UTF-8 and read the same.
    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path),
              QStringLiteral("[播放列表]\r\n0=/m/甲.swf\r\n1=/m/乙.swf\r\n").toUtf8());
    EXPECT_EQ(files(), QStringList{"Flash.ini"});
}

TEST_F(PartialReadTest, StrayByteKeepsTheOtherLinesAndTheFile) {
    // A Latin-1 "é" in one entry of a UTF-8 file: not UTF-8 and not code page 936 either.
    const QByteArray bytes =
        "[播放列表]\r\n0=" + film.toUtf8() + "\r\n1=/m/caf\xE9.swf\r\n2=/m/b.swf\r\n";
    writeFile(path, bytes);
    EXPECT_FALSE(commands.LoadPlayList(path));
    ASSERT_EQ(box->lineCount(), 3);
    EXPECT_EQ(box->line(0), film);
    EXPECT_EQ(box->line(2), "/m/b.swf");
    ASSERT_EQ(statusNotes().size(), 1);
    EXPECT_TRUE(statusNotes().front().contains("Flash.ini.bak"))
        << statusNotes().front().toStdString();

    box->addLine("/m/new.swf");
    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path + ".bak"), bytes); // the original, byte for byte
    EXPECT_TRUE(readFile(path).contains("/m/new.swf"));

    // What we wrote ourselves was read completely next time, so it is simply replaced.
    EXPECT_TRUE(commands.LoadPlayList(path));
    commands.SavePlayList(path);
    EXPECT_EQ(files(), (QStringList{"Flash.ini", "Flash.ini.bak"}));
    EXPECT_EQ(statusNotes().size(), 1);
}

TEST_F(PartialReadTest, OversizedFileIsNeitherRemovedNorOverwritten) {
    {
        QFile big(path);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("[播放列表]\r\n0=/m/a.swf\r\n");
        ASSERT_TRUE(big.resize(platform::IniFile::kMaxFileSize + 1)); // sparse: cheap to make
    }
    EXPECT_FALSE(commands.LoadPlayList(path));
    EXPECT_EQ(box->lineCount(), 0);
    ASSERT_EQ(statusNotes().size(), 1);
    EXPECT_TRUE(statusNotes().front().contains("64 MB"));

    // Closing with the empty list it gave must not remove it.
    commands.SavePlayList(path);
    EXPECT_EQ(QFileInfo(path).size(), platform::IniFile::kMaxFileSize + 1);
    EXPECT_EQ(files(), QStringList{"Flash.ini"});

    // With entries to keep, the old file goes aside first.
    box->addLine("/m/kept.swf");
    commands.SavePlayList(path);
    EXPECT_EQ(QFileInfo(path + ".bak").size(), platform::IniFile::kMaxFileSize + 1);
    EXPECT_EQ(readFile(path), QByteArray("[播放列表]\r\n0=/m/kept.swf\r\n"));
}

TEST_F(PartialReadTest, ListBeyondTheEntryLimitIsKeptWhole) {
    QByteArray bytes = "[播放列表]\r\n";
    for (qsizetype i = 0; i < PlaylistFile::kMaxEntries + 5; ++i)
        bytes += QByteArray::number(i) + "=/e" + QByteArray::number(i) + "/\r\n";
    writeFile(path, bytes);
    EXPECT_FALSE(commands.LoadPlayList(path));
    EXPECT_EQ(box->lineCount(), PlaylistFile::kMaxEntries);
    ASSERT_EQ(statusNotes().size(), 1);
    EXPECT_TRUE(statusNotes().front().contains("100000"));

    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path + ".bak"), bytes);
    EXPECT_EQ(PlaylistFile::read(path).lines.size(), PlaylistFile::kMaxEntries);
}

TEST_F(PartialReadTest, AnOlderBackupIsNeverReplaced) {
    writeFile(path + ".bak", "older backup");
    const QByteArray bytes = "[播放列表]\r\n0=/m/\xFF.swf\r\n";
    writeFile(path, bytes);
    EXPECT_FALSE(commands.LoadPlayList(path));
    EXPECT_TRUE(statusNotes().front().contains("Flash.ini.bak.1"));
    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path + ".bak"), QByteArray("older backup"));
    EXPECT_EQ(readFile(path + ".bak.1"), bytes);
}

TEST_F(PartialReadTest, CompleteReadsSayNothing) {
    EXPECT_TRUE(commands.LoadPlayList(env.file("absent.ini")));
    writeFile(path, "[播放列表]\r\n0=/m/a.swf\r\n");
    EXPECT_TRUE(commands.LoadPlayList(path));
    EXPECT_TRUE(statusNotes().isEmpty());
    box->clearLines();
    commands.SavePlayList(path); // an empty list still removes a file read completely
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(PartialReadTest, UserListFilesAreProtectedToo) {
    // "从列表转载" of a damaged list, then "列表另存为" over it.
    const QString list = env.file("mine.ini");
    const QByteArray bytes = "[播放列表]\r\n0=/m/\x80\x80.swf\r\n1=/m/ok.swf\r\n";
    writeFile(list, bytes);
    dialogs.answer({list});
    commands.loadListFromFile();
    EXPECT_EQ(box->lineCount(), 2);
    EXPECT_EQ(statusNotes().size(), 1);
    dialogs.answer({list});
    commands.saveListAs();
    EXPECT_EQ(readFile(list + ".bak"), bytes);
    EXPECT_TRUE(readFile(list).contains("/m/ok.swf"));
}
