#pragma once

// A check list box that takes files dragged onto it from a file manager and hands their
// names to its owner through one event per drop. It never puts the names into its own lines;
// what to do with them is the owner's business.
//
// Accepting drops is switched on and off only by assigning DropEnabled. A new box reads
// DropEnabled as true but accepts nothing until the property has been assigned once, so the
// owner decides explicitly (the main window assigns true when it builds the playlist).

#include "playlist/TCheckListBox.h"

#include <QStringList>
#include <functional>

class QMimeData;

namespace playlist {

// The owner's drop handler: the box, and the dropped names in the order the drag carried
// them. The list is only valid during the call.
using TDropfileNotifyEvent = std::function<void(QObject* sender, const QStringList& filenames)>;

class TDropFilelistbox1 : public TCheckListBox {
    Q_OBJECT
    Q_PROPERTY(bool DropEnabled READ dropEnabled WRITE setDropEnabled)
public:
    // Names longer than this arrive cut to it, as the Windows shell delivered them.
    static constexpr int kMaxNameLength = 259;

    explicit TDropFilelistbox1(QWidget* parent = nullptr);

    bool dropEnabled() const { return dropEnabled_; }
    void setDropEnabled(bool value);

    const TDropfileNotifyEvent& onDropFiles() const { return onDropFiles_; }
    void setOnDropFiles(TDropfileNotifyEvent handler) { onDropFiles_ = std::move(handler); }

    // The local file names a drag carries, in order, each cut to kMaxNameLength characters.
    // Links that are not local files are left out.
    static QStringList droppedNames(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool acceptsDrag(QDropEvent* event) const;

    bool dropEnabled_ = true;
    TDropfileNotifyEvent onDropFiles_;
};

} // namespace playlist
