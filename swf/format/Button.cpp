#include "swf/format/Button.h"

#include "swf/format/MovieBudget.h"
#include "swf/format/TagParser.h"

namespace swf {

namespace {

Error brokenButton(uint16_t id) {
    return Error{QStringLiteral("Broken button %1.").arg(id)};
}

// The records up to the end flag. The up state's records also make the one-frame timeline
// that draws a button nobody points at.
Result<void> readRecords(Reader& r, bool v2, ButtonCharacter& button, MovieBudget& budget) {
    for (;;) {
        const uint8_t flags = r.u8();
        if (r.failed())
            return brokenButton(button.id());
        if (flags == 0)
            return {};
        if (!budget.takeRecords(1))
            return Error{budget.error()};
        ButtonRecord record;
        record.states = flags & 0x0f;
        PlaceCommand& cmd = record.place;
        cmd.characterId = r.u16();
        cmd.depth = r.u16();
        cmd.matrix = r.matrix();
        if (v2) {
            cmd.colorTransform = r.colorTransform(true);
            if (flags & 0x10) {
                auto filters = std::make_shared<std::vector<Filter>>();
                if (!readFilterList(r, *filters))
                    return brokenButton(button.id());
                cmd.filters = std::move(filters);
            }
            if (flags & 0x20) {
                const uint8_t mode = r.u8();
                if (mode >= 1 && mode <= 14)
                    cmd.blendMode = static_cast<BlendMode>(mode);
            }
        }
        if (r.failed())
            return brokenButton(button.id());
        button.records().push_back(record);
    }
}

// DefineButton2's condition actions: each starts with the offset of the next (0 for the
// last). A damaged entry ends the list; the ones before it stay.
Result<void> readConditionActions(Reader& r, ButtonCharacter& button, MovieBudget& budget) {
    while (!r.atEnd()) {
        const uint16_t next = r.u16();
        const uint16_t conditions = r.u16();
        if (r.failed())
            return {};
        std::size_t length = r.remaining();
        if (next != 0) {
            // The offset counts from the start of this entry, whose head is four bytes.
            if (next < 4 || next - 4u > r.remaining())
                return {};
            length = next - 4u;
        }
        if (!budget.takeRecords(1))
            return Error{budget.error()};
        button.actions().push_back(ButtonAction{conditions, r.bytes(length)});
        if (next == 0)
            return {};
    }
    return {};
}

} // namespace

std::shared_ptr<ButtonCharacter>
ButtonCharacter::withColorTransform(const ColorTransform& cx) const {
    auto copy = std::make_shared<ButtonCharacter>(id());
    copy->records_ = records_;
    copy->actions_ = actions_;
    copy->trackAsMenu_ = trackAsMenu_;
    copy->sounds_ = sounds_;
    for (ButtonRecord& record : copy->records_)
        record.place.colorTransform = cx;
    copy->buildUpState();
    return copy;
}

void ButtonCharacter::buildUpState() {
    Frame frame;
    for (const ButtonRecord& record : records_)
        if (record.states & buttonstate::Up)
            frame.commands.emplace_back(record.place);
    upState_ = Timeline{};
    upState_.frames.push_back(std::move(frame));
}

Result<std::shared_ptr<ButtonCharacter>> parseButtonTag(uint16_t code, Reader& r,
                                                        MovieBudget& budget) {
    const bool v2 = code == tag::DefineButton2;
    const uint16_t id = r.u16();
    auto button = std::make_shared<ButtonCharacter>(id);
    std::size_t actionStart = 0;
    if (v2) {
        button->setTrackAsMenu(r.u8() & 0x01);
        const std::size_t base = r.position();
        const uint16_t offset = r.u16();
        if (offset != 0)
            actionStart = base + offset;
    }
    if (r.failed())
        return brokenButton(id);
    SWF_TRY(readRecords(r, v2, *button, budget));
    if (!v2) {
        // One action block, run when the button is released over itself.
        if (r.remaining() > 0)
            button->actions().push_back(
                ButtonAction{buttoncond::OverDownToOverUp, r.bytes(r.remaining())});
    } else if (actionStart != 0) {
        // The offset is what says where the actions are; it normally points just past the
        // records' end flag, and one that points elsewhere inside the tag is taken at its word.
        if (actionStart < r.size()) {
            Reader actions = r.from(actionStart);
            SWF_TRY(readConditionActions(actions, *button, budget));
        }
    }
    button->buildUpState();
    return button;
}

} // namespace swf
