#include "skin/controls/TSeSkinSplitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "skin/model/TSeSkinObject.h"

namespace skin {

namespace {

// The drag line: a checkered bar over the parent's other controls.
class DragLine : public QWidget {
public:
    explicit DragLine(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("SplitterDragLine"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
    }
};

} // namespace

TSeSkinSplitter::TSeSkinSplitter(QWidget* parent) : QWidget(parent) {
    resize(3, 100);
    skin::setAlign(this, TAlign::alLeft);
    setCursor(Qt::SplitHCursor);
    updateCursor();
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    skin_.onSkinChanged = [this] { skinChanged(); };
}

void TSeSkinSplitter::setTransparent(bool on) {
    skin_.setTransparent(on);
    skinChanged();
}

void TSeSkinSplitter::skinChanged() {
    setAutoFillBackground(!(skin_.Transparent() && skin_.isSkinned()));
}

TSeSkinSplitter::~TSeSkinSplitter() {
    if (control_)
        qApp->removeEventFilter(this);
}

void TSeSkinSplitter::setAlign(TAlign align) {
    skin::setAlign(this, align);
    updateCursor();
}

void TSeSkinSplitter::setBeveled(bool on) {
    beveled_ = on;
    update();
}

void TSeSkinSplitter::updateCursor() {
    // A cursor chosen by the program stays; only the splitting cursors follow the alignment.
    const Qt::CursorShape shape = cursor().shape();
    if (shape != Qt::SplitHCursor && shape != Qt::SplitVCursor)
        return;
    const TAlign a = Align();
    if (a == TAlign::alTop || a == TAlign::alBottom)
        setCursor(Qt::SplitVCursor);
    else
        setCursor(Qt::SplitHCursor);
}

bool TSeSkinSplitter::horizontal() const {
    return Align() == TAlign::alLeft || Align() == TAlign::alRight;
}

QWidget* TSeSkinSplitter::findControl() const {
    QWidget* parent = parentWidget();
    if (!parent)
        return nullptr;
    QPoint p = pos();
    switch (Align()) {
    case TAlign::alTop:
        p.ry() -= 1;
        break;
    case TAlign::alBottom:
        p.ry() += height();
        break;
    case TAlign::alLeft:
        p.rx() -= 1;
        break;
    case TAlign::alRight:
        p.rx() += width();
        break;
    default:
        return nullptr;
    }
    const bool towardsStart = Align() == TAlign::alTop || Align() == TAlign::alLeft;
    const auto children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* c : children) {
        if (c == this || c->isWindow() || c->isHidden() || !c->isEnabled() || c == line_)
            continue;
        QRect r = c->geometry();
        // A collapsed neighbour still has an edge to grab: widen it by one pixel.
        if (r.width() == 0) {
            if (towardsStart)
                r.setLeft(r.left() - 1);
            else
                r.setRight(r.right() + 1);
        }
        if (r.height() == 0) {
            if (towardsStart)
                r.setTop(r.top() - 1);
            else
                r.setBottom(r.bottom() + 1);
        }
        if (r.contains(p))
            return c;
    }
    return nullptr;
}

void TSeSkinSplitter::calcSplitSize(const QPoint& p, int& newSize, int& split) const {
    split = horizontal() ? p.x() - downPos_.x() : p.y() - downPos_.y();
    int raw = 0;
    switch (Align()) {
    case TAlign::alTop:
        raw = control_->height() + split;
        break;
    case TAlign::alBottom:
        raw = control_->height() - split;
        break;
    case TAlign::alLeft:
        raw = control_->width() + split;
        break;
    case TAlign::alRight:
        raw = control_->width() - split;
        break;
    default:
        break;
    }
    newSize = raw;
    if (newSize < minSize_)
        newSize = minSize_;
    else if (newSize > maxSize_)
        newSize = maxSize_;
    if (raw != newSize) {
        if (Align() == TAlign::alRight || Align() == TAlign::alBottom)
            split += raw - newSize;
        else
            split += newSize - raw;
    }
}

bool TSeSkinSplitter::doCanResize(int& newSize) {
    bool accept = true;
    if (OnCanResize)
        OnCanResize(this, newSize, accept);
    if (accept && autoSnap_ && newSize <= minSize_)
        newSize = 0;
    return accept;
}

QRect TSeSkinSplitter::lineRect() const {
    if (horizontal())
        return QRect(x() + split_, y(), width(), height());
    return QRect(x(), y() + split_, width(), height());
}

void TSeSkinSplitter::drawLine() {
    lineVisible_ = !lineVisible_;
    if (!line_) {
        if (!lineVisible_)
            return;
        line_ = new DragLine(parentWidget());
    }
    if (lineVisible_) {
        line_->setGeometry(lineRect());
        line_->raise();
        line_->show();
    } else {
        line_->hide();
    }
}

void TSeSkinSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    QWidget* control = findControl();
    downPos_ = event->position().toPoint();
    if (!control)
        return;
    control_ = control;
    QWidget* parent = parentWidget();
    const bool horz = horizontal();
    int taken = 0;
    for (QWidget* c : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (c->isWindow() || c->isHidden())
            continue;
        const TAlign a = alignOf(c);
        if (horz && (a == TAlign::alLeft || a == TAlign::alRight))
            taken += c->width();
        else if (!horz && (a == TAlign::alTop || a == TAlign::alBottom))
            taken += c->height();
    }
    const QRect client = parent->contentsRect();
    maxSize_ = (horz ? client.width() : client.height()) - minSize_ - taken +
               (horz ? control_->width() : control_->height());
    calcSplitSize(downPos_, newSize_, split_);
    // Escape cancels the drag; it must not reach the window's own key handling as well.
    qApp->installEventFilter(this);
    if (resizeStyle_ == TResizeStyle::rsLine || resizeStyle_ == TResizeStyle::rsPattern)
        drawLine();
}

void TSeSkinSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !control_)
        return;
    int newSize = 0;
    int split = 0;
    calcSplitSize(event->position().toPoint(), newSize, split);
    if (!doCanResize(newSize))
        return;
    const bool line =
        resizeStyle_ == TResizeStyle::rsLine || resizeStyle_ == TResizeStyle::rsPattern;
    if (line && lineVisible_)
        drawLine();
    newSize_ = newSize;
    split_ = split;
    if (resizeStyle_ == TResizeStyle::rsUpdate)
        updateControlSize();
    if (line)
        drawLine();
}

void TSeSkinSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !control_)
        return;
    if (lineVisible_)
        drawLine();
    updateControlSize();
    stopSizing();
}

void TSeSkinSplitter::updateControlSize() {
    if (!control_ || newSize_ == oldSize_)
        return;
    // A control on the far edge keeps that edge where it is and grows towards the splitter.
    const QRect g = control_->geometry();
    switch (Align()) {
    case TAlign::alTop:
        control_->resize(g.width(), newSize_);
        break;
    case TAlign::alBottom:
        control_->setGeometry(g.left(), g.top() + g.height() - newSize_, g.width(), newSize_);
        break;
    case TAlign::alLeft:
        control_->resize(newSize_, g.height());
        break;
    case TAlign::alRight:
        control_->setGeometry(g.left() + g.width() - newSize_, g.top(), newSize_, g.height());
        break;
    default:
        break;
    }
    update();
    if (OnMoved)
        OnMoved(this);
    oldSize_ = newSize_;
}

void TSeSkinSplitter::stopSizing() {
    if (lineVisible_)
        drawLine();
    if (control_) {
        control_ = nullptr;
        qApp->removeEventFilter(this);
    }
    if (line_)
        line_->deleteLater();
    line_ = nullptr;
    if (OnMoved)
        OnMoved(this);
}

bool TSeSkinSplitter::eventFilter(QObject*, QEvent* event) {
    if (control_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        stopSizing();
        return true;
    }
    return false;
}

void TSeSkinSplitter::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) {
            TSeSkinObject* copy = skin_.skinCopy();
            copy->setState(state::Normal);
            copy->setBounds(rect());
            copy->draw(p);
        });
        return;
    }
    QPainter p(this);
    paintDefault(p);
    p.end();
    if (OnPaint)
        OnPaint(this);
}

void TSeSkinSplitter::paintDefault(QPainter& p) {
    if (beveled_) {
        QRect r = rect();
        if (horizontal())
            r.adjust(1, -2, -1, 2);
        else
            r.adjust(-2, 1, 2, -1);
        r.translate(1, 1);
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.translate(-2, -2);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

} // namespace skin
