#pragma once

// The glyphs of the box buttons, one 32 x 16 bitmap per button kind: the normal image on the
// left half, the disabled one on the right. Drawn here once per kind and kept.

#include <QPixmap>
#include <QString>

namespace skin {

enum class TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

// The bitmap's resource name for a kind ("SE_BTN_OK" ...); empty for bkCustom.
QString buttonGlyphName(TBitBtnKind kind);
// The two-image bitmap; null for bkCustom. Needs a GUI application.
QPixmap buttonGlyph(TBitBtnKind kind);

} // namespace skin
