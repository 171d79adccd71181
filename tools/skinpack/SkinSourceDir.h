#pragma once

#include <QString>

#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

namespace skin {

// Reads a skin from its sources: a folder with a manifest "skin.txt" that gives the header
// strings, the bitmaps (PNG files; transparent pixels become the key pixel) in order, and the
// top-level objects (text-form files, children as nested object blocks) in order:
//
//   SkinName = 'Quarvel'
//   bitmap caption caption.png
//   object form.txt
//
// Throws SkinError naming the file and line of the first problem.
void loadSkinSourceDir(TSeSkinSource& source, const QString& dir,
                       const SkinClassRegistry& registry);

} // namespace skin
