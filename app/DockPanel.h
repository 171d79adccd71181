#pragma once

// The control panel: a bordered panel that the user can drag out of the main window. Dragged
// out it lives in a floating tool window of its own; the main window takes no docking, so it
// only comes back when the player docks it again at the left or the right. Closing the
// floating window hides the panel, and showing the panel shows its floating window again.

#include <QFrame>
#include <QPointer>
#include <QString>

namespace app {

class DockPanel : public QFrame {
    Q_OBJECT
public:
    explicit DockPanel(QWidget* parent = nullptr);
    ~DockPanel() override;

    // True while the panel sits in a floating window of its own.
    bool isFloating() const;
    // The floating window (nullptr while docked).
    QWidget* floatingWindow() const;
    // Moves the panel into a floating window whose top-left corner is at a screen position,
    // or as near to it as keeps the whole window on the screen that holds the main window.
    void undock(const QPoint& screenPos);
    // The title of the floating window.
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);
    // Called once the panel has a new parent window again, so the floating window goes.
    void docked();

    void setVisible(bool visible) override;

    // Pixels the mouse must travel with the button held before a drag undocks the panel.
    static constexpr int kDragThreshold = 5;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Moves (and if need be shrinks) the floating window so that all of it, title bar
    // included, lies on the main window's screen, as near to topLeft as that allows.
    void placeFloating(const QPoint& topLeft);

    QString caption_;
    QPointer<QWidget> floating_;
    QPoint pressGlobal_;
    QPoint pressOffset_; // where the panel was grabbed, from its top-left corner
    bool pressed_ = false;
    bool dragging_ = false;
};

} // namespace app
