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

void TSeStatusPanel::setControl(QWidget* control) {
    if (control == control_)
        return;
    control_ = control;
    if (control && control->parentWidget() != bar_)
        control->setParent(bar_);
    bar_->layoutChanged();
}

void TSeStatusPanel::setViewPriority(int percent) {
    viewPriority_ = std::clamp(percent, 0, 100);
    bar_->layoutChanged();
}

void TSeStatusPanel::setStretchPriority(int percent) {
    stretchPriority_ = std::clamp(percent, 0, 100);
    bar_->layoutChanged();
}

TSeStatusPanel& TSeStatusPanels::Add() {
    TSeSkinStatusBar::PanelClass panelClass = [](TSeSkinStatusBar* bar) {
        return std::unique_ptr<TSeStatusPanel>(new TSeStatusPanel(bar));
    };
    if (bar_->OnCreatePanelClass)
        bar_->OnCreatePanelClass(bar_, panelClass);
    std::unique_ptr<TSeStatusPanel> panel = panelClass ? panelClass(bar_) : nullptr;
    // A class that made nothing, or a panel for another bar, gets the plain panel.
    if (!panel || panel->bar_ != bar_)
        panel.reset(new TSeStatusPanel(bar_));
    panels_.push_back(std::move(panel));
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

void TSeSkinStatusBar::setBevelSides(TSeBevelEdges sides) {
    bevelSides_ = sides & (beLeft | beTop | beRight | beBottom);
    layoutChanged();
}

void TSeSkinStatusBar::setBevelInner(TSeBevelCut cut) {
    bevelInner_ = cut;
    layoutChanged();
}

void TSeSkinStatusBar::setBevelOuter(TSeBevelCut cut) {
    bevelOuter_ = cut;
    layoutChanged();
}

void TSeSkinStatusBar::setBevelKind(TSeBevelKind kind) {
    bevelKind_ = kind;
    layoutChanged();
}

int TSeSkinStatusBar::bevelWidth() const {
    if (bevelKind_ == TSeBevelKind::bkNone || skin_.isSkinned())
        return 0;
    return (bevelInner_ != TSeBevelCut::bvNone ? 1 : 0) +
           (bevelOuter_ != TSeBevelCut::bvNone ? 1 : 0);
}

QRect TSeSkinStatusBar::contentRect() const {
    const int w = bevelWidth();
    QRect r = rect();
    r.adjust(bevelSides_ & beLeft ? w : 0, bevelSides_ & beTop ? w : 0,
             bevelSides_ & beRight ? -w : 0, bevelSides_ & beBottom ? -w : 0);
    return r;
}

std::vector<QRect> TSeSkinStatusBar::layoutPanels() const {
    const int count = panels_.Count();
    const QRect content = contentRect();
    std::vector<bool> shown(static_cast<std::size_t>(count), true);
    auto usedWidth = [&] {
        long long sum = 0;
        for (int i = 0; i < count; ++i)
            if (shown[std::size_t(i)])
                sum += panels_[i].Width();
        return sum;
    };
    // Panels give way, the least wanted (and of those the rightmost) first, until the rest fit.
    while (usedWidth() > content.width()) {
        int weakest = -1;
        for (int i = 0; i < count; ++i)
            if (shown[std::size_t(i)] && panels_[i].ViewPriority() < 100 &&
                (weakest < 0 || panels_[i].ViewPriority() <= panels_[weakest].ViewPriority()))
                weakest = i;
        if (weakest < 0)
            break;
        shown[std::size_t(weakest)] = false;
    }
    const long long spare = std::max(0LL, content.width() - usedWidth());
    int shares = 0;
    for (int i = 0; i < count; ++i)
        if (shown[std::size_t(i)])
            shares += panels_[i].StretchPriority();
    const int whole = std::max(100, shares);
    std::vector<QRect> rects(static_cast<std::size_t>(count));
    int x = content.left();
    for (int i = 0; i < count; ++i) {
        if (!shown[std::size_t(i)])
            continue;
        const int extra = int(spare * panels_[i].StretchPriority() / whole);
        const int w = panels_[i].Width() + extra;
        rects[std::size_t(i)] = QRect(x, content.top(), w, content.height());
        x += w;
    }
    return rects;
}

QRect TSeSkinStatusBar::panelRect(int index) const {
    return layoutPanels().at(static_cast<std::size_t>(index));
}

void TSeSkinStatusBar::placeControls() {
    const std::vector<QRect> rects = layoutPanels();
    for (int i = 0; i < panels_.Count(); ++i) {
        QWidget* control = panels_[i].Control();
        if (!control)
            continue;
        const QRect r = rects[std::size_t(i)];
        // Inside the panel's frame, clear of the size grip.
        QRect inside = panels_[i].Framed() ? r.adjusted(1, 1, -1, -1) : r;
        if (const QRect grip = gripRect(); !grip.isEmpty() && inside.intersects(grip))
            inside.setRight(std::min(inside.right(), grip.left() - 1));
        control->setGeometry(inside);
        control->setVisible(!r.isEmpty() && !inside.isEmpty());
    }
}

void TSeSkinStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

int TSeSkinStatusBar::panelAt(QPoint p) const {
    if (!rect().contains(p))
        return -1;
    const std::vector<QRect> rects = layoutPanels();
    for (int i = 0; i < panels_.Count(); ++i) {
        if (rects[std::size_t(i)].contains(p))
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
    placeControls();
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
    const std::vector<QRect> rects = layoutPanels();
    QRegion panelsArea;
    for (const QRect& r : rects)
        panelsArea += r.intersected(rect());
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
        const QRect r = rects[std::size_t(i)].intersected(rect());
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
    if (bevelWidth() > 0) {
        paintBevel(p);
        return;
    }
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
}

void TSeSkinStatusBar::paintBevel(QPainter& p) {
    const QPalette& pal = palette();
    QColor light = pal.color(QPalette::Light), dark = pal.color(QPalette::Dark);
    if (bevelKind_ == TSeBevelKind::bkSoft) {
        light = pal.color(QPalette::Midlight);
        dark = pal.color(QPalette::Mid);
    }
    QRect r = rect();
    auto edge = [&](TSeBevelCut cut) {
        if (cut == TSeBevelCut::bvNone)
            return;
        if (cut != TSeBevelCut::bvSpace) {
            // Flat bevels draw every side in the shadow colour.
            const bool raised = cut == TSeBevelCut::bvRaised;
            const QColor topLeft =
                bevelKind_ == TSeBevelKind::bkFlat ? dark : (raised ? light : dark);
            const QColor bottomRight =
                bevelKind_ == TSeBevelKind::bkFlat ? dark : (raised ? dark : light);
            const QRect e = r;
            p.setPen(topLeft);
            if (bevelSides_ & beTop)
                p.drawLine(e.topLeft(), e.topRight());
            if (bevelSides_ & beLeft)
                p.drawLine(e.topLeft(), e.bottomLeft());
            p.setPen(bottomRight);
            if (bevelSides_ & beBottom)
                p.drawLine(e.bottomLeft(), e.bottomRight());
            if (bevelSides_ & beRight)
                p.drawLine(e.topRight(), e.bottomRight());
        }
        r.adjust(bevelSides_ & beLeft ? 1 : 0, bevelSides_ & beTop ? 1 : 0,
                 bevelSides_ & beRight ? -1 : 0, bevelSides_ & beBottom ? -1 : 0);
    };
    edge(bevelOuter_);
    edge(bevelInner_);
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
