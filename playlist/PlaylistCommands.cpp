#include "playlist/PlaylistCommands.h"

#include "platform/IniFile.h"
#include "playlist/FileCopy.h"
#include "playlist/FileDialog.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistFile.h"
#include "playlist/PlaylistHost.h"
#include "playlist/TDropFilelistbox1.h"

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

} // namespace

void setUpDropFilelistbox11(TDropFilelistbox1& box) {
    box.setFrameShape(QFrame::NoFrame);
    box.setItemHeight(13);
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

void PlaylistCommands::LoadPlayList(const QString& path) {
    box_.clearLines();
    const QStringList values = PlaylistFile::read(path);
    // One repaint for the whole list instead of one per line.
    const bool updates = box_.updatesEnabled();
    box_.setUpdatesEnabled(false);
    for (const QString& value : values) {
        if (!presence_.contains(value))
            box_.addLine(value);
    }
    box_.setUpdatesEnabled(updates);
}

void PlaylistCommands::SavePlayList(const QString& path) {
    PlaylistFile::write(path, box_.lines());
}

} // namespace playlist
