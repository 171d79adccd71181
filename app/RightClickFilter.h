#pragma once

// An application-wide event filter that sees every mouse press before its target does: a
// right-button press on the movie is taken away from the control (whose own menu must never
// open) and becomes the player's movie menu at the cursor.

#include <QObject>
#include <QPoint>
#include <functional>

namespace app {

class RightClickFilter : public QObject {
    Q_OBJECT
public:
    using IsMovie = std::function<bool(QObject* target)>;
    using ShowMenu = std::function<void(const QPoint& globalPos)>;

    RightClickFilter(IsMovie isMovie, ShowMenu showMenu);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    IsMovie isMovie_;
    ShowMenu showMenu_;
};

} // namespace app
