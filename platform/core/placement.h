// Where a dialog opens: centred on the screen, but never with its caption off
// the work area, where the user could not reach it to move the dialog.
#pragma once

#include <vector>

namespace ocural {

struct WorkArea {
  int left, top, right, bottom;  // right and bottom exclusive
};

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

}  // namespace ocural
