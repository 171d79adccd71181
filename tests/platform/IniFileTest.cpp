#include "platform/IniFile.h"

#include "platform/CodePage.h"
#include "tests/support/Processes.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

std::vector<IniEntry> entriesOf(const QByteArray& bytes, const QString& section) {
    return IniFile::parse(bytes).entries(section);
}

QStringList valuesOf(const QByteArray& bytes, const QString& section = QStringLiteral("s")) {
    QStringList values;
    for (const IniEntry& e : entriesOf(bytes, section))
        values.append(e.value);
    return values;
}

using testsupport::kCannotDropPrivileges;
using testsupport::runUnprivileged;

} // namespace

TEST(IniFileParse, EntriesInFileOrderWithKeys) {
    const auto entries = entriesOf("[s]\r\n5=five\r\n2=two\r\n9=nine\r\n", QStringLiteral("s"));
    const std::vector<IniEntry> expected = {{"5", "five"}, {"2", "two"}, {"9", "nine"}};
    EXPECT_EQ(entries, expected);
}

TEST(IniFileParse, ValueIsEverythingAfterTheFirstEquals) {
    EXPECT_EQ(valuesOf("[s]\n0=a=b==c\n1=\n2==\n"), (QStringList{"a=b==c", "", "="}));
}

TEST(IniFileParse, BlanksAndQuotesAreStrippedAsWindowsDoes) {
    const QByteArray file = "[s]\r\n"
                            "  k1 =  padded value \t\r\n"
                            "k2=\"quoted  \"\r\n"
                            "k3='single'\r\n"
                            "k4=\"unbalanced'\r\n"
                            "k5=\"\r\n"
                            "k6=inner \"quotes\" stay\r\n";
    const auto entries = entriesOf(file, QStringLiteral("s"));
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0], (IniEntry{"k1", "padded value"}));
    EXPECT_EQ(entries[1].value, "quoted  ");
    EXPECT_EQ(entries[2].value, "single");
    EXPECT_EQ(entries[3].value, "\"unbalanced'");
    EXPECT_EQ(entries[4].value, "\"");
    EXPECT_EQ(entries[5].value, "inner \"quotes\" stay");
}

TEST(IniFileParse, SectionsAndLinesThatCarryNoEntry) {
    const QByteArray file = "orphan=before any section\n"
                            "[other]\n"
                            "x=1\n"
                            "[ S ]\n"
                            "; a comment=not an entry\n"
                            "no equals sign here\n"
                            "\n"
                            "a=1\n"
                            "[s]\n"
                            "b=hidden by the first section of that name\n";
    const IniFile ini = IniFile::parse(file);
    EXPECT_EQ(ini.sectionNames(), (QStringList{"other", "S"}));
    EXPECT_EQ(valuesOf(file), (QStringList{"1"}));
    EXPECT_EQ(ini.value("other", "X"), "1"); // names compare without case
    EXPECT_EQ(ini.value("other", "missing", "fallback"), "fallback");
    EXPECT_TRUE(ini.entries("absent").empty());
    EXPECT_FALSE(ini.hasSection("orphan"));
}

TEST(IniFileParse, EveryKindOfLineBreak) {
    EXPECT_EQ(valuesOf("[s]\r\n0=a\n1=b\r2=c\r\n\r\n3=d"), (QStringList{"a", "b", "c", "d"}));
}

TEST(IniFileParse, ChineseInUtf8AndInCodePage936) {
    const QString section = QStringLiteral("播放列表");
    const QString value =
        QStringLiteral("电影.swf") + QString(39, u' ') + QStringLiteral("路径：/m/电影.swf");
    const QString text =
        u'[' + section + QStringLiteral("]\r\n0=") + value + QStringLiteral("\r\n");
    for (const QByteArray& bytes : {text.toUtf8(), encodeGb18030(text)}) {
        const auto entries = IniFile::parse(bytes).entries(section);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].value, value);
    }
}

TEST(IniFileWrite, SerializesUtf8WithCrLf) {
    IniFile ini;
    ini.appendEntry(QStringLiteral("播放列表"), "0", QStringLiteral("a 路径：/a"));
    ini.appendEntry(QStringLiteral("播放列表"), "1", "b");
    ini.setValue("second", "k", "v");
    EXPECT_EQ(
        ini.serialize(),
        QStringLiteral("[播放列表]\r\n0=a 路径：/a\r\n1=b\r\n\r\n[second]\r\nk=v\r\n").toUtf8());
}

TEST(IniFileWrite, SetValueReplacesTheFirstEntryWithTheKey) {
    IniFile ini = IniFile::parse(QByteArray("[s]\nk=1\nK=2\n"));
    ini.setValue("S", "k", "3");
    ini.setValue("s", "new", "4");
    EXPECT_EQ(ini.serialize(), QByteArray("[s]\r\nk=3\r\nK=2\r\nnew=4\r\n"));
    ini.removeSection("S");
    EXPECT_TRUE(ini.sectionNames().isEmpty());
}

TEST(IniFileWrite, EveryValueReadsBackAsItself) {
    const QStringList values = {"",         " leading", "trailing ", "\tboth\t",  "\"quoted\"",
                                "'single'", "\"",       "a=b",       "  \"x\"  ", "路径：/m/a.swf"};
    IniFile ini;
    for (qsizetype i = 0; i < values.size(); ++i)
        ini.appendEntry("s", QString::number(i), values[i]);
    EXPECT_EQ(valuesOf(ini.serialize()), values);
}

