#include "skin/controls/TSeSkinStatusBar.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include "skin/model/TSeSkinObject.h"

namespace skin {

namespace {

// Side of the default size grip.
constexpr int kDefaultGrip = 14;

} // namespace

void TSeStatusPanel::changed() {
    bar_->panelChanged(this);
}

void TSeStatusPanel::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    changed();
}

void TSeStatusPanel::setWidth(int width) {
    width_ = std::clamp(width, 0, maxWidth_);
    bar_->layoutChanged();
}

void TSeStatusPanel::setMaxWidth(int maxWidth) {
    maxWidth_ = std::max(0, maxWidth);
    if (width_ > maxWidth_)
        setWidth(maxWidth_);
}

void TSeStatusPanel::setAlignment(Qt::Alignment a) {
    alignment_ = a;
    changed();
}

void TSeStatusPanel::setFramed(bool framed) {
    framed_ = framed;
    changed();
}

void TSeStatusPanel::setImageIndex(int index) {
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    changed();
}

void TSeStatusPanel::setShowImage(bool on) {
    showImage_ = on;
    changed();
}

void TSeStatusPanel::setLayout(TSeStatusGliphLayout layout) {
    layout_ = layout;
    changed();
}

void TSeStatusPanel::setMargin(int margin) {
    margin_ = std::max(0, margin);
    changed();
}

void TSeStatusPanel::setSpacing(int spacing) {
    spacing_ = std::max(0, spacing);
    changed();
}

void TSeStatusPanel::setStyle(TSeStatusPanelStyle style) {
    style_ = style;
    changed();
}

int TSeStatusPanel::Index() const {
    return bar_->Panels().indexOf(this);
}

TSeStatusPanel& TSeStatusPanels::Add() {
    panels_.push_back(std::unique_ptr<TSeStatusPanel>(new TSeStatusPanel(bar_)));
    bar_->layoutChanged();
    return *panels_.back();
}

void TSeStatusPanels::Clear() {
    panels_.clear();
    bar_->layoutChanged();
}

int TSeStatusPanels::indexOf(const TSeStatusPanel* panel) const {
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        if (panels_[i].get() == panel)
            return static_cast<int>(i);
    }
    return -1;
}

TSeSkinStatusBar::TSeSkinStatusBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The grip shows the resize cursor.
    setMouseTracking(true);
}

TSeSkinStatusBar::~TSeSkinStatusBar() = default;

QSize TSeSkinStatusBar::sizeHint() const {
    return {200, fontMetrics().height() + 8};
}

void TSeSkinStatusBar::setSizeGrip(bool on) {
    sizeGrip_ = on;
    if (!on)
        unsetCursor();
    layoutChanged();
}

void TSeSkinStatusBar::setImages(const QList<QPixmap>& images) {
    images_ = images;
    layoutChanged();
}

QRect TSeSkinStatusBar::panelRect(int index) const {
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += panels_[i].Width();
    return QRect(x, 0, panels_[index].Width(), height());
}

int TSeSkinStatusBar::panelAt(QPoint p) const {
    if (!rect().contains(p))
        return -1;
    for (int i = 0; i < panels_.Count(); ++i) {
        if (panelRect(i).contains(p))
            return i;
    }
    return -1;
}

QRect TSeSkinStatusBar::gripRect() const {
    if (!sizeGrip_)
        return {};
    QSize size(kDefaultGrip, kDefaultGrip);
    if (const TSeSkinObject* gripper = skin_.part("Gripper");
        gripper && gripper->width() > 0 && gripper->height() > 0)
        size = QSize(gripper->width(), gripper->height());
    size = size.boundedTo(this->size());
    return QRect(QPoint(width() - size.width(), height() - size.height()), size);
}

void TSeSkinStatusBar::panelChanged(const TSeStatusPanel* panel) {
    ++repaintRequests_;
    if (const int i = panels_.indexOf(panel); i >= 0)
        update(panelRect(i));
}

void TSeSkinStatusBar::layoutChanged() {
    ++repaintRequests_;
    update();
}

void TSeSkinStatusBar::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintBar(p); });
        return;
    }
    QPainter p(this);
    paintBar(p);
}

