// Reading the lens of the running program off the screen and checking it
// against the source rectangle its place and factor give.
#pragma once

#include <cmath>
#include <string>

#include "tests/common/lens_check.h"
#include "tests/e2e/harness.h"

namespace ocural::e2e {

using testing::CheckMagnified;
using testing::ExpectedSource;

// The source rectangle for a lens at `r`, worked out here on its own:
// centred, 1/zoom of the size, halves rounded to even at every step.
inline ExpectedSource SourceFor(const RECT& r, int zoom) {
  const double w = r.right - r.left, h = r.bottom - r.top;
  const double cx = std::nearbyint(w / 2 + r.left), cy = std::nearbyint(h / 2 + r.top);
  ExpectedSource s;
  // A factor so large that the size rounds to 0 keeps one pixel.
  s.width = std::max(1, static_cast<int>(std::nearbyint(w / zoom)));
  s.height = std::max(1, static_cast<int>(std::nearbyint(h / zoom)));
  s.x = static_cast<int>(std::nearbyint(cx - s.width / 2.0));
  s.y = static_cast<int>(std::nearbyint(cy - s.height / 2.0));
  return s;
}

// Reads the lens off the screen and checks it; "" when it is right.
inline std::string LensShows(const OcuralApp& app, int zoom, int phase) {
  const RECT r = app.LensRect();
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return "no lens on the screen";
  const ScreenShot shot(r);
  return CheckMagnified([&](int i, int j) { return shot.At(i, j); }, w, h, SourceFor(r, zoom), phase);
}

// Waits until the lens is right, or gives the last complaint.
inline std::string WaitForLens(const OcuralApp& app, int zoom, int phase, DWORD timeoutMs = 10000) {
  std::string last;
  WaitFor(
      [&] {
        last = LensShows(app, zoom, phase);
        return last.empty();
      },
      timeoutMs);
  if (!last.empty()) {
    static int n = 0;  // one counter per test program is enough for file names
    const RECT r = app.LensRect();
    SaveFailureShot("lens-" + std::to_string(++n));
    last += " (lens at " + std::to_string(r.left) + "," + std::to_string(r.top) + ")";
  }
  return last;
}

inline void MoveWindowTo(HWND w, int x, int y) {
  SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ocural::e2e
