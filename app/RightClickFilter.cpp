#include "app/RightClickFilter.h"

#include <QCursor>
#include <QMouseEvent>

namespace app {

RightClickFilter::RightClickFilter(IsMovie isMovie, ShowMenu showMenu)
    : isMovie_(std::move(isMovie)), showMenu_(std::move(showMenu)) {}

bool RightClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && isMovie_(watched)) {
        showMenu_(QCursor::pos());
        return true;
    }
    // Qt also offers the menu request itself; the control must not see that either.
    if (event->type() == QEvent::ContextMenu && isMovie_(watched))
        return true;
    return false;
}

} // namespace app
