#include "swf/display/DisplayObject.h"

#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"

#include <QStringList>
#include <cmath>
#include <numbers>

namespace swf {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;
// Far beyond any picture, yet every matrix entry stays a finite number.
constexpr double kMaxScalePercent = 1e9;

// Flash keeps positions in whole twips.
double toTwips(double px) {
    if (!std::isfinite(px))
        return 0;
    return std::round(std::clamp(px, -107374182.0, 107374182.0) * 20.0);
}

double normaliseDegrees(double deg) {
    if (!std::isfinite(deg))
        return 0;
    deg = std::fmod(deg, 360.0);
    if (deg > 180)
        deg -= 360;
    else if (deg < -180)
        deg += 360;
    return deg;
}

QRectF mapRect(const QTransform& m, const QRectF& r) {
    return m.mapRect(r);
}

} // namespace

DisplayObject::DisplayObject(Type type, Stage& stage, std::shared_ptr<const Character> character)
    : type_(type), stage_(stage), character_(std::move(character)) {}

DisplayObject::~DisplayObject() {
    if (counted_)
        stage_.releaseInstance();
}

MovieClip* DisplayObject::asMovieClip() {
    return type_ == Type::MovieClip ? static_cast<MovieClip*>(this) : nullptr;
}

const MovieClip* DisplayObject::asMovieClip() const {
    return type_ == Type::MovieClip ? static_cast<const MovieClip*>(this) : nullptr;
}

Button* DisplayObject::asButton() {
    return type_ == Type::Button ? static_cast<Button*>(this) : nullptr;
}

const Button* DisplayObject::asButton() const {
    return type_ == Type::Button ? static_cast<const Button*>(this) : nullptr;
}

TextField* DisplayObject::asTextField() {
    return type_ == Type::Text ? static_cast<TextField*>(this) : nullptr;
}

const Movie* DisplayObject::movie() const {
    return parent_ ? parent_->movie() : nullptr;
}

MovieClip* DisplayObject::level() const {
    const DisplayObject* node = this;
    while (node->parent_)
        node = node->parent_;
    auto* clip = const_cast<DisplayObject*>(node)->asMovieClip();
    return clip && clip->isLevelRoot() ? clip : nullptr;
}

QString DisplayObject::targetPath() const {
    QStringList parts;
    const DisplayObject* node = this;
    while (node->parent_) {
        parts.prepend(node->name_);
        node = node->parent_;
    }
    const auto* clip = node->asMovieClip();
    QString path =
        QStringLiteral("_level%1").arg(clip && clip->isLevelRoot() ? clip->levelNumber() : 0);
    for (const QString& part : parts)
        path += QLatin1Char('.') + part;
    return path;
}

