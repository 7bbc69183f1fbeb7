#include "magnifier/core/snapshot_policy.h"

#include <algorithm>

namespace ocural {

namespace {

SnapshotDecision Decide(SnapshotEvent event, const SnapshotState& s) {
  const SnapshotDecision keep{SnapshotAction::None, s.putOff, s.posted};
  // A snapshot taken settles whatever waited.
  const SnapshotDecision take{SnapshotAction::Take, false, false};
  if (s.capturing) {
    // The snapshot's own moves and activation changes do nothing; a move by
    // anyone else means the copy may show the window where it now stands.
    if (event == SnapshotEvent::Move && !s.ownMove) return {SnapshotAction::MovedAside, s.putOff, s.posted};
    return keep;
  }
  switch (event) {
    case SnapshotEvent::Requested:
      return take;
    case SnapshotEvent::PressOver:
      return s.putOff && s.visible ? take : keep;
    case SnapshotEvent::Settled:
      return s.posted && s.visible ? take : SnapshotDecision{SnapshotAction::None, s.putOff, false};
    case SnapshotEvent::MenuClosed:
      // The menu may still be on the screen while it closes: come back once
      // it is gone.
      return s.putOff && s.visible ? SnapshotDecision{SnapshotAction::Post, false, true} : keep;
    case SnapshotEvent::Move:
    case SnapshotEvent::Activate:
    case SnapshotEvent::Deactivate:
    case SnapshotEvent::ClickActivate:
      break;
  }
  // Nobody sees the lens of a hidden window: hiding it (a skin reload, the
  // shut-down) deactivates it, and that takes nothing.
  if (!s.visible) return keep;
  if (s.freshLens && event != SnapshotEvent::Move) return keep;
  // A deactivation that brings no other window forward changes nothing on
  // the screen. Wine gives one after each snapshot that took the X focus
  // away; a snapshot for it would be a second one, at an unforeseeable
  // moment, when the next press could find the window away.
  if (event == SnapshotEvent::Deactivate && s.activationToNobody) return keep;
  if (event == SnapshotEvent::ClickActivate && s.holdClickActivation) return {SnapshotAction::PutOff, true, s.posted};
  // An activation is taken once it has settled: while the system is still
  // handing the activation and the focus over, a window that steps off the
  // screen can have them taken away again (under Wine it does).
  if (event == SnapshotEvent::Activate) {
    return s.posted ? keep : SnapshotDecision{SnapshotAction::Post, s.putOff, true};
  }
  return take;
}

}  // namespace

SnapshotDecision DecideSnapshot(SnapshotEvent event, const SnapshotState& s) {
  const SnapshotDecision d = Decide(event, s);
  // Under its open menu the window stays where it is; what it would take
  // waits for the menu to close (asked for, it is taken all the same).
  if (s.menuOpen && event != SnapshotEvent::Requested &&
      (d.action == SnapshotAction::Take || d.action == SnapshotAction::Post)) {
    return {SnapshotAction::PutOff, true, false};
  }
  return d;
}

SourceRect SnapshotArea(const ScreenRect& window, const ScreenRect& lens, const ScreenRect& screens) {
  const int64_t left = std::max<int64_t>(std::min<int64_t>(window.left, int64_t{lens.left} - 1), screens.left);
  const int64_t top = std::max<int64_t>(std::min<int64_t>(window.top, int64_t{lens.top} - 1), screens.top);
  const int64_t right = std::min<int64_t>(std::max<int64_t>(window.right, int64_t{lens.right} + 1), screens.right);
  const int64_t bottom =
      std::min<int64_t>(std::max<int64_t>(window.bottom, int64_t{lens.bottom} + 1), screens.bottom);
  if (right <= left || bottom <= top) return {};
  return SourceRect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                    static_cast<int32_t>(bottom - top)};
}

}  // namespace ocural
