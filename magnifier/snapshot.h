// The screen snapshot the lens is drawn from: the screen's device context, the
// image of the part of the screen under the magnifier, and the taking of it
// with the magnifier out of the way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "magnifier/core/lens_math.h"
#include "magnifier/own_pixels.h"
#include "platform/win/handles.h"

namespace ocural {

// Where the time of the last snapshot went, in milliseconds; the benchmark
// prints it.
struct SnapshotTimes {
  uint32_t number = 0;     // snapshots taken so far, this one included
  POINT place{};           // where the window stood, screen pixels
  double ownPixels = 0;    // reading what the window shows where it stands
  double moveAway = 0;     // the move above the screen
  double repaintWalk = 0;  // the other windows repaint
  double screenCopy = 0;   // the copy of the area under the window
  double waitReady = 0;    // re-reading places that still showed the window
  int rereads = 0;
  double moveBack = 0;     // the move back and the repaint there
  double lens = 0;         // drawing the lens
};

// A stopwatch for the snapshot's parts.
class Stopwatch {
 public:
  Stopwatch();
  // Milliseconds since the last call (or since made).
  double Next();

 private:
  LARGE_INTEGER freq_{}, last_{};
};

// What the window does for a snapshot: steps aside and comes back.
class SnapshotMover {
 public:
  virtual ~SnapshotMover() = default;
  virtual void MoveAway() = 0;
  // Called whatever happened after MoveAway; must not throw.
  virtual void MoveBack() noexcept = 0;
};

class Snapshot {
 public:
  // The screen's device context, taken from the desktop window and held
  // until Close.
  void Open(HWND desktopWindow);
  void Close();
  HWND DesktopWindow() const { return desktopWindow_; }
  HDC DesktopDC() const { return desktopDC_; }

  // Copies the screen under `window` and its lens (SnapshotArea) into the
  // image. A shown window steps aside through `mover` meanwhile and always
  // comes back; a hidden one is copied where it is. `waitBudgetMs` is what is
  // left of the longest wait for the place the window left to show the
  // screen; the wait spends it.
  void Take(HWND window, HWND lens, bool shown, SnapshotMover& mover, DWORD& waitBudgetMs);

  const win::DibImage& Image() const { return image_; }
  // The screen rectangle the image holds; width 0 before the first snapshot.
  const SourceRect& Area() const { return area_; }
  const SnapshotTimes& Times() const { return times_; }
  void NoteLensTime(double ms) { times_.lens = ms; }

  // The longest a snapshot waits for the place the window left to show the
  // screen.
  static constexpr DWORD kReadyWaitMs = 250;
  // The longest another program's window is waited for to repaint, and how
  // long one that did not answer in time is left alone.
  static constexpr DWORD kPaintWaitMs = 50;
  static constexpr DWORD kSilenceMs = 3000;

 private:
  void RepaintOthers(HWND window, DWORD& budgetMs);
  // Whether `w` lately let a repaint request wait out its time.
  bool Unanswered(HWND w);
  void Copy(const SourceRect& r);
  void ReReadWhileStale(DWORD& budgetMs);

  HWND desktopWindow_ = nullptr;
  HDC desktopDC_ = nullptr;
  win::DibImage image_;
  SourceRect area_;
  OwnPixels own_;
  std::vector<HWND> windows_;  // kept from one snapshot to the next: no allocation per move
  struct Silence {
    HWND window;
    DWORD since;
  };
  std::vector<Silence> unanswered_;
  SnapshotTimes times_;
  uint32_t count_ = 0;
};

}  // namespace ocural
