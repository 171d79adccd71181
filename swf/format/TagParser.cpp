#include "swf/format/TagParser.h"

#include "swf/format/Bitmap.h"
#include "swf/format/Button.h"
#include "swf/format/MorphShape.h"
#include "swf/format/Movie.h"
#include "swf/format/Shape.h"
#include "swf/format/Sprite.h"

namespace swf {

namespace {

Error broken(const char* what) {
    return Error{QStringLiteral("Broken %1 tag.").arg(QLatin1String(what))};
}

} // namespace

// Filters are not drawn, but their variable size has to be stepped over.
bool skipFilterList(Reader& r) {
    const int count = r.u8();
    for (int i = 0; i < count && !r.failed(); ++i) {
        const int id = r.u8();
        switch (id) {
        case 0: // drop shadow
            r.skip(23);
            break;
        case 1: // blur
            r.skip(9);
            break;
        case 2: // glow
            r.skip(15);
            break;
        case 3: // bevel
            r.skip(27);
            break;
        case 4:   // gradient glow
        case 7: { // gradient bevel
            const int colours = r.u8();
            r.skip(static_cast<std::size_t>(colours) * 5 + 19);
            break;
        }
        case 5: { // convolution
            const int x = r.u8(), y = r.u8();
            r.skip(8 + static_cast<std::size_t>(x) * y * 4 + 5);
            break;
        }
        case 6: // colour matrix
            r.skip(80);
            break;
        default:
            return false;
        }
    }
    return !r.failed();
}

Result<void> TagParser::parse(uint16_t code, Reader body, Timeline& timeline, int nesting) {
    Reader& r = body;
    const bool timelineChange = code == tag::ShowFrame || code == tag::PlaceObject ||
                                code == tag::PlaceObject2 || code == tag::PlaceObject3 ||
                                code == tag::RemoveObject || code == tag::RemoveObject2;
    if (timelineChange && !movie_.countCommand())
        return Error{QStringLiteral("Too many frames and display-list changes.")};
    switch (code) {
    case tag::End:
        return {};
    case tag::ShowFrame:
        timeline.frames.push_back(std::move(timeline.pending));
        timeline.pending = Frame{};
        return {};
    case tag::FrameLabel: {
        QByteArray label = r.string();
        if (r.failed())
            return broken("FrameLabel");
        timeline.pending.label = std::move(label);
        return {};
    }
    case tag::SetBackgroundColor: {
        const QColor c = r.rgb();
        if (r.failed())
            return broken("SetBackgroundColor");
        if (nesting == 0)
            movie_.setBackgroundColor(c);
        return {};
    }
    case tag::PlaceObject:
    case tag::PlaceObject2:
    case tag::PlaceObject3:
        return parsePlace(code, r, timeline);
    case tag::RemoveObject: {
        r.u16(); // the character id is implied by the depth
        RemoveCommand cmd{r.u16()};
        if (r.failed())
            return broken("RemoveObject");
        timeline.pending.commands.emplace_back(cmd);
        return {};
    }
    case tag::RemoveObject2: {
        RemoveCommand cmd{r.u16()};
        if (r.failed())
            return broken("RemoveObject2");
        timeline.pending.commands.emplace_back(cmd);
        return {};
    }
    case tag::DefineSprite:
        // A sprite's timeline holds control tags only; a definition inside one is skipped.
        if (nesting > 0)
            return {};
        return parseSprite(r, nesting);
    default:
        // Definition tags inside a sprite are not valid; Flash ignores them.
        if (nesting > 0)
            return {};
        return parseDefinition(code, r);
    }
}

Result<void> TagParser::parsePlace(uint16_t code, Reader& r, Timeline& timeline) {
    PlaceCommand cmd;
    if (code == tag::PlaceObject) {
        cmd.characterId = r.u16();
        cmd.depth = r.u16();
        cmd.matrix = r.matrix();
        if (!r.failed() && !r.atEnd())
            cmd.colorTransform = r.colorTransform(false);
        if (r.failed())
            return broken("PlaceObject");
        timeline.pending.commands.emplace_back(std::move(cmd));
        return {};
    }
    const uint8_t flags = r.u8();
    const uint8_t flags2 = code == tag::PlaceObject3 ? r.u8() : 0;
    cmd.move = flags & 0x01;
    cmd.depth = r.u16();
    if (code == tag::PlaceObject3 && ((flags2 & 0x08) || ((flags2 & 0x10) && (flags & 0x02))))
        r.string(); // class name
    if (flags & 0x02)
        cmd.characterId = r.u16();
    if (flags & 0x04)
        cmd.matrix = r.matrix();
    if (flags & 0x08)
        cmd.colorTransform = r.colorTransform(true);
    if (flags & 0x10)
        cmd.ratio = r.u16();
    if (flags & 0x20)
        cmd.name = r.string();
    if (flags & 0x40)
        cmd.clipDepth = r.u16();
    if (code == tag::PlaceObject3) {
        if ((flags2 & 0x01) && !skipFilterList(r))
            return broken("PlaceObject3");
        if (flags2 & 0x02) {
            const uint8_t mode = r.u8();
            cmd.blendMode =
                (mode >= 1 && mode <= 14) ? static_cast<BlendMode>(mode) : BlendMode::Normal;
        }
        if (flags2 & 0x04)
            cmd.cacheAsBitmap = r.u8() != 0;
    }
    // Clip actions follow; they belong to the scripting part and are not read here.
    if (r.failed())
        return broken(code == tag::PlaceObject2 ? "PlaceObject2" : "PlaceObject3");
    timeline.pending.commands.emplace_back(std::move(cmd));
    return {};
}

Result<void> TagParser::parseSprite(Reader& r, int nesting) {
    const uint16_t id = r.u16();
    r.u16(); // declared frame count; the ShowFrame tags are what count
    if (r.failed())
        return broken("DefineSprite");
    auto sprite = std::make_shared<SpriteCharacter>(id);
    Timeline& t = sprite->timeline();
    while (!r.atEnd()) {
        const uint16_t head = r.u16();
        uint32_t length = head & 0x3f;
        if (length == 0x3f)
            length = r.u32();
        const uint16_t code = head >> 6;
        if (r.failed() || length > r.remaining()) {
            // A sprite cut short keeps the frames it has, as the main timeline does.
            break;
        }
        Reader body = r.sub(length);
        if (code == tag::End)
            break;
        if (!parse(code, body, t, nesting + 1))
            break;
    }
    // Commands after the last ShowFrame still make a frame when the sprite has none at all.
    if (t.frames.empty())
        t.frames.push_back(std::move(t.pending));
    t.pending = Frame{};
    movie_.define(std::move(sprite));
    return {};
}

Result<void> TagParser::parseDefinition(uint16_t code, Reader& r) {
    switch (code) {
    case tag::DefineShape:
    case tag::DefineShape2:
    case tag::DefineShape3:
    case tag::DefineShape4: {
        auto shape = parseShapeTag(code, r);
        if (!shape)
            return shape.error();
        movie_.define(std::move(shape.value()));
        return {};
    }
    case tag::DefineMorphShape:
    case tag::DefineMorphShape2: {
        auto morph = parseMorphShapeTag(code, r);
        if (!morph)
            return morph.error();
        movie_.define(std::move(morph.value()));
        return {};
    }
    case tag::JPEGTables:
        movie_.setJpegTables(r.bytes(r.remaining()));
        return {};
    case tag::DefineBits:
    case tag::DefineBitsJPEG2:
    case tag::DefineBitsJPEG3:
    case tag::DefineBitsJPEG4:
    case tag::DefineBitsLossless:
    case tag::DefineBitsLossless2: {
        auto bitmap = parseBitmapTag(code, r, movie_.jpegTables());
        if (!bitmap)
            return bitmap.error();
        movie_.define(std::move(bitmap.value()));
        return {};
    }
    case tag::DefineButton:
    case tag::DefineButton2: {
        auto button = parseButtonTag(code, r);
        if (!button)
            return button.error();
        movie_.define(std::move(button.value()));
        return {};
    }
    default:
        return {}; // not ours (yet): skipped by its length
    }
}

} // namespace swf
