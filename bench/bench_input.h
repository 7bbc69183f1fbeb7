// Real mouse input for the benchmarks, in screen pixels.
#pragma once

#include <windows.h>

namespace ocural::bench {

// One mouse event through SendInput; (x, y) counts with MOUSEEVENTF_ABSOLUTE.
inline void SendMouse(DWORD flags, int x = 0, int y = 0) {
  // Absolute coordinates run 0..65535 over the screen; rounding up lands on
  // the pixel asked for.
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((static_cast<long long>(x) * 65536 + w - 1) / w);
  in.mi.dy = static_cast<LONG>((static_cast<long long>(y) * 65536 + h - 1) / h);
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(in));
}

}  // namespace ocural::bench
