// Drawing the magnified source rectangle of a snapshot into the lens image.
#pragma once

#include <windows.h>

#include "magnifier/core/lens_math.h"

namespace ocural {

// Copies `src` of the snapshot (snapW x snapH, device coordinates = screen
// coordinates) into the lens image (lensW x lensH), enlarged without
// smoothing: 1:1 with BitBlt at factor 1, StretchBlt otherwise. Where the
// source rectangle leaves the snapshot the lens keeps what it already holds
// (its cleared background).
void DrawLens(HDC lensDC, int lensW, int lensH, HDC snapDC, int snapW, int snapH, const SourceRect& src, int zoom);

}  // namespace ocural
