#include "magnifier/core/snapshot_schedule.h"

namespace ocural {

bool SnapshotSchedule::Begin() {
  if (capturing_) return false;
  capturing_ = true;
  putOff_ = false;
  posted_ = false;
  postedActivation_ = false;
  return true;
}

SnapshotAction SnapshotSchedule::Take() {
  // A window that steps aside closes its open menu: the snapshot waits for
  // the menu to close.
  if (!menuOpen_) return SnapshotAction::Take;
  putOff_ = true;
  return SnapshotAction::None;
}

SnapshotAction SnapshotSchedule::Post(bool activation) {
  if (menuOpen_) return Take();
  postedActivation_ = postedActivation_ || activation;
  if (posted_) return SnapshotAction::None;
  posted_ = true;
  return SnapshotAction::Post;
}

SnapshotAction SnapshotSchedule::On(SnapshotEvent event, const WindowNow& now) {
  if (event == SnapshotEvent::MenuOpened || event == SnapshotEvent::MenuClosed) {
    menuOpen_ = event == SnapshotEvent::MenuOpened;
  }
  if (capturing_) return SnapshotAction::None;
  switch (event) {
    case SnapshotEvent::PressOver:
      return putOff_ && now.visible ? Take() : SnapshotAction::None;
    case SnapshotEvent::Settled: {
      const bool wanted = posted_ && (postedActivation_ || now.otherActive);
      posted_ = postedActivation_ = false;
      return wanted && now.visible ? Take() : SnapshotAction::None;
    }
    case SnapshotEvent::MenuOpened:
      return SnapshotAction::None;
    case SnapshotEvent::MenuClosed:
      // The menu may still be on the screen while it closes: come back once
      // it is gone.
      if (!putOff_ || !now.visible) return SnapshotAction::None;
      putOff_ = false;
      return Post(true);
    case SnapshotEvent::Move:
    case SnapshotEvent::Activate:
    case SnapshotEvent::ClickActivate:
    case SnapshotEvent::Deactivate:
      break;
  }
  // Nobody sees the lens of a hidden window: hiding it (a skin reload, the
  // shut-down) deactivates it, and that takes nothing.
  if (!now.visible) return SnapshotAction::None;
  if (event == SnapshotEvent::Move) return Take();
  if (freshLens_) return SnapshotAction::None;
  if (event == SnapshotEvent::ClickActivate) {
    if (!pressLostOnMove_) return Take();
    putOff_ = true;
    return SnapshotAction::None;
  }
  // An activation change is taken once it has settled: while the system is
  // still handing the activation and the focus over, a window that steps off
  // the screen can have them taken away again (under Wine it does), and only
  // then do both systems say which window became active. A deactivation that
  // left no other window active changes nothing on the screen (Wine gives
  // one after a snapshot took its window off the screen); it takes none.
  return Post(event == SnapshotEvent::Activate);
}

}  // namespace ocural
