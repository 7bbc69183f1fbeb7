#include "magnifier/core/snapshot_policy.h"

#include <algorithm>

namespace ocural {

SnapshotDecision DecideSnapshot(SnapshotEvent event, const SnapshotState& s) {
  const SnapshotDecision keep{SnapshotAction::None, s.putOff};
  if (s.capturing) {
    // The snapshot's own moves and activation changes do nothing; a move by
    // anyone else means the copy may show the window where it now stands.
    if (event == SnapshotEvent::Move && !s.ownMove) return {SnapshotAction::MovedAside, s.putOff};
    return keep;
  }
  switch (event) {
    case SnapshotEvent::Requested:
      return {SnapshotAction::Take, false};
    case SnapshotEvent::PressOver:
      return s.putOff && s.visible ? SnapshotDecision{SnapshotAction::Take, false} : keep;
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
  if (event == SnapshotEvent::ClickActivate && s.holdClickActivation) return {SnapshotAction::PutOff, true};
  return {SnapshotAction::Take, false};
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
