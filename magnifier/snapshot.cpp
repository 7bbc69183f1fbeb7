#include "magnifier/snapshot.h"

#include "magnifier/core/snapshot_area.h"
#include "platform/win/monitors.h"
#include "platform/win/forms.h"

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

void HandFocusBack(HWND focus) {
  if (!forms::RunningUnderWine()) return;
  SetFocus(nullptr);
  SetFocus(focus);
}


// The window's time above the screens: it steps away when made and comes
// back when it ends, however the snapshot ends, unless someone else moved it
// meanwhile to a place the user can reach (that place is where it belongs
// now) or it has gone.
class Snapshot::StepAside {
 public:
  StepAside(Snapshot& owner, HWND window, HWND lens, bool keepFocus) : owner_(owner), window_(window), lens_(lens) {
    RECT r{};
    GetWindowRect(window, &r);
    home_ = POINT{r.left, r.top};
    away_ = POINT{r.left, TopAboveScreens(GetSystemMetrics(SM_YVIRTUALSCREEN), r.bottom - r.top)};
    const bool foreground = GetForegroundWindow() == window;
    focus_ = keepFocus && foreground ? GetFocus() : nullptr;
    // A press made while the window is away would go to the window beneath
    // it. Holding the mouse keeps it in this program's queue; it is read
    // once the window is back, and goes where the window then stands.
    captured_ = foreground && GetCapture() == nullptr;
    if (captured_) SetCapture(window);
    owner_.away_ = this;
    MoveTo(away_);
  }
  ~StepAside() { Back(); }
  StepAside(const StepAside&) = delete;
  StepAside& operator=(const StepAside&) = delete;

  POINT Home() const { return home_; }
  bool MovedByOthers() const { return movedByOthers_; }

