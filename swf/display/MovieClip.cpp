#include "swf/display/MovieClip.h"

#include "swf/display/Button.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/ShapeObjects.h"
#include "swf/display/SoundHost.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/display/Video.h"
#include "swf/format/Bitmap.h"
#include "swf/format/EditText.h"
#include "swf/format/MorphShape.h"
#include "swf/format/Movie.h"
#include "swf/format/Shape.h"
#include "swf/format/Sprite.h"
#include "swf/format/Text.h"
#include "swf/format/Video.h"

namespace swf {

MovieClip::MovieClip(Stage& stage, std::shared_ptr<const Movie> movie, const Timeline* timeline,
                     std::shared_ptr<const Character> character)
    : DisplayObject(Type::MovieClip, stage, std::move(character)), movie_(std::move(movie)),
      timeline_(timeline) {}

MovieClip::~MovieClip() = default;

std::shared_ptr<DisplayObject> MovieClip::instantiate(Stage& stage,
                                                      const std::shared_ptr<const Movie>& movie,
                                                      const std::shared_ptr<const Character>& c,
                                                      int nesting) {
    if (!c)
        return nullptr;
    // Sprites placing sprites placing sprites: deeper than this is a loop or an attack.
    if (nesting > kMaxNesting &&
        (c->kind() == Character::Kind::Sprite || c->kind() == Character::Kind::Button))
        return nullptr;
    if (!stage.reserveInstance())
        return nullptr;
    std::shared_ptr<DisplayObject> object;
    switch (c->kind()) {
    case Character::Kind::Shape:
        object =
            std::make_shared<ShapeObject>(stage, std::static_pointer_cast<const ShapeCharacter>(c));
        break;
    case Character::Kind::MorphShape:
        object = std::make_shared<MorphObject>(
            stage, std::static_pointer_cast<const MorphShapeCharacter>(c));
        break;
    case Character::Kind::Bitmap:
        object = std::make_shared<BitmapObject>(stage,
                                                std::static_pointer_cast<const BitmapCharacter>(c));
        break;
    case Character::Kind::Sprite: {
        const auto& sprite = static_cast<const SpriteCharacter&>(*c);
        object = std::make_shared<MovieClip>(stage, movie, &sprite.timeline(), c);
        break;
    }
    case Character::Kind::Button:
        object = std::make_shared<Button>(stage, movie,
                                          std::static_pointer_cast<const ButtonCharacter>(c));
        break;
    case Character::Kind::Sound:
        break; // heard, never placed
    case Character::Kind::Text:
        object = TextField::fromStaticText(stage,
                                           std::static_pointer_cast<const StaticTextCharacter>(c));
        break;
    case Character::Kind::EditText:
        object = TextField::fromEditText(stage, movie.get(),
                                         std::static_pointer_cast<const EditTextCharacter>(c));
        break;
    case Character::Kind::Font:
        break; // fonts are not placed
    case Character::Kind::Video:
        object =
            std::make_shared<VideoObject>(stage, std::static_pointer_cast<const VideoCharacter>(c));
        break;
    }
    if (!object) {
        stage.releaseInstance();
        return nullptr;
    }
    object->counted_ = true;
    return object;
}

// ---- frames ----

int MovieClip::framesLoaded() const {
    return timeline_ ? static_cast<int>(timeline_->frames.size()) : 0;
}

int MovieClip::totalFrames() const {
    int total = framesLoaded();
    if (levelRoot_ && movie_)
        total = std::max<int>(total, movie_->header().frameCount);
    return std::max(1, total);
}

int MovieClip::frameOfLabel(const QString& label) const {
    if (!timeline_ || label.isEmpty())
        return 0;
    const QByteArray wanted = label.toUtf8();
    for (std::size_t i = 0; i < timeline_->frames.size(); ++i) {
        const QByteArray& l = timeline_->frames[i].label;
        if (!l.isEmpty() && l.compare(wanted, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

std::vector<ActionCode> MovieClip::frameActions(int frame) const {
    if (!timeline_ || frame < 1 || frame > framesLoaded())
        return {};
    return timeline_->frames[static_cast<std::size_t>(frame - 1)].actions;
}

QString MovieClip::currentLabel() const {
    if (!timeline_)
        return {};
    for (int i = std::min(current_, framesLoaded() - 1); i >= 0; --i) {
        const QByteArray& l = timeline_->frames[static_cast<std::size_t>(i)].label;
        if (!l.isEmpty())
            return QString::fromUtf8(l);
    }
    return {};
}

void MovieClip::gotoFrame(int frame, bool andPlay) {
    const int loaded = framesLoaded();
    if (loaded > 0) {
        // Past the end goes to the last frame; before the start to the first.
        gotoFrameIndex(std::clamp(frame, 1, loaded) - 1);
    }
    playing_ = andPlay;
}

bool MovieClip::gotoLabel(const QString& label, bool andPlay) {
    const int frame = frameOfLabel(label);
    if (frame == 0)
        return false;
    gotoFrame(frame, andPlay);
    return true;
}

void MovieClip::nextFrame() {
    if (current_ + 1 < framesLoaded())
        gotoFrameIndex(current_ + 1);
    playing_ = false;
}

void MovieClip::prevFrame() {
    if (current_ > 0)
        gotoFrameIndex(current_ - 1);
    playing_ = false;
}

void MovieClip::showFirstFrame() {
    if (current_ < 0 && framesLoaded() > 0)
        gotoFrameIndex(0);
}

bool MovieClip::atLastFrame() const {
    return current_ >= 0 && current_ >= framesLoaded() - 1;
}

void MovieClip::advance() {
    if (!playing_ || !timeline_ || removed())
        return;
    const int loaded = framesLoaded();
    if (current_ < 0) {
        showFirstFrame();
        return;
    }
    if (current_ + 1 < loaded) {
        gotoFrameIndex(current_ + 1);
        return;
    }
    if (levelRoot_ && levelNumber_ == 0) {
        // The main timeline: the Player's loop setting decides, and frames still loading
        // are waited for.
        if (!movie_ || !movie_->complete())
            return;
        if (stage().mainTimelineLoops()) {
            if (loaded > 1)
                gotoFrameIndex(0);
        } else {
            playing_ = false;
        }
        return;
    }
    if (levelRoot_ && movie_ && !movie_->complete())
        return;
    // Sprites and other levels loop; a single frame is never entered again.
    if (loaded > 1)
        gotoFrameIndex(0);
}

void MovieClip::runFrameScripts(int frame) {
    ScriptHost* script = stage().scriptHost();
    if (!script || !timeline_)
        return;
    const Frame& f = timeline_->frames[static_cast<std::size_t>(frame)];
    if (!f.actions.empty())
        script->queueFrameActions(*this, f.actions);
}

void MovieClip::reportFrameSounds(int frame) {
    SoundHost* sound = stage().soundHost();
    if (!sound || !timeline_)
        return;
    // Only the frame shown starts its sounds: a jump over frames does not play theirs.
    for (const StartSoundCommand& cmd : timeline_->frames[static_cast<std::size_t>(frame)].sounds)
        sound->startSound(*this, cmd);
    if (timeline_->streamHead)
        sound->streamFrame(*this, frame);
}

void MovieClip::runInitActions(int frame) {
    ScriptHost* script = stage().scriptHost();
    if (!timeline_ || !levelRoot_)
        return;
    if (initActionsDone_.size() < timeline_->frames.size())
        initActionsDone_.resize(timeline_->frames.size(), false);
    if (initActionsDone_[static_cast<std::size_t>(frame)])
        return;
    initActionsDone_[static_cast<std::size_t>(frame)] = true;
    if (!script)
        return;
    for (const InitAction& init : timeline_->frames[static_cast<std::size_t>(frame)].initActions)
        script->runInitAction(*this, init.code);
}

void MovieClip::queueFrameActions(const Frame& f, std::size_t& next, std::size_t upToCommand) {
    ScriptHost* script = stage().scriptHost();
    std::size_t end = next;
    // A block with no recorded position counts as read after the frame's placements.
    auto position = [&](std::size_t i) {
        return i < f.actionPositions.size() ? f.actionPositions[i] : f.commands.size();
    };
    while (end < f.actions.size() && position(end) <= upToCommand)
        ++end;
    if (!script || end == next) {
        next = end;
        return;
    }
    script->queueFrameActions(
        *this, std::vector<ActionCode>(f.actions.begin() + next, f.actions.begin() + end));
    next = end;
}

void MovieClip::applyFrame(int frame, bool queueScripts) {
    // Objects placed by the frame see it as the current one when they are initialised.
    current_ = frame;
    runInitActions(frame);
    removedThisFrame_.clear();
    const Frame& f = timeline_->frames[static_cast<std::size_t>(frame)];
    std::size_t nextAction = 0;
    std::size_t commandIndex = 0;
    for (const FrameCommand& command : f.commands) {
        if (queueScripts)
            queueFrameActions(f, nextAction, commandIndex);
        ++commandIndex;
        if (const auto* p = std::get_if<PlaceCommand>(&command)) {
            place(*p, frame);
        } else {
            const int depth = std::get<RemoveCommand>(command).depth + kTimelineDepthOffset;
            const auto it = children_.find(depth);
            // What script made or moved keeps its place whatever the timeline says.
            if (it != children_.end() && !it->second->createdByScript()) {
                removeChildAt(depth);
                removedThisFrame_.push_back(depth);
            }
        }
    }
    if (queueScripts)
        queueFrameActions(f, nextAction, f.commands.size());
    current_ = frame;
}

// A place without "move" at a depth that is taken leaves what is there, except in SWF 5 movies,
// where a new clip takes the depth.
bool MovieClip::replacesOnPlace(uint16_t characterId) const {
    if (!movie_ || movie_->header().version > 5)
        return false;
    const auto character = movie_->characterShared(characterId);
    return character && character->kind() == Character::Kind::Sprite;
}

void MovieClip::place(const PlaceCommand& cmd, int frame) {
    const int depth = cmd.depth + kTimelineDepthOffset;
    auto it = children_.find(depth);
    const bool exists = it != children_.end();
    if (!cmd.characterId && (!exists || !cmd.move))
        return; // nothing to modify
    if (exists && it->second->createdByScript())
        return; // the timeline does not touch what script put at a timeline depth
    // A move where nothing stands places its character, except at a depth this very frame
    // emptied: that object is gone, not waiting to be moved.
    if (cmd.move && !exists &&
        std::find(removedThisFrame_.begin(), removedThisFrame_.end(), depth) !=
            removedThisFrame_.end())
        return;
    if (!cmd.move && exists && !replacesOnPlace(*cmd.characterId))
        return;
    // A clip keeps being itself when a move names another character.
    const bool keepsCharacter = exists && it->second->asMovieClip();
    std::shared_ptr<DisplayObject> object;
    bool created = false;
    if (!cmd.move || (cmd.characterId && !keepsCharacter &&
                      (!exists || !it->second->character() ||
                       it->second->character()->id() != *cmd.characterId))) {
        // A new object, or a move that replaces the character (keeping the other properties).
        if (!movie_)
            return;
        auto character = movie_->characterShared(*cmd.characterId);
        if (!character)
            return;
        int nesting = 1;
        for (const MovieClip* p = this; p; p = p->parent())
            ++nesting;
        object = instantiate(stage(), movie_, character, nesting);
        if (!object)
            return;
        if (cmd.move && exists) {
            const DisplayObject& old = *it->second;
            object->setMatrix(old.matrix(), false);
            object->setColorTransform(old.colorTransform(), false);
            object->setRatio(old.ratio());
            object->setClipDepth(old.clipDepth());
            object->setBlendMode(old.blendMode());
            object->setFilters(old.filters());
            object->setName(old.name());
        } else if (character->kind() == Character::Kind::Sprite ||
                   character->kind() == Character::Kind::Button) {
            object->setName(stage().nextInstanceName());
        }
        object->setPlacedFrame(frame);
        if (MovieClip* clip = object->asMovieClip()) {
            clip->setBornTick(stage().tick());
            clip->setClipActions(cmd.clipActions);
        }
        insertChild(depth, object);
        created = true;
    } else {
        object = it->second;
    }
    if (cmd.matrix)
        object->setMatrix(*cmd.matrix, false);
    if (cmd.colorTransform)
        object->setColorTransform(*cmd.colorTransform, false);
    if (cmd.ratio)
        object->setRatio(*cmd.ratio);
    if (cmd.clipDepth)
        object->setClipDepth(*cmd.clipDepth);
    if (cmd.name)
        object->setName(QString::fromUtf8(*cmd.name));
    if (cmd.blendMode)
        object->setBlendMode(*cmd.blendMode);
    if (cmd.filters)
        object->setFilters(*cmd.filters);
    if (cmd.opaqueBackground)
        object->setOpaqueBackground(*cmd.opaqueBackground);
    if (cmd.cacheAsBitmap)
        object->setCacheAsBitmap(true);
    if (created) {
        // Constructed now, loaded once the queue runs, then its own first frame.
        stage().objectJoined(*object);
        if (MovieClip* clip = object->asMovieClip())
            clip->showFirstFrame();
        else if (Button* button = object->asButton())
            button->stateObjects(); // built here, so drawing never changes the tree
    }
}

void MovieClip::gotoFrameIndex(int frame) {
    if (!timeline_ || frame < 0 || frame >= framesLoaded() || frame == current_)
        return;
    if (frame > current_) {
        for (int f = current_ + 1; f < frame; ++f)
            applyFrame(f);
        applyFrame(frame, true);
        reportFrameSounds(frame);
        return;
    }
    // Backwards: work out the list that playing from the start would give. What the timeline
    // placed and would still be there (same placement, same character) stays with its
    // running state; the rest goes, and what is missing is placed anew.
    struct Slot {
        PlaceCommand merged;
        int placedFrame = 0;
    };
    std::map<int, Slot> wanted;
    for (int f = 0; f <= frame; ++f) {
        for (const FrameCommand& command :
             timeline_->frames[static_cast<std::size_t>(f)].commands) {
            if (const auto* p = std::get_if<RemoveCommand>(&command)) {
                wanted.erase(p->depth);
                continue;
            }
            const auto& cmd = std::get<PlaceCommand>(command);
            auto w = wanted.find(cmd.depth);
            const bool replaces = !cmd.move || (cmd.characterId && w != wanted.end() &&
                                                w->second.merged.characterId != cmd.characterId);
            if (w == wanted.end()) {
                if (!cmd.characterId)
                    continue;
                Slot slot;
                slot.merged = cmd;
                slot.merged.move = false;
                slot.placedFrame = f;
                wanted[cmd.depth] = std::move(slot);
                continue;
            }
            if (!cmd.move && !cmd.characterId)
                continue;
            PlaceCommand& m = w->second.merged;
            if (replaces) {
                if (!cmd.move) {
                    m = cmd;
                } else {
                    m.characterId = cmd.characterId;
                }
                w->second.placedFrame = f;
            }
            if (cmd.matrix)
                m.matrix = cmd.matrix;
            if (cmd.colorTransform)
                m.colorTransform = cmd.colorTransform;
            if (cmd.ratio)
                m.ratio = cmd.ratio;
            if (cmd.clipDepth)
                m.clipDepth = cmd.clipDepth;
            if (cmd.name)
                m.name = cmd.name;
            if (cmd.blendMode)
                m.blendMode = cmd.blendMode;
            if (cmd.filters)
                m.filters = cmd.filters;
            if (cmd.clipActions)
                m.clipActions = cmd.clipActions;
            m.move = false;
        }
    }
    // Remove what would not be there.
    std::vector<int> gone;
    for (const auto& [depth, child] : children_) {
        if (child->createdByScript())
            continue;
        const auto w = wanted.find(depth - kTimelineDepthOffset);
        if (w == wanted.end() || w->second.placedFrame != child->placedFrame() ||
            !child->character() || child->character()->id() != w->second.merged.characterId)
            gone.push_back(depth);
    }
    for (int depth : gone)
        removeChildAt(depth);
    for (auto& [fileDepth, slot] : wanted) {
        const int depth = fileDepth + kTimelineDepthOffset;
        const auto it = children_.find(depth);
        if (it == children_.end()) {
            place(slot.merged, slot.placedFrame);
            continue;
        }
        // A kept object takes the properties the timeline gives it at this frame.
        PlaceCommand update = slot.merged;
        update.move = true;
        update.characterId.reset();
        place(update, slot.placedFrame);
    }
    for (int f = 0; f <= frame; ++f)
        runInitActions(f);
    current_ = frame;
    runFrameScripts(frame);
    reportFrameSounds(frame);
}

// ---- children ----

DisplayObject* MovieClip::childAtDepth(int depth) const {
    const auto it = children_.find(depth);
    return it == children_.end() ? nullptr : it->second.get();
}

DisplayObject* MovieClip::childByName(const QString& name, bool caseSensitive) const {
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const auto& [depth, child] : children_)
        if (child->name().compare(name, cs) == 0)
            return child.get();
    return nullptr;
}

int MovieClip::nextHighestDepth() const {
    int next = 0;
    if (!children_.empty())
        next = std::max(0, children_.rbegin()->first + 1);
    return std::min(next, kMaxScriptDepth);
}

void MovieClip::insertChild(int depth, std::shared_ptr<DisplayObject> child) {
    if (children_.count(depth))
        removeChildAt(depth);
    child->attach(this, depth);
    children_[depth] = std::move(child);
}

void MovieClip::removeChildAt(int depth) {
    const auto it = children_.find(depth);
    if (it == children_.end())
        return;
    std::shared_ptr<DisplayObject> child = std::move(it->second);
    children_.erase(it);
    stage().objectLeft(*child);
}

void MovieClip::moveChild(int fromDepth, int toDepth) {
    const auto it = children_.find(fromDepth);
    if (it == children_.end() || fromDepth == toDepth)
        return;
    std::shared_ptr<DisplayObject> child = std::move(it->second);
    children_.erase(it);
    auto other = children_.find(toDepth);
    if (other != children_.end()) {
        std::shared_ptr<DisplayObject> displaced = std::move(other->second);
        children_.erase(other);
        displaced->attach(this, fromDepth);
        displaced->setPlacedFrame(-1);
        children_[fromDepth] = std::move(displaced);
    }
    child->attach(this, toDepth);
    child->setPlacedFrame(-1);
    children_[toDepth] = std::move(child);
}

bool MovieClip::checkNewDepth(int depth, QString* error) const {
    // Clips inside clips inside clips: every walk of the tree recurses this deep.
    int nesting = 0;
    for (const MovieClip* p = this; p; p = p->parent())
        ++nesting;
    if (nesting >= kMaxScriptNesting) {
        if (error)
            *error =
                QStringLiteral("Clips cannot be nested more than %1 deep").arg(kMaxScriptNesting);
        return false;
    }
    // Flash accepts the whole timeline range too (script may put clips at negative depths).
    if (depth < kTimelineDepthOffset || depth > kMaxScriptDepth) {
        if (error)
            *error = QStringLiteral("Depth %1 is outside the range a clip can use").arg(depth);
        return false;
    }
    return true;
}

Result<DisplayObject*> MovieClip::attachCharacter(uint16_t characterId, const QString& newName,
                                                  int depth) {
    QString error;
    if (!checkNewDepth(depth, &error))
        return Error{error};
    if (!movie_)
        return Error{QStringLiteral("This clip has no movie to take symbols from")};
    auto character = movie_->characterShared(characterId);
    if (!character)
        return Error{QStringLiteral("No symbol %1 in this movie").arg(characterId)};
    int nesting = 1;
    for (const MovieClip* p = this; p; p = p->parent())
        ++nesting;
    auto object = instantiate(stage(), movie_, character, nesting);
    if (!object)
        return Error{stage().budgetError().isEmpty()
                         ? QStringLiteral("Symbol %1 cannot be placed here").arg(characterId)
                         : stage().budgetError()};
    object->setName(newName);
    if (MovieClip* clip = object->asMovieClip())
        clip->setBornTick(stage().tick());
    insertChild(depth, object);
    stage().objectJoined(*object);
    if (MovieClip* clip = object->asMovieClip())
        clip->showFirstFrame();
    else if (Button* button = object->asButton())
        button->stateObjects();
    return object.get();
}

Result<MovieClip*> MovieClip::attachMovie(const QString& exportName, const QString& newName,
                                          int depth) {
    if (!movie_)
        return Error{QStringLiteral("This clip has no movie to take symbols from")};
    const auto id = movie_->exportedId(exportName.toUtf8());
    if (!id)
        return Error{QStringLiteral("No symbol is exported as \"%1\"").arg(exportName)};
    const Character* c = movie_->character(*id);
    if (!c || c->kind() != Character::Kind::Sprite)
        return Error{QStringLiteral("\"%1\" is not a movie clip symbol").arg(exportName)};
    auto placed = attachCharacter(*id, newName, depth);
    if (!placed.ok())
        return placed.error();
    return placed.value()->asMovieClip();
}

Result<MovieClip*> MovieClip::createEmptyMovieClip(const QString& newName, int depth) {
    QString error;
    if (!checkNewDepth(depth, &error))
        return Error{error};
    if (!stage().reserveInstance())
        return Error{stage().budgetError()};
    auto clip = std::make_shared<MovieClip>(stage(), movie_, nullptr, nullptr);
    clip->counted_ = true;
    clip->setName(newName);
    clip->setBornTick(stage().tick());
    insertChild(depth, clip);
    stage().objectJoined(*clip);
    return clip.get();
}

Result<TextField*> MovieClip::createTextField(const QString& newName, int depth, QRectF pixels) {
    QString error;
    if (!checkNewDepth(depth, &error))
        return Error{error};
    if (!stage().reserveInstance())
        return Error{stage().budgetError()};
    const QRectF rect(0, 0, std::max(0.0, pixels.width() * 20),
                      std::max(0.0, pixels.height() * 20));
    auto field = std::make_shared<TextField>(stage(), nullptr, rect);
    field->counted_ = true;
    field->setName(newName);
    field->setX(pixels.x());
    field->setY(pixels.y());
    insertChild(depth, field);
    // Script hears of a field it made as of any other: onChanged, onScroller, listeners.
    stage().objectJoined(*field);
    return field.get();
}

Result<DisplayObject*> MovieClip::attachBitmap(std::shared_ptr<const QImage> image, int depth,
                                               bool smoothing) {
    QString error;
    if (!checkNewDepth(depth, &error))
        return Error{error};
    if (!image)
        return Error{QStringLiteral("No bitmap to attach")};
    if (!stage().reserveInstance())
        return Error{stage().budgetError()};
    auto bitmap = std::make_shared<BitmapObject>(stage(), std::move(image), smoothing);
    bitmap->counted_ = true;
    insertChild(depth, bitmap);
    return bitmap.get();
}

Result<MovieClip*> MovieClip::duplicate(const QString& newName, int depth) {
    MovieClip* into = parent();
    if (!into)
        return Error{QStringLiteral("A level's root cannot be duplicated")};
    // A copy must land where removeMovieClip could take it away again.
    if (depth > kMaxRemovableDepth)
        return Error{QStringLiteral("Depth %1 is outside the range a copy can use").arg(depth)};
    QString error;
    if (!into->checkNewDepth(depth, &error))
        return Error{error};
    if (!stage().reserveInstance())
        return Error{stage().budgetError()};
    auto copy = std::make_shared<MovieClip>(stage(), movie_, timeline_, characterShared());
    copy->counted_ = true;
    copy->setName(newName);
    copy->setMatrix(matrix(), true);
    copy->setColorTransform(colorTransform(), true);
    copy->setVisible(visible());
    copy->setBlendMode(blendMode());
    copy->setFilters(filters());
    copy->clipActions_ = clipActions_;
    copy->drawing_ = drawing_;
    copy->setBornTick(stage().tick());
    into->insertChild(depth, copy);
    stage().objectJoined(*copy);
    copy->showFirstFrame();
    return copy.get();
}

bool MovieClip::removeByScript() {
    MovieClip* from = parent();
    if (!from || depth() < kMinRemovableDepth || depth() > kMaxRemovableDepth)
        return false;
    from->removeChildAt(depth());
    return true;
}

bool MovieClip::swapDepths(int target) {
    MovieClip* in = parent();
    if (!in || target < kTimelineDepthOffset || target > kMaxRemovableDepth)
        return false;
    in->moveChild(depth(), target);
    return true;
}

bool MovieClip::swapDepths(DisplayObject& sibling) {
    if (sibling.parent() != parent() || !parent())
        return false;
    parent()->moveChild(depth(), sibling.depth());
    return true;
}

void MovieClip::replaceContent(std::shared_ptr<const Movie> movie) {
    unloadContent();
    movie_ = std::move(movie);
    timeline_ = movie_ ? &movie_->timeline() : nullptr;
    playing_ = true;
    showFirstFrame();
}

void MovieClip::unloadContent() {
    while (!children_.empty())
        removeChildAt(children_.begin()->first);
    drawing_.clear();
    timeline_ = nullptr;
    current_ = -1;
    initActionsDone_.clear();
}

void MovieClip::setLevelRoot(int level) {
    levelRoot_ = true;
    levelNumber_ = level;
    // A level is reached by its number; its own _name is empty.
    setName(QString());
}

// ---- drag ----

void MovieClip::startDrag(bool lockCenter, std::optional<QRectF> bounds) {
    stage().startDrag(*this, lockCenter, bounds);
}

void MovieClip::stopDrag() {
    if (stage().dragged() == this)
        stage().stopDrag();
}

QString MovieClip::dropTarget() const {
    return dropTarget_;
}

void MovieClip::setDropTarget(const QString& path) {
    dropTarget_ = path;
}

uint32_t MovieClip::clipEventMask() const {
    uint32_t mask = 0;
    if (clipActions_)
        for (const ClipActionRecord& r : *clipActions_)
            mask |= r.events;
    return mask;
}

QRectF MovieClip::localBounds() const {
    QRectF out = drawing_.empty() ? QRectF() : drawing_.bounds();
    for (const auto& [depth, child] : children_) {
        const QRectF b = child->boundsInParent();
        if (b.isNull())
            continue;
        out = out.isNull() ? b : out.united(b);
    }
    return out;
}

bool MovieClip::containsLocalPoint(QPointF p) const {
    if (!drawing_.empty() && drawing_.contains(p))
        return true;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        const DisplayObject& child = *it->second;
        if (child.clipDepth() > 0)
            continue; // masks are not hit themselves
        bool invertible = false;
        const QTransform inverse = child.matrix().inverted(&invertible);
        if (invertible && child.containsLocalPoint(inverse.map(p)))
            return true;
    }
    return false;
}

void MovieClip::onRemoved() {
    if (stage().dragged() == this)
        stage().stopDrag();
    // Its stream goes with it; event sounds it started play on, as in Flash.
    if (timeline_ && timeline_->streamHead && stage().soundHost())
        stage().soundHost()->clipRemoved(*this);
}

} // namespace swf
