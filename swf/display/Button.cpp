#include "swf/display/Button.h"

#include "swf/display/MovieClip.h"
#include "swf/display/Stage.h"
#include "swf/format/Movie.h"

namespace swf {

Button::Button(Stage& stage, std::shared_ptr<const Movie> movie,
               std::shared_ptr<const ButtonCharacter> character)
    : DisplayObject(Type::Button, stage, std::move(character)), movie_(std::move(movie)) {}

Button::~Button() = default;

const ButtonCharacter& Button::button() const {
    return static_cast<const ButtonCharacter&>(*character());
}

bool Button::trackAsMenu() const {
    return button().trackAsMenu();
}

std::vector<ButtonRecord> Button::records() const {
    const ButtonCharacter& b = button();
    if (!b.records().empty())
        return b.records();
    std::vector<ButtonRecord> out;
    if (b.upState().frames.empty())
        return out;
    for (const FrameCommand& command : b.upState().frames.front().commands)
        if (const auto* place = std::get_if<PlaceCommand>(&command))
            out.push_back(ButtonRecord{buttonstate::Up | buttonstate::Over | buttonstate::Down |
                                           buttonstate::HitTest,
                                       *place});
    return out;
}

std::map<int, std::shared_ptr<DisplayObject>> Button::build(uint8_t stateBit) const {
    std::map<int, std::shared_ptr<DisplayObject>> out;
    if (!movie_ || removed())
        return out;
    int nesting = 1;
    for (const MovieClip* p = parent(); p; p = p->parent())
        ++nesting;
    for (const ButtonRecord& record : records()) {
        if (!(record.states & stateBit) || !record.place.characterId)
            continue;
        auto character = movie_->characterShared(*record.place.characterId);
        if (!character || character.get() == this->character())
            continue; // a button inside itself would never end
        auto object = MovieClip::instantiate(stage(), movie_, character, nesting);
        if (!object)
            continue;
        const int depth = record.place.depth + kTimelineDepthOffset;
        object->attach(nullptr, depth);
        if (record.place.matrix)
            object->setMatrix(*record.place.matrix, false);
        if (record.place.colorTransform)
            object->setColorTransform(*record.place.colorTransform, false);
        if (record.place.blendMode)
            object->setBlendMode(*record.place.blendMode);
        if (record.place.filters)
            object->setFilters(*record.place.filters);
        if (MovieClip* clip = object->asMovieClip()) {
            clip->setBornTick(stage().tick());
            stage().clipCreated(*clip);
            clip->showFirstFrame();
        }
        out[depth] = std::move(object);
    }
    return out;
}

const std::map<int, std::shared_ptr<DisplayObject>>& Button::stateObjects() const {
    if (!built_) {
        built_ = true;
        const uint8_t bit = state_ == State::Down   ? buttonstate::Down
                            : state_ == State::Over ? buttonstate::Over
                                                    : buttonstate::Up;
        shown_ = build(bit);
    }
    return shown_;
}

void Button::dropShown() const {
    for (auto& [depth, object] : shown_)
        stage().objectLeft(*object);
    shown_.clear();
    built_ = false;
}

void Button::setState(State s) {
    if (s == state_)
        return;
    state_ = s;
    dropShown();
    stateObjects();
}

bool Button::hitTestLocal(QPointF p) const {
    if (!hitBuilt_) {
        hitBuilt_ = true;
        hit_ = build(buttonstate::HitTest);
        // Nothing marked as the hit area: the up state is what the mouse finds.
        if (hit_.empty())
            hit_ = build(buttonstate::Up);
    }
    for (const auto& [depth, object] : hit_) {
        bool invertible = false;
        const QTransform inverse = object->matrix().inverted(&invertible);
        if (invertible && object->containsLocalPoint(inverse.map(p)))
            return true;
    }
    return false;
}

bool Button::hasKeyCondition(int keyCode) const {
    for (const ButtonAction& action : button().actions())
        if (buttoncond::keyCode(action.conditions) == keyCode && keyCode != 0)
            return true;
    return false;
}

QRectF Button::localBounds() const {
    QRectF out;
    for (const auto& [depth, object] : stateObjects())
        out |= object->boundsInParent();
    return out;
}

bool Button::containsLocalPoint(QPointF p) const {
    return hitTestLocal(p);
}

void Button::onRemoved() {
    dropShown();
    for (auto& [depth, object] : hit_)
        stage().objectLeft(*object);
    hit_.clear();
}

} // namespace swf
