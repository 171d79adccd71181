#pragma once

// Whether controls take the desktop theme's look. The desktop's own styles (Breeze, the GTK
// bridge and the like) are themes; Qt's built-in "Windows" and "Fusion" looks stand for the
// classic, unthemed desktop.

namespace skin {

enum class TSeThemedLook { Automatic, Always, Never };

bool visualThemesActive();
// A control's setting resolved against the desktop.
bool themedLook(TSeThemedLook look);

} // namespace skin
