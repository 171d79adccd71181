#pragma once

// Draws text fields and static text: glyph outlines filled through the painter with the
// object's matrix and colour transform, like shapes; for edit text also the border and
// background, the selection and the caret, clipped to the field.

#include "swf/format/Types.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace swf {

class Movie;
class TextField;

// m maps the field's twips to the device. movie is the dictionary static text fonts come from.
void paintTextField(QPainter& painter, const TextField& field, const Movie* movie,
                    const QTransform& m, const ColorTransform& cx);

// What the text draws, as one outline in the field's own space, for masks.
QPainterPath textFieldOutline(const TextField& field, const Movie* movie);

} // namespace swf
