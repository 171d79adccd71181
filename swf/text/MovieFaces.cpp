#include "swf/text/MovieFaces.h"

#include "swf/format/Font.h"
#include "swf/format/Movie.h"

namespace swf::text {

MovieFaces::MovieFaces(const Movie* movie, bool embed, std::optional<uint16_t> defaultFont,
                       DeviceFonts& device)
    : movie_(movie), embed_(embed), defaultFont_(defaultFont), device_(device) {}

std::shared_ptr<const FontCharacter> MovieFaces::findFont(const Movie& movie, const QString& name,
                                                          bool bold, bool italic) {
    std::shared_ptr<const FontCharacter> best;
    int bestScore = -1;
    // The dictionary is keyed by id; fonts are few, and the result is kept by the caller.
    for (uint32_t id = 0; id <= 0xffff; ++id) {
        const Character* c = movie.character(static_cast<uint16_t>(id));
        if (!c || c->kind() != Character::Kind::Font)
            continue;
        const auto& font = static_cast<const FontCharacter&>(*c);
        if (font.name().compare(name, Qt::CaseInsensitive) != 0 || font.glyphs().empty())
            continue;
        const int score = (font.bold() == bold) * 2 + (font.italic() == italic);
        if (score > bestScore) {
            bestScore = score;
            best = std::static_pointer_cast<const FontCharacter>(
                movie.characterShared(static_cast<uint16_t>(id)));
        }
    }
    return best;
}

std::shared_ptr<const TextFace> MovieFaces::face(const TextFormat& f) {
    const auto key = std::make_tuple(f.font, f.bold, f.italic);
    const auto it = cache_.find(key);
    if (it != cache_.end())
        return it->second;
    std::shared_ptr<const TextFace> face;
    if (embed_ && movie_) {
        std::shared_ptr<const FontCharacter> font;
        if (defaultFont_) {
            auto own = std::dynamic_pointer_cast<const FontCharacter>(
                movie_->characterShared(*defaultFont_));
            if (own &&
                (own->name().compare(f.font, Qt::CaseInsensitive) == 0 || own->name().isEmpty()) &&
                own->bold() == f.bold && own->italic() == f.italic)
                font = own;
        }
        if (!font)
            font = findFont(*movie_, f.font, f.bold, f.italic);
        if (font)
            face = std::make_shared<EmbeddedFace>(font);
    } else {
        face = device_.face(f.font, f.bold, f.italic);
    }
    cache_.emplace(key, face);
    return face;
}

std::shared_ptr<const TextFace> MovieFaces::fallback(char32_t c, const TextFormat& f) {
    if (embed_)
        return nullptr;
    return device_.fallbackFor(c, f.bold, f.italic);
}

} // namespace swf::text
