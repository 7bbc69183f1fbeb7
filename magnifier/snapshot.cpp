#include "magnifier/snapshot.h"

#include "magnifier/core/snapshot_policy.h"

namespace ocural {

namespace {

ScreenRect RectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return ScreenRect{r.left, r.top, r.right, r.bottom};
}

ScreenRect VirtualScreen() {
  const int32_t x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return ScreenRect{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

// Collects a thread's top-level windows. Runs inside the system's loop, so
// nothing may be thrown from it: a list that cannot grow ends the walk.
BOOL CALLBACK CollectWindow(HWND w, LPARAM list) noexcept {
  try {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

// Brings the window back when the snapshot ends, however it ends.
class BackInPlace {
 public:
  explicit BackInPlace(SnapshotMover& m) : mover_(m) {}
  ~BackInPlace() {
    if (away_) mover_.MoveBack();
  }
  BackInPlace(const BackInPlace&) = delete;
  BackInPlace& operator=(const BackInPlace&) = delete;
  void Away() {
    away_ = true;
    mover_.MoveAway();
  }
  void Back() {
    away_ = false;
    mover_.MoveBack();
  }

 private:
  SnapshotMover& mover_;
  bool away_ = false;
};

}  // namespace

Stopwatch::Stopwatch() {
  QueryPerformanceFrequency(&freq_);
  QueryPerformanceCounter(&last_);
}

double Stopwatch::Next() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const double ms = 1000.0 * static_cast<double>(now.QuadPart - last_.QuadPart) / static_cast<double>(freq_.QuadPart);
  last_ = now;
  return ms;
}

void Snapshot::Open(HWND desktopWindow) {
  desktopWindow_ = desktopWindow;
  desktopDC_ = GetDC(desktopWindow);
}

void Snapshot::Close() {
  if (desktopDC_) ReleaseDC(desktopWindow_, desktopDC_);
  desktopDC_ = nullptr;
}

void Snapshot::Take(HWND window, HWND lens, bool shown, SnapshotMover& mover, DWORD& waitBudgetMs) {
  Stopwatch lap;
  times_ = SnapshotTimes{};
  times_.number = ++count_;
  const ScreenRect place = RectOf(window);
  times_.place = POINT{place.left, place.top};
  const ScreenRect screens = VirtualScreen();
  const SourceRect area = SnapshotArea(place, RectOf(lens), screens);
  if (shown) own_.Take(window, lens, desktopDC_, RECT{screens.left, screens.top, screens.right, screens.bottom});
  times_.ownPixels = lap.Next();

  BackInPlace back(mover);
  if (shown) back.Away();
  times_.moveAway = lap.Next();
  RepaintOthers(window, waitBudgetMs);
  WaitForComposedFrame();
  times_.repaintWalk = lap.Next();
  Copy(area);
  times_.screenCopy = lap.Next();
  if (shown) ReReadWhileStale(waitBudgetMs);
  times_.waitReady = lap.Next();
  if (shown) back.Back();
  times_.moveBack = lap.Next();
}

void Snapshot::RepaintOthers(HWND window, DWORD& budgetMs) {
  // Every other top-level window repaints now what the magnifier uncovered
  // (or what a closed dialog left), so that the copy shows it. This
  // program's own windows repaint at once. Another program's window is asked
  // with a bounded wait: one that has stopped answering would hold the
  // magnifier above the screen until it woke, so it is given kPaintWaitMs,
  // and then left alone for a while.
  windows_.clear();
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows_));
  const DWORD start = GetTickCount();
  const DWORD self = GetCurrentThreadId();
  for (HWND w : windows_) {
    if (w == window || !IsWindowVisible(w)) continue;
    if (GetWindowThreadProcessId(w, nullptr) == self) {
      UpdateWindow(w);
      continue;
    }
    if (!GetUpdateRect(w, nullptr, FALSE) || Unanswered(w)) continue;
    const DWORD spent = GetTickCount() - start;
    if (spent >= budgetMs) break;
    DWORD_PTR result = 0;
    const UINT wait = static_cast<UINT>(budgetMs - spent < kPaintWaitMs ? budgetMs - spent : kPaintWaitMs);
    if (!SendMessageTimeoutW(w, WM_PAINT, 0, 0, SMTO_ABORTIFHUNG, wait, &result)) {
      unanswered_.push_back(Silence{w, GetTickCount()});
    }
  }
  const DWORD spent = GetTickCount() - start;
  budgetMs = spent >= budgetMs ? 0 : budgetMs - spent;
}

bool Snapshot::Unanswered(HWND w) {
  const DWORD now = GetTickCount();
  bool found = false;
  for (size_t i = 0; i < unanswered_.size();) {
    if (now - unanswered_[i].since >= kSilenceMs) {
      unanswered_.erase(unanswered_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    found = found || unanswered_[i].window == w;
    ++i;
  }
  return found;
}

void Snapshot::Copy(const SourceRect& r) {
  if (r.width <= 0 || r.height <= 0) {
    area_ = SourceRect{};
    return;
  }
  if ((image_.width() != r.width || image_.height() != r.height) && !image_.Create(r.width, r.height)) {
    area_ = SourceRect{};
    return;
  }
  BitBlt(image_.dc(), 0, 0, r.width, r.height, desktopDC_, r.x, r.y, SRCCOPY);
  GdiFlush();
  area_ = r;
}

void Snapshot::ReReadWhileStale(DWORD& budgetMs) {
  // The windows the magnifier uncovered repaint in their own time (another
  // program, under Wine another process that hands its pixels to the X
  // server later), so the copy can still hold the window's own pixels where
  // it stood. Read those places again until they show the screen, within the
  // budget; it runs out only where the place looks exactly like the window,
  // or the program beneath has stopped answering.
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD spent = GetTickCount() - start;
    const SourceRect stale = own_.StaleArea(image_, POINT{area_.x, area_.y});
    if (stale.width <= 0) break;
    if (spent >= budgetMs) {
      budgetMs = 0;
      return;
    }
    Sleep(1);
    ++times_.rereads;
    BitBlt(image_.dc(), stale.x - area_.x, stale.y - area_.y, stale.width, stale.height, desktopDC_, stale.x,
           stale.y, SRCCOPY);
    GdiFlush();
  }
  const DWORD spent = GetTickCount() - start;
  budgetMs = spent >= budgetMs ? 0 : budgetMs - spent;
}

}  // namespace ocural
