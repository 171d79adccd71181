#include "swf/format/TagParser.h"

#include "swf/format/Bitmap.h"
#include "swf/format/Button.h"
#include "swf/format/MorphShape.h"
#include "swf/format/Movie.h"
#include "swf/format/Shape.h"
#include "swf/format/Sound.h"
#include "swf/format/Sprite.h"
#include "swf/format/Video.h"

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
        return Error{movie_.budget().error()};
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
    case tag::DoAction: {
        // An empty block does nothing; it would only cost the interpreter a call.
        if (r.remaining() > 0) {
            timeline.pending.actions.push_back(r.bytes(r.remaining()));
            timeline.pending.actionPositions.push_back(timeline.pending.commands.size());
        }
        return {};
    }
    case tag::DoInitAction: {
        // Init actions belong to the main timeline; Flash ignores them inside a sprite.
        if (nesting > 0)
            return {};
        InitAction init;
        init.spriteId = r.u16();
        if (r.failed())
            return broken("DoInitAction");
        init.code = r.bytes(r.remaining());
        timeline.pending.initActions.push_back(std::move(init));
        return {};
    }
    case tag::StartSound:
    case tag::StartSound2:
    case tag::SoundStreamHead:
    case tag::SoundStreamHead2:
    case tag::SoundStreamBlock:
        return parseSoundControl(code, r, timeline);
    case tag::VideoFrame:
        // Frames of an embedded video stand in whichever timeline plays it, sprites included.
        return parseVideoFrame(r);
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
        if (flags2 & 0x01) {
            auto filters = std::make_shared<std::vector<Filter>>();
            if (!readFilterList(r, *filters))
                return broken("PlaceObject3");
            cmd.filters = std::move(filters);
        }
        if (flags2 & 0x02) {
            const uint8_t mode = r.u8();
            cmd.blendMode =
                (mode >= 1 && mode <= 14) ? static_cast<BlendMode>(mode) : BlendMode::Normal;
        }
        if (flags2 & 0x04)
            cmd.cacheAsBitmap = r.u8() != 0;
    }
    if (code == tag::PlaceObject3) {
        if (flags2 & 0x20)
            cmd.visible = r.u8() != 0;
        if (flags2 & 0x40)
            cmd.opaqueBackground = r.rgba();
    }
    if (r.failed())
        return broken(code == tag::PlaceObject2 ? "PlaceObject2" : "PlaceObject3");
    if (flags & 0x80) {
        auto handlers = std::make_shared<std::vector<ClipActionRecord>>();
        // A damaged handler list costs the clip its handlers from the damage on, not its
        // place on the stage.
        const bool whole = readClipActions(r, movie_.header().version, *handlers, movie_.budget());
        if (!whole && movie_.budget().exceeded())
            return failure(broken("PlaceObject2"));
        if (!handlers->empty())
            cmd.clipActions = std::move(handlers);
    }
    timeline.pending.commands.emplace_back(std::move(cmd));
    return {};
}

bool readClipActions(Reader& r, int swfVersion, std::vector<ClipActionRecord>& out,
                     MovieBudget& budget) {
    const bool wide = swfVersion >= 6;
    const auto eventFlags = [&]() -> uint32_t { return wide ? r.u32() : r.u16(); };
    r.u16();      // reserved
    eventFlags(); // the union of all handlers' events; each record says its own
    while (!r.failed()) {
        const uint32_t events = eventFlags();
        if (r.failed())
            return false;
        if (events == 0)
            return true;
        const uint32_t size = r.u32();
        if (r.failed() || size > r.remaining())
            return false;
        if (!budget.takeRecords(1))
            return false;
        Reader body = r.sub(size);
        ClipActionRecord record;
        record.events = events;
        // The key code of a key-press handler is counted in the record's size.
        if (events & clipevent::KeyPress) {
            record.keyCode = body.u8();
            if (body.failed())
                return false;
        }
        record.code = body.bytes(body.remaining());
        out.push_back(std::move(record));
    }
    return false;
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
        if (!parse(code, body, t, nesting + 1)) {
            if (movie_.budget().exceeded())
                return Error{movie_.budget().error()};
            break;
        }
    }
    // Commands after the last ShowFrame still make a frame when the sprite has none at all.
    if (t.frames.empty())
        t.frames.push_back(std::move(t.pending));
    t.pending = Frame{};
    movie_.define(std::move(sprite));
    return {};
}