QString DisplayObject::slashPath() const {
    QStringList parts;
    const DisplayObject* node = this;
    while (node->parent_) {
        parts.prepend(node->name_);
        node = node->parent_;
    }
    const auto* clip = node->asMovieClip();
    const int level = clip && clip->isLevelRoot() ? clip->levelNumber() : 0;
    QString prefix = level == 0 ? QString() : QStringLiteral("_level%1").arg(level);
    if (parts.isEmpty())
        return prefix + QLatin1Char('/');
    return prefix + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

bool DisplayObject::isAncestorOf(const DisplayObject& other) const {
    for (const DisplayObject* p = other.parent_; p; p = p->parent_)
        if (p == this)
            return true;
    return false;
}

void DisplayObject::attach(MovieClip* parent, int depth) {
    parent_ = parent;
    depth_ = depth;
}

void DisplayObject::markRemoved() {
    if (removed_)
        return;
    removed_ = true;
    onRemoved();
}

void DisplayObject::setMatrix(const QTransform& m, bool byScript) {
    if (!byScript && scriptTransform_)
        return;
    matrix_ = m;
    if (byScript)
        scriptTransform_ = true;
    updateDecomposition();
}

void DisplayObject::setMatrixKeepingProperties(const QTransform& m) {
    matrix_ = m;
    scriptTransform_ = true;
}

void DisplayObject::updateDecomposition() {
    const double a = matrix_.m11(), b = matrix_.m12(), c = matrix_.m21(), d = matrix_.m22();
    xScale_ = std::sqrt(a * a + b * b) * 100.0;
    // Both scales read back as lengths; a mirror shows in the angle between the axes.
    yScale_ = std::sqrt(c * c + d * d) * 100.0;
    rotation_ = (a == 0 && b == 0) ? 0 : std::atan2(b, a) * kDegrees;
}

void DisplayObject::rebuildMatrix() {
    // Keep the skew between the axes that the old matrix had.
    const double a = matrix_.m11(), b = matrix_.m12(), c = matrix_.m21(), d = matrix_.m22();
    const double xAngle = (a == 0 && b == 0) ? 0 : std::atan2(b, a);
    const double yAngle = (c == 0 && d == 0) ? xAngle : std::atan2(-c, d);
    const double skew = yAngle - xAngle;
    const double r = rotation_ / kDegrees;
    const double xs = xScale_ / 100.0, ys = yScale_ / 100.0;
    matrix_ = QTransform(xs * std::cos(r), xs * std::sin(r), -ys * std::sin(r + skew),
                         ys * std::cos(r + skew), matrix_.dx(), matrix_.dy());
    scriptTransform_ = true;
}

void DisplayObject::setX(double px) {
    matrix_ = QTransform(matrix_.m11(), matrix_.m12(), matrix_.m21(), matrix_.m22(), toTwips(px),
                         matrix_.dy());
    scriptTransform_ = true;
}

void DisplayObject::setY(double px) {
    matrix_ = QTransform(matrix_.m11(), matrix_.m12(), matrix_.m21(), matrix_.m22(), matrix_.dx(),
                         toTwips(px));
    scriptTransform_ = true;
}

void DisplayObject::setXScale(double percent) {
    if (!std::isfinite(percent))
        return;
    xScale_ = std::clamp(percent, -kMaxScalePercent, kMaxScalePercent);
    rebuildMatrix();
}

void DisplayObject::setYScale(double percent) {
    if (!std::isfinite(percent))
        return;
    yScale_ = std::clamp(percent, -kMaxScalePercent, kMaxScalePercent);
    rebuildMatrix();
}

void DisplayObject::setRotation(double degrees) {
    if (!std::isfinite(degrees))
        return;
    rotation_ = normaliseDegrees(degrees);
    rebuildMatrix();
}

double DisplayObject::width() const {
    return boundsInParent().width() / 20.0;
}

double DisplayObject::height() const {
    return boundsInParent().height() / 20.0;
}

void DisplayObject::setWidth(double px) {
    const double current = width();
    if (!std::isfinite(px) || current <= 0)
        return;
    setXScale(xScale_ * px / current);
}

void DisplayObject::setHeight(double px) {
    const double current = height();
    if (!std::isfinite(px) || current <= 0)
        return;
    setYScale(yScale_ * px / current);
}

QTransform DisplayObject::concatenatedMatrix() const {
    QTransform m = matrix_;
    for (const DisplayObject* p = parent_; p; p = p->parent_)
        m *= p->matrix_;
    return m;
}

QPointF DisplayObject::localToGlobal(QPointF localTwips) const {
    return concatenatedMatrix().map(localTwips);
}

QPointF DisplayObject::globalToLocal(QPointF stageTwips) const {
    bool invertible = false;
    const QTransform inverse = concatenatedMatrix().inverted(&invertible);
    return invertible ? inverse.map(stageTwips) : QPointF();
}

void DisplayObject::setColorTransform(const ColorTransform& cx, bool byScript) {
    if (!byScript && scriptColor_)
        return;
    colorTransform_ = cx;
    // Script may pass any number; drawing needs ones that convert to colours safely.
    for (int i = 0; i < 4; ++i) {
        const auto safe = [](float v) {
            return std::isfinite(v) ? std::clamp(v, -1e6f, 1e6f) : 0.0f;
        };
        colorTransform_.mul[i] = safe(colorTransform_.mul[i]);
        colorTransform_.add[i] = safe(colorTransform_.add[i]);
    }
    if (byScript)
        scriptColor_ = true;
}

void DisplayObject::setAlpha(double percent) {
    if (!std::isfinite(percent))
        return;
    colorTransform_.mul[3] = static_cast<float>(std::clamp(percent, -1e6, 1e6) / 100.0);
    scriptColor_ = true;
}

QRectF DisplayObject::bounds(const DisplayObject* space) const {
    const QRectF local = localBounds();
    if (space == this)
        return local;
    QTransform toSpace = concatenatedMatrix();
    if (space) {
        bool invertible = false;
        const QTransform inverse = space->concatenatedMatrix().inverted(&invertible);
        if (!invertible)
            return {};
        toSpace *= inverse;
    }
    return mapRect(toSpace, local);
}

QRectF DisplayObject::boundsInParent() const {
    return mapRect(matrix_, localBounds());
}

bool DisplayObject::hitTestBounds(QPointF stageTwips) const {
    const QRectF b = bounds(nullptr);
    return stageTwips.x() >= b.left() && stageTwips.x() <= b.right() && stageTwips.y() >= b.top() &&
           stageTwips.y() <= b.bottom();
}

bool DisplayObject::hitTestShape(QPointF stageTwips) const {
    bool invertible = false;
    const QTransform inverse = concatenatedMatrix().inverted(&invertible);
    if (!invertible)
        return false;
    return containsLocalPoint(inverse.map(stageTwips));
}

bool DisplayObject::hitTestObject(const DisplayObject& other) const {
    const QRectF a = bounds(nullptr), b = other.bounds(nullptr);
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() &&
           b.top() <= a.bottom();
}

void DisplayObject::setMask(DisplayObject* mask) {
    if (auto old = mask_.lock())
        old->maskedBy_.reset();
    mask_.reset();
    if (!mask || mask == this)
        return;
    // A mask masks one object at a time: taking it over frees the previous one.
    if (auto previous = mask->maskedBy_.lock())
        previous->mask_.reset();
    mask_ = mask->weak_from_this();
    mask->maskedBy_ = weak_from_this();
}

DisplayObject* DisplayObject::mask() const {
    auto m = mask_.lock();
    return m && !m->removed() ? m.get() : nullptr;
}

DisplayObject* DisplayObject::maskedBy() const {
    auto m = maskedBy_.lock();
    return m && !m->removed() ? m.get() : nullptr;
}

} // namespace swf