  void Back() noexcept {
    if (owner_.away_ != this) return;
    owner_.away_ = nullptr;
    // Shut down meanwhile (the system's end of session, or a close request,
    // is handled while this thread waits): nothing is left to move.
    if (!IsWindow(window_)) return;
    RECT r{};
    GetWindowRect(window_, &r);
    movedByOthers_ = r.left != away_.x || r.top != away_.y;
    // A move by someone else is kept only where the user can reach the
    // window; above the screens, or nudged off them, it comes home.
    if (movedByOthers_) movedByOthers_ = !win::PlaceWithinReach(window_);
    if (!movedByOthers_) MoveTo(home_);
    if (captured_ && GetCapture() == window_) ReleaseCapture();
    if (focus_) HandFocusBack(focus_);
    // The news of the move away, read with the focus back, cancels nothing;
    // read later, it would close the menu a press made meanwhile opens.
    forms::ReadPendingDisplayNews();
    // Back on the screen the whole window is painted at once, whatever the
    // system kept of it: nothing of the place it left may show through. The
    // lens is left out: it is drawn right after, from the new snapshot.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (lens_) ValidateRect(lens_, nullptr);
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

 private:
  void MoveTo(POINT p) noexcept {
    SetWindowPos(window_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Snapshot& owner_;
  HWND window_, lens_;
  POINT home_{}, away_{};
  HWND focus_ = nullptr;  // the window with the focus, when this program is in the foreground
  bool captured_ = false;  // the mouse was taken for the time away
  bool movedByOthers_ = false;
};

POINT Snapshot::PlaceOf(HWND window) const {
  if (away_) return away_->Home();
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{r.left, r.top};
}

void Snapshot::Take(HWND window, HWND lens, bool shown, bool keepFocus) {
  // The windows that closed before this snapshot are judged by it; those
  // that close while it runs, by the next.
  std::vector<std::unique_ptr<OwnPixels>> closed;
  closed.swap(closed_);
  // The wait for the uncovered place is shared by the rounds.
  DWORD budgetMs = kReadyWaitMs;
  for (int round = 0; round < kSnapshotRounds; ++round) {
    if (TakeOnce(window, lens, shown, keepFocus, closed, budgetMs)) return;
  }
}

namespace {
// The one snapshot that watches this thread's windows close.
Snapshot* g_watching = nullptr;
}  // namespace

void Snapshot::WatchClosingWindows(HWND window, HWND lens) {
  UnwatchClosingWindows();
  watchedWindow_ = window;
  watchedLens_ = lens;
  closingHook_ = SetWindowsHookExW(WH_CALLWNDPROC, &ClosingHook, nullptr, GetCurrentThreadId());
  if (closingHook_) g_watching = this;
}

void Snapshot::UnwatchClosingWindows() {
  if (closingHook_) UnhookWindowsHookEx(closingHook_);
  closingHook_ = nullptr;
  if (g_watching == this) g_watching = nullptr;
  closed_.clear();
}

LRESULT CALLBACK Snapshot::ClosingHook(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  // A window about to be hidden (a hide, a close, a menu's end) is told so
  // first, while it still shows.
  if (code == HC_ACTION && g_watching && m && m->message == WM_WINDOWPOSCHANGING && m->lParam &&
      (reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags & SWP_HIDEWINDOW) != 0) {
    g_watching->Closing(m->hwnd);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void Snapshot::Closing(HWND w) {
  if (!IsWindowVisible(w) || (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) != 0) return;
  try {
    auto pixels = std::make_unique<OwnPixels>();
    const ScreenRect screens = VirtualScreen();
    const win::WindowDC screen(nullptr);
    pixels->Take(w, w == watchedWindow_ ? watchedLens_ : nullptr, screen.get(),
                 RECT{screens.left, screens.top, screens.right, screens.bottom});
    if (closed_.size() >= kClosedKept) closed_.erase(closed_.begin());
    closed_.push_back(std::move(pixels));
  } catch (...) {
    // Without memory for it, the lens may show the window a moment longer.
  }
}

bool Snapshot::TakeOnce(HWND window, HWND lens, bool shown, bool keepFocus,
                        const std::vector<std::unique_ptr<OwnPixels>>& closed, DWORD& budgetMs) {
  Stopwatch lap;
  times_ = SnapshotTimes{};
  times_.number = ++count_;
  const ScreenRect place = RectOf(window);
  times_.place = POINT{place.left, place.top};
  const ScreenRect screens = VirtualScreen();
  const SourceRect area = SnapshotArea(place, RectOf(lens), screens);
  if (shown) own_.Take(window, lens, DesktopDC(), RECT{screens.left, screens.top, screens.right, screens.bottom});
  times_.ownPixels = lap.Next();

  std::optional<StepAside> aside;
  if (shown) aside.emplace(*this, window, lens, keepFocus);
  times_.moveAway = lap.Next();
  RepaintOthers(window, budgetMs);
  WaitForComposedFrame();
  times_.repaintWalk = lap.Next();
  Copy(area);
  times_.screenCopy = lap.Next();
  ReReadWhileStale(shown, closed, budgetMs);
  times_.waitReady = lap.Next();
  if (!aside) return true;
  aside->Back();
  times_.moveBack = lap.Next();
  return !aside->MovedByOthers();
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
  BitBlt(image_.dc(), 0, 0, r.width, r.height, DesktopDC(), r.x, r.y, SRCCOPY);
  GdiFlush();
  area_ = r;
}

void Snapshot::ReReadWhileStale(bool shown, const std::vector<std::unique_ptr<OwnPixels>>& closed,
                                DWORD& budgetMs) {
  // The windows the magnifier uncovered repaint in their own time (another
  // program, under Wine another process that hands its pixels to the X
  // server later), so the copy can still hold the window's own pixels where
  // it stood. Read those places again until they show the screen, within the
  // budget; it runs out only where the place looks exactly like the window,
  // or the program beneath has stopped answering.
  const DWORD start = GetTickCount();
  while (DesktopDC()) {
    const DWORD spent = GetTickCount() - start;
    const POINT origin{area_.x, area_.y};
    SourceRect stale = shown ? own_.StaleArea(image_, origin) : SourceRect{};
    for (const auto& c : closed) stale = UnionOf(stale, c->StaleArea(image_, origin));
    if (stale.width <= 0) break;
    if (spent >= budgetMs) {
      budgetMs = 0;
      return;
    }
    Sleep(1);
    ++times_.rereads;
    BitBlt(image_.dc(), stale.x - area_.x, stale.y - area_.y, stale.width, stale.height, DesktopDC(), stale.x,
           stale.y, SRCCOPY);
    GdiFlush();
  }
  const DWORD spent = GetTickCount() - start;
  budgetMs = spent >= budgetMs ? 0 : budgetMs - spent;
}

}  // namespace ocural
