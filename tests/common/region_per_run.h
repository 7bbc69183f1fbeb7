// The outline region made one rectangle at a time (CreateRectRgn and
// CombineRgn per run): the plain way the program's faster region building
// is checked against and measured by.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/win/handles.h"
#include "skin/core/region_runs.h"

namespace ocural_test {

inline HRGN BuildRegionPerRun(const std::vector<ocural::RunRect>& rects) {
  ocural::win::Region whole(CreateRectRgn(0, 0, 0, 0));
  if (!whole) return nullptr;
  for (const ocural::RunRect& r : rects) {
    HRGN run = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    if (!run) return nullptr;
    const int result = CombineRgn(whole.get(), whole.get(), run, RGN_OR);
    DeleteObject(run);
    if (result == ERROR) return nullptr;
  }
  return whole.release();
}

}  // namespace ocural_test
