#include "magnifier/own_pixels.h"

#include <algorithm>
#include <utility>

namespace ocural {

namespace {

// The region of `w` that shows on the screen, children included, in screen
// coordinates: its outline, less what other windows and the screen's edges
// hide. Null when the system cannot say.
win::Region VisibleRegion(HWND w) {
  win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  HDC dc = GetDCEx(w, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!rgn || !dc) {
    if (dc) ReleaseDC(w, dc);
    return win::Region();
  }
  const int got = GetRandomRgn(dc, rgn.get(), SYSRGN);
  ReleaseDC(w, dc);
  return got == 1 ? std::move(rgn) : win::Region();
}

// Marks the part of `r` that falls inside `place` with `what`.
void Mark(const RECT& rect, const RECT& place, Cover what, std::vector<Cover>& cover) {
  RECT r{};
  if (!IntersectRect(&r, &rect, &place)) return;
  const int width = place.right - place.left;
  for (LONG y = r.top; y < r.bottom; ++y) {
    Cover* row = &cover[static_cast<size_t>(y - place.top) * static_cast<size_t>(width)];
    std::fill(row + (r.left - place.left), row + (r.right - place.left), what);
  }
}

// Marks the rectangles of `rgn` that fall inside `place` with `what`.
void Mark(HRGN rgn, const RECT& place, Cover what, std::vector<Cover>& cover) {
  const DWORD bytes = GetRegionData(rgn, 0, nullptr);
  if (bytes < sizeof(RGNDATAHEADER)) return;
  std::vector<char> data(bytes);
  auto* rd = reinterpret_cast<RGNDATA*>(data.data());
  if (GetRegionData(rgn, bytes, rd) != bytes) return;
  const auto* rects = reinterpret_cast<const RECT*>(rd->Buffer);
  for (DWORD i = 0; i < rd->rdh.nCount; ++i) Mark(rects[i], place, what, cover);
}

}  // namespace

void OwnPixels::Take(HWND window, HWND lens, HDC screen, const RECT& screens) {
  place_ = RECT{};
  RECT wr{};
  if (!IsWindowVisible(window) || !GetWindowRect(window, &wr) || !IntersectRect(&place_, &wr, &screens)) {
    place_ = RECT{};
    return;
  }
  const int width = place_.right - place_.left;
  const int height = place_.bottom - place_.top;
  if ((image_.width() != width || image_.height() != height) && !image_.Create(width, height)) {
    place_ = RECT{};
    return;
  }
  BitBlt(image_.dc(), 0, 0, width, height, screen, place_.left, place_.top, SRCCOPY);
  GdiFlush();

  cover_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), Cover::None);
  win::Region body = VisibleRegion(window);
  if (!body) {
    // Without the visible region, the whole rectangle counts as body.
    std::fill(cover_.begin(), cover_.end(), Cover::Body);
    return;
  }
  Mark(body.get(), place_, Cover::Body, cover_);
  if (lens && IsWindowVisible(lens)) {
    win::Region glass = VisibleRegion(lens);
    if (glass) Mark(glass.get(), place_, Cover::Lens, cover_);
  }
  // Windows above this one. Windows leaves them out of the visible region
  // already; Wine on X leaves the stacking of top-level windows to the X
  // server and does not.
  for (HWND w = GetWindow(window, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
    RECT r{};
    if (IsWindowVisible(w) && GetWindowRect(w, &r)) Mark(r, place_, Cover::None, cover_);
  }
  // Only pixels where the screen shows what the window drew count. Under Wine
  // a window's drawing reaches the X server a little later: just after it
  // was shown or redrawn, its place can still show what lay there before,
  // and that place would look stale for ever.
  if (!drawn_.dc() || drawn_.width() != width || drawn_.height() != height) drawn_.Create(width, height);
  HDC own = GetDCEx(window, nullptr, DCX_WINDOW | DCX_CACHE);
  if (!own || !drawn_.dc()) {
    if (own) ReleaseDC(window, own);
    return;
  }
  BitBlt(drawn_.dc(), 0, 0, width, height, own, place_.left - wr.left, place_.top - wr.top, SRCCOPY);
  ReleaseDC(window, own);
  GdiFlush();
  const DWORD* shown = image_.bits();
  const DWORD* drawn = drawn_.bits();
  for (size_t i = 0; i < cover_.size(); ++i) {
    if (cover_[i] != Cover::None && ((shown[i] ^ drawn[i]) & 0xFFFFFFu) != 0) cover_[i] = Cover::None;
  }
}

SourceRect OwnPixels::StaleArea(const win::DibImage& snapshot, POINT origin) const {
  const RECT held{origin.x, origin.y, origin.x + snapshot.width(), origin.y + snapshot.height()};
  RECT judged{};
  if (!snapshot.bits() || !IntersectRect(&judged, &place_, &held)) return {};
  const int width = judged.right - judged.left;
  const int height = judged.bottom - judged.top;
  const size_t placeWidth = static_cast<size_t>(place_.right - place_.left);
  const size_t inX = static_cast<size_t>(judged.left - place_.left), inY = static_cast<size_t>(judged.top - place_.top);
  const PixelView before{reinterpret_cast<const uint32_t*>(image_.bits()) + inY * placeWidth + inX,
                         image_.width()};
  const PixelView after{reinterpret_cast<const uint32_t*>(snapshot.bits()) +
                            static_cast<size_t>(judged.top - origin.y) * static_cast<size_t>(snapshot.width()) +
                            static_cast<size_t>(judged.left - origin.x),
                        snapshot.width()};
  SourceRect r = ocural::StaleArea(before, after, cover_.data() + inY * placeWidth + inX,
                                   static_cast<int32_t>(placeWidth), width, height);
  if (r.width <= 0) return {};
  r.x += judged.left;
  r.y += judged.top;
  return r;
}

void WaitForComposedFrame() {
  using IsEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using FlushFn = HRESULT(WINAPI*)();
  // Looked up once, from the system folder only; systems before Vista have
  // no composition and no such library.
  static const auto functions = [] {
    std::pair<IsEnabledFn, FlushFn> f{nullptr, nullptr};
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 12 >= MAX_PATH) return f;
    lstrcatW(path, L"\\dwmapi.dll");
    HMODULE dwm = LoadLibraryW(path);
    if (!dwm) return f;
    f.first = reinterpret_cast<IsEnabledFn>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
    f.second = reinterpret_cast<FlushFn>(reinterpret_cast<void*>(GetProcAddress(dwm, "DwmFlush")));
    return f;
  }();
  if (!functions.first || !functions.second) return;
  BOOL composed = FALSE;
  if (SUCCEEDED(functions.first(&composed)) && composed) functions.second();
}

}  // namespace ocural
