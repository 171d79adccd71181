#pragma once

// Bitmaps from the DefineBits family (JPEG, with PNG and GIF allowed inside the JPEG tags, and
// an optional zlib alpha plane) and DefineBitsLossless 1 and 2. Decoded once, at load, into a
// premultiplied image; an image that cannot be decoded stays empty and draws nothing.

#include "swf/format/Character.h"
#include "swf/format/Reader.h"
#include "swf/format/Result.h"

#include <QImage>
#include <memory>
#include <mutex>

namespace swf {

class BitmapCharacter final : public Character {
public:
    BitmapCharacter(uint16_t id, QImage image) : Character(id, Kind::Bitmap), image_(image) {}
    // Format_ARGB32_Premultiplied, or null when the data could not be decoded.
    const QImage& image() const { return image_; }
    // The image with its edge pixels repeated once all round. A clipped bitmap fill does not
    // tile: smoothing at its border must blend with the edge itself, not the opposite side.
    const QImage& paddedImage() const;

private:
    QImage image_;
    mutable QImage padded_;
    mutable std::once_flag paddedOnce_;
};

// Images larger than this many pixels are refused (about 16384 x 16384, Flash's own ceiling).
inline constexpr uint64_t kMaxBitmapPixels = 16384ull * 16384ull;

class MovieBudget;

// Decoded pixels are charged to budget (when given) before the image is made.
Result<std::shared_ptr<BitmapCharacter>> parseBitmapTag(uint16_t code, Reader& r,
                                                        const QByteArray& jpegTables,
                                                        MovieBudget* budget = nullptr);

// Inflates a zlib stream into exactly expectedSize bytes at most; a stream that ends early
// leaves the rest zero. Fails for corrupt data or a size the input could never produce.
bool inflateExactly(const QByteArray& compressed, std::size_t expectedSize, QByteArray& out);

} // namespace swf
