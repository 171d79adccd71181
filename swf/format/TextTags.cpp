// The font and text tags of TagParser.

#include "swf/format/EditText.h"
#include "swf/format/Font.h"
#include "swf/format/Movie.h"
#include "swf/format/TagParser.h"
#include "swf/format/Text.h"

namespace swf {

// A damaged font or text costs the movie that one definition (its text is not shown), not
// the rest of the movie; only a movie past its budget is refused.
Result<void> TagParser::parseTextDefinition(uint16_t code, Reader& r) {
    const int version = movie_.header().version;
    switch (code) {
    case tag::DefineFont:
    case tag::DefineFont2:
    case tag::DefineFont3: {
        auto font = parseFontTag(code, r, version, &movie_.budget());
        if (!font)
            return movie_.budget().exceeded() ? failure(font.error()) : Result<void>();
        movie_.define(std::move(font.value()));
        return {};
    }
    case tag::DefineFontInfo:
    case tag::DefineFontInfo2:
    case tag::DefineFontName:
    case tag::DefineFontAlignZones: {
        const uint16_t id = r.u16();
        const Character* c = movie_.character(id);
        if (r.failed() || !c || c->kind() != Character::Kind::Font)
            return {}; // about a font that is not there: nothing to amend
        const auto& font = static_cast<const FontCharacter&>(*c);
        auto amended = code == tag::DefineFontName         ? applyFontName(font, r)
                       : code == tag::DefineFontAlignZones ? applyAlignZones(font, r)
                                                           : applyFontInfo(font, code, r, version);
        if (!amended)
            return {};
        movie_.redefine(std::move(amended.value()));
        return {};
    }
    case tag::DefineText:
    case tag::DefineText2: {
        auto text = parseTextTag(code, r, &movie_.budget());
        if (!text)
            return movie_.budget().exceeded() ? failure(text.error()) : Result<void>();
        movie_.define(std::move(text.value()));
        return {};
    }
    case tag::DefineEditText: {
        auto field = parseEditTextTag(r);
        if (!field)
            return {};
        movie_.define(std::move(field.value()));
        return {};
    }
    case tag::CSMTextSettings: {
        const uint16_t id = r.u16();
        const TextRenderSettings settings = readTextSettings(r);
        const Character* c = movie_.character(id);
        if (r.failed() || !c)
            return {};
        if (c->kind() == Character::Kind::Text)
            movie_.redefine(static_cast<const StaticTextCharacter*>(c)->withSettings(settings));
        else if (c->kind() == Character::Kind::EditText)
            movie_.redefine(static_cast<const EditTextCharacter*>(c)->withSettings(settings));
        return {};
    }
    default:
        return {};
    }
}

} // namespace swf
