#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "skin/model/TSeBitmap.h"

namespace skin::bmp {

// A Windows BMP file of the bitmap at 16 bits per pixel (5 bits per channel), as the packed
// skin variant stores bitmaps.
std::string encode16(const TSeBitmap& bitmap);

// Decodes an uncompressed BMP file (1, 4, 8, 16, 24 or 32 bits per pixel, with or without
// bit-field masks) into opaque pixels. Throws SkinError for anything else or cut short, and
// for an image of more than `maxPixels` pixels, before anything is allocated for it.
std::unique_ptr<TSeBitmap> decode(std::string_view file, std::string name, std::size_t maxPixels);

} // namespace skin::bmp
