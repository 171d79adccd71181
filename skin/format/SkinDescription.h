#pragma once

#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

#include <cstddef>

namespace skin::description {

// The most pixels the bitmaps of one skin may hold together: 128 MiB of pixel memory. Real
// skins hold a few hundred thousand; the packed variant's 1-bit BMPs would otherwise let a
// few kilobytes of file ask for gigabytes.
constexpr std::size_t kMaxSkinPixels = std::size_t(32) << 20;

// Throws SkinError naming the first bitmap that a reader would refuse: a side over
// TSeBitmap::kMaxSide, or the pixel budget used up. The writers check this first, so they
// never write a skin that cannot be read back.
void checkBitmapSizes(const TSeSkinSource& source);

// The skin description: five header strings, the bitmaps, the top-level objects. Reading
// clears the source first; on an error whatever was read before it stays in the source.
void read(TSeSkinSource& source, ByteReader& reader, const SkinClassRegistry& registry);
void write(const TSeSkinSource& source, ByteWriter& out, const SkinClassRegistry& registry);

// The packed variant: bitmaps as 16-bit BMP files, objects in the binary form.
void readPacked(TSeSkinSource& source, ByteReader& reader, const SkinClassRegistry& registry);
void writePacked(const TSeSkinSource& source, ByteWriter& out, const SkinClassRegistry& registry);

} // namespace skin::description