Error TagParser::failure(Error e) const {
    if (movie_.budget().exceeded())
        return Error{movie_.budget().error()};
    return e;
}

Result<void> TagParser::parseButtonCxform(Reader& r) {
    const uint16_t id = r.u16();
    const ColorTransform cx = r.colorTransform(false);
    if (r.failed())
        return broken("DefineButtonCxform");
    const Character* c = movie_.character(id);
    if (!c || c->kind() != Character::Kind::Button)
        return {}; // a transform for no button changes nothing
    movie_.redefine(static_cast<const ButtonCharacter*>(c)->withColorTransform(cx));
    return {};
}

Result<void> TagParser::parseExports(Reader& r) {
    const int count = r.u16();
    for (int i = 0; i < count; ++i) {
        const uint16_t id = r.u16();
        const QByteArray name = r.string();
        if (r.failed())
            return broken("ExportAssets"); // the names before the damage stay exported
        if (!movie_.budget().takeRecords(1))
            return failure(broken("ExportAssets"));
        movie_.exportName(name, id);
    }
    return {};
}

Result<void> TagParser::parseSoundControl(uint16_t code, Reader& r, Timeline& timeline) {
    switch (code) {
    case tag::StartSound:
    case tag::StartSound2: {
        auto cmd = parseStartSound(code, r);
        if (!cmd)
            return cmd.error();
        if (!movie_.budget().takeRecords(1))
            return failure(broken("StartSound"));
        timeline.pending.sounds.push_back(std::move(cmd.value()));
        return {};
    }
    case tag::SoundStreamHead:
    case tag::SoundStreamHead2: {
        auto head = parseSoundStreamHead(r);
        if (!head)
            return head.error();
        // A second head would change the format under blocks already read; the first wins.
        if (!timeline.streamHead)
            timeline.streamHead = std::make_shared<SoundStreamHead>(head.value());
        return {};
    }
    default: // SoundStreamBlock
        // Blocks before any head cannot be decoded; Flash plays nothing for them.
        if (timeline.streamHead && r.remaining() > 0)
            timeline.pending.streamBlock = r.bytes(r.remaining());
        return {};
    }
}

Result<void> TagParser::parseVideoFrame(Reader& r) {
    auto frame = swf::parseVideoFrame(r);
    if (!frame)
        return frame.error();
    const Character* c = movie_.character(frame.value().streamId);
    if (!c || c->kind() != Character::Kind::Video)
        return {}; // frames of no stream show nowhere
    if (!movie_.budget().takeRecords(1))
        return failure(broken("VideoFrame"));
    const auto& video = static_cast<const VideoCharacter&>(*c);
    QByteArray& data = frame.value().data;
    if (video.info().codec == videocodec::H264 && !data.isEmpty() && data[0] == 0) {
        // The decoder's configuration, not a picture: it takes no frame number.
        if (data.size() > 4)
            video.frames().setDecoderConfig(data.mid(4));
        return {};
    }
    const bool key = isVideoKeyFrame(video.info().codec, data);
    video.frames().add(frame.value().frameNumber, VideoFrameData{std::move(data), key});
    return {};
}

