#include "swf/avm1/DisplayClip.h"

#include "swf/avm1/Avm1Host.h"
#include "swf/avm1/TextFieldProperties.h"
#include "swf/display/MovieClip.h"
#include "swf/display/SoundHost.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/display/Video.h"
#include "swf/format/Movie.h"
#include "swf/format/Sprite.h"

#include <QUrl>
#include <algorithm>
#include <cmath>

namespace swf::avm1 {

DisplayClip::~DisplayClip() {
    host_.bridgeGone(this);
}

DisplayClip* DisplayClip::of(DisplayObject& object, Avm1Host& host) {
    if (auto* existing = dynamic_cast<DisplayClip*>(object.scriptSlot()))
        return existing;
    auto slot = std::make_unique<DisplayClip>(object, host);
    DisplayClip* raw = slot.get();
    object.setScriptSlot(std::move(slot));
    return raw;
}

ClipBridge* DisplayClip::bridge(DisplayObject* o) const {
    return o ? of(*o, host_) : nullptr;
}

QString DisplayClip::name() const {
    return object_.name();
}

ClipBridge* DisplayClip::parent() {
    return bridge(object_.parent());
}

ClipBridge* DisplayClip::childByName(const QString& name, bool caseSensitive) {
    MovieClip* mc = clip();
    return mc ? bridge(mc->childByName(name, caseSensitive)) : nullptr;
}

int DisplayClip::level() const {
    const MovieClip* mc = clip();
    return mc && mc->isLevelRoot() ? mc->levelNumber() : -1;
}

bool DisplayClip::isMovieClip() const {
    return clip() != nullptr;
}

bool DisplayClip::isVideo() const {
    return object_.type() == DisplayObject::Type::Video;
}

namespace {
VideoObject* videoOf(DisplayObject& object) {
    return object.type() == DisplayObject::Type::Video ? static_cast<VideoObject*>(&object)
                                                       : nullptr;
}
} // namespace

void DisplayClip::attachVideo(std::shared_ptr<AttachedVideo> source) {
    if (VideoObject* v = videoOf(object_))
        v->attach(std::move(source));
}

void DisplayClip::clearVideo() {
    if (VideoObject* v = videoOf(object_))
        v->clearPicture();
}

bool DisplayClip::isTextField() const {
    return object_.asTextField() != nullptr;
}

// Text fields became objects with properties in Flash 6; SWF 5 movies do not see them.
bool DisplayClip::textProperty(Vm& vm, const QString& name, Value& out) {
    if (VideoObject* v = videoOf(object_); v && vm.version() >= 6) {
        // A placed Video's own properties: the decoded picture's size and how it is drawn.
        if (vm.sameName(name, QStringLiteral("width")))
            out = Value(v->pictureSize().width());
        else if (vm.sameName(name, QStringLiteral("height")))
            out = Value(v->pictureSize().height());
        else if (vm.sameName(name, QStringLiteral("smoothing")))
            out = Value(v->smoothing());
        else if (vm.sameName(name, QStringLiteral("deblocking")))
            out = Value(v->deblocking());
        else
            return false;
        return true;
    }
    TextField* field = object_.asTextField();
    return field && vm.version() >= 6 && readTextProperty(vm, *field, name, out);
}

bool DisplayClip::setTextProperty(Vm& vm, const QString& name, const Value& v) {
    if (VideoObject* video = videoOf(object_); video && vm.version() >= 6) {
        if (vm.sameName(name, QStringLiteral("smoothing"))) {
            video->setSmoothing(vm.toBoolean(v));
        } else if (vm.sameName(name, QStringLiteral("deblocking"))) {
            const double level = vm.toInteger(v);
            video->setDeblocking(
                std::isfinite(level) ? static_cast<int>(std::clamp(level, 0.0, 6.0)) : 0);
        } else {
            // The picture's size is the stream's to say.
            return vm.sameName(name, QStringLiteral("width")) ||
                   vm.sameName(name, QStringLiteral("height"));
        }
        return true;
    }
    TextField* field = object_.asTextField();
    return field && vm.version() >= 6 && writeTextProperty(host_, *field, name, v);
}

int DisplayClip::swfVersion() const {
    const Movie* m = object_.movie();
    return m ? m->header().version : host_.vm().version();
}

void DisplayClip::play() {
    if (MovieClip* mc = clip())
        mc->play();
}

void DisplayClip::stop() {
    if (MovieClip* mc = clip())
        mc->stop();
}

void DisplayClip::stopSounds() {
    if (SoundHost* sound = object_.stage().soundHost())
        sound->stopAllSounds();
}

// Low goes to high; any smoothed level goes to low.
void DisplayClip::toggleQuality() {
    Stage& stage = object_.stage();
    stage.setQuality(stage.quality() == RenderQuality::Low ? RenderQuality::High
                                                           : RenderQuality::Low);
}

void DisplayClip::gotoFrame(int frame, bool play) {
    if (MovieClip* mc = clip())
        mc->gotoFrame(frame, play);
}

int DisplayClip::frameForLabel(const QString& label) const {
    const MovieClip* mc = clip();
    const int f = mc ? mc->frameOfLabel(label) : 0;
    return f > 0 ? f : -1;
}

int DisplayClip::currentFrame() const {
    const MovieClip* mc = clip();
    return mc ? std::max(1, mc->currentFrame()) : 1;
}

int DisplayClip::totalFrames() const {
    const MovieClip* mc = clip();
    return mc ? mc->totalFrames() : 1;
}

int DisplayClip::framesLoaded() const {
    const MovieClip* mc = clip();
    return mc ? mc->framesLoaded() : 1;
}

std::vector<QByteArray> DisplayClip::frameActions(int frame) const {
    const MovieClip* mc = clip();
    if (!mc)
        return {};
    const Timeline* timeline = nullptr;
    if (const auto* sprite = dynamic_cast<const SpriteCharacter*>(mc->character()))
        timeline = &sprite->timeline();
    else if (mc->isLevelRoot() && mc->movie())
        timeline = &mc->movie()->timeline();
    if (!timeline || frame < 1 || frame > static_cast<int>(timeline->frames.size()))
        return {};
    return timeline->frames[frame - 1].actions;
}

Value DisplayClip::property(int index) const {
    switch (index) {
    case PropX:
        return Value(object_.x());
    case PropY:
        return Value(object_.y());
    case PropXScale:
        return Value(object_.xScale());
    case PropYScale:
        return Value(object_.yScale());
    case PropAlpha:
        return Value(object_.alpha());
    case PropVisible:
        return Value(object_.visible());
    case PropWidth:
        return Value(object_.width());
    case PropHeight:
        return Value(object_.height());
    case PropRotation:
        return Value(object_.rotation());
    case PropDropTarget: {
        const MovieClip* mc = clip();
        return Value(mc ? mc->dropTarget() : QString());
    }
    case PropUrl:
        return Value(object_.stage().movieUrl());
    case PropHighQuality:
        // 0 low, 1 smoothed edges, 2 best; medium smooths edges too.
        switch (object_.stage().quality()) {
        case RenderQuality::Low:
            return Value(0);
        case RenderQuality::Best:
            return Value(2);
        default:
            return Value(1);
        }
    case PropFocusRect:
        return Value(focusRect_);
    case PropSoundBufTime:
        return Value(soundBufTime_);
    case PropQuality:
        return Value(qualityName(object_.stage().quality()));
    case PropXMouse:
        return Value(object_.globalToLocal(object_.stage().mousePosition()).x() / 20);
    case PropYMouse:
        return Value(object_.globalToLocal(object_.stage().mousePosition()).y() / 20);
    default:
        return Value();
    }
}

void DisplayClip::setProperty(int index, const Value& v) {
    Vm& vm = host_.vm();
    if (index == PropVisible) {
        object_.setVisible(vm.toBoolean(v));
        return;
    }
    if (index == PropQuality) {
        // A name Flash does not know leaves the quality as it was.
        if (const auto quality = qualityFromName(vm.toString(v)))
            object_.stage().setQuality(*quality);
        return;
    }
    const double n = vm.toNumber(v);
    // Flash ignores writes of NaN and infinities to the geometry.
    if (!std::isfinite(n))
        return;
    switch (index) {
    case PropX:
        object_.setX(n);
        break;
    case PropY:
        object_.setY(n);
        break;
    case PropXScale:
        object_.setXScale(n);
        break;
    case PropYScale:
        object_.setYScale(n);
        break;
    case PropAlpha:
        object_.setAlpha(n);
        break;
    case PropWidth:
        if (TextField* field = object_.asTextField(); field && !field->staticText())
            field->resizeTo(n, std::nullopt);
        else if (n >= 0)
            object_.setWidth(n);
        break;
    case PropHeight:
        if (TextField* field = object_.asTextField(); field && !field->staticText())
            field->resizeTo(std::nullopt, n);
        else if (n >= 0)
            object_.setHeight(n);
        break;
    case PropRotation:
        object_.setRotation(n);
        break;
    case PropHighQuality:
        object_.stage().setQuality(n >= 2   ? RenderQuality::Best
                                   : n >= 1 ? RenderQuality::High
                                            : RenderQuality::Low);
        break;
    case PropFocusRect:
        focusRect_ = n;
        break;
    case PropSoundBufTime:
        soundBufTime_ = n;
        break;
    default:
        break;
    }
}

void DisplayClip::setName(const QString& name) {
    object_.setName(name);
}

ClipBridge* DisplayClip::duplicate(const QString& name, int depth) {
    MovieClip* mc = clip();
    if (!mc)
        return nullptr;
    auto made = mc->duplicate(name, depth);
    return made.ok() ? bridge(made.value()) : nullptr;
}

void DisplayClip::remove() {
    if (MovieClip* mc = clip())
        mc->removeByScript();
}

void DisplayClip::startDrag(bool lockCenter, const double* rect) {
    MovieClip* mc = clip();
    if (!mc)
        return;
    std::optional<QRectF> bounds;
    if (rect)
        bounds = QRectF(QPointF(rect[0] * 20, rect[1] * 20), QPointF(rect[2] * 20, rect[3] * 20))
                     .normalized();
    mc->startDrag(lockCenter, bounds);
}

void DisplayClip::stopDrag() {
    if (MovieClip* mc = clip())
        mc->stopDrag();
}

void DisplayClip::getUrl(const QString& url, const QString& target, int method, bool loadTarget,
                         bool loadVariables) {
    (void)method; // sending the clip's variables with the request is not supported yet
    Stage& stage = object_.stage();
    const bool levelTarget = target.startsWith(QLatin1String("_level"), Qt::CaseInsensitive);
    bool levelOk = false;
    const int levelNumber = levelTarget ? target.mid(6).toInt(&levelOk) : -1;
    if (loadVariables) {
        DisplayObject* where =
            levelOk ? stage.level(levelNumber) : stage.findTarget(target, &object_);
        if (!where)
            return;
        std::weak_ptr<DisplayObject> weak = where->shared_from_this();
        Avm1Host* host = &host_;
        stage.loadData(stage.resolveUrl(url), [weak, host](bool ok, const QByteArray& bytes) {
            if (auto o = weak.lock(); o && ok && !o->removed())
                host->applyVariables(*o, bytes);
        });
        return;
    }
    if (levelOk && (loadTarget || !url.isEmpty())) {
        if (url.isEmpty())
            stage.unloadMovieNum(levelNumber);
        else
            stage.loadMovieNum(levelNumber, url);
        return;
    }
    if (loadTarget) {
        DisplayObject* where = stage.findTarget(target, &object_);
        MovieClip* mc = where ? where->asMovieClip() : nullptr;
        if (!mc)
            return;
        if (url.isEmpty())
            mc->unloadContent();
        else
            stage.loadMovie(*mc, url);
        return;
    }
    stage.getUrl(url, target);
}

int DisplayClip::depth() const {
    // A level's root answers the bottom of the timeline range, plus its level number.
    if (const MovieClip* mc = object_.asMovieClip(); mc && mc->isLevelRoot())
        return kTimelineDepthOffset + mc->levelNumber();
    return object_.depth();
}

bool DisplayClip::swapDepths(int depth) {
    MovieClip* mc = clip();
    return mc && mc->swapDepths(depth);
}

bool DisplayClip::swapDepthsWith(ClipBridge* other) {
    MovieClip* mc = clip();
    auto* o = dynamic_cast<DisplayClip*>(other);
    return mc && o && mc->swapDepths(o->object_);
}

int DisplayClip::nextHighestDepth() const {
    const MovieClip* mc = clip();
    return mc ? mc->nextHighestDepth() : 0;
}

ClipBridge* DisplayClip::attachMovie(const QString& exportName, const QString& name, int depth) {
    MovieClip* mc = clip();
    if (!mc)
        return nullptr;
    auto made = mc->attachMovie(exportName, name, depth);
    return made.ok() ? bridge(made.value()) : nullptr;
}

ClipBridge* DisplayClip::createEmptyMovieClip(const QString& name, int depth) {
    MovieClip* mc = clip();
    if (!mc)
        return nullptr;
    auto made = mc->createEmptyMovieClip(name, depth);
    return made.ok() ? bridge(made.value()) : nullptr;
}

ClipBridge* DisplayClip::createTextField(const QString& name, int depth, QRectF pixels) {
    MovieClip* mc = clip();
    if (!mc)
        return nullptr;
    auto made = mc->createTextField(name, depth, pixels);
    if (!made.ok())
        return nullptr;
    host_.textFieldJoined(*made.value());
    return bridge(made.value());
}

std::optional<QRectF> DisplayClip::bounds(ClipBridge* space) {
    auto* s = dynamic_cast<DisplayClip*>(space);
    return object_.bounds(s ? &s->object_ : nullptr);
}

QPointF DisplayClip::localToGlobal(QPointF p) {
    return object_.localToGlobal(p);
}
QPointF DisplayClip::globalToLocal(QPointF p) {
    return object_.globalToLocal(p);
}

bool DisplayClip::hitTestPoint(QPointF stageTwips, bool shape) {
    return shape ? object_.hitTestShape(stageTwips) : object_.hitTestBounds(stageTwips);
}

bool DisplayClip::hitTestObject(ClipBridge* other) {
    auto* o = dynamic_cast<DisplayClip*>(other);
    return o && object_.hitTestObject(o->object_);
}

void DisplayClip::setMask(ClipBridge* mask) {
    auto* m = dynamic_cast<DisplayClip*>(mask);
    object_.setMask(m ? &m->object_ : nullptr);
}

void DisplayClip::loadClip(const QString& url, LoadDone done) {
    MovieClip* mc = clip();
    if (!mc)
        return;
    Stage& stage = object_.stage();
    if (url.trimmed().isEmpty()) {
        mc->unloadContent();
        return;
    }
    stage.loadMovie(*mc, url, [done = std::move(done)](bool ok, qint64 bytes) {
        if (done)
            done(ok, double(bytes));
    });
}

ClipBridge::ColorValues DisplayClip::colorTransform() const {
    const ColorTransform& cx = object_.colorTransform();
    return {cx.mul[0], cx.mul[1], cx.mul[2], cx.mul[3], cx.add[0], cx.add[1], cx.add[2], cx.add[3]};
}

void DisplayClip::setColorTransform(const ColorValues& v) {
    ColorTransform cx;
    for (int i = 0; i < 4; ++i) {
        cx.mul[std::size_t(i)] = float(v[std::size_t(i)]);
        cx.add[std::size_t(i)] = float(v[std::size_t(i) + 4]);
    }
    object_.setColorTransform(cx);
}

namespace {
// The tree keeps translations in twips; script speaks pixels.
QTransform toPixels(const QTransform& t) {
    return QTransform(t.m11(), t.m12(), t.m21(), t.m22(), t.dx() / 20.0, t.dy() / 20.0);
}
} // namespace

QTransform DisplayClip::matrix() const {
    return toPixels(object_.matrix());
}

void DisplayClip::setMatrix(const QTransform& m) {
    object_.setMatrixKeepingProperties(
        QTransform(m.m11(), m.m12(), m.m21(), m.m22(), m.dx() * 20.0, m.dy() * 20.0));
}

void DisplayClip::setFilters(std::vector<Filter> filters) {
    object_.setFilters(std::move(filters));
}

int DisplayClip::blendMode() const {
    return static_cast<int>(object_.blendMode());
}

void DisplayClip::setBlendMode(int mode) {
    if (mode >= static_cast<int>(BlendMode::Normal) &&
        mode <= static_cast<int>(BlendMode::Hardlight))
        object_.setBlendMode(static_cast<BlendMode>(mode));
}

bool DisplayClip::cacheAsBitmap() const {
    return object_.cacheAsBitmap();
}

void DisplayClip::setCacheAsBitmap(bool on) {
    object_.setCacheAsBitmap(on);
}

std::optional<QRgb> DisplayClip::opaqueBackground() const {
    const auto& c = object_.opaqueBackground();
    return c ? std::optional<QRgb>(c->rgb() & 0xFFFFFF) : std::nullopt;
}

void DisplayClip::setOpaqueBackground(std::optional<QRgb> rgb) {
    object_.setOpaqueBackground(rgb ? std::optional<QColor>(QColor::fromRgb(*rgb | 0xFF000000u))
                                    : std::nullopt);
}

std::optional<QRectF> DisplayClip::scrollRect() const {
    return object_.scrollRect();
}

void DisplayClip::setScrollRect(std::optional<QRectF> r) {
    object_.setScrollRect(r);
}

QTransform DisplayClip::concatenatedMatrix() const {
    return toPixels(object_.concatenatedMatrix());
}

double DisplayClip::bytesTotal() const {
    const Movie* m = object_.movie();
    return m ? m->header().fileLength : 0;
}

double DisplayClip::bytesLoaded() const {
    const Movie* m = object_.movie();
    if (!m)
        return 0;
    // Frames arrive in order; the share of frames loaded stands in for the bytes.
    const int total = std::max(1, m->header().frameCount);
    if (m->complete())
        return m->header().fileLength;
    return std::floor(static_cast<double>(m->header().fileLength) * m->framesLoaded() / total);
}

void DisplayClip::lineStyle(std::optional<LineStyle> style) {
    MovieClip* mc = clip();
    if (!mc)
        return;
    if (!style) {
        mc->drawing().lineStyle(std::nullopt);
        return;
    }
    Drawing::Line line;
    line.width = style->width;
    line.color = style->color;
    line.pixelHinting = style->pixelHinting;
    const QString mode = style->scaleMode.toLower();
    line.scaleHorizontally = mode == QLatin1String("normal") || mode == QLatin1String("horizontal");
    line.scaleVertically = mode == QLatin1String("normal") || mode == QLatin1String("vertical");
    const QString caps = style->caps.toLower();
    line.caps = caps == QLatin1String("none")     ? Qt::FlatCap
                : caps == QLatin1String("square") ? Qt::SquareCap
                                                  : Qt::RoundCap;
    const QString joints = style->joints.toLower();
    line.joints = joints == QLatin1String("miter")   ? Qt::MiterJoin
                  : joints == QLatin1String("bevel") ? Qt::BevelJoin
                                                     : Qt::RoundJoin;
    line.miterLimit = style->miterLimit;
    mc->drawing().lineStyle(line);
}

void DisplayClip::beginFill(QColor color) {
    if (MovieClip* mc = clip())
        mc->drawing().beginFill(color);
}

void DisplayClip::beginGradientFill(const GradientFill& fill) {
    MovieClip* mc = clip();
    if (!mc)
        return;
    Gradient g;
    for (const auto& [ratio, color] : fill.stops)
        g.stops.push_back(Gradient::Stop{ratio, color});
    g.spread = fill.spread;
    g.interpolation = fill.interpolation;
    g.focalPoint = fill.focalPoint;
    mc->drawing().beginGradientFill(fill.radial ? Drawing::GradientType::Radial
                                                : Drawing::GradientType::Linear,
                                    g, fill.matrix);
}

void DisplayClip::moveTo(double x, double y) {
    if (MovieClip* mc = clip())
        mc->drawing().moveTo(x, y);
}

void DisplayClip::lineTo(double x, double y) {
    if (MovieClip* mc = clip())
        mc->drawing().lineTo(x, y);
}

void DisplayClip::curveTo(double cx, double cy, double x, double y) {
    if (MovieClip* mc = clip())
        mc->drawing().curveTo(cx, cy, x, y);
}

void DisplayClip::endFill() {
    if (MovieClip* mc = clip())
        mc->drawing().endFill();
}

void DisplayClip::clearDrawing() {
    if (MovieClip* mc = clip())
        mc->drawing().clear();
}

} // namespace swf::avm1
