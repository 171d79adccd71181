#include "PlaylistFixture.h"

#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistMenu.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QMenu>
#include <QRandomGenerator>

using namespace playlisttest;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

QString entry(const QString& path) {
    return PlaylistEntry::fileEntry(path);
}

} // namespace

// --- Entries -----------------------------------------------------------------------------

TEST(PlaylistEntryTest, FileEntryLayout) {
    EXPECT_EQ(PlaylistEntry::fileEntry("/m/a.swf"),
              "a.swf" + QString(39, u' ') + QStringLiteral("路径：/m/a.swf"));
    EXPECT_EQ(PlaylistEntry::fileEntry("/m/folder/"),
              "folder" + QString(39, u' ') + QStringLiteral("路径：/m/folder/"));
}

TEST(PlaylistEntryTest, LocationIsAfterTheFirstFullWidthColon) {
    EXPECT_EQ(PlaylistEntry::location(entry("/m/a.swf")), "/m/a.swf");
    EXPECT_EQ(PlaylistEntry::location("http://host:80/a.swf"), "http://host:80/a.swf");
    // A "：" inside the file name comes first and counts.
    EXPECT_EQ(PlaylistEntry::location(entry(QStringLiteral("/m/第一：集.swf"))),
              "集.swf" + QString(39, u' ') + QStringLiteral("路径：/m/第一：集.swf"));
    EXPECT_EQ(PlaylistEntry::location(""), "");
}

TEST(PlaylistEntryTest, HintStartsAtTheMarker) {
    EXPECT_EQ(PlaylistEntry::hint(entry("/m/a.swf")), QStringLiteral("路径：/m/a.swf"));
    EXPECT_EQ(PlaylistEntry::hint("http://host/a.swf"), "http://host/a.swf");
}

TEST(PlaylistEntryTest, SwfExtension) {
    EXPECT_EQ(PlaylistEntry::withSwfExtension("/m/a.exe"), "/m/a.swf");
    EXPECT_EQ(PlaylistEntry::withSwfExtension("/m/a.b.txt"), "/m/a.b.swf");
    EXPECT_EQ(PlaylistEntry::withSwfExtension("/m/noext"), "/m/noext.swf");
    EXPECT_EQ(PlaylistEntry::withSwfExtension("/m.d/noext"), "/m.d/noext.swf");
    EXPECT_EQ(PlaylistEntry::withSwfExtension("/m/a.swf"), "/m/a.swf");
}

// --- Presence test -----------------------------------------------------------------------

TEST_F(PlaylistFixture, PresenceIsACaseSensitiveSubstringOfAllLines) {
    EXPECT_FALSE(commands.isPresent("a"));
    addLines({"first line", "/m/a.swf.swf"});
    EXPECT_TRUE(commands.isPresent("/m/a.swf"));
    EXPECT_TRUE(commands.isPresent("line\n/m/a")); // across the line break
    EXPECT_FALSE(commands.isPresent("/M/A.SWF"));
    EXPECT_FALSE(commands.isPresent(""));
    EXPECT_FALSE(commands.isPresent("first line\n/m/a.swf.swf\n"));
}

TEST_F(PlaylistFixture, PresenceFollowsEveryChangeOfTheBox) {
    addLines({"/m/a.swf", "/m/b.swf"});
    EXPECT_TRUE(commands.isPresent("/m/b.swf"));
    box->deleteLine(1);
    EXPECT_FALSE(commands.isPresent("/m/b.swf"));
    box->item(0)->setText("/m/c.swf");
    EXPECT_FALSE(commands.isPresent("/m/a.swf"));
    EXPECT_TRUE(commands.isPresent("/m/c.swf"));
    box->insertItem(0, "/m/inserted.swf");
    EXPECT_TRUE(commands.isPresent("inserted.swf\n/m/c"));
    box->setChecked(0, true); // a check mark does not change the text
    EXPECT_TRUE(commands.isPresent("/m/c.swf"));
    box->clear();
    EXPECT_FALSE(commands.isPresent("/m/c.swf"));
    box->addLine("");
    box->addLine("x");
    EXPECT_TRUE(commands.isPresent("\nx"));
}

