#pragma once

#include "skin/format/ByteReader.h"
#include "skin/format/ByteWriter.h"
#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

namespace skin::description {

// The skin description: five header strings, the bitmaps, the top-level objects. Reading
// clears the source first; on an error whatever was read before it stays in the source.
void read(TSeSkinSource& source, ByteReader& reader, const SkinClassRegistry& registry);
void write(const TSeSkinSource& source, ByteWriter& out, const SkinClassRegistry& registry);

// The packed variant: bitmaps as 16-bit BMP files, objects in the binary form.
void readPacked(TSeSkinSource& source, ByteReader& reader, const SkinClassRegistry& registry);
void writePacked(const TSeSkinSource& source, ByteWriter& out, const SkinClassRegistry& registry);

} // namespace skin::description
