#include "playlist/PlaylistCommands.h"

#include "platform/IniFile.h"
#include "playlist/FileCopy.h"
#include "playlist/FileDialog.h"
#include "playlist/ListLoadFilter.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <exception>

namespace playlist {

namespace {

const QString kMovieFilter = QStringLiteral(".swf|*.swf");
const QString kListFilter = QStringLiteral(".ini|*.ini");

// Switches the playlist timer back on however the command ends.
class PlaylistTimerPause {
public:
    explicit PlaylistTimerPause(PlaylistHost& host) : host_(host) {
        host_.setPlaylistTimerEnabled(false);
    }
    ~PlaylistTimerPause() { host_.setPlaylistTimerEnabled(true); }
    PlaylistTimerPause(const PlaylistTimerPause&) = delete;
    PlaylistTimerPause& operator=(const PlaylistTimerPause&) = delete;

private:
    PlaylistHost& host_;
};

QString absolute(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

void setUpDropFilelistbox11(TDropFilelistbox1& box) {
    box.setFrameShape(QFrame::NoFrame);
    box.setItemHeight(13);
    // 宋体 when installed, else a font that writes Chinese, at a size whose glyphs the
    // 13-pixel rows do not cut.
    QFont font = box.font();
    const QStringList families = QFontDatabase::families();
    for (const QString& wanted :
         {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
          QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")}) {
        if (families.contains(wanted, Qt::CaseInsensitive)) {
            font.setFamilies({wanted});
            break;
        }
    }
    box.setFont(TCheckListBox::fontFittingRows(font, 13));
    // The file entries' padding hides the path on purpose; a horizontal scroll bar would
    // only let the user scroll to it, and take a line's height from the box.
    box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box.setDropEnabled(true);
}

PlaylistCommands::PlaylistCommands(TDropFilelistbox1& box, FileDialog& openDialog,
                                   FileDialog& saveDialog, PlaylistHost& host, QObject* parent)
    : QObject(parent), box_(box), openDialog_(openDialog), saveDialog_(saveDialog), host_(host),
      presence_(box) {}

void PlaylistCommands::connectToBox() {
    box_.setOnDropFiles([this](QObject*, const QStringList& names) { dropFiles(names); });
    connect(&box_, &TCheckListBox::Click, this, &PlaylistCommands::showPathHint);
    connect(&box_, &TCheckListBox::DblClick, this, &PlaylistCommands::playEntry);
    connect(&box_, &TCheckListBox::KeyDown, this,
            [this](int key, Qt::KeyboardModifiers) { keyDown(key); });
}

bool PlaylistCommands::addIfAbsent(const QString& line) {
    if (presence_.contains(line))
        return false;
    box_.addLine(line);
    return true;
}

void PlaylistCommands::open() {
    openDialog_.setFilter(kMovieFilter);
    if (!openDialog_.execute())
        return;
    // Nothing is reported here: a movie that fails to load says so where it plays.
    try {
        host_.playMovie(openDialog_.fileName(), QThread::NormalPriority);
        host_.processPendingEvents();
    } catch (const std::exception&) {
    }
}

void PlaylistCommands::addDialogSelection(EntryForm form) {
    for (const QString& file : openDialog_.files()) {
        const QString path = PlaylistEntry::withSwfExtension(file);
        if (presence_.contains(path))
            continue;
        box_.addLine(form == EntryForm::File ? PlaylistEntry::fileEntry(path) : path);
    }
}

void PlaylistCommands::dropFiles(const QStringList& names) {
    for (const QString& name : names) {
        if (!presence_.contains(name))
            box_.addLine(PlaylistEntry::fileEntry(name));
    }
}

void PlaylistCommands::playEntry() {
    if (box_.lineCount() == 0)
        return;
    // A double click below the last line leaves nothing highlighted; there is nothing to
    // play then, and the playlist timer must not be left switched off.
    const int index = box_.itemIndex();
    if (index < 0)
        return;
    const QString location = PlaylistEntry::location(box_.line(index));
    if (location.isEmpty())
        return;

    const PlaylistTimerPause pause(host_);
    try {
        host_.playMovie(location, QThread::LowestPriority);
    } catch (const std::exception& e) {
        host_.showError(QString::fromStdString(e.what()));
        return;
    }
    host_.processPendingEvents();
    host_.relayout();
}

void PlaylistCommands::showPathHint() {
    const int index = box_.itemIndex();
    if (box_.lineCount() == 0 || index < 0)
        return;
    box_.setToolTip(PlaylistEntry::hint(box_.line(index)));
}

void PlaylistCommands::keyDown(int key) {
    if (key != Qt::Key_Delete)
        return;
    removeHighlighted();
    box_.viewport()->update();
}

void PlaylistCommands::loadListFromFile() {
    // The dialog is shared, and its selection is what the play worker adds to the playlist
    // after each load. A list file is not a movie: keep the movies chosen last.
    const QStringList movies = openDialog_.files();
    openDialog_.setFilter(kListFilter);
    if (!openDialog_.execute())
        return;
    const QString list = openDialog_.fileName();
    openDialog_.setFiles(movies);
    LoadPlayList(list);
}

void PlaylistCommands::toggleHighlightedCheck() {
    const int index = box_.itemIndex();
    if (index >= 0)
        box_.setChecked(index, !box_.checked(index));
}

void PlaylistCommands::checkAll() {
    for (int i = 0; i < box_.lineCount(); ++i)
        box_.setChecked(i, true);
}

void PlaylistCommands::uncheckAll() {
    for (int i = 0; i < box_.lineCount(); ++i)
        box_.setChecked(i, false);
}

void PlaylistCommands::invertChecks() {
    for (int i = 0; i < box_.lineCount(); ++i)
        box_.setChecked(i, !box_.checked(i));
}

void PlaylistCommands::removeHighlighted() {
    const int index = box_.itemIndex();
    if (index >= 0)
        box_.deleteLine(index);
}

void PlaylistCommands::removeSelected() {
    int i = 0;
    while (i < box_.lineCount()) {
        if (box_.selected(i))
            box_.deleteLine(i);
        else
            ++i;
    }
}

void PlaylistCommands::clearList() {
    box_.clearLines();
}

bool PlaylistCommands::saveFileAs() {
    const int index = box_.itemIndex();
    if (index < 0)
        return false;
    const QString source = PlaylistEntry::location(box_.line(index));
    saveDialog_.setFilter(kMovieFilter);
    saveDialog_.setDefaultExt(QStringLiteral(".swf"));
    if (!saveDialog_.execute())
        return false;
    return copyFileRefusingExisting(source, saveDialog_.fileName());
}

void PlaylistCommands::saveListAs() {
    saveDialog_.setFilter(kListFilter);
    saveDialog_.setDefaultExt(QStringLiteral(".ini"));
    if (!saveDialog_.execute())
        return;
    try {
        SavePlayList(saveDialog_.fileName());
    } catch (const std::exception& e) {
        host_.showError(QString::fromStdString(e.what()));
    }
}

void PlaylistCommands::downloadMovie() {
    host_.downloadMovie();
}

bool PlaylistCommands::LoadPlayList(const QString& path) {
    box_.clearLines();
    const PlaylistReadResult read = PlaylistFile::read(path);
    // One repaint for the whole list instead of one per line.
    const bool updates = box_.updatesEnabled();
    box_.setUpdatesEnabled(false);
    if (const auto keep = ListLoadFilter::keep(read.lines)) {
        for (qsizetype i = 0; i < read.lines.size(); ++i) {
            if ((*keep)[std::size_t(i)])
                box_.addLine(read.lines[i]);
        }
    } else {
        for (const QString& value : read.lines) {
            if (!presence_.contains(value))
                box_.addLine(value);
        }
    }
    box_.setUpdatesEnabled(updates);

    const QString key = absolute(path);
    if (read.complete()) {
        partlyRead_.remove(key);
        return true;
    }
    partlyRead_.insert(key);
    host_.showStatus(
        QStringLiteral("播放列表 %1 未能完整读入（%2）；原文件不会被覆盖，保存时改名为 %3 保留")
            .arg(QFileInfo(path).fileName(), read.problem(),
                 QFileInfo(PlaylistFile::backupName(path)).fileName()));
    return false;
}

void PlaylistCommands::SavePlayList(const QString& path) {
    const QString key = absolute(path);
    const QStringList lines = box_.lines();
    if (partlyRead_.contains(key) && QFileInfo(path).isFile()) {
        // Writing would replace entries we never read by the few we did; removing it (an
        // empty list) would lose them all.
        if (lines.isEmpty())
            return;
        PlaylistFile::moveAside(path);
    }
    PlaylistFile::write(path, lines);
    partlyRead_.remove(key);
}

} // namespace playlist