TEST_F(PlaylistFixture, PresenceAgreesWithAPlainSearchThroughRandomEdits) {
    // Short alphabet and short lines, so candidates often straddle line breaks and appends.
    QRandomGenerator random(20261207);
    auto randomText = [&](int maxLength) {
        QString text;
        const int length = random.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i)
            text += QStringLiteral("ab路/.")[random.bounded(5)];
        return text;
    };
    int hits = 0;
    for (int step = 0; step < 1500; ++step) {
        const int op = random.bounded(10);
        if (op < 6 || box->lineCount() == 0)
            box->addLine(randomText(12));
        else if (op == 6)
            box->deleteLine(random.bounded(box->lineCount()));
        else if (op == 7)
            box->item(random.bounded(box->lineCount()))->setText(randomText(12));
        else if (op == 8)
            box->insertItem(random.bounded(box->lineCount()), randomText(12));
        else if (random.bounded(40) == 0)
            box->clear();

        const QString joined = box->lines().join(u'\n');
        QString candidate;
        if (!joined.isEmpty() && random.bounded(2)) {
            const int start = random.bounded(int(joined.size()));
            candidate = joined.mid(start, 1 + random.bounded(20));
            if (random.bounded(3) == 0)
                candidate[random.bounded(int(candidate.size()))] = u'b';
        } else {
            candidate = randomText(16);
        }
        const bool expected = !candidate.isEmpty() && joined.contains(candidate);
        hits += expected;
        ASSERT_EQ(commands.isPresent(candidate), expected)
            << "step " << step << " candidate " << candidate.toStdString();
    }
    EXPECT_GT(hits, 300); // both answers were exercised
}

TEST_F(PlaylistFixture, PresenceAgreesWithAPlainSearchOnLongAndShortLines) {
    // Lines from 1 byte to several thousand, so the exact index merges runs of very different
    // sizes and the filter grows several times; candidates of every length up to 24 bytes,
    // about half of them present.
    QRandomGenerator random(7);
    auto randomText = [&](int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += QStringLiteral("abcd路")[random.bounded(5)];
        return text;
    };
    int hits = 0;
    for (int round = 0; round < 4; ++round) {
        for (int i = 0; i < 400; ++i)
            box->addLine(
                randomText(i % 97 == 0 ? 3000 + random.bounded(3000) : 1 + random.bounded(10)));
        const QString joined = box->lines().join(u'\n');
        for (int probe = 0; probe < 400; ++probe) {
            const int length = 1 + random.bounded(24);
            QString candidate = random.bounded(2)
                                    ? joined.mid(random.bounded(int(joined.size())), length)
                                    : randomText(length);
            const bool expected = joined.contains(candidate);
            hits += expected;
            ASSERT_EQ(commands.isPresent(candidate), expected)
                << "round " << round << " candidate " << candidate.toStdString();
        }
    }
    EXPECT_GT(hits, 400);
    EXPECT_LT(hits, 1600);
}

TEST_F(PlaylistFixture, LoadingKeepsEntriesThatAreInNoEarlierLine) {
    // Short entries contained in a long line that came before them are present; the same
    // entries before the long line are not, and the long line is then added after them.
    testsupport::IsolatedEnvironment env;
    const QString path = env.file("l.ini");
    QString longLine;
    for (int i = 0; i < 20000; ++i)
        longLine += QChar(u'a' + (i * 7 + i / 13) % 26);
    const QStringList values = {"xyz",
                                longLine.mid(100, 5),
                                longLine,
                                longLine.mid(9000, 7),
                                longLine.mid(5, 30) + "!",
                                "xyz",
                                "xy",
                                ""};
    QByteArray bytes = "[播放列表]\r\n";
    for (int i = 0; i < values.size(); ++i)
        bytes += QByteArray::number(i) + "=" + values[i].toUtf8() + "\r\n";
    testsupport::writeFile(path, bytes);
    commands.LoadPlayList(path);
    EXPECT_EQ(box->lines(),
              (QStringList{"xyz", longLine.mid(100, 5), longLine, longLine.mid(5, 30) + "!", ""}));
}

// --- Drop --------------------------------------------------------------------------------

