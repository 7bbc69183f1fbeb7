// Shapes a skinned window to its body picture: every pixel of the picture
// that is not the transparent colour belongs to the window, every other pixel
// is cut away.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/core/region_runs.h"

namespace ocural::VBRGN {

// A transparent colour above 0xFFFFFF means: the picture's top-left pixel.
constexpr int32_t UseTopLeftColor = ::ocural::UseTopLeftColor;

// Wine hands a window's region to the X server in one request, which holds at
// most this many rectangles; a longer one ends the program. Under Wine such
// outlines are refused.
constexpr size_t kWineMaxRegionRects = 32767;

// What an outline with no pixel left in it does to the window.
enum class EmptyOutline {
  Apply,           // the window is cut away entirely (a lens whose picture is all white)
  KeepWindowWhole  // the window loses any region and stays whole, so it can still be seen and used
};

// Reads the window's outer size worth of pixels from image (GetDIBits through
// dc, 32 bits, bottom-up), cuts out the transparent colour and the pixels
// `clear` marks (see OpaqueRuns) and sets the result
// as the window's region, redrawing the window. The window owns the region
// from then on. Returns the region applied, or nullptr when none was applied:
// the picture could not be read, no region could be made or applied, or under
// Wine an outline of more than kWineMaxRegionRects rectangles (the window
// keeps the region it had in these cases), or an empty outline with
// EmptyOutline::KeepWindowWhole (the window is left without a region).
HRGN ShapeWindow(HWND hwnd, HDC dc, HBITMAP image, int32_t transparentColour,
                 EmptyOutline whenEmpty = EmptyOutline::Apply, const ClearMask& clear = ClearMask{});

// The region of the rectangles: one ExtCreateRegion call for lists of up to
// about a thousand (every bundled skin); longer lists, and lists the single
// call is refused for, go through BuildRegionInChunks. No rectangles give an
// empty region. nullptr when GDI fails.
HRGN BuildRegion(const std::vector<RunRect>& rects);

// The region made from blocks of at most chunkRects rectangles (0: the
// default size), one ExtCreateRegion each, joined pairwise with CombineRgn so
// each rectangle is copied about log2(blocks) times.
HRGN BuildRegionInChunks(const std::vector<RunRect>& rects, size_t chunkRects);

// Deletes a region the caller still owns. 0 for a null handle, otherwise
// DeleteObject's result.
int DeleteRegion(HRGN region);

}  // namespace ocural::VBRGN