void TSeSkinStatusBar::paintBar(QPainter& p) {
    TSeSkinObject* frame = skin_.part("Frame");
    TSeSkinObject* panelPart = skin_.part("Panel");
    TSeSkinObject* gripper = skin_.part("Gripper");
    for (TSeSkinObject* part : {frame, panelPart, gripper}) {
        if (part)
            part->setState(0);
    }

    // The bar around the panels.
    QRegion panelsArea;
    for (int i = 0; i < panels_.Count(); ++i)
        panelsArea += panelRect(i).intersected(rect());
    if (frame) {
        p.save();
        p.setClipRegion(QRegion(rect()) - panelsArea, Qt::IntersectClip);
        frame->setBounds(rect());
        frame->draw(p);
        p.restore();
    } else {
        paintDefaultBackground(p);
    }

    for (int i = 0; i < panels_.Count(); ++i) {
        const QRect r = panelRect(i).intersected(rect());
        if (r.isEmpty())
            continue;
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        if (frame) {
            frame->setBounds(rect());
            frame->draw(p);
        }
        // A panel without a frame shows the bar under it.
        if (panelPart && panels_[i].Framed()) {
            panelPart->setBounds(r);
            panelPart->draw(p);
        } else if (!frame || !panelPart) {
            paintDefaultPanelFrame(p, i, r);
        }
        paintPanelContents(p, i, r, panelPart ? panelPart : frame);
        p.restore();
    }

    const QRect grip = gripRect();
    if (grip.isEmpty())
        return;
    if (gripper) {
        gripper->setBounds(grip);
        gripper->draw(p);
    } else {
        paintDefaultGrip(p, grip);
    }
}

void TSeSkinStatusBar::paintDefaultBackground(QPainter& p) {
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
}

void TSeSkinStatusBar::paintDefaultPanelFrame(QPainter& p, int index, const QRect& r) {
    if (!panels_[index].Framed() || index + 1 >= panels_.Count())
        return;
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(r.right(), 3, r.right(), r.bottom() - 3);
}

void TSeSkinStatusBar::paintPanelContents(QPainter& p, int index, const QRect& r,
                                          const TSeSkinObject* part) {
    TSeStatusPanel& panel = panels_[index];
    if (panel.Style() == TSeStatusPanelStyle::psOwnerDraw) {
        if (OnDrawPanel) {
            p.save();
            OnDrawPanel(this, panel, p, r);
            p.restore();
        }
        return;
    }
    QRect area = r.adjusted(panel.Margin() + 2, 1, -panel.Margin() - 2, 0);
    if (part) {
        area = r.adjusted(panel.Margin() + part->TextMarginLeft, part->TextMarginTop,
                          -panel.Margin() - part->TextMarginRight, 0);
        const TSeFont font = part->Font;
        p.setFont(font.toQFont());
        p.setPen(isEnabled() ? font.color() : QColor(0x80, 0x80, 0x80));
    } else {
        p.setFont(font());
        p.setPen(palette().color(isEnabled() ? QPalette::WindowText : QPalette::PlaceholderText));
    }
    const int index0 = panel.ImageIndex();
    if (panel.ShowImage() && index0 >= 0 && index0 < images_.size() && !images_[index0].isNull()) {
        const QPixmap& image = images_[index0];
        const QSize size = image.deviceIndependentSize().toSize();
        const bool right = panel.Layout() == TSeStatusGliphLayout::sglGlyphRight;
        const int x = right ? area.right() + 1 - size.width() : area.left();
        p.drawPixmap(QPoint(x, area.top() + (area.height() - size.height()) / 2), image);
        const int used = size.width() + panel.Spacing();
        area.adjust(right ? 0 : used, 0, right ? -used : 0, 0);
    }
    if (area.width() <= 0 || panel.Text().isEmpty())
        return;
    p.drawText(area, int(panel.Alignment() | Qt::AlignVCenter) | Qt::TextSingleLine,
               p.fontMetrics().elidedText(panel.Text(), Qt::ElideRight, area.width()));
}

void TSeSkinStatusBar::paintDefaultGrip(QPainter& p, const QRect& grip) {
    p.setPen(palette().color(QPalette::Dark));
    const int right = grip.right() + 1;
    const int bottom = grip.bottom() + 1;
    for (int k = 0; k < 3; ++k) {
        const int o = 4 + 4 * k;
        if (o > grip.width() || o > grip.height())
            break;
        p.drawLine(right - o, bottom - 2, right - 2, bottom - o);
    }
}

void TSeSkinStatusBar::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && gripRect().contains(at)) {
        // The window manager resizes; a maximized or full-screen window has nothing to resize.
        QWidget* w = window();
        if (w != this && !(w->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) &&
            w->windowHandle())
            w->windowHandle()->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
        event->accept();
        return;
    }
    pressedPanel_ = event->button() == Qt::LeftButton ? panelAt(at) : -1;
    QWidget::mousePressEvent(event);
}

void TSeSkinStatusBar::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = std::exchange(pressedPanel_, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 &&
        pressed == panelAt(event->position().toPoint()) && OnPanelClick)
        OnPanelClick(this, panels_[pressed]);
    QWidget::mouseReleaseEvent(event);
}

void TSeSkinStatusBar::mouseDoubleClickEvent(QMouseEvent* event) {
    const int at = panelAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && at >= 0 && OnPanelDblClick)
        OnPanelDblClick(this, panels_[at]);
    QWidget::mouseDoubleClickEvent(event);
}

void TSeSkinStatusBar::mouseMoveEvent(QMouseEvent* event) {
    if (gripRect().contains(event->position().toPoint()))
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

} // namespace skin