TEST_F(PlaylistFixture, DropAddsFileEntriesOnceAndPlaysNothing) {
    ASSERT_TRUE(dropFiles({"/m/a.swf"}));
    ASSERT_TRUE(dropFiles({"/m/a.swf"}));
    EXPECT_EQ(box->lines(), QStringList{entry("/m/a.swf")});
    ASSERT_TRUE(dropFiles({"/m/a.swf", "/m/b.swf", "/m/b.swf"}));
    EXPECT_EQ(box->lines(), (QStringList{entry("/m/a.swf"), entry("/m/b.swf")}));
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(PlaylistFixture, DropPresenceIsASubstringTest) {
    addLines({entry("/m/a.swf.swf")});
    ASSERT_TRUE(dropFiles({"/m/a.swf"}));
    EXPECT_EQ(box->lineCount(), 1);
    ASSERT_TRUE(dropFiles({"/M/A.SWF", "/m/A.swf"}));
    EXPECT_EQ(box->lines(),
              (QStringList{entry("/m/a.swf.swf"), entry("/M/A.SWF"), entry("/m/A.swf")}));
}

TEST_F(PlaylistFixture, DropTakesAnyNameUnchanged) {
    ASSERT_TRUE(dropFiles({"/m/notes.txt", "/m/folder"}));
    EXPECT_EQ(box->lines(), (QStringList{entry("/m/notes.txt"), entry("/m/folder")}));
}

// --- Open and the dialog selection -------------------------------------------------------

TEST_F(PlaylistFixture, OpenPlaysTheFirstAndTheSelectionListsAll) {
    dialogs.answer({"/m/one.swf", "/m/two.swf", "/m/three.SWF"});
    commands.open();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].filter, ".swf|*.swf");
    EXPECT_EQ(dialogs.requests[0].kind, DialogKind::Open);
    EXPECT_TRUE(dialogs.requests[0].options & DialogOption::AllowMultiSelect);
    EXPECT_EQ(host.log, (QStringList{play("/m/one.swf", QThread::NormalPriority), "events"}));
    EXPECT_EQ(box->lineCount(), 0); // the worker asks for the entries once the movie is loaded

    commands.addDialogSelection(PlaylistCommands::EntryForm::File);
    EXPECT_EQ(box->lines(),
              (QStringList{entry("/m/one.swf"), entry("/m/two.swf"), entry("/m/three.swf")}));
    commands.addDialogSelection(PlaylistCommands::EntryForm::File);
    EXPECT_EQ(box->lineCount(), 3);
}

