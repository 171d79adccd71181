#pragma once

// The four drawing qualities of Flash (_quality, the control's Quality) and what each one
// changes: low draws hard edges and unsmoothed bitmaps; medium smooths the edges of shapes
// but not bitmaps; high smooths bitmaps too where the movie asks for it; best smooths every
// bitmap, whatever the movie asks.

#include "swf/display/StageQuality.h"

namespace swf {

inline bool antialiasesShapes(RenderQuality q) {
    return q != RenderQuality::Low;
}

// Whether a bitmap whose own smoothing flag is `requested` is drawn smoothed.
inline bool smoothsBitmaps(RenderQuality q, bool requested) {
    return q == RenderQuality::Best || (q == RenderQuality::High && requested);
}

} // namespace swf