Result<void> TagParser::parseDefinition(uint16_t code, Reader& r) {
    switch (code) {
    case tag::DefineVideoStream: {
        auto video = parseDefineVideoStream(r);
        if (!video)
            return video.error();
        // Each player decodes into a picture of the stream's size. A stream larger than any
        // made is left out (its frames with it); the rest of the movie plays on.
        const VideoStreamInfo& info = video.value()->info();
        if (static_cast<uint64_t>(info.width) * info.height > kMaxVideoPixels)
            return {};
        if (!movie_.budget().takePixels(static_cast<uint64_t>(info.width) * info.height))
            return failure(broken("DefineVideoStream"));
        movie_.define(std::move(video.value()));
        return {};
    }
    case tag::DefineSound: {
        auto sound = parseDefineSound(r);
        if (!sound)
            return sound.error();
        movie_.define(std::move(sound.value()));
        return {};
    }
    case tag::DefineButtonSound: {
        auto sounds = parseDefineButtonSound(r);
        if (!sounds)
            return sounds.error();
        const Character* c = movie_.character(sounds.value().buttonId);
        if (!c || c->kind() != Character::Kind::Button)
            return {}; // sounds for no button play nowhere
        movie_.redefine(
            static_cast<const ButtonCharacter*>(c)->withSounds(std::move(sounds.value().sounds)));
        return {};
    }
    case tag::DefineButtonCxform:
        return parseButtonCxform(r);
    case tag::ExportAssets:
        return parseExports(r);
    case tag::DefineScalingGrid: {
        const uint16_t id = r.u16();
        const QRectF grid = r.rect();
        const Character* c = movie_.character(id);
        // A grid only changes how a sprite scales: a damaged one, one for no sprite or an
        // empty one is left out and the movie goes on.
        if (r.failed() || !c || c->kind() != Character::Kind::Sprite || !grid.isValid())
            return {};
        auto copy = std::make_shared<SpriteCharacter>(id);
        copy->timeline() = static_cast<const SpriteCharacter*>(c)->timeline();
        copy->timeline().scalingGrid = grid;
        movie_.redefine(std::move(copy));
        return {};
    }
    case tag::FileAttributes: {
        const uint8_t flags = r.u8();
        // The flag means nothing before SWF 9, and some converters set it there anyway.
        if (!r.failed() && movie_.header().version >= 9)
            movie_.setActionScript3(flags & 0x08);
        return {};
    }
    case tag::Protect:
    case tag::EnableDebugger:
    case tag::EnableDebugger2:
        return {}; // a password for authoring tools and debuggers, nothing a player heeds
    case tag::DefineShape:
    case tag::DefineShape2:
    case tag::DefineShape3:
    case tag::DefineShape4: {
        auto shape = parseShapeTag(code, r, &movie_.budget());
        if (!shape)
            return failure(shape.error());
        movie_.define(std::move(shape.value()));
        return {};
    }
    case tag::DefineMorphShape:
    case tag::DefineMorphShape2: {
        auto morph = parseMorphShapeTag(code, r, &movie_.budget());
        if (!morph)
            return failure(morph.error());
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
        auto bitmap = parseBitmapTag(code, r, movie_.jpegTables(), &movie_.budget());
        if (!bitmap)
            return failure(bitmap.error());
        movie_.define(std::move(bitmap.value()));
        return {};
    }
    case tag::DefineButton:
    case tag::DefineButton2: {
        auto button = parseButtonTag(code, r, movie_.budget());
        if (!button)
            return failure(button.error());
        movie_.define(std::move(button.value()));
        return {};
    }
    case tag::DefineFont:
    case tag::DefineFont2:
    case tag::DefineFont3:
    case tag::DefineFontInfo:
    case tag::DefineFontInfo2:
    case tag::DefineFontName:
    case tag::DefineFontAlignZones:
    case tag::DefineText:
    case tag::DefineText2:
    case tag::DefineEditText:
    case tag::CSMTextSettings:
        return parseTextDefinition(code, r);
    default:
        return {}; // not ours (yet): skipped by its length
    }
}

} // namespace swf
