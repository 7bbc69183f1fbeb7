// When the magnifier takes a snapshot of the screen: decided from what
// reaches its window (moves, activations, the end of a press, its menu), one
// event after another as they arrive. Pure, apart from Win32.
#pragma once

#include <cstdint>

namespace ocural {

// What reached the window.
enum class SnapshotEvent : uint8_t {
  Move,           // WM_MOVE or WM_SIZE
  Activate,       // WM_ACTIVATE, activated other than by a click
  ClickActivate,  // WM_ACTIVATE, activated by a mouse press
  Deactivate,     // WM_ACTIVATE, the activation went elsewhere
  PressOver,      // the press on the window is over: released, or a zoom click done
  Settled,        // the message posted for an activation change has come back
  MenuOpened,     // the window's popup menu opened (WM_ENTERMENULOOP)
  MenuClosed,     // and closed (WM_EXITMENULOOP)
};

enum class SnapshotAction : uint8_t {
  None,  // nothing to do now
  Take,  // take a snapshot and draw the lens
  Post,  // post the message that comes back as Settled
};

// What the window is like when an event arrives.
struct WindowNow {
  bool visible = true;  // the window is shown
  // Another window than this one and the desktop is the active one. Read
  // when an activation change has settled, where both systems agree on it.
  bool otherActive = false;
};

class SnapshotSchedule {
 public:
  // `pressLostOnMove`: the system takes a press's release away from a window
  // that moves under the press (Wine does; Windows keeps it).
  explicit SnapshotSchedule(bool pressLostOnMove) : pressLostOnMove_(pressLostOnMove) {}

  SnapshotAction On(SnapshotEvent event, const WindowNow& now);

  // A snapshot runs from Begin to End; Begin says false when one is under way
  // already. Whatever waited is settled by it. Events during it change
  // nothing: its own moves and activation changes are its own business, and
  // a move by someone else is the snapshot's to notice (it knows where it
  // put the window).
  bool Begin();
  void End() { capturing_ = false; }
  bool Capturing() const { return capturing_; }

  // The window is being shown with a lens drawn just before: the activation
  // that showing brings takes no second snapshot.
  void FreshLens(bool on) { freshLens_ = on; }

  // Whether a snapshot waits: for a press to end, for the menu to close, or
  // for an activation change to settle.
  bool Waiting() const { return putOff_ || posted_; }

 private:
  // Take now, or once the menu has closed.
  SnapshotAction Take();
  // Come back once the activation change has settled; `activation`: taken
  // then whichever window is active.
  SnapshotAction Post(bool activation);

  const bool pressLostOnMove_;
  bool capturing_ = false;
  bool freshLens_ = false;
  bool menuOpen_ = false;
  bool putOff_ = false;             // taken once the press is over or the menu has closed
  bool posted_ = false;             // a Settled message is on its way
  bool postedActivation_ = false;   // ... for an activation, not only for deactivations
};

}  // namespace ocural
