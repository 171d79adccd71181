#include "swf/display/Stage.h"

#include "swf/PlayerHost.h"
#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/TextField.h"
#include "swf/format/Button.h"
#include "swf/format/Movie.h"
#include "swf/format/MovieLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

namespace swf {

Stage::Stage(std::shared_ptr<const Movie> movie) : movie_(std::move(movie)) {
    auto root = std::make_shared<MovieClip>(*this, movie_, &movie_->timeline(), nullptr);
    root->setLevelRoot(0);
    levels_[0] = root;
    clipCreated(*root);
}

Stage::~Stage() {
    // The nodes refer to the stage while they go; take them down while it is whole.
    script_ = nullptr;
    leaving_.clear();
    levels_.clear();
}

MovieClip& Stage::root() const {
    return *levels_.at(0);
}

MovieClip* Stage::level(int number) const {
    const auto it = levels_.find(number);
    return it == levels_.end() ? nullptr : it->second.get();
}

int Stage::swfVersion() const {
    return movie_->header().version;
}

QRectF Stage::stageRect() const {
    const QRectF px = movie_->header().stage;
    return QRectF(px.x() * 20, px.y() * 20, px.width() * 20, px.height() * 20);
}

QString Stage::resolveUrl(const QString& relative) const {
    const QString trimmed = relative.trimmed();
    const QUrl url(trimmed);
    if (url.isValid() && url.scheme().size() > 1)
        return trimmed; // already absolute (a one-letter scheme is a drive, not a scheme)
    const QUrl base(movieUrl_);
    if (base.isValid() && base.scheme().size() > 1 && base.scheme() != QLatin1String("file"))
        return base.resolved(url).toString();
    QString basePath = movieUrl_;
    if (base.scheme() == QLatin1String("file"))
        basePath = base.toLocalFile();
    if (QDir::isAbsolutePath(trimmed) || basePath.isEmpty())
        return trimmed;
    return QDir::cleanPath(QFileInfo(basePath).absoluteDir().filePath(trimmed));
}

// ---- frames ----

void Stage::start() {
    if (started_)
        return;
    started_ = true;
    MovieClip& r = root();
    if (script_) {
        script_->clipEvent(r, clipevent::Construct);
        script_->clipEvent(r, clipevent::Initialize);
        script_->clipEvent(r, clipevent::Load);
    }
    r.showFirstFrame();
    runQueuedActions();
    collectRemoved();
    updateHover(false);
}

void Stage::advanceFrame() {
    ++tick_;
    applyFinishedLoads();
    // Newest first, as Flash walks its clips; clips made during the walk wait a frame.
    std::vector<std::shared_ptr<MovieClip>> order;
    order.reserve(execution_.size());
    for (auto it = execution_.rbegin(); it != execution_.rend(); ++it)
        if (auto clip = it->lock(); clip && !clip->removed())
            order.push_back(std::move(clip));
    for (const auto& clip : order) {
        if (clip->removed())
            continue;
        if (script_)
            script_->clipEvent(*clip, clipevent::EnterFrame);
        if (clip->bornTick() < tick_)
            clip->advance();
    }
    runQueuedActions();
    collectRemoved();
    // Things moved under a still mouse: roll-overs follow as in Flash.
    updateHover(false);
}

void Stage::runQueuedActions() {
    if (script_)
        script_->runQueuedActions();
}

void Stage::collectRemoved() {
    while (!leaving_.empty()) {
        std::vector<std::shared_ptr<DisplayObject>> gone;
        gone.swap(leaving_);
        if (script_)
            for (const auto& object : gone)
                script_->objectRemoved(*object);
    }
    // Keep the walk list proportional to the clips alive.
    if (execution_.size() > 64) {
        std::erase_if(execution_, [](const std::weak_ptr<MovieClip>& w) {
            auto clip = w.lock();
            return !clip || clip->removed();
        });
    }
}

void Stage::clipCreated(MovieClip& clip) {
    if (clip.registered_)
        return;
    clip.registered_ = true;
    execution_.push_back(std::static_pointer_cast<MovieClip>(clip.shared_from_this()));
}

void Stage::objectJoined(DisplayObject& object) {
    if (TextField* field = object.asTextField(); field && script_)
        script_->textFieldJoined(*field);
    MovieClip* clip = object.asMovieClip();
    if (!clip)
        return;
    clipCreated(*clip);
    if (!script_)
        return;
    script_->clipEvent(*clip, clipevent::Construct);
    script_->clipEvent(*clip, clipevent::Initialize);
    script_->clipEvent(*clip, clipevent::Load);
}

void Stage::objectLeft(DisplayObject& object) {
    if (object.removed())
        return;
    object.markRemoved();
    leaving_.push_back(object.shared_from_this());
    if (MovieClip* clip = object.asMovieClip()) {
        if (script_)
            script_->clipEvent(*clip, clipevent::Unload);
        for (const auto& [depth, child] : clip->children())
            objectLeft(*child);
    }
}

// ---- finding things ----

DisplayObject* Stage::findTarget(const QString& path, DisplayObject* relativeTo) const {
    DisplayObject* node = relativeTo ? relativeTo : &root();
    QString rest = path.trimmed();
    if (rest.isEmpty())
        return node;
    if (rest.startsWith(QLatin1Char('/'))) {
        node = node->level() ? static_cast<DisplayObject*>(node->level()) : &root();
        rest = rest.mid(1);
    }
    static const QRegularExpression separators(QStringLiteral("[/.]"));
    // ".." is a step up in slash paths; split keeps it apart from dots.
    rest.replace(QStringLiteral(".."), QStringLiteral("\x01"));
    const QStringList parts = rest.split(separators, Qt::SkipEmptyParts);
    for (QString part : parts) {
        if (!node)
            return nullptr;
        part.replace(QChar(1), QStringLiteral(".."));
        if (part == QLatin1String("..") ||
            part.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0) {
            node = node->parent();
            continue;
        }
        if (part.compare(QLatin1String("_root"), Qt::CaseInsensitive) == 0) {
            node = node->level() ? static_cast<DisplayObject*>(node->level()) : &root();
            continue;
        }
        if (part.compare(QLatin1String("this"), Qt::CaseInsensitive) == 0)
            continue;
        if (part.startsWith(QLatin1String("_level"), Qt::CaseInsensitive)) {
            bool ok = false;
            const int n = part.mid(6).toInt(&ok);
            if (ok) {
                node = level(n);
                continue;
            }
        }
        MovieClip* clip = node->asMovieClip();
        node = clip ? clip->childByName(part, caseSensitiveNames()) : nullptr;
    }
    return node;
}

namespace {

// Children top first, each with the timeline mask that covers it (if any).
std::vector<std::pair<DisplayObject*, DisplayObject*>> stackedChildren(const MovieClip& clip) {
    std::vector<std::pair<DisplayObject*, DisplayObject*>> out;
    std::vector<DisplayObject*> masks;
    for (const auto& [depth, child] : clip.children()) {
        while (!masks.empty() && masks.back()->clipDepth() + kTimelineDepthOffset < depth)
            masks.pop_back();
        if (child->clipDepth() > 0) {
            masks.push_back(child.get());
            continue;
        }
        out.emplace_back(child.get(), masks.empty() ? nullptr : masks.back());
    }
    std::reverse(out.begin(), out.end());
    return out;
}

bool insideMasks(const DisplayObject& object, DisplayObject* timelineMask, QPointF p) {
    if (timelineMask && !timelineMask->hitTestShape(p))
        return false;
    if (DisplayObject* mask = object.mask(); mask && !mask->hitTestShape(p))
        return false;
    return true;
}

} // namespace

DisplayObject* Stage::topmostAt(QPointF p, const DisplayObject* excluded) const {
    const std::function<DisplayObject*(DisplayObject&)> visit =
        [&](DisplayObject& node) -> DisplayObject* {
        if (&node == excluded || !node.visible())
            return nullptr;
        MovieClip* clip = node.asMovieClip();
        if (!clip)
            return node.hitTestShape(p) ? &node : nullptr;
        for (auto [child, mask] : stackedChildren(*clip)) {
            if (child == excluded || !insideMasks(*child, mask, p))
                continue;
            if (DisplayObject* hit = visit(*child))
                return hit->asMovieClip() ? hit : clip;
        }
        if (!clip->drawing().empty()) {
            bool invertible = false;
            const QPointF local = clip->concatenatedMatrix().inverted(&invertible).map(p);
            if (invertible && clip->drawing().contains(local))
                return clip;
        }
        return nullptr;
    };
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (DisplayObject* hit = visit(*it->second))
            return hit;
    return nullptr;
}

bool Stage::actsAsButton(DisplayObject& object) const {
    return script_ && object.asMovieClip() && script_->actsAsButton(object);
}

DisplayObject* Stage::mouseTargetAt(QPointF p) const {
    const std::function<DisplayObject*(DisplayObject&)> visit =
        [&](DisplayObject& node) -> DisplayObject* {
        if (!node.visible() || node.maskedBy())
            return nullptr;
        if (Button* button = node.asButton())
            return button->enabled() && button->hitTestShape(p) ? button : nullptr;
        MovieClip* clip = node.asMovieClip();
        if (!clip)
            return nullptr;
        // A clip with button handlers takes the mouse for everything inside it.
        if (!clip->isLevelRoot() && actsAsButton(*clip))
            return clip->enabled() && clip->hitTestShape(p) ? clip : nullptr;
        for (auto [child, mask] : stackedChildren(*clip)) {
            if (!insideMasks(*child, mask, p))
                continue;
            if (DisplayObject* hit = visit(*child))
                return hit;
        }
        return nullptr;
    };
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (DisplayObject* hit = visit(*it->second))
            return hit;
    return nullptr;
}

// ---- the per-movie instance budget ----

bool Stage::reserveInstance() {
    if (instances_ >= instanceBudget_) {
        if (budgetError_.isEmpty()) {
            budgetError_ = QStringLiteral("The movie tried to show more than %1 objects at once; "
                                          "the rest were left out.")
                               .arg(instanceBudget_);
            statusMessage(budgetError_);
        }
        return false;
    }
    ++instances_;
    return true;
}

void Stage::releaseInstance() {
    if (instances_ > 0)
        --instances_;
}

} // namespace swf
