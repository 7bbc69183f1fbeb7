#include "platform/win/monitors.h"

namespace ocural::win {

namespace {

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) noexcept {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  try {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<WorkArea>*>(list)->push_back(WorkArea{r.left, r.top, r.right, r.bottom});
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

std::vector<WorkArea> WorkAreas() {
  std::vector<WorkArea> works;
  EnumDisplayMonitors(nullptr, nullptr, &CollectWorkArea, reinterpret_cast<LPARAM>(&works));
  return works;
}

std::vector<PixelRect> OutlineOf(HWND window) {
  std::vector<PixelRect> outline;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (!region) return outline;
  const int kind = GetWindowRgn(window, region);
  const DWORD size = kind == SIMPLEREGION || kind == COMPLEXREGION ? GetRegionData(region, 0, nullptr) : 0;
  if (size >= sizeof(RGNDATAHEADER)) {
    std::vector<unsigned char> bytes(size);
    auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
    if (GetRegionData(region, size, data) == size) {
      const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        outline.push_back(PixelRect{rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
      }
    }
  }
  DeleteObject(region);
  return outline;
}

std::optional<POINT> PlaceWithinReach(HWND window) noexcept {
  RECT r{};
  if (!GetWindowRect(window, &r)) return std::nullopt;
  try {
    const WindowPlace at{r.left, r.top};
    const WindowPlace to = ReachablePlace(at, r.right - r.left, r.bottom - r.top, OutlineOf(window), WorkAreas());
    if (to == at) return std::nullopt;
    return POINT{to.x, to.y};
  } catch (...) {
    return std::nullopt;  // without memory to judge it, where it is
  }
}

}  // namespace ocural::win
