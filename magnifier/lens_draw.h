// Drawing the magnified source rectangle of a snapshot into the lens image.
#pragma once

#include <windows.h>

#include "magnifier/core/lens_math.h"

namespace ocural {

// Copies `src` (screen pixels) of the snapshot into the lens image (lensW x
// lensH), enlarged without smoothing: 1:1 with BitBlt at factor 1,
// StretchBlt otherwise. The snapshot's image holds the screen rectangle
// `snapArea`, its top-left pixel at the image's origin. Where the source
// rectangle leaves that rectangle the lens keeps what it already holds (its
// cleared background).
void DrawLens(HDC lensDC, int lensW, int lensH, HDC snapDC, const SourceRect& snapArea, const SourceRect& src,
              int zoom);

}  // namespace ocural
