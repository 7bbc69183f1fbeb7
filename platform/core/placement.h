// Where a dialog opens: centred on the screen, but never with its caption off
// the work area, where the user could not reach it to move the dialog.
#pragma once

#include <vector>

namespace ocural {

// A rectangle of pixels; right and bottom exclusive.
struct PixelRect {
  int left, top, right, bottom;
  bool operator==(const PixelRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};
using WorkArea = PixelRect;

struct WindowPlace {
  int x, y;
  bool operator==(const WindowPlace& o) const { return x == o.x && y == o.y; }
};

// The top-left corner of a window `width` x `height` centred on `monitor`,
// moved as little as needed to lie on `work`, that monitor's work area.
// A window larger than the work area keeps its top-left corner, and so its
// caption, on it; what does not fit runs off the right and bottom edges.
WindowPlace CentredOnWorkArea(int width, int height, const WorkArea& monitor, const WorkArea& work);

// Where a window `width` x `height` with its top-left corner at `at` can be
// reached: unchanged when at least `usable` x `usable` pixels of it (all of
// a smaller side) lie on one of `works`, the monitors' work areas; otherwise
// the nearest place that shows it whole on the work area nearest to it
// (top-left first where it does not fit). No work areas: unchanged.
WindowPlace ReachablePlace(WindowPlace at, int width, int height, const std::vector<WorkArea>& works,
                           int usable = 32);

// Whether `outline` (rectangles in window pixels, such as a window region's)
// holds a `needX` x `needY` block that lies on `work` when the window's
// top-left corner is at `at`.
bool OutlineBlockOn(WindowPlace at, const std::vector<PixelRect>& outline, const WorkArea& work, int needX,
                    int needY);

// ReachablePlace judged by what the window shows, its outline (`outline`, in
// window pixels; empty for the whole rectangle): a shaped window whose cut
// away corner is all that lies on a work area is out of reach. The block
// needed is `usable` x `usable`, or all of a smaller side of the window.
// Out of reach, it comes whole onto the nearest work area as there.
WindowPlace ReachablePlace(WindowPlace at, int width, int height, const std::vector<PixelRect>& outline,
                           const std::vector<WorkArea>& works, int usable = 32);

}  // namespace ocural
