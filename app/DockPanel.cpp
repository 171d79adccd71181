#include "app/DockPanel.h"

#include "skin/controls/TAlignLayout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

namespace app {

namespace {

// The window of an undocked panel: closing it only hides the panel.
class FloatingWindow : public QWidget {
public:
    FloatingWindow(DockPanel* panel, QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          panel_(panel) {
        setObjectName(QStringLiteral("Panel2Floating"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        new skin::TAlignLayout(this);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        if (panel_ && panel_->parentWidget() == this && !panel_->isHidden())
            panel_->hide();
    }

private:
    QPointer<DockPanel> panel_;
};

} // namespace

DockPanel::DockPanel(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
}

// The floating window belongs to the main window and goes with it.
DockPanel::~DockPanel() = default;

bool DockPanel::isFloating() const {
    return floating_ && parentWidget() == floating_;
}

QWidget* DockPanel::floatingWindow() const {
    return isFloating() ? floating_.data() : nullptr;
}

void DockPanel::undock(const QPoint& screenPos) {
    if (isFloating())
        return;
    QWidget* owner = window();
    QWidget* oldParent = parentWidget();
    const QSize size = this->size();
    const bool wasHidden = isHidden();
    if (!floating_)
        floating_ = new FloatingWindow(this, owner);
    auto* layout = static_cast<skin::TAlignLayout*>(floating_->layout());
    layout->addControl(this, skin::TAlign::alClient);
    // What the panel leaves behind closes up at once.
    if (oldParent)
        if (auto* old = qobject_cast<skin::TAlignLayout*>(oldParent->layout()))
            old->realign();
    floating_->setWindowTitle(caption_);
    floating_->resize(size);
    placeFloating(screenPos);
    if (!wasHidden) {
        QFrame::setVisible(true);
        floating_->show();
        // Only a shown window knows the frame its window manager gave it.
        placeFloating(floating_->pos());
    }
}

void DockPanel::setCaption(const QString& caption) {
    caption_ = caption;
    if (floating_)
        floating_->setWindowTitle(caption);
}

void DockPanel::placeFloating(const QPoint& topLeft) {
    if (!floating_)
        return;
    QWidget* owner = floating_->parentWidget();
    const QScreen* screen = owner ? owner->screen() : floating_->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame around the client area: title bar and borders.
    const QRect frame = floating_->frameGeometry();
    const QRect client = floating_->geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QSize room(area.width() - margins.left() - margins.right(),
                     area.height() - margins.top() - margins.bottom());
    if (room.width() > 0 && room.height() > 0 &&
        (client.width() > room.width() || client.height() > room.height()))
        floating_->resize(client.size().boundedTo(room));
    const QSize outer = floating_->size().grownBy(margins);
    const int x = std::clamp(topLeft.x(), area.left(),
                             std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(topLeft.y(), area.top(),
                             std::max(area.top(), area.bottom() + 1 - outer.height()));
    // A window's position is that of its frame.
    floating_->move(x, y);
}

void DockPanel::docked() {
    if (floating_ && parentWidget() != floating_) {
        floating_->hide();
        floating_->deleteLater();
        floating_ = nullptr;
    }
}

void DockPanel::setVisible(bool visible) {
    QFrame::setVisible(visible);
    if (isFloating() && floating_->isVisible() != visible)
        floating_->setVisible(visible);
}

void DockPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragging_ = false;
    pressGlobal_ = event->globalPosition().toPoint();
    pressOffset_ = event->globalPosition().toPoint() - mapToGlobal(QPoint(0, 0));
    event->accept();
}

void DockPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton)) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!dragging_ && (global - pressGlobal_).manhattanLength() < kDragThreshold)
        return;
    dragging_ = true;
    const QPoint topLeft = global - pressOffset_;
    if (!isFloating())
        undock(topLeft);
    else
        placeFloating(topLeft);
    event->accept();
}

void DockPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
        dragging_ = false;
    }
    QFrame::mouseReleaseEvent(event);
}

} // namespace app