TEST_F(PlaylistFixture, OpenCancelledDoesNothing) {
    dialogs.answer({});
    commands.open();
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(PlaylistFixture, OpenSwallowsAFailureToStart) {
    host.failPlay = true;
    dialogs.answer({"/m/one.swf"});
    commands.open();
    EXPECT_EQ(host.log, QStringList{play("/m/one.swf", QThread::NormalPriority)});
}

TEST_F(PlaylistFixture, SelectionAsLocationEntryComesBackAfterRemoval) {
    dialogs.answer({"/m/a.swf"});
    commands.open();
    commands.addDialogSelection(PlaylistCommands::EntryForm::File);
    commands.clearList();
    // Internet play's routine asks for the location form.
    commands.addDialogSelection(PlaylistCommands::EntryForm::Location);
    EXPECT_EQ(box->lines(), QStringList{"/m/a.swf"});
}

TEST_F(PlaylistFixture, SelectionOfAConversionAddsTheMovieBesideIt) {
    openDialog.setFiles({"/m/projector.exe"});
    commands.addDialogSelection(PlaylistCommands::EntryForm::File);
    EXPECT_EQ(box->lines(), QStringList{entry("/m/projector.swf")});
}

// --- Play entry, hint, Delete key ---------------------------------------------------------

TEST_F(PlaylistFixture, DoubleClickPlaysTheFullPathWithTheTimerPaused) {
    addLines({entry("/m/a.swf"), "http://host:8080/movie.swf?x=1"});
    doubleClick(0);
    EXPECT_EQ(host.log, (QStringList{"timer off", play("/m/a.swf", QThread::LowestPriority),
                                     "events", "relayout", "timer on"}));
    host.log.clear();
    doubleClick(1);
    EXPECT_EQ(host.log.value(1), play("http://host:8080/movie.swf?x=1", QThread::LowestPriority));
}

TEST_F(PlaylistFixture, PlayEntryWithNothingToPlay) {
    commands.playEntry(); // empty list
    addLines({entry("/m/a.swf"), ""});
    box->setItemIndex(-1);
    doubleClickAt(QPoint(60, 250)); // below the lines: nothing highlighted
    box->setItemIndex(1);
    commands.playEntry(); // an empty line has no location
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(PlaylistFixture, PlayFailureIsShownAndTheTimerComesBack) {
    addLines({entry("/m/a.swf")});
    host.failPlay = true;
    box->setItemIndex(0);
    commands.playEntry();
    EXPECT_EQ(host.log, (QStringList{"timer off", play("/m/a.swf", QThread::LowestPriority),
                                     "error the worker could not start", "timer on"}));
}

TEST_F(PlaylistFixture, ClickSetsThePathHint) {
    addLines({entry("/m/a.swf"), "http://host/b.swf"});
    EXPECT_TRUE(box->toolTip().isEmpty());
    click(0);
    EXPECT_EQ(box->toolTip(), QStringLiteral("路径：/m/a.swf"));
    click(1);
    EXPECT_EQ(box->toolTip(), "http://host/b.swf");
}

TEST_F(PlaylistFixture, DeleteKeyRemovesTheHighlightedLine) {
    addLines({"a", "b", "c"});
    key(Qt::Key_Delete); // nothing highlighted: nothing happens
    EXPECT_EQ(box->lineCount(), 3);
    click(1);
    key(Qt::Key_Delete);
    EXPECT_EQ(box->lines(), (QStringList{"a", "c"}));
    key(Qt::Key_Backspace);
    EXPECT_EQ(box->lineCount(), 2);
}

// --- The context menu --------------------------------------------------------------------

class PlaylistMenuTest : public PlaylistFixture {
protected:
    PlaylistMenuTest() { menu.attachTo(*box); }
    void choose(const char* name) {
        QAction* act = menu.action(QString::fromLatin1(name));
        ASSERT_NE(act, nullptr) << name;
        act->trigger();
    }
    QList<bool> checks() {
        QList<bool> result;
        for (int i = 0; i < box->lineCount(); ++i)
            result.append(box->checked(i));
        return result;
    }

    PlaylistMenu menu{commands, &panel};
    testsupport::IsolatedEnvironment env;
};

TEST_F(PlaylistMenuTest, ItemsInOrder) {
    QStringList captions, names;
    for (QAction* act : menu.menu()->actions()) {
        captions.append(act->text());
        names.append(act->objectName());
    }
    EXPECT_EQ(captions, (QStringList{"从列表转载", "选定/撤销选定", "全部选定", "全部取消选定",
                                     "反向选择", "删除此文件", "删除所有选定文件", "清空列表",
                                     "文件另存为．．．", "列表另存为．．．", "网络下载．．．"}));
    EXPECT_EQ(names, (QStringList{"CustomItem63", "CustomItem48", "CustomItem47", "CustomItem57",
                                  "CustomItem60", "CustomItem58", "CustomItem59", "CustomItem61",
                                  "CustomItem46", "CustomItem62", "CustomItem68"}));
    EXPECT_EQ(box->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(PlaylistMenuTest, RightClickOpensTheMenu) {
    addLines({"a"});
    emit box->customContextMenuRequested(QPoint(10, 5));
    EXPECT_TRUE(menu.menu()->isVisible());
    menu.menu()->hide();
}

TEST_F(PlaylistMenuTest, CheckMarkCommands) {
    choose("CustomItem47"); // nothing to check on an empty list
    EXPECT_EQ(box->lineCount(), 0);
    addLines({"a", "b", "c"});
    choose("CustomItem47");
    EXPECT_EQ(checks(), (QList<bool>{true, true, true}));
    choose("CustomItem57");
    EXPECT_EQ(checks(), (QList<bool>{false, false, false}));
    choose("CustomItem48"); // nothing highlighted
    EXPECT_EQ(checks(), (QList<bool>{false, false, false}));
    box->setItemIndex(1);
    choose("CustomItem48");
    EXPECT_EQ(checks(), (QList<bool>{false, true, false}));
    choose("CustomItem60");
    EXPECT_EQ(checks(), (QList<bool>{true, false, true}));
    choose("CustomItem48");
    EXPECT_EQ(checks(), (QList<bool>{true, true, true}));
}

TEST_F(PlaylistMenuTest, RemoveCommands) {
    addLines({"a", "b", "c", "d"});
    choose("CustomItem58"); // nothing highlighted
    choose("CustomItem59");
    EXPECT_EQ(box->lineCount(), 4);
    box->setChecked(0, true); // check marks play no part in removing
    box->setItemIndex(3);
    choose("CustomItem59"); // the last line highlighted
    EXPECT_EQ(box->lines(), (QStringList{"a", "b", "c"}));
    box->setItemIndex(1);
    choose("CustomItem58");
    EXPECT_EQ(box->lines(), (QStringList{"a", "c"}));
    choose("CustomItem61");
    EXPECT_EQ(box->lineCount(), 0);
}

TEST_F(PlaylistMenuTest, DownloadGoesToTheWindow) {
    choose("CustomItem68");
    EXPECT_EQ(host.log, QStringList{"download"});
}

TEST_F(PlaylistMenuTest, FileSaveAsCopiesTheEntrysFile) {
    const QString source = writeFile(env.file("movies/a.swf"), "movie bytes");
    addLines({entry(source)});
    choose("CustomItem46"); // nothing highlighted: no dialog
    EXPECT_TRUE(dialogs.requests.empty());

    box->setItemIndex(0);
    dialogs.answer({env.file("copy")});
    choose("CustomItem46");
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].kind, DialogKind::Save);
    EXPECT_EQ(dialogs.requests[0].filter, ".swf|*.swf");
    EXPECT_EQ(dialogs.requests[0].defaultExt, ".swf");
    EXPECT_EQ(readFile(env.file("copy.swf")), "movie bytes"); // the default extension
}

TEST_F(PlaylistMenuTest, FileSaveAsNeverReplacesATarget) {
    const QString source = writeFile(env.file("a.swf"), "new bytes");
    const QString target = writeFile(env.file("b.swf"), "old bytes");
    addLines({entry(source)});
    box->setItemIndex(0);
    dialogs.answer({target});
    EXPECT_FALSE(commands.saveFileAs());
    EXPECT_EQ(readFile(target), "old bytes");
    // A vanished source: nothing is made and nothing is shown.
    QFile::remove(source);
    dialogs.answer({env.file("c.swf")});
    EXPECT_FALSE(commands.saveFileAs());
    EXPECT_FALSE(QFile::exists(env.file("c.swf")));
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(PlaylistMenuTest, ListSaveAsAndLoadFromList) {
    addLines({entry("/m/a.swf"), "http://host/b.swf"});
    dialogs.answer({env.file("mine")});
    choose("CustomItem62");
    EXPECT_EQ(dialogs.requests.back().filter, ".ini|*.ini");
    EXPECT_EQ(dialogs.requests.back().defaultExt, ".ini");
    ASSERT_TRUE(QFile::exists(env.file("mine.ini")));

    // The open dialog's movie selection survives choosing a list file.
    dialogs.answer({"/m/opened.swf"});
    commands.open();
    commands.clearList();
    addLines({"something else"});
    dialogs.answer({env.file("mine.ini")});
    choose("CustomItem63");
    EXPECT_EQ(dialogs.requests.back().filter, ".ini|*.ini");
    EXPECT_EQ(dialogs.requests.back().kind, DialogKind::Open);
    EXPECT_EQ(box->lines(), (QStringList{entry("/m/a.swf"), "http://host/b.swf"}));
    EXPECT_EQ(openDialog.files(), QStringList{"/m/opened.swf"});
    EXPECT_EQ(openDialog.defaultExt(), ".swf");
}

TEST_F(PlaylistMenuTest, ListSaveFailureReachesTheErrorBox) {
    addLines({"a"});
    const QString target = env.file("missing-folder/list.ini");
    dialogs.answer({target});
    choose("CustomItem62");
    EXPECT_EQ(host.log, QStringList{"error Unable to write to " + target});
}

TEST_F(PlaylistMenuTest, CancelledDialogsChangeNothing) {
    addLines({"a"});
    box->setItemIndex(0);
    choose("CustomItem63");
    choose("CustomItem62");
    choose("CustomItem46");
    EXPECT_EQ(dialogs.requests.size(), 3u);
    EXPECT_EQ(box->lines(), QStringList{"a"});
    EXPECT_TRUE(host.log.isEmpty());
}
