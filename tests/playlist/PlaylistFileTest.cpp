#include "PlaylistFixture.h"

#include "platform/CodePage.h"
#include "platform/IniFile.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistFile.h"
#include "tests/support/Processes.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QScopeGuard>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace playlisttest;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

using testsupport::kCannotDropPrivileges;
using testsupport::runUnprivileged;

class ListFileTest : public PlaylistFixture {
protected:
    QString load(const QByteArray& bytes) {
        writeFile(path, bytes);
        commands.LoadPlayList(path);
        return box->lines().join(u'|');
    }
    QStringList otherFiles() const {
        QStringList names = QDir(env.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll("Flash.ini");
        return names;
    }

    testsupport::IsolatedEnvironment env;
    QString path = env.file("Flash.ini");
    const QString a = PlaylistEntry::fileEntry(QStringLiteral("/m/电影.swf"));
};

} // namespace

TEST_F(ListFileTest, SaveAndLoadRoundTrip) {
    addLines({a, "http://host/b.swf"});
    box->setChecked(0, true);
    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path), ("[播放列表]\r\n0=" + a + "\r\n1=http://host/b.swf\r\n").toUtf8());

    box->clear();
    addLines({"replaced, not merged"});
    commands.LoadPlayList(path);
    EXPECT_EQ(box->lines(), (QStringList{a, "http://host/b.swf"}));
    EXPECT_FALSE(box->checked(0)); // check marks are not stored
}

TEST_F(ListFileTest, EmptyPlaylistLeavesNoFile) {
    writeFile(path, "[播放列表]\r\n0=old\r\n");
    commands.SavePlayList(path);
    EXPECT_FALSE(QFile::exists(path));
    commands.SavePlayList(path); // and nothing to remove is fine too
    commands.LoadPlayList(path);
    EXPECT_EQ(box->lineCount(), 0);
}

TEST_F(ListFileTest, EntriesLoadInTheOrderTheirKeysStand) {
    EXPECT_EQ(load("[播放列表]\r\n5=five\r\n2=two\r\n9=nine\r\n"), "five|two|nine");
}

TEST_F(ListFileTest, DuplicatesAndContainedEntriesLoadOnce) {
    EXPECT_EQ(load("[播放列表]\r\n0=/m/a.swf\r\n1=/m/b.swf\r\n2=/m/a.swf\r\n3=/m/b\r\n"),
              "/m/a.swf|/m/b.swf");
}

TEST_F(ListFileTest, ValuesWithEqualsSignsAndEmptyValues) {
    EXPECT_EQ(load("[播放列表]\r\n0=http://h/?a=1&b=2\r\n1=\r\n2=x\r\n3=\r\n"),
              "http://h/?a=1&b=2||x|");
    EXPECT_EQ(box->lineCount(), 4); // an empty text is never present, so both empty lines stay
}

TEST_F(ListFileTest, FilesWrittenByWindows) {
    // Code page 936, blanks around the value and quotes, as Windows' own functions leave them.
    const QByteArray gbk =
        platform::encodeGb18030(QStringLiteral("[播放列表]\r\n0 = 电影.swf") + QString(39, u' ') +
                                QStringLiteral("路径：D:\\m\\电影.swf  \r\n"
                                               "1=\"  quoted  \"\r\n"));
    ASSERT_FALSE(platform::isValidUtf8(gbk));
    EXPECT_EQ(load(gbk), QStringLiteral("电影.swf") + QString(39, u' ') +
                             QStringLiteral("路径：D:\\m\\电影.swf|  quoted  "));
    // The same bytes spelled out, independent of our own encoder.
    EXPECT_EQ(load("[\xB2\xA5\xB7\xC5\xC1\xD0\xB1\xED]\r\n0=\xC2\xB7\xBE\xB6\xA3\xBA/x\r\n"),
              QStringLiteral("路径：/x"));
}

TEST_F(ListFileTest, UnusableFilesLoadEmpty) {
    addLines({"before"});
    commands.LoadPlayList(env.file("absent.ini"));
    EXPECT_EQ(box->lineCount(), 0);
    EXPECT_EQ(load("[other]\r\n0=a\r\n"), "");
    EXPECT_EQ(load(QByteArray("\0\xFF\xFE garbage \x80\x81", 12)), "");
}

