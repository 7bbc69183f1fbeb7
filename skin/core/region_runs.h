// The outline of a skinned window: the rows of a picture cut into runs of
// pixels that are not the transparent colour, and those runs laid out as the
// region data that Windows builds a window region from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ocural {

// A transparent colour above 0xFFFFFF means: take the picture's top-left pixel.
constexpr int32_t UseTopLeftColor = 0x1000000;

// A rectangle in window coordinates (y = 0 at the top); right and bottom are
// one past the last pixel.
struct RunRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

inline bool operator==(const RunRect& a, const RunRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const RunRect& a, const RunRect& b) { return !(a == b); }

// The pixels of a picture that it marks wholly transparent (alpha 0), row by
// row from the top. Empty when it marks none: such a picture is opaque.
struct ClearMask {
  int width = 0;
  int height = 0;
  std::vector<bool> clear;  // width * height when not empty
  bool Empty() const { return clear.empty(); }
  // Whether (x, y), counted from the top-left, is marked; false outside the picture.
  bool At(int x, int y) const {
    return !clear.empty() && x >= 0 && y >= 0 && x < width && y < height &&
           clear[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// The mask of a top-down picture of 0xAARRGGBB pixels. A picture in which
// no pixel or every pixel has alpha 0 gives an empty mask: it is opaque.
ClearMask ClearMaskOf(const uint32_t* topDownArgb, int width, int height);

// The pixel that the transparent colour names: the colour itself, or the
// top-left pixel of the picture for values above 0xFFFFFF. Pixels are laid out
// as GetDIBits gives them for a positive height: row 0 of the buffer is the
// picture's bottom row, each pixel 0x00RRGGBB. Negative colours are taken as
// their 32-bit pattern, which no pixel read back from a picture has.
uint32_t TransparentKey(const uint32_t* bottomUpPixels, int width, int height,
                        int32_t transparentColour);

// Every run of pixels that differ (as whole 32-bit values) from the transparent
// key and are not marked in `clear`, one rectangle one pixel high per run,
// rows from the top, runs left to right. Nothing is merged across rows. No
// pixels (null buffer, a width or height below 1) give no runs. When the key
// is the top-left pixel and that pixel is marked clear, its colour cuts
// nothing: the marked pixels alone are the background.
std::vector<RunRect> OpaqueRuns(const uint32_t* bottomUpPixels, int width, int height,
                                int32_t transparentColour, const ClearMask& clear = ClearMask{});

// Region data for ExtCreateRegion: a 32-byte RGNDATAHEADER (dwSize 32,
// iType 1 for rectangles, nCount, nRgnSize = 16 * nCount, the bounding
// rectangle) followed by the rectangles, four little-endian 32-bit values each.
// No rectangles give a header alone with count 0 and a zero bounding rectangle.
// More than kMaxRegionRects rectangles, whose data would not have its size in
// 32 bits, throw std::bad_alloc, as running out of memory does.
constexpr size_t kRegionHeaderSize = 32;
constexpr size_t kRegionRectSize = 16;
constexpr size_t kMaxRegionRects = (size_t{0xFFFFFFFFu} - kRegionHeaderSize) / kRegionRectSize;
std::vector<uint8_t> BuildRegionData(const RunRect* rects, size_t count);
inline std::vector<uint8_t> BuildRegionData(const std::vector<RunRect>& rects) {
  return BuildRegionData(rects.data(), rects.size());
}

}  // namespace ocural
