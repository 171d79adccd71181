#include "PlaylistFixture.h"

#include <QHelpEvent>
#include <QToolTip>

using namespace playlisttest;

namespace {

// A bare box with a handler that records every call.
class DropBoxTest : public ::testing::Test {
protected:
    DropBoxTest() {
        box.resize(200, 200);
        box.setOnDropFiles([this](QObject* sender, const QStringList& names) {
            senders.push_back(sender);
            calls.push_back(names);
        });
    }

    bool drop(const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
              Qt::DropAction* taken = nullptr) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(QPoint(6, 6), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &move);
        if (!move.isAccepted())
            return false;
        QDropEvent release(QPointF(6, 6), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box.viewport(), &release);
        if (taken)
            *taken = release.dropAction();
        return release.isAccepted();
    }
    static QList<QUrl> files(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls.append(QUrl::fromLocalFile(p));
        return urls;
    }

    TDropFilelistbox1 box;
    std::vector<QObject*> senders;
    std::vector<QStringList> calls;
};

} // namespace

TEST_F(DropBoxTest, ThreeFilesGiveOneCallInOrder) {
    box.setDropEnabled(true);
    const QStringList paths = {"/m/c.swf", "/m/a.swf", "/other/b.swf"};
    EXPECT_TRUE(drop(files(paths)));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], paths);
    EXPECT_EQ(senders[0], &box);
    // The names are the owner's; the box's own lines stay as they were.
    EXPECT_EQ(box.lineCount(), 0);
}

TEST_F(DropBoxTest, LongNamesAreCutTo259Characters) {
    box.setDropEnabled(true);
    const QString exact = "/" + QString(258, u'x');
    const QString longer = "/" + QString(299, u'y');
    const QString wide = "/" + QString(257, u'z') + QString::fromUcs4(U"\U0001F600\U0001F600", 2);
    ASSERT_EQ(exact.size(), 259);
    ASSERT_TRUE(drop(files({exact, longer, wide})));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][0], exact);
    EXPECT_EQ(calls[0][1], longer.left(259));
    // Characters, not UTF-16 units: the first emoji fits, the second does not, and neither
    // is split in half.
    EXPECT_EQ(calls[0][2], wide.left(260));
}

