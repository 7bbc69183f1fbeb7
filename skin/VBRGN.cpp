#include "skin/VBRGN.h"

#include <algorithm>
#include <new>

#include "platform/win/forms.h"
#include "platform/win/handles.h"

namespace ocural::VBRGN {

namespace {

// Longest list given to ExtCreateRegion in one call, and the block size for
// longer lists (and for lists a single call was refused).
// (Wine builds a region from a list one rectangle at a time, which takes time
// growing with the square of the list's length; short blocks keep it linear.)
constexpr size_t kSingleCallRects = 1024;
constexpr size_t kChunkRects = 64;

size_t RegionRectCount(HRGN region) {
  const DWORD bytes = GetRegionData(region, 0, nullptr);
  return bytes > sizeof(RGNDATAHEADER) ? (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) : 0;
}

HRGN CreateFromRects(const RunRect* rects, size_t count) {
  try {
    const std::vector<uint8_t> data = BuildRegionData(rects, count);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                           reinterpret_cast<const RGNDATA*>(data.data()));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

HRGN BuildRegionInChunks(const std::vector<RunRect>& rects, size_t chunkRects) {
  if (chunkRects == 0) chunkRects = kChunkRects;
  // The blocks are joined pairwise, like a binary counter: a block is only
  // ever joined with one of about its own size, so every rectangle is copied
  // about log2(blocks) times, and only that many regions are alive at once.
  struct Pending {
    win::Region region;
    int level;
  };
  std::vector<Pending> pending;
  for (size_t start = 0; start < rects.size(); start += chunkRects) {
    const size_t count = std::min(chunkRects, rects.size() - start);
    win::Region part(CreateFromRects(rects.data() + start, count));
    if (!part) return nullptr;
    int level = 0;
    while (!pending.empty() && pending.back().level == level) {
      if (CombineRgn(part.get(), pending.back().region.get(), part.get(), RGN_OR) == ERROR) {
        return nullptr;
      }
      pending.pop_back();
      ++level;
    }
    pending.push_back(Pending{std::move(part), level});
  }
  if (pending.empty()) return CreateRectRgn(0, 0, 0, 0);
  win::Region whole = std::move(pending.back().region);
  pending.pop_back();
  while (!pending.empty()) {
    if (CombineRgn(whole.get(), pending.back().region.get(), whole.get(), RGN_OR) == ERROR) {
      return nullptr;
    }
    pending.pop_back();
  }
  return whole.release();
}

HRGN BuildRegion(const std::vector<RunRect>& rects) {
  if (rects.empty()) return CreateRectRgn(0, 0, 0, 0);
  if (rects.size() <= kSingleCallRects) {
    if (HRGN region = CreateFromRects(rects.data(), rects.size())) return region;
  }
  return BuildRegionInChunks(rects, kChunkRects);
}

HRGN ShapeWindow(HWND hwnd, HDC dc, HBITMAP image, int32_t transparentColour, EmptyOutline whenEmpty,
                 const ClearMask& clear) try {
  RECT outer{};
  if (!GetWindowRect(hwnd, &outer)) return nullptr;
  const int w = outer.right - outer.left;
  const int h = outer.bottom - outer.top;
  if (w < 1 || h < 1) return nullptr;

  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  BITMAPINFO bi = win::BottomUpDib32(w, h);  // bottom-up, as the run finder expects
  // Rows the picture does not have stay 0 in the buffer. A picture that
  // cannot be read at all would give an outline of zeros: keep the window as
  // it is instead.
  if (GetDIBits(dc, image, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS) == 0) return nullptr;

  const std::vector<RunRect> runs = OpaqueRuns(pixels.data(), w, h, transparentColour, clear);
  if (runs.empty() && whenEmpty == EmptyOutline::KeepWindowWhole) {
    SetWindowRgn(hwnd, nullptr, TRUE);
    return nullptr;
  }
  win::Region region(BuildRegion(runs));
  if (!region) return nullptr;
  if (forms::RunningUnderWine() && RegionRectCount(region.get()) > kWineMaxRegionRects) return nullptr;
  if (!SetWindowRgn(hwnd, region.get(), TRUE)) return nullptr;  // still ours: deleted here
  return region.release();
} catch (const std::bad_alloc&) {
  return nullptr;
}

int DeleteRegion(HRGN region) {
  if (!region) return 0;
  return DeleteObject(region);
}

}  // namespace ocural::VBRGN
