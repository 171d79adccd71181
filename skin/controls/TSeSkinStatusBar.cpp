#include "skin/controls/TSeSkinStatusBar.h"

#include <QPainter>
#include <QStyleOption>

namespace skin {

void TSeStatusPanel::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    bar_->panelChanged(this);
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
    bar_->panelChanged(this);
}

void TSeStatusPanel::setFramed(bool framed) {
    framed_ = framed;
    bar_->panelChanged(this);
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

TSeSkinStatusBar::TSeSkinStatusBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize TSeSkinStatusBar::sizeHint() const {
    return {200, fontMetrics().height() + 8};
}

void TSeSkinStatusBar::setSizeGrip(bool on) {
    sizeGrip_ = on;
    layoutChanged();
}

QRect TSeSkinStatusBar::panelRect(int index) const {
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += panels_[i].Width();
    return QRect(x, 0, panels_[index].Width(), height());
}

void TSeSkinStatusBar::panelChanged(const TSeStatusPanel* panel) {
    ++repaintRequests_;
    for (int i = 0; i < panels_.Count(); ++i) {
        if (&panels_[i] == panel) {
            update(panelRect(i));
            return;
        }
    }
}

void TSeSkinStatusBar::layoutChanged() {
    ++repaintRequests_;
    update();
}

void TSeSkinStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(0, 0, width(), 0);
    for (int i = 0; i < panels_.Count(); ++i) {
        const TSeStatusPanel& panel = panels_[i];
        const QRect r = panelRect(i);
        if (r.width() <= 0)
            continue;
        if (panel.Framed() && i + 1 < panels_.Count()) {
            p.setPen(pal.color(QPalette::Mid));
            p.drawLine(r.right(), 3, r.right(), r.bottom() - 3);
        }
        p.setPen(pal.color(isEnabled() ? QPalette::WindowText : QPalette::PlaceholderText));
        const QRect textRect = r.adjusted(panel.Margin() + 2, 1, -panel.Margin() - 2, 0);
        p.drawText(textRect, int(panel.Alignment() | Qt::AlignVCenter) | Qt::TextSingleLine,
                   fontMetrics().elidedText(panel.Text(), Qt::ElideRight, textRect.width()));
    }
    if (sizeGrip_) {
        p.setPen(pal.color(QPalette::Dark));
        for (int k = 0; k < 3; ++k) {
            const int o = 4 + 4 * k;
            p.drawLine(width() - o, height() - 2, width() - 2, height() - o);
        }
    }
}

} // namespace skin