TEST_F(DropBoxTest, NewBoxReadsEnabledButAcceptsNothingUntilAssigned) {
    EXPECT_TRUE(box.dropEnabled());
    EXPECT_FALSE(box.viewport()->acceptDrops());
    EXPECT_FALSE(drop(files({"/m/a.swf"})));
    EXPECT_TRUE(calls.empty());
    box.setDropEnabled(true);
    EXPECT_TRUE(box.viewport()->acceptDrops());
    EXPECT_TRUE(drop(files({"/m/a.swf"})));
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DropBoxTest, DisablingAndEnablingAgain) {
    box.setDropEnabled(true);
    box.setDropEnabled(false);
    EXPECT_FALSE(box.dropEnabled());
    EXPECT_FALSE(box.viewport()->acceptDrops());
    EXPECT_FALSE(drop(files({"/m/a.swf"})));
    // Even a drop event that arrives anyway is refused.
    QMimeData data;
    data.setUrls(files({"/m/a.swf"}));
    QDropEvent stray(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box.viewport(), &stray);
    EXPECT_TRUE(calls.empty());

    box.setDropEnabled(true);
    EXPECT_TRUE(box.dropEnabled());
    EXPECT_TRUE(drop(files({"/m/a.swf"})));
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DropBoxTest, FoldersAndAnyFileTypeAreAcceptedOtherLinksAreNot) {
    box.setDropEnabled(true);
    const QList<QUrl> urls = {QUrl::fromLocalFile("/m/folder"), QUrl("http://example.com/x.swf"),
                              QUrl::fromLocalFile("/m/notes.txt")};
    ASSERT_TRUE(drop(urls));
    EXPECT_EQ(calls.at(0), (QStringList{"/m/folder", "/m/notes.txt"}));
    // Nothing but web links: nothing to take.
    EXPECT_FALSE(drop({QUrl("http://example.com/x.swf")}));
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(DropBoxTest, DropsAreCopiesNeverMoves) {
    box.setDropEnabled(true);
    Qt::DropAction taken = Qt::IgnoreAction;
    EXPECT_TRUE(drop(files({"/m/a.swf"}), Qt::CopyAction | Qt::MoveAction, &taken));
    EXPECT_EQ(taken, Qt::CopyAction);
    EXPECT_TRUE(drop(files({"/m/a.swf"}), Qt::LinkAction | Qt::MoveAction, &taken));
    EXPECT_EQ(taken, Qt::LinkAction);
    // A source that only offers to move would delete the file it believes we took.
    EXPECT_FALSE(drop(files({"/m/a.swf"}), Qt::MoveAction));
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(DropBoxTest, NoHandlerChangesNothing) {
    box.setOnDropFiles(nullptr);
    box.setDropEnabled(true);
    box.addLine("kept");
    EXPECT_TRUE(drop(files({"/m/a.swf"})));
    EXPECT_EQ(box.lines(), QStringList{"kept"});
}

TEST(CheckListBoxTest, EveryLineHasACheckBox) {
    TCheckListBox box;
    box.addLine("one");
    box.addItem("added the plain Qt way");
    for (int i = 0; i < box.lineCount(); ++i) {
        EXPECT_TRUE(box.item(i)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_FALSE(box.checked(i));
    }
    box.setChecked(1, true);
    EXPECT_TRUE(box.checked(1));
    EXPECT_FALSE(box.checked(7)); // out of range reads false
}

TEST(CheckListBoxTest, HighlightedLine) {
    TCheckListBox box;
    EXPECT_EQ(box.itemIndex(), -1);
    box.addLine("a");
    box.addLine("b");
    EXPECT_EQ(box.itemIndex(), -1);
    box.setItemIndex(1);
    EXPECT_EQ(box.itemIndex(), 1);
    EXPECT_TRUE(box.selected(1));
    EXPECT_FALSE(box.selected(0));
    box.setItemIndex(0);
    EXPECT_FALSE(box.selected(1)); // one line at most
    box.setItemIndex(-1);
    EXPECT_EQ(box.itemIndex(), -1);
    EXPECT_FALSE(box.selected(0));
    box.setItemIndex(5);
    EXPECT_EQ(box.itemIndex(), -1);
}

TEST_F(PlaylistFixture, TheMainWindowsBox) {
    EXPECT_EQ(box->frameShape(), QFrame::NoFrame);
    EXPECT_TRUE(box->viewport()->acceptDrops());
    addLines({"a", "b"});
    box->doItemsLayout();
    EXPECT_EQ(box->visualItemRect(box->item(0)).height(), 13);
    EXPECT_EQ(box->visualItemRect(box->item(1)).top(), 13);
}

TEST_F(PlaylistFixture, SpaceTogglesTheHighlightedLinesCheckMark) {
    addLines({"a", "b"});
    box->setFocus();
    click(1);
    key(Qt::Key_Space);
    EXPECT_TRUE(box->checked(1));
    key(Qt::Key_Space);
    EXPECT_FALSE(box->checked(1));
    EXPECT_FALSE(box->checked(0));
}

TEST_F(PlaylistFixture, BoxEvents) {
    addLines({"a", "b"});
    int clicks = 0, doubles = 0;
    QList<int> keys;
    QObject::connect(box, &TCheckListBox::Click, [&] { ++clicks; });
    QObject::connect(box, &TCheckListBox::DblClick, [&] { ++doubles; });
    QObject::connect(box, &TCheckListBox::KeyDown,
                     [&](int k, Qt::KeyboardModifiers) { keys.append(k); });
    click(0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(box->itemIndex(), 0);
    // Below the last line: no line is picked.
    mouse(QEvent::MouseButtonPress, QPoint(60, 250));
    mouse(QEvent::MouseButtonRelease, QPoint(60, 250));
    EXPECT_EQ(clicks, 1);
    click(1, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
    doubleClick(1);
    EXPECT_EQ(doubles, 1);
    box->setItemIndex(0);
    key(Qt::Key_Down);
    EXPECT_EQ(keys, (QList<int>{Qt::Key_Down}));
    EXPECT_EQ(box->itemIndex(), 1);
    EXPECT_EQ(clicks, 3); // the double click's press and the arrow key picked a line
}

TEST_F(PlaylistFixture, HintComesFromThePanelUntilTheBoxHasItsOwn) {
    addLines({"a.swf" + QString(39, u' ') + "路径：/m/a.swf"});
    const QPoint p = lineCentre(0);
    auto hintShown = [&] {
        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, p, box->viewport()->mapToGlobal(p));
        QApplication::sendEvent(box->viewport(), &help);
        return QToolTip::text();
    };
    EXPECT_EQ(hintShown(), "支持文件拖放");
    click(0);
    EXPECT_EQ(hintShown(), "路径：/m/a.swf");
    QToolTip::hideText();
}
