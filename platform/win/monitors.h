// The monitors' work areas, and whether a window can be reached by the user
// where it stands: a window without a title bar or a taskbar button that
// lies off every monitor is lost to anyone without the keyboard.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/core/placement.h"

namespace ocural::win {

// The work area of every monitor, in virtual-screen pixels.
std::vector<WorkArea> WorkAreas();

// The window's outline: its region's rectangles in window pixels, or nothing
// for a window without a region (its whole rectangle shows).
std::vector<PixelRect> OutlineOf(HWND window);

// Where `window` must go for the user to reach it: nothing while 32 x 32
// pixels of its outline lie on a work area where it stands, else the
// nearest place whole on one (ReachablePlace).
std::optional<POINT> PlaceWithinReach(HWND window) noexcept;

}  // namespace ocural::win
