#include "swf/display/DisplayList.h"

#include "swf/format/Button.h"
#include "swf/format/Movie.h"
#include "swf/format/Sprite.h"

namespace swf {

namespace {
// Sprites placing sprites placing sprites: deeper than this is a loop or an attack.
constexpr int kMaxInstanceNesting = 32;
} // namespace

TimelineInstance::TimelineInstance(const Movie& movie, const Timeline& timeline, int nesting)
    : movie_(movie), timeline_(timeline), nesting_(nesting) {}

TimelineInstance::~TimelineInstance() = default;

void TimelineInstance::place(const PlaceCommand& cmd, int frame, uint64_t tick) {
    auto it = objects_.find(cmd.depth);
    const bool exists = it != objects_.end();
    if (cmd.move && !exists && !cmd.characterId)
        return; // nothing to modify
    if (!cmd.move && exists && !cmd.characterId)
        return;
    if (!cmd.move || (cmd.characterId && (!exists || !it->second.character ||
                                          it->second.character->id() != *cmd.characterId))) {
        // A new object, or a move that replaces the character (keeping the other properties).
        if (!cmd.characterId)
            return;
        auto character = movie_.characterShared(*cmd.characterId);
        if (!character)
            return;
        PlacedObject obj;
        if (cmd.move && exists) {
            obj.matrix = it->second.matrix;
            obj.colorTransform = it->second.colorTransform;
            obj.ratio = it->second.ratio;
            obj.clipDepth = it->second.clipDepth;
            obj.blendMode = it->second.blendMode;
            obj.name = it->second.name;
        }
        obj.character = character;
        obj.placedFrame = frame;
        obj.bornTick = tick;
        if (nesting_ < kMaxInstanceNesting) {
            if (character->kind() == Character::Kind::Sprite) {
                const auto& sprite = static_cast<const SpriteCharacter&>(*character);
                obj.sprite =
                    std::make_unique<TimelineInstance>(movie_, sprite.timeline(), nesting_ + 1);
            } else if (character->kind() == Character::Kind::Button) {
                const auto& button = static_cast<const ButtonCharacter&>(*character);
                obj.sprite =
                    std::make_unique<TimelineInstance>(movie_, button.upState(), nesting_ + 1);
            }
        }
        objects_[cmd.depth] = std::move(obj);
        it = objects_.find(cmd.depth);
        if (it->second.sprite)
            it->second.sprite->gotoFrame(0, tick);
    }
    PlacedObject& obj = it->second;
    if (cmd.matrix)
        obj.matrix = *cmd.matrix;
    if (cmd.colorTransform)
        obj.colorTransform = *cmd.colorTransform;
    if (cmd.ratio)
        obj.ratio = *cmd.ratio;
    if (cmd.clipDepth)
        obj.clipDepth = *cmd.clipDepth;
    if (cmd.name)
        obj.name = *cmd.name;
    if (cmd.blendMode)
        obj.blendMode = *cmd.blendMode;
    if (cmd.cacheAsBitmap)
        obj.cacheAsBitmap = true;
}

void TimelineInstance::applyFrame(int frame, uint64_t tick) {
    for (const FrameCommand& command : timeline_.frames[static_cast<std::size_t>(frame)].commands) {
        if (const auto* p = std::get_if<PlaceCommand>(&command))
            place(*p, frame, tick);
        else
            objects_.erase(std::get<RemoveCommand>(command).depth);
    }
    current_ = frame;
}

void TimelineInstance::gotoFrame(int frame, uint64_t tick) {
    const int count = frameCount();
    if (count == 0)
        return;
    frame = std::clamp(frame, 0, count - 1);
    if (frame == current_)
        return;
    if (frame > current_) {
        for (int f = current_ + 1; f <= frame; ++f)
            applyFrame(f, tick);
        return;
    }
    // Backwards: build the list that playing from the start would give, then keep the running
    // state of the sprites that were placed by the same tag and have stayed since.
    std::map<uint16_t, PlacedObject> old;
    old.swap(objects_);
    current_ = -1;
    for (int f = 0; f <= frame; ++f)
        applyFrame(f, tick);
    for (auto& [depth, obj] : objects_) {
        auto it = old.find(depth);
        if (it == old.end() || it->second.placedFrame != obj.placedFrame ||
            it->second.character != obj.character)
            continue;
        obj.sprite = std::move(it->second.sprite);
        obj.bornTick = it->second.bornTick;
    }
}

void TimelineInstance::advanceLooping(uint64_t tick) {
    const int count = frameCount();
    if (count <= 1)
        return;
    gotoFrame(current_ + 1 >= count ? 0 : current_ + 1, tick);
}

void TimelineInstance::advanceChildren(uint64_t tick) {
    for (auto& [depth, obj] : objects_) {
        if (!obj.sprite || obj.bornTick == tick)
            continue;
        obj.sprite->advanceLooping(tick);
        obj.sprite->advanceChildren(tick);
    }
}

} // namespace swf
