#pragma once

// The faces a field of a movie draws with: the movie's embedded fonts by name (when the field
// embeds its fonts) or installed fonts through DeviceFonts.

#include "swf/text/DeviceFonts.h"
#include "swf/text/TextLayout.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace swf {
class Movie;
class FontCharacter;
} // namespace swf

namespace swf::text {

class MovieFaces final : public FaceResolver {
public:
    // defaultFont: the font the field's definition names, tried first for its own name.
    MovieFaces(const Movie* movie, bool embed, std::optional<uint16_t> defaultFont,
               DeviceFonts& device);
    std::shared_ptr<const TextFace> face(const TextFormat& f) override;
    std::shared_ptr<const TextFace> fallback(char32_t c, const TextFormat& f) override;

    const Movie* movie() const { return movie_; }
    bool embed() const { return embed_; }

    // The movie's font of that name, closest in boldness and slant; null when none.
    static std::shared_ptr<const FontCharacter> findFont(const Movie& movie, const QString& name,
                                                         bool bold, bool italic);

private:
    const Movie* movie_;
    bool embed_;
    std::optional<uint16_t> defaultFont_;
    DeviceFonts& device_;
    std::map<std::tuple<QString, bool, bool>, std::shared_ptr<const TextFace>> cache_;
};

} // namespace swf::text