TEST_F(ListFileTest, ValuesThatNeedQuotingSurviveARoundTrip) {
    const QStringList lines = {" leading blank", "trailing blank ", "\"quoted\"", "'single'"};
    addLines(lines);
    commands.SavePlayList(path);
    box->clear();
    commands.LoadPlayList(path);
    EXPECT_EQ(box->lines(), lines);
}

TEST_F(ListFileTest, LongerOldListLeavesNoStaleEntries) {
    addLines({"1", "2", "3", "4"});
    commands.SavePlayList(path);
    box->clear();
    addLines({"x"});
    commands.SavePlayList(path);
    EXPECT_EQ(readFile(path), QByteArray("[播放列表]\r\n0=x\r\n"));
}

TEST_F(ListFileTest, FailedSaveRaisesAndKeepsTheOldFile) {
    const QByteArray old = "[播放列表]\r\n0=old entry\r\n";
    writeFile(path, old);
    for (int i = 0; i < 3000; ++i)
        box->addLine(PlaylistEntry::fileEntry(QStringLiteral("/m/%1.swf").arg(i)));

    // The disk fills up part way through the new file.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        commands.SavePlayList(path);
    } catch (const platform::IniWriteError& e) {
        message = QString::fromUtf8(e.what());
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(message, "Unable to write to " + path);
    EXPECT_EQ(readFile(path), old);
    EXPECT_TRUE(otherFiles().isEmpty()) << otherFiles().join(", ").toStdString();
}

TEST_F(ListFileTest, ReadOnlyFolder) {
    const QByteArray old = "[播放列表]\r\n0=old entry\r\n";
    writeFile(path, old);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QFile::setPermissions(env.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(env.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    // Permissions do not bind root, so the saves run in a child that has given up root.
    auto saveFails = [&] {
        try {
            commands.SavePlayList(path);
            return 1;
        } catch (const platform::IniWriteError& e) {
            return QString::fromUtf8(e.what()) == "Unable to write to " + path ? 0 : 2;
        }
    };
    addLines({"new"});
    const int withLines = runUnprivileged(saveFails);
    if (withLines == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(withLines, 0);
    EXPECT_EQ(readFile(path), old);
    box->clear(); // removing the file for an empty playlist fails as well
    EXPECT_EQ(runUnprivileged(saveFails), 0);
    EXPECT_EQ(readFile(path), old);
}

TEST_F(ListFileTest, EmptyPlaylistOverAFolderIsAnError) {
    const QString folder = env.file("folder.ini");
    ASSERT_TRUE(QDir().mkpath(folder + "/inside"));
    EXPECT_THROW(commands.SavePlayList(folder), platform::IniWriteError);
    EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
}

TEST(PlaylistFileTest, ReadWithoutAWindow) {
    testsupport::IsolatedEnvironment env;
    const QString path = env.file("l.ini");
    playlist::PlaylistFile::write(path, {"a", "b"});
    const playlist::PlaylistReadResult read = playlist::PlaylistFile::read(path);
    EXPECT_EQ(read.lines, (QStringList{"a", "b"}));
    EXPECT_TRUE(read.complete());
}

TEST(PlaylistFileTest, EntriesBeyondTheLimitAreNotRead) {
    testsupport::IsolatedEnvironment env;
    QByteArray bytes = "[播放列表]\r\n";
    for (qsizetype i = 0; i <= playlist::PlaylistFile::kMaxEntries; ++i)
        bytes += QByteArray::number(i) + '=' + QByteArray::number(i) + "\r\n";
    const playlist::PlaylistReadResult read =
        playlist::PlaylistFile::read(writeFile(env.file("big.ini"), bytes));
    EXPECT_FALSE(read.complete());
    EXPECT_TRUE(read.read.entriesDropped);
    const QStringList& values = read.lines;
    ASSERT_EQ(values.size(), playlist::PlaylistFile::kMaxEntries);
    EXPECT_EQ(values.back(), QString::number(playlist::PlaylistFile::kMaxEntries - 1));
}
