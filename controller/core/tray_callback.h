// What a mouse message on the notification-area icon asks for. The icon
// reports to its window with the callback message (WM_MOUSEMOVE) and the
// mouse message in the low word of lParam, which a form sees as its X value.
#pragma once

#include <cstdint>

namespace ocural {

enum class TrayAction {
  Nothing,
  ActivateMain,           // bring the magnifier to the front
  ActivateMainThenPopup,  // the same, then open its menu
};

// From the mouse message itself: only the button releases do something, so
// a double click is not taken twice and a press does not act before the
// button comes up.
constexpr TrayAction TrayActionForMouseMessage(uint32_t mouseMessage) {
  switch (mouseMessage) {
    case 0x202:  // WM_LBUTTONUP
      return TrayAction::ActivateMain;
    case 0x205:  // WM_RBUTTONUP
      return TrayAction::ActivateMainThenPopup;
    default:  // moves, presses, double clicks and anything else
      return TrayAction::Nothing;
  }
}

}  // namespace ocural
