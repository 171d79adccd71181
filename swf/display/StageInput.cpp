// The mouse, the keyboard, focus and dragging as the movie sees them.

#include "swf/display/Button.h"
#include "swf/display/MovieClip.h"
#include "swf/display/ScriptHost.h"
#include "swf/display/SoundHost.h"
#include "swf/display/Stage.h"
#include "swf/display/TextField.h"
#include "swf/format/Button.h"

#include <algorithm>

namespace swf {

namespace {

int buttonKeyFor(int keyCode, int ascii) {
    switch (keyCode) {
    case 37:
        return 1; // left
    case 39:
        return 2; // right
    case 36:
        return 3; // home
    case 35:
        return 4; // end
    case 45:
        return 5; // insert
    case 46:
        return 6; // delete
    case 8:
        return 8; // backspace
    case 13:
        return 13; // enter
    case 38:
        return 14; // up
    case 40:
        return 15; // down
    case 33:
        return 16; // page up
    case 34:
        return 17; // page down
    case 9:
        return 18; // tab
    case 27:
        return 19; // escape
    default:
        return ascii >= 32 && ascii < 127 ? ascii : 0;
    }
}

bool isMenu(const DisplayObject* object) {
    const Button* button = object ? object->asButton() : nullptr;
    return button && button->trackAsMenu();
}

std::shared_ptr<DisplayObject> live(const std::weak_ptr<DisplayObject>& w) {
    auto object = w.lock();
    return object && !object->removed() ? object : nullptr;
}

} // namespace

void Stage::transition(DisplayObject& object, uint16_t condition, int state) {
    if (Button* button = object.asButton()) {
        button->setState(static_cast<Button::State>(state));
        playButtonSound(*button, condition);
    } else if (MovieClip* clip = object.asMovieClip()) {
        // Clips acting as buttons show frames labelled like a button's states, if they have them.
        static const char* const labels[] = {"_up", "_over", "_down"};
        const QString label = QLatin1String(labels[state]);
        if (clip->frameOfLabel(label) > 0)
            clip->gotoLabel(label, false);
    }
    if (script_ && condition)
        script_->buttonEvent(object, condition);
}

void Stage::playButtonSound(Button& button, uint16_t condition) {
    MovieClip* parent = button.parent();
    const auto* c = static_cast<const ButtonCharacter*>(button.character());
    if (!sound_ || !parent || !c || c->kind() != Character::Kind::Button)
        return;
    // The tag's order: rolling out, rolling over, pressing, releasing.
    int which = -1;
    if (condition & (buttoncond::OverUpToIdle | buttoncond::OverDownToOutDown))
        which = 0;
    else if (condition & (buttoncond::IdleToOverUp | buttoncond::OutDownToOverDown))
        which = 1;
    else if (condition & (buttoncond::OverUpToOverDown | buttoncond::IdleToOverDown))
        which = 2;
    else if (condition & buttoncond::OverDownToOverUp)
        which = 3;
    if (which >= 0 && c->sounds()[static_cast<std::size_t>(which)])
        sound_->startSound(*parent, *c->sounds()[static_cast<std::size_t>(which)]);
}

void Stage::updateHover(bool) {
    auto old = live(hovered_);
    auto pressed = live(pressed_);
    std::shared_ptr<DisplayObject> target;
    if (mouseInside_) {
        if (DisplayObject* t = mouseTargetAt(mouse_))
            target = t->shared_from_this();
    }
    // While the button is held after a press elsewhere, only menu buttons and the pressed
    // one notice the mouse.
    if (target && mouseDown_ && target != pressed && !isMenu(target.get()))
        target.reset();
    if (target == old)
        return;
    if (old) {
        if (mouseDown_ && old == pressed)
            transition(*old, buttoncond::OverDownToOutDown, int(Button::State::Over));
        else if (mouseDown_)
            transition(*old, buttoncond::OverDownToIdle, int(Button::State::Up));
        else
            transition(*old, buttoncond::OverUpToIdle, int(Button::State::Up));
    }
    hovered_ = target;
    if (target) {
        if (!mouseDown_)
            transition(*target, buttoncond::IdleToOverUp, int(Button::State::Over));
        else if (target == pressed)
            transition(*target, buttoncond::OutDownToOverDown, int(Button::State::Down));
        else
            transition(*target, buttoncond::IdleToOverDown, int(Button::State::Down));
    }
}

Stage::Cursor Stage::cursor() const {
    auto over = live(hovered_);
    if (!over && mouseInside_) {
        // A link in a text field points like a button does.
        DisplayObject* leaf = topmostLeafAt(mouse_);
        TextField* field = leaf ? leaf->asTextField() : nullptr;
        if (field && !field->linkAt(field->globalToLocal(mouse_)).first.isEmpty())
            return Cursor::Hand;
    }
    if (!over || !over->enabled() || !over->useHandCursor())
        return Cursor::Arrow;
    return Cursor::Hand;
}

void Stage::broadcastClipEvent(uint32_t event, int keyCode) {
    if (!script_)
        return;
    std::vector<std::shared_ptr<MovieClip>> clips;
    for (auto it = execution_.rbegin(); it != execution_.rend(); ++it)
        if (auto clip = it->lock(); clip && !clip->removed())
            clips.push_back(std::move(clip));
    for (const auto& clip : clips)
        if (!clip->removed())
            script_->clipEvent(*clip, event, keyCode);
}

void Stage::afterInput() {
    runQueuedActions();
    collectRemoved();
}

void Stage::moveDragged() {
    auto clip = dragged_.lock();
    if (!clip || clip->removed()) {
        dragged_.reset();
        return;
    }
    QPointF at = clip->parent() ? clip->parent()->globalToLocal(mouse_) : mouse_;
    at += dragOffset_;
    if (dragBounds_) {
        const QRectF b = dragBounds_->normalized();
        at.setX(std::clamp(at.x(), b.left(), b.right()));
        at.setY(std::clamp(at.y(), b.top(), b.bottom()));
    }
    clip->setX(at.x() / 20.0);
    clip->setY(at.y() / 20.0);
}

void Stage::mouseMove(QPointF p) {
    mouse_ = p;
    mouseInside_ = true;
    moveDragged();
    if (TextField* field = mouseDown_ && focus() ? focus()->asTextField() : nullptr)
        field->pointerDrag(field->globalToLocal(p)); // selecting with the mouse
    updateHover(false);
    TextField::trackLinkHover(topmostLeafAt(p), p, mouseDown_);
    broadcastClipEvent(clipevent::MouseMove);
    if (script_)
        script_->stageEvent(ScriptHost::StageEvent::MouseMove);
    afterInput();
}

void Stage::mouseLeave() {
    mouseInside_ = false;
    TextField::trackLinkHover(nullptr, mouse_, false);
    updateHover(false);
    afterInput();
}

void Stage::mouseDown(QPointF p) {
    mouse_ = p;
    mouseInside_ = true;
    updateHover(false);
    mouseDown_ = true;
    auto over = live(hovered_);
    pressed_ = over;
    if (over)
        transition(*over, buttoncond::OverUpToOverDown, int(Button::State::Down));
    // A click puts the keyboard into an input field, and takes it from one elsewhere.
    DisplayObject* hit = topmostLeafAt(p);
    TextField* field = hit ? hit->asTextField() : nullptr;
    if (field && (field->editable() || field->selectable())) {
        setFocus(field);
        field->pointerDown(field->globalToLocal(p), keysDown_.count(16) > 0);
    } else if (focus() && focus()->asTextField()) {
        setFocus(nullptr);
    }
    // A link in a text field acts when the button comes up on it again.
    TextField::pressLink(field, p);
    broadcastClipEvent(clipevent::MouseDown);
    if (script_)
        script_->stageEvent(ScriptHost::StageEvent::MouseDown);
    afterInput();
}

void Stage::mouseUp(QPointF p) {
    mouse_ = p;
    mouseInside_ = true;
    auto pressed = live(pressed_);
    mouseDown_ = false;
    pressed_.reset();
    auto over = live(hovered_);
    if (!over) {
        // The mouse may have come over something while the button was down.
        if (DisplayObject* t = mouseTargetAt(mouse_))
            over = t->shared_from_this();
    }
    if (pressed && over == pressed) {
        transition(*pressed, buttoncond::OverDownToOverUp, int(Button::State::Over));
    } else {
        if (pressed)
            transition(*pressed, buttoncond::OutDownToIdle, int(Button::State::Up));
        // A menu button takes a release that started elsewhere.
        if (over && isMenu(over.get()) && live(hovered_) == over)
            transition(*over, buttoncond::OverDownToOverUp, int(Button::State::Over));
    }
    // What the button went to is already shown; only a change under the mouse is news.
    updateHover(false);
    // A link in a text field goes where getURL would take it.
    DisplayObject* leaf = topmostLeafAt(p);
    if (TextField* field = leaf ? leaf->asTextField() : nullptr) {
        const auto [url, target] = field->releaseLink(field->globalToLocal(p));
        const QString link = url.trimmed();
        if (link.startsWith(QLatin1String("asfunction:"), Qt::CaseInsensitive)) {
            // A link into the movie's own script rather than to a page.
            const QString call = link.mid(11);
            const qsizetype comma = call.indexOf(QLatin1Char(','));
            if (script_)
                script_->textLinkFunction(*field, call.left(comma).trimmed(),
                                          comma < 0 ? QString() : call.mid(comma + 1));
        } else if (!url.isEmpty()) {
            getUrl(url, target);
        }
    }
    if (auto clip = dragged_.lock()) {
        DisplayObject* under = topmostAt(mouse_, clip.get());
        clip->setDropTarget(under ? under->slashPath() : QString());
    }
    broadcastClipEvent(clipevent::MouseUp);
    if (script_)
        script_->stageEvent(ScriptHost::StageEvent::MouseUp);
    afterInput();
}

void Stage::keyDown(int keyCode, int ascii) {
    keysDown_.insert(keyCode);
    lastKey_ = keyCode;
    lastAscii_ = ascii;
    const int buttonKey = buttonKeyFor(keyCode, ascii);
    TextField* typingInto = focus() ? focus()->asTextField() : nullptr;
    if (keyCode == 9) {
        tabToNext(keysDown_.count(16) > 0);
    } else if (typingInto) {
        typingInto->keyInput(keyCode, static_cast<char32_t>(ascii), keysDown_.count(16) > 0,
                             keysDown_.count(17) > 0);
    } else if ((keyCode == 13 || keyCode == 32) && focus() && !focus()->asTextField()) {
        // Enter or space on a focused button clicks it.
        DisplayObject* f = focus();
        transition(*f, buttoncond::OverUpToOverDown, int(Button::State::Down));
        transition(*f, buttoncond::OverDownToOverUp, int(Button::State::Up));
    }
    if (buttonKey && script_) {
        // Key conditions of every button on the stage.
        std::vector<std::shared_ptr<DisplayObject>> buttons;
        const std::function<void(DisplayObject&)> collect = [&](DisplayObject& node) {
            if (Button* b = node.asButton()) {
                if (b->enabled() && b->hasKeyCondition(buttonKey))
                    buttons.push_back(b->shared_from_this());
                return;
            }
            if (MovieClip* clip = node.asMovieClip())
                for (const auto& [depth, child] : clip->children())
                    collect(*child);
        };
        for (const auto& [n, level] : levels_)
            collect(*level);
        for (const auto& b : buttons)
            if (!b->removed())
                script_->buttonEvent(*b, 0, buttonKey);
    }
    broadcastClipEvent(clipevent::KeyDown, keyCode);
    if (buttonKey)
        broadcastClipEvent(clipevent::KeyPress, buttonKey);
    if (script_)
        script_->stageEvent(ScriptHost::StageEvent::KeyDown, keyCode);
    afterInput();
}

void Stage::mouseWheel(QPointF p, int lines) {
    DisplayObject* leaf = topmostLeafAt(p);
    if (TextField* field = leaf ? leaf->asTextField() : nullptr)
        field->wheel(lines);
    afterInput();
}

void Stage::textInput(const QString& text) {
    if (TextField* field = focus() ? focus()->asTextField() : nullptr)
        field->textInput(text);
    afterInput();
}

void Stage::keyUp(int keyCode, int ascii) {
    keysDown_.erase(keyCode);
    lastKey_ = keyCode;
    lastAscii_ = ascii;
    broadcastClipEvent(clipevent::KeyUp, keyCode);
    if (script_)
        script_->stageEvent(ScriptHost::StageEvent::KeyUp, keyCode);
    afterInput();
}

DisplayObject* Stage::topmostLeafAt(QPointF p) const {
    const std::function<DisplayObject*(DisplayObject&)> visit =
        [&](DisplayObject& node) -> DisplayObject* {
        if (!node.visible())
            return nullptr;
        MovieClip* clip = node.asMovieClip();
        if (!clip)
            return node.hitTestShape(p) ? &node : nullptr;
        const auto& children = clip->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (it->second->clipDepth() == 0)
                if (DisplayObject* hit = visit(*it->second))
                    return hit;
        return nullptr;
    };
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (DisplayObject* hit = visit(*it->second))
            return hit;
    return nullptr;
}

// ---- focus ----

bool Stage::focusable(DisplayObject& object) const {
    if (object.removed() || !object.visible())
        return false;
    if (object.tabEnabled() == false)
        return false;
    if (TextField* field = object.asTextField())
        return field->editable() || field->selectable();
    if (object.asButton())
        return object.enabled();
    if (object.tabEnabled() == true)
        return true;
    return actsAsButton(object) && object.enabled();
}

bool Stage::setFocus(DisplayObject* object) {
    if (object && !focusable(*object))
        return false;
    auto old = live(focus_);
    if (old.get() == object)
        return true;
    focus_ = object ? object->weak_from_this() : std::weak_ptr<DisplayObject>();
    focusRect_ = false;
    if (script_)
        script_->focusChanged(old.get(), object);
    return true;
}

std::vector<DisplayObject*> Stage::tabOrder() const {
    std::vector<DisplayObject*> all;
    const std::function<void(DisplayObject&)> collect = [&](DisplayObject& node) {
        if (!node.visible())
            return;
        const MovieClip* asClip = node.asMovieClip();
        if (!(asClip && asClip->isLevelRoot()) && focusable(node))
            all.push_back(&node);
        if (MovieClip* clip = node.asMovieClip()) {
            // The children of a clip that acts as a button are part of it.
            if (!clip->isLevelRoot() && actsAsButton(*clip))
                return;
            for (const auto& [depth, child] : clip->children())
                collect(*child);
        }
    };
    for (const auto& [n, level] : levels_)
        collect(*level);
    const bool indexed =
        std::any_of(all.begin(), all.end(), [](DisplayObject* o) { return o->tabIndex() >= 0; });
    if (indexed) {
        std::erase_if(all, [](DisplayObject* o) { return o->tabIndex() < 0; });
        std::stable_sort(all.begin(), all.end(), [](DisplayObject* a, DisplayObject* b) {
            return a->tabIndex() < b->tabIndex();
        });
        return all;
    }
    // Without tab indices, reading order: rows from the top, then from the left.
    std::stable_sort(all.begin(), all.end(), [](DisplayObject* a, DisplayObject* b) {
        const QRectF ra = a->bounds(nullptr), rb = b->bounds(nullptr);
        if (ra.top() != rb.top())
            return ra.top() < rb.top();
        return ra.left() < rb.left();
    });
    return all;
}

bool Stage::tabToNext(bool backwards) {
    const std::vector<DisplayObject*> order = tabOrder();
    if (order.empty())
        return false;
    const auto n = static_cast<std::ptrdiff_t>(order.size());
    const auto current = std::find(order.begin(), order.end(), focus());
    std::ptrdiff_t index;
    if (current == order.end())
        index = backwards ? n - 1 : 0;
    else
        index = ((current - order.begin()) + (backwards ? n - 1 : 1)) % n;
    const bool moved = setFocus(order[static_cast<std::size_t>(index)]);
    focusRect_ = moved;
    return moved;
}

// ---- dragging ----

void Stage::startDrag(MovieClip& clip, bool lockCenter, std::optional<QRectF> bounds) {
    dragged_ = std::static_pointer_cast<MovieClip>(clip.shared_from_this());
    dragBounds_ = bounds;
    dragOffset_ = QPointF();
    if (!lockCenter) {
        const QPointF at = clip.parent() ? clip.parent()->globalToLocal(mouse_) : mouse_;
        dragOffset_ = QPointF(clip.matrix().dx(), clip.matrix().dy()) - at;
    }
    moveDragged();
}

void Stage::stopDrag() {
    dragged_.reset();
    dragBounds_.reset();
}

MovieClip* Stage::dragged() const {
    auto clip = dragged_.lock();
    return clip && !clip->removed() ? clip.get() : nullptr;
}

} // namespace swf
