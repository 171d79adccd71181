#pragma once

// The application's icon as the program carries it: the window icon, and the files the file
// association installs into the user's hicolor icon theme.

#include "platform/FileAssociation.h"

#include <QIcon>
#include <QList>

namespace app {

// Every size the program carries, for window frames, task bars and switchers.
QIcon applicationIcon();
// The hicolor theme's files: NxN/apps/quarvel-flash.png for each size, and
// scalable/apps/quarvel-flash.svg.
QList<platform::IconFile> applicationIconFiles();

} // namespace app
