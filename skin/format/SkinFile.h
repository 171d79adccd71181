#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include "skin/model/SkinClassRegistry.h"
#include "skin/model/TSeSkinSource.h"

namespace skin {

// Loads a skin file with the filter its extension names. A relative name that does not exist
// is looked for again in `executableDir`. Returns false, leaving the source as it was, when
// no file is found or no filter matches; throws SkinError when reading fails (what was read
// before the failure stays in the source).
bool loadSkinFile(TSeSkinSource& source, const QString& fileName, const SkinClassRegistry& registry,
                  const QString& executableDir);

// Saves with the filter of the extension, the Compressed filter for any other name; the file
// is replaced only once the whole skin is written.
void saveSkinFile(TSeSkinSource& source, const QString& fileName,
                  const SkinClassRegistry& registry);

// The `SkinStream` property value: a presence byte, then (if not 0) a Compressed container.
// Reading returns whether a skin container was announced and read.
bool readSkinStream(TSeSkinSource& source, QIODevice& device, const SkinClassRegistry& registry);
bool readSkinStream(TSeSkinSource& source, const QByteArray& value,
                    const SkinClassRegistry& registry);
QByteArray writeSkinStream(TSeSkinSource& source, const SkinClassRegistry& registry);

} // namespace skin
