#pragma once

// The playlist's commands: filling the playlist box (Open, a drop, the open dialog's
// selection, list files), playing an entry, the path hint, and every command of the box's
// context menu. The main window owns one and calls it from its handlers; what the commands
// need of the window comes through PlaylistHost.

#include "playlist/PresenceIndex.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

namespace playlist {

class FileDialog;
class PlaylistHost;
class TDropFilelistbox1;

// The main window's playlist box as its form sets it up: no border, lines 13 pixels high,
// taking drops from the start.
void setUpDropFilelistbox11(TDropFilelistbox1& box);

class PlaylistCommands : public QObject {
    Q_OBJECT
public:
    // The form an entry takes when the open dialog's selection is added.
    enum class EntryForm { File, Location };

    PlaylistCommands(TDropFilelistbox1& box, FileDialog& openDialog, FileDialog& saveDialog,
                     PlaylistHost& host, QObject* parent = nullptr);

    // Routes the box's drop, click, double click and key events to dropFiles(),
    // showPathHint(), playEntry() and keyDown(). For a window that does not route them
    // through handlers of its own.
    void connectToBox();

    // The presence test: `candidate` occurs in the lines joined by line breaks.
    bool isPresent(const QString& candidate) { return presence_.contains(candidate); }
    // Appends the line unless its text is present. Returns whether it was added.
    bool addIfAbsent(const QString& line);

    // Open: asks for movies (filter ".swf|*.swf") and plays the first chosen.
    void open();
    // Adds each file of the open dialog's selection, with the extension ".swf", unless
    // present; as a file entry or as the path alone.
    void addDialogSelection(EntryForm form);
    // A drop on the box: a file entry for each name not present yet. Nothing plays.
    void dropFiles(const QStringList& names);
    // Plays the highlighted line's location.
    void playEntry();
    // Sets the box's hint to the highlighted line's path part.
    void showPathHint();
    // The Delete key removes the highlighted line; other keys are ignored.
    void keyDown(int key);

    // The context menu's commands, in the menu's order.
    void loadListFromFile();       // "从列表转载"
    void toggleHighlightedCheck(); // "选定/撤销选定"
    void checkAll();               // "全部选定"
    void uncheckAll();             // "全部取消选定"
    void invertChecks();           // "反向选择"
    void removeHighlighted();      // "删除此文件"
    void removeSelected();         // "删除所有选定文件"
    void clearList();              // "清空列表"
    bool saveFileAs();             // "文件另存为．．．": whether a copy was made
    void saveListAs();             // "列表另存为．．．"
    void downloadMovie();          // "网络下载．．．"

    // Replaces the box's lines by the entries of the list file at `path`, each unless
    // present already. A missing or unreadable file gives an empty playlist. When the file
    // could not be read completely the window's status bar says so, and the file is
    // remembered as one that must not be overwritten (see SavePlayList). Returns whether
    // everything in the file was read.
    bool LoadPlayList(const QString& path);
    // Writes the box's lines to `path`; an empty playlist removes the file. Throws
    // platform::IniWriteError ("Unable to write to <path>"), leaving the old file whole.
    // A file whose last reading fell short is never overwritten or removed: an empty list
    // leaves it as it is, any other list first moves it aside to "<path>.bak".
    void SavePlayList(const QString& path);

private:
    TDropFilelistbox1& box_;
    FileDialog& openDialog_;
    FileDialog& saveDialog_;
    PlaylistHost& host_;
    PresenceIndex presence_;
    // Absolute paths of list files that were read only in part this session.
    QSet<QString> partlyRead_;
};

} // namespace playlist
