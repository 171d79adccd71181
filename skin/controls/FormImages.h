#pragma once

// The frame's own pictures, drawn here rather than loaded: the glyphs of the system menu's
// items (the images named "SE_FORM_CLOSE" .. "SE_FORM_TRAY") and of the plain frame's caption
// buttons.

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

namespace skin::formimages {

// The image of a name, 16 x 16 by default, drawn in the colour; a null image for a name that
// is not one of ours.
QImage image(const QString& name, QColor colour = Qt::black, int size = 16);

// The system menu's image list, indices 0 to 5: close, minimize, maximize, restore, roll up,
// tray.
QList<QPixmap> systemMenuImages();

// The names of that list, in its order.
const QList<QString>& systemMenuImageNames();

} // namespace skin::formimages
