#include "swf/format/Button.h"

#include "swf/format/TagParser.h"

namespace swf {

Result<std::shared_ptr<ButtonCharacter>> parseButtonTag(uint16_t code, Reader& r) {
    const bool v2 = code == tag::DefineButton2;
    const uint16_t id = r.u16();
    if (v2) {
        r.u8();  // track as menu
        r.u16(); // offset of the actions
    }
    auto button = std::make_shared<ButtonCharacter>(id);
    Frame frame;
    for (;;) {
        const uint8_t flags = r.u8();
        if (r.failed())
            return Error{QStringLiteral("Broken button %1.").arg(id)};
        if (flags == 0)
            break;
        PlaceCommand cmd;
        cmd.characterId = r.u16();
        cmd.depth = r.u16();
        cmd.matrix = r.matrix();
        if (v2) {
            cmd.colorTransform = r.colorTransform(true);
            if ((flags & 0x10) && !skipFilterList(r))
                return Error{QStringLiteral("Broken button %1.").arg(id)};
            if (flags & 0x20) {
                const uint8_t mode = r.u8();
                if (mode >= 1 && mode <= 14)
                    cmd.blendMode = static_cast<BlendMode>(mode);
            }
        }
        if (r.failed())
            return Error{QStringLiteral("Broken button %1.").arg(id)};
        if (flags & 0x01) // up state
            frame.commands.emplace_back(std::move(cmd));
    }
    button->upState().frames.push_back(std::move(frame));
    return button;
}

} // namespace swf
