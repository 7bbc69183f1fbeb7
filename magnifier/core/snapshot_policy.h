// When the magnifier takes a snapshot of the screen, and which part of the
// screen it copies. Pure decisions, apart from Win32.
#pragma once

#include <cstdint>

#include "magnifier/core/lens_math.h"

namespace ocural {

// What reached the window.
enum class SnapshotEvent : uint8_t {
  Move,           // WM_MOVE or WM_SIZE
  Activate,       // WM_ACTIVATE, activated other than by a click
  ClickActivate,  // WM_ACTIVATE, activated by a mouse press
  Deactivate,     // WM_ACTIVATE, another window became active
  PressOver,      // the press on the window is over: released, or a zoom click done
  Requested,      // an explicit call (a skin reload takes one while the window is hidden)
  Settled,        // the message an activation posted has come back
  MenuClosed,     // the window's popup menu has closed
};

// The window's state when the event arrives.
struct SnapshotState {
  bool capturing = false;       // a snapshot is under way (IsCapturing)
  bool ownMove = false;         // the move is the snapshot's own, above the screen or back
  bool visible = true;          // the window is shown
  bool freshLens = false;       // being shown with a lens drawn just before: no second snapshot
  bool putOff = false;          // a click activation's snapshot waits for the press to end
  bool posted = false;          // an activation's snapshot waits for the activation to settle
  bool activationToNobody = false;  // a deactivation made no other window active
  bool holdClickActivation = false;  // the system loses the release if the window moves under a press
  bool menuOpen = false;        // the window's popup menu is up: a window that steps aside closes it
};

enum class SnapshotAction : uint8_t {
  None,        // nothing to do
  Take,        // take a snapshot and draw the lens
  PutOff,      // take it once the press is over
  Post,        // take it once the activation has settled: post a message to come back to
  MovedAside,  // a move by someone else during a snapshot: that snapshot is taken again
};

struct SnapshotDecision {
  SnapshotAction action = SnapshotAction::None;
  bool putOff = false;  // the put-off and posted states afterwards
  bool posted = false;
};

SnapshotDecision DecideSnapshot(SnapshotEvent event, const SnapshotState& state);

// A snapshot the window was moved away from by someone else is taken again,
// at most this many times in all.
constexpr int kSnapshotRounds = 3;

// The part of the screen a snapshot copies: the lens's own rectangle, one
// pixel wider on each side (the source rectangle at factor 1 can reach one
// pixel past the lens after rounding), together with the window's rectangle
// (whose pixels tell whether the place it left shows the screen yet), cut to
// the virtual screen (every monitor). Width 0 when nothing of it is on a
// monitor. Rectangles are left, top, right, bottom in screen pixels.
struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
SourceRect SnapshotArea(const ScreenRect& window, const ScreenRect& lens, const ScreenRect& virtualScreen);

// Where the window's top goes while the snapshot is taken: wholly above the
// topmost monitor, so that no monitor shows it.
inline int32_t TopAboveScreens(int32_t virtualTop, int32_t windowHeight) { return virtualTop - windowHeight; }

}  // namespace ocural
