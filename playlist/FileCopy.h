#pragma once

#include <QString>

namespace playlist {

// Copies a file to a new name, never replacing a file that exists there: the target is
// created exclusively, so even a file that appears between the dialog and the copy is left
// alone. A failed copy removes what it wrote. Returns whether the copy was made.
bool copyFileRefusingExisting(const QString& source, const QString& target);

} // namespace playlist
