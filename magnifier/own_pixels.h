// What the magnifier shows on the screen where it stands, read just before a
// snapshot moves it away, so that the snapshot can tell whether the place it
// left shows the rest of the screen yet.
#pragma once

#include <windows.h>

#include <vector>

#include "magnifier/core/stale_area.h"
#include "platform/win/handles.h"

namespace ocural {

class OwnPixels {
 public:
  // Reads the window's place off `screen` (a DC of the whole screen, screen
  // coordinates), within `screens` (the monitors' bounds), and notes which of
  // its pixels are the window's own: those of its visible region that show
  // what it drew, with the lens's marked apart. A hidden window leaves
  // nothing to compare.
  void Take(HWND window, HWND lens, HDC screen, const RECT& screens);
  // The part of a snapshot whose top-left pixel is screen point `origin`
  // that still shows the window where it stood, in screen coordinates; width
  // 0 when none does. Only the part of the place the snapshot holds is judged.
  SourceRect StaleArea(const win::DibImage& snapshot, POINT origin) const;

 private:
  RECT place_{};  // the window's rectangle on the screen, clipped to it
  win::DibImage image_;  // what the screen showed there
  win::DibImage drawn_;  // what the window drew there
  std::vector<Cover> cover_;
};

// On a composing desktop, waits until the windows' latest drawing is on the
// screen (the next composed frame); returns at once where nothing composes.
void WaitForComposedFrame();

}  // namespace ocural
