// The screen snapshot the lens is drawn from: the screen's device context, the
// image of the part of the screen under the magnifier, and the taking of it
// with the magnifier out of the way.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
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

// Gives the keyboard focus back to `focus` after its window came back from
// off the screens. Under Wine a window that leaves the screens is unmapped
// and the X server takes the keyboard focus from it; when Wine reads that
// news it makes the desktop the foreground window. Handing the focus to it
// again, back on the screen, gives the X server its focus back before that
// news is read. Windows keeps the activation over the move, so there this
// does nothing.
void HandFocusBack(HWND focus);

class Snapshot {
 public:
  Snapshot() = default;
  ~Snapshot() { UnwatchClosingWindows(); }
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;

  // The screen's device context, taken from the desktop window and held
  // until Close (or the next Open).
  void Open(HWND desktopWindow) { screen_.emplace(desktopWindow); }
  void Close() { screen_.reset(); }
  HDC DesktopDC() const { return screen_ ? screen_->get() : nullptr; }

  // Copies the screen under `window` and its lens (SnapshotArea) into the
  // image. A shown window steps above the screens meanwhile and comes back,
  // repainted but for the lens, which the caller draws from the new image.
  // A press made meanwhile waits for it. If someone else moves the window
  // while it is away to a place the user can reach, it stays there and the
  // snapshot is taken again there (kSnapshotRounds in all, within one wait
  // budget); to any other place, it comes back where it stood. A hidden
  // window is copied where it is. `keepFocus`: the keyboard focus stays
  // where it was in this program.
  void Take(HWND window, HWND lens, bool shown, bool keepFocus);
  // Where `window` stands, or while a snapshot has it above the screens, the
  // place it comes back to; screen pixels.
  POINT PlaceOf(HWND window) const;

  // Watches this thread's top-level windows being hidden or closed (message
  // boxes, dialogs, menus, and `window` itself, whose lens is `lens`), until
  // Unwatch. What each showed is read just before it goes; the next snapshot
  // waits, within its budget, until the places they left show what lies
  // beneath. The program whose window lay there repaints it in its own time
  // (under Wine it reaches the screen later still), and until then the lens
  // would show a window that is gone.
  void WatchClosingWindows(HWND window, HWND lens);
  void UnwatchClosingWindows();

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
  class StepAside;
  // One round: the copy with the window away. False when someone else moved
  // the window meanwhile.
  bool TakeOnce(HWND window, HWND lens, bool shown, bool keepFocus,
                const std::vector<std::unique_ptr<OwnPixels>>& closed, DWORD& budgetMs);
  void RepaintOthers(HWND window, DWORD& budgetMs);
  // Whether `w` lately let a repaint request wait out its time.
  bool Unanswered(HWND w);
  void Copy(const SourceRect& r);
  // Reads again the parts of the image that still show the window (when
  // `shown`) or a window that has closed, until none does or the budget is
  // spent.
  void ReReadWhileStale(bool shown, const std::vector<std::unique_ptr<OwnPixels>>& closed, DWORD& budgetMs);
  static LRESULT CALLBACK ClosingHook(int code, WPARAM wp, LPARAM lp);
  void Closing(HWND w);

  std::optional<win::WindowDC> screen_;
  const StepAside* away_ = nullptr;  // while the window is above the screens
  win::DibImage image_;
  SourceRect area_;
  OwnPixels own_;
  HHOOK closingHook_ = nullptr;
  HWND watchedWindow_ = nullptr, watchedLens_ = nullptr;
  // What windows closed since the last snapshot showed; the oldest go first.
  std::vector<std::unique_ptr<OwnPixels>> closed_;
  static constexpr size_t kClosedKept = 8;
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
