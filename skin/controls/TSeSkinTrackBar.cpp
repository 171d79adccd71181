#include "skin/controls/TSeSkinTrackBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdint>
#include <limits>

#include "skin/model/TSeSkinObject.h"

namespace skin {

namespace {

// Room across the track kept for tick marks on a side that shows them, and the edge gap on a
// side that does not.
constexpr int kTickRoom = 5;
constexpr int kEdgeGap = 2;
constexpr int kTickLength = 4;
constexpr int kDefaultThumbThickness = 22;
constexpr int kDefaultTrackThickness = 4;
// More ticks than one every this many pixels would merge into a solid bar.
constexpr int kMinTickPitch = 3;

int clampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

TSeSkinTrackBar::TSeSkinTrackBar(QWidget* parent) : QWidget(parent) {
    resize(150, 45);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    skin_.setPerformance(TSePerformance::kspDoubleBuffer);
    skin_.onSkinChanged = [this] { skinChanged(); };
}

void TSeSkinTrackBar::setPosition(int value) {
    if (value == position_)
        return;
    position_ = std::clamp(value, min_, max_);
    update();
    // Raised even when clamping leaves the stored value where it was: callers rely on hearing
    // about every attempt to move the bar.
    if (OnChange)
        OnChange(this);
}

void TSeSkinTrackBar::stepBy(long long delta) {
    setPosition(clampToInt(std::int64_t{position_} + delta));
}

void TSeSkinTrackBar::setMax(int value) {
    if (value == max_ || value <= min_)
        return;
    max_ = value;
    if (position_ > max_)
        setPosition(max_);
    update();
}

void TSeSkinTrackBar::setMin(int value) {
    if (value == min_ || value >= max_)
        return;
    min_ = value;
    if (position_ < min_)
        setPosition(min_);
    update();
}

void TSeSkinTrackBar::setFrequency(int value) {
    // A frequency below 1 would snap by nothing (or divide by zero); it means every value.
    frequency_ = value > 0 ? value : 1;
    update();
}

void TSeSkinTrackBar::setOrientation(TTrackBarOrientation o) {
    orientation_ = o;
    update();
}

void TSeSkinTrackBar::setShowTicks(bool show) {
    showTicks_ = show;
    update();
}

void TSeSkinTrackBar::setTickMarks(TTickMark marks) {
    tickMarks_ = marks;
    update();
}

void TSeSkinTrackBar::setIntervalHighlightType(TIntervalHighlight type) {
    highlight_ = type;
    update();
}

void TSeSkinTrackBar::skinChanged() {
    // The thumb part may be longer or shorter than the default thumb: the pixel mapping moves.
    update();
}

int TSeSkinTrackBar::trackLength() const {
    return horizontal() ? width() : height();
}

int TSeSkinTrackBar::along(const QPoint& p) const {
    return horizontal() ? p.x() : p.y();
}

TSeSkinObject* TSeSkinTrackBar::skinPart(const char* horizontalName, const char* verticalName,
                                         const char* name) const {
    if (TSeSkinObject* part = skin_.part(horizontal() ? horizontalName : verticalName))
        return part;
    return skin_.part(name);
}

QSize TSeSkinTrackBar::skinThumbSize() const {
    // "ThumbVert" is drawn as it stands; the plain "Thumb" describes a horizontal bar's thumb
    // and is turned on its side for a vertical one.
    if (!horizontal()) {
        if (const TSeSkinObject* thumb = skin_.part("ThumbVert"))
            return {thumb->height(), thumb->width()};
    } else if (const TSeSkinObject* thumb = skin_.part("ThumbHorz")) {
        return {thumb->width(), thumb->height()};
    }
    if (const TSeSkinObject* thumb = skin_.part("Thumb"))
        return {thumb->width(), thumb->height()};
    return {};
}

int TSeSkinTrackBar::thumbLength() const {
    // A thumb longer than the bar could not move at all.
    if (const int stored = skinThumbSize().width(); stored > 0)
        return std::min(stored, std::max(1, trackLength() - 2 * kEndMargin));
    return kThumbLength;
}

int TSeSkinTrackBar::positionToPixel(int position) const {
    if (max_ == min_)
        return 0;
    const int thumb = thumbLength();
    const double usable = trackLength() - 2 * kEndMargin - thumb;
    const double share = double(std::int64_t{position} - min_) / double(std::int64_t{max_} - min_);
    return thumb / 2 + kEndMargin + static_cast<int>(std::lround(usable * share));
}

int TSeSkinTrackBar::pixelToPosition(int pixel) const {
    const int thumb = thumbLength();
    const int usable = trackLength() - 2 * kEndMargin - thumb;
    if (usable <= 0)
        return min_;
    const double range = double(std::int64_t{max_} - min_);
    std::int64_t v =
        std::llround(double(std::int64_t{pixel} - kEndMargin - thumb / 2) * range / usable) + min_;
    const std::int64_t e = v % frequency_;
    if (e > frequency_ / 2)
        v += frequency_;
    v -= e;
    return static_cast<int>(std::clamp<std::int64_t>(v, min_, max_));
}

bool TSeSkinTrackBar::ticksBefore() const {
    return showTicks_ && (tickMarks_ == TTickMark::tmBoth || tickMarks_ == TTickMark::tmTopLeft);
}

bool TSeSkinTrackBar::ticksAfter() const {
    return showTicks_ &&
           (tickMarks_ == TTickMark::tmBoth || tickMarks_ == TTickMark::tmBottomRight);
}

std::pair<int, int> TSeSkinTrackBar::band() const {
    const int across = horizontal() ? height() : width();
    const int from = ticksBefore() ? kTickRoom : kEdgeGap;
    const int to = across - (ticksAfter() ? kTickRoom : kEdgeGap);
    return {from, std::max(from, to)};
}

int TSeSkinTrackBar::thumbThickness() const {
    const auto [from, to] = band();
    if (const int stored = skinThumbSize().height(); stored > 0)
        return stored;
    return std::clamp(to - from, 1, kDefaultThumbThickness);
}

QRect TSeSkinTrackBar::thumbRect() const {
    const auto [from, to] = band();
    const int thickness = thumbThickness();
    const int length = thumbLength();
    const int start = positionToPixel(position_) - length / 2;
    const int side = (from + to - thickness) / 2;
    return horizontal() ? QRect(start, side, length, thickness)
                        : QRect(side, start, thickness, length);
}

QRect TSeSkinTrackBar::trackRect() const {
    const auto [from, to] = band();
    int thickness = kDefaultTrackThickness;
    // As with the thumb, "TrackVert" stands as drawn and "Track" is a horizontal track.
    const TSeSkinObject* vertical = horizontal() ? nullptr : skin_.part("TrackVert");
    if (const TSeSkinObject* track = skinPart("TrackHorz", "TrackVert", "Track")) {
        const int stored = vertical ? track->width() : track->height();
        if (stored > 0)
            thickness = stored;
    }
    const int start = kEndMargin + thumbLength() / 2;
    const int length = std::max(0, trackLength() - 2 * start);
    const int side = (from + to - thickness) / 2;
    return horizontal() ? QRect(start, side, length, thickness)
                        : QRect(side, start, thickness, length);
}

QRect TSeSkinTrackBar::highlightRect() const {
    const QRect track = trackRect();
    const int at = positionToPixel(position_);
    QRect r = track;
    switch (highlight_) {
    case TIntervalHighlight::htNone:
        return {};
    case TIntervalHighlight::htLowInterval:
        if (horizontal())
            r.setRight(std::min(track.right(), at - 1));
        else
            r.setBottom(std::min(track.bottom(), at - 1));
        break;
    case TIntervalHighlight::htHighInterval:
        if (horizontal())
            r.setLeft(std::max(track.left(), at));
        else
            r.setTop(std::max(track.top(), at));
        break;
    }
    return r.isValid() ? r : QRect();
}

std::vector<int> TSeSkinTrackBar::tickPixels() const {
    std::vector<int> ticks;
    if (!showTicks_ || max_ <= min_)
        return ticks;
    const std::int64_t count = (std::int64_t{max_} - min_) / frequency_ + 1;
    if (count > std::max(2, trackLength() / kMinTickPitch))
        return ticks;
    for (std::int64_t v = min_; v <= max_; v += frequency_)
        ticks.push_back(positionToPixel(static_cast<int>(v)));
    // The far end always gets its mark, also when the range is not a whole number of steps.
    if ((std::int64_t{max_} - min_) % frequency_ != 0)
        ticks.push_back(positionToPixel(max_));
    return ticks;
}

int TSeSkinTrackBar::thumbState() const {
    if (!isEnabled())
        return state::Disabled;
    if (dragging_)
        return state::Pressed;
    if (thumbHot_)
        return state::Hot;
    if (hasFocus())
        return state::Focused;
    return state::Normal;
}

void TSeSkinTrackBar::paintEvent(QPaintEvent* event) {
    if (skin_.isSkinned()) {
        skin_.paint(event->rect(), [this](QPainter& p) { paintSkinned(p); });
        return;
    }
    QPainter p(this);
    paintDefault(p);
}

void TSeSkinTrackBar::paintSkinned(QPainter& p) {
    TSeSkinObject* copy = skin_.skinCopy();
    if (!skin_.Transparent()) {
        const QWidget* parent = parentWidget();
        p.fillRect(rect(), (parent ? parent : this)->palette().color(QPalette::Window));
    }
    const auto disabled = static_cast<std::uint8_t>(isEnabled() ? state::Normal : state::Disabled);
    if (TSeSkinObject* frame = copy->findObject("Frame")) {
        frame->setState(disabled);
        frame->setBounds(rect());
        frame->draw(p);
    }
    if (TSeSkinObject* track = skinPart("TrackHorz", "TrackVert", "Track")) {
        track->setState(disabled);
        track->setBounds(trackRect());
        track->draw(p);
    }
    if (TSeSkinObject* highlight = copy->findObject("Highlight");
        highlight && !highlightRect().isEmpty()) {
        highlight->setState(disabled);
        highlight->setBounds(highlightRect());
        highlight->draw(p);
    }
    const std::vector<int> ticks = tickPixels();
    TSeSkinObject* tick = copy->findObject("Tick");
    const int across = horizontal() ? height() : width();
    auto tickAt = [&](int pixel, bool before) {
        const int side = before ? 0 : across - kTickLength;
        return horizontal() ? QRect(pixel, side, 1, kTickLength)
                            : QRect(side, pixel, kTickLength, 1);
    };
    for (int pixel : ticks) {
        for (bool before : {true, false}) {
            if (before ? !ticksBefore() : !ticksAfter())
                continue;
            const QRect r = tickAt(pixel, before);
            if (tick) {
                tick->setState(disabled);
                tick->setBounds(horizontal()
                                    ? r.adjusted(0, 0, std::max(0, tick->width() - 1), 0)
                                    : r.adjusted(0, 0, 0, std::max(0, tick->height() - 1)));
                tick->draw(p);
            } else {
                p.fillRect(r, copy->GetFont().color());
            }
        }
    }
    if (TSeSkinObject* thumb = skinPart("ThumbHorz", "ThumbVert", "Thumb")) {
        thumb->setState(static_cast<std::uint8_t>(thumbState()));
        thumb->setBounds(thumbRect());
        thumb->draw(p);
    }
}

void TSeSkinTrackBar::paintDefault(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(QPalette::Mid));
    p.drawRoundedRect(QRectF(trackRect()), 2, 2);
    if (const QRect done = highlightRect(); !done.isEmpty()) {
        p.setBrush(isEnabled() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Dark));
        p.drawRoundedRect(QRectF(done), 2, 2);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pal.color(QPalette::Dark));
    const int across = horizontal() ? height() : width();
    for (int pixel : tickPixels()) {
        if (ticksBefore()) {
            if (horizontal())
                p.drawLine(pixel, 0, pixel, kTickLength - 1);
            else
                p.drawLine(0, pixel, kTickLength - 1, pixel);
        }
        if (ticksAfter()) {
            if (horizontal())
                p.drawLine(pixel, across - kTickLength, pixel, across - 1);
            else
                p.drawLine(across - kTickLength, pixel, across - 1, pixel);
        }
    }
    p.setRenderHint(QPainter::Antialiasing);
    const QRect thumb = thumbRect();
    p.setPen(hasFocus() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Dark));
    QColor face = pal.color(QPalette::Button);
    if (!isEnabled())
        face = pal.color(QPalette::Disabled, QPalette::Button);
    else if (dragging_)
        face = face.darker(110);
    else if (thumbHot_)
        face = pal.color(QPalette::Light);
    p.setBrush(face);
    p.drawRoundedRect(QRectF(thumb).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

void TSeSkinTrackBar::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (thumbRect().contains(pos)) {
            dragging_ = true;
            update();
        } else if (!dragging_) {
            const int target = pixelToPosition(std::clamp(along(pos), 0, trackLength()));
            if (target > position_)
                stepBy(pageSize_);
            else if (target < position_)
                stepBy(-static_cast<long long>(pageSize_));
        }
    }
    if (OnMouseDown)
        OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (dragging_)
        setPosition(pixelToPosition(std::clamp(along(pos), 0, trackLength())));
    const bool hot = thumbRect().contains(pos);
    if (hot != thumbHot_) {
        thumbHot_ = hot;
        update();
    }
    if (OnMouseMove)
        OnMouseMove(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        update();
    }
    if (OnMouseUp)
        OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
}

void TSeSkinTrackBar::leaveEvent(QEvent*) {
    if (thumbHot_) {
        thumbHot_ = false;
        update();
    }
}

void TSeSkinTrackBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        // A disabled bar cannot be held.
        if (!isEnabled())
            dragging_ = false;
        update();
    }
    QWidget::changeEvent(event);
}

void TSeSkinTrackBar::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TSeSkinTrackBar::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void TSeSkinTrackBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        stepBy(-static_cast<long long>(pageSize_));
        break;
    case Qt::Key_PageDown:
        stepBy(pageSize_);
        break;
    case Qt::Key_Home:
        setPosition(min_);
        break;
    case Qt::Key_End:
        setPosition(max_);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        stepBy(-static_cast<long long>(lineSize_));
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        stepBy(lineSize_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace skin
