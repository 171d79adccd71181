#include "playlist/TDropFilelistbox1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace playlist {

namespace {

// Cuts at a character boundary, counting characters the way a user does (a character
// outside the Basic Multilingual Plane counts once and is never split).
QString cutToCharacters(const QString& name, int maximum) {
    int characters = 0;
    qsizetype i = 0;
    while (i < name.size()) {
        if (characters == maximum)
            return name.first(i);
        const bool pair =
            name[i].isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        i += pair ? 2 : 1;
        ++characters;
    }
    return name;
}

} // namespace

TDropFilelistbox1::TDropFilelistbox1(QWidget* parent) : TCheckListBox(parent) {
    // Reads true, but the box only accepts drops once DropEnabled has been assigned.
    viewport()->setAcceptDrops(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
}

void TDropFilelistbox1::setDropEnabled(bool value) {
    dropEnabled_ = value;
    // Drops land on the viewport. Qt keeps this across re-parenting, so a box that moves
    // with an undocked panel keeps accepting drops.
    viewport()->setAcceptDrops(value);
}

QStringList TDropFilelistbox1::droppedNames(const QMimeData* data) {
    QStringList names;
    if (!data || !data->hasUrls())
        return names;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!path.isEmpty())
            names.append(cutToCharacters(path, kMaxNameLength));
    }
    return names;
}

bool TDropFilelistbox1::acceptsDrag(QDropEvent* event) const {
    if (!viewport()->acceptDrops() || droppedNames(event->mimeData()).isEmpty())
        return false;
    // Only ever copy or link: accepting a move would make the file manager delete the files
    // it believes we took.
    const Qt::DropActions possible = event->possibleActions();
    if (possible & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (possible & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    return true;
}

void TDropFilelistbox1::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDrag(event))
        event->accept();
    else
        event->ignore();
}

void TDropFilelistbox1::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrag(event))
        event->accept();
    else
        event->ignore();
}

void TDropFilelistbox1::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void TDropFilelistbox1::dropEvent(QDropEvent* event) {
    if (!acceptsDrag(event)) {
        event->ignore();
        return;
    }
    event->accept();
    const QStringList names = droppedNames(event->mimeData());
    // A copy of the handler: it may replace itself while it runs.
    if (const TDropfileNotifyEvent handler = onDropFiles_)
        handler(this, names);
}

} // namespace playlist