TEST(IniFileWrite, LineBreaksCannotInjectLines) {
    IniFile ini;
    ini.appendEntry("s", "0", "first\r\n[s]\n1=injected");
    const auto entries = entriesOf(ini.serialize(), "s");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].value, "first  [s] 1=injected");
}

class IniFileSave : public ::testing::Test {
protected:
    testsupport::IsolatedEnvironment env;
    QString path = env.file("list.ini");
    const QByteArray oldBytes = "[s]\r\n0=the old file\r\n";

    IniFile bigProfile() const {
        IniFile ini;
        for (int i = 0; i < 2000; ++i)
            ini.appendEntry("s", QString::number(i), QString(60, u'x'));
        return ini;
    }
    QStringList leftovers() const {
        QStringList names = QDir(env.path()).entryList(QDir::Files);
        names.removeAll("list.ini");
        return names;
    }
};

TEST_F(IniFileSave, WritesAndLoads) {
    IniFile ini;
    ini.appendEntry("s", "0", "value");
    ini.save(path);
    EXPECT_EQ(readFile(path), QByteArray("[s]\r\n0=value\r\n"));
    EXPECT_EQ(IniFile::load(path).value("s", "0"), "value");
}

TEST_F(IniFileSave, MissingOrUnsuitableFilesLoadEmpty) {
    IniReadResult result;
    EXPECT_TRUE(IniFile::load(env.file("absent.ini"), &result).sectionNames().isEmpty());
    EXPECT_EQ(result.status, IniReadStatus::Missing);
    EXPECT_TRUE(result.complete()); // nothing there, nothing lost
    EXPECT_TRUE(IniFile::load(env.path(), &result).sectionNames().isEmpty()); // a folder
    EXPECT_EQ(result.status, IniReadStatus::NotAFile);
    EXPECT_FALSE(result.complete());
}

TEST_F(IniFileSave, ReadResultSaysWhatWasLeftOut) {
    IniReadResult result;
    IniReadOptions options;
    options.onlySection = "List";
    options.maxEntriesPerSection = 2;
    writeFile(path, "[other]\r\nx=1\r\n[list]\r\na=1\r\nb=2\r\n[LIST]\r\nc=3\r\n");
    IniFile ini = IniFile::load(path, &result, options);
    EXPECT_EQ(ini.sectionNames(), QStringList{"list"});
    EXPECT_EQ(ini.entries("list").size(), 2u);
    // The repeated section never counts, so nothing was dropped.
    EXPECT_TRUE(result.complete());

    writeFile(path, "[list]\r\na=1\r\nb=2\r\nc=3\r\n");
    ini = IniFile::load(path, &result, options);
    EXPECT_EQ(ini.entries("list").size(), 2u);
    EXPECT_TRUE(result.entriesDropped);
    EXPECT_FALSE(result.complete());

    writeFile(path, "[list]\r\na=\xFF\r\n");
    ini = IniFile::load(path, &result, options);
    EXPECT_EQ(ini.value("list", "a"), QString(QChar(0xFFFD)));
    EXPECT_TRUE(result.lossyText);
    EXPECT_FALSE(result.complete());
}

TEST_F(IniFileSave, OversizedFileIsNotRead) {
    QFile big(path);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("[s]\r\n0=a\r\n");
    // A sparse file: the size is checked before anything is read.
    ASSERT_TRUE(big.resize(IniFile::kMaxFileSize + 1));
    big.close();
    IniReadResult result;
    EXPECT_TRUE(IniFile::load(path, &result).sectionNames().isEmpty());
    EXPECT_EQ(result.status, IniReadStatus::TooLarge);
}

TEST_F(IniFileSave, FailureNamesThePathAndLeavesTheOldFileWhole) {
    // A folder where the file should be cannot be replaced; the message names the path.
    const QString folder = env.file("folder.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    try {
        bigProfile().save(folder);
        FAIL() << "no error";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + folder);
        EXPECT_EQ(e.path(), folder);
    }
    // A folder that does not exist.
    EXPECT_THROW(bigProfile().save(env.file("no/such/folder/list.ini")), IniWriteError);
}

TEST_F(IniFileSave, DiskFullHalfwayLeavesTheOldFileWhole) {
    writeFile(path, oldBytes);
    // The file size limit makes writes fail part way, as a full disk would; it works for
    // every user, root included.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        bigProfile().save(path);
    } catch (const IniWriteError&) {
        threw = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_TRUE(threw);
    EXPECT_EQ(readFile(path), oldBytes);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(", ").toStdString();
}

TEST_F(IniFileSave, ReadOnlyFolderLeavesTheOldFileWhole) {
    writeFile(path, oldBytes);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QFile::setPermissions(env.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    // Permissions do not bind root, so the save runs in a child that has given up root.
    const int outcome = runUnprivileged([&] {
        try {
            bigProfile().save(path);
            return 1;
        } catch (const IniWriteError& e) {
            return QString::fromUtf8(e.what()) == "Unable to write to " + path ? 0 : 2;
        }
    });
    QFile::setPermissions(env.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (outcome == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(readFile(path), oldBytes);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(IniFileSave, AFileThatCannotBeOpenedIsReportedUnreadable) {
    writeFile(path, "[s]\r\n0=a\r\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(env.path(),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    // Permissions do not bind root, so the reading runs in a child that has given up root.
    const int outcome = runUnprivileged([&] {
        IniReadResult result;
        const IniFile ini = IniFile::load(path, &result);
        return result.status == IniReadStatus::Unreadable && !result.complete() &&
                       ini.sectionNames().isEmpty()
                   ? 0
                   : 1;
    });
    QFile::setPermissions(env.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (outcome == kCannotDropPrivileges)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(outcome, 0);
}
