// Taking a snapshot with the window away: what happens when something else
// moves or closes the window while it is above the screens. The window
// beneath repaints while the snapshot waits (as another program's would);
// its paint is where the test acts.
#include <gtest/gtest.h>

#include <functional>

#include "magnifier/core/snapshot_area.h"
#include "magnifier/snapshot.h"

namespace ocural {
namespace {

std::function<void()> g_onPaint;

LRESULT CALLBACK BeneathProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EndPaint(w, &ps);
    if (g_onPaint) g_onPaint();
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

class SnapshotTakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BeneathProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SnapshotTakeBeneath";
    RegisterClassW(&wc);
    beneath_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"SnapshotTakeBeneath", L"", WS_POPUP | WS_VISIBLE, 250, 150, 300,
                               250, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_VISIBLE, 300, 200, 120, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    lens_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 8, 8, 64, 64, window_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(beneath_ && window_ && lens_);
    snapshot_.Open(GetDesktopWindow());
    ASSERT_NE(snapshot_.DesktopDC(), nullptr);
  }
  void TearDown() override {
    g_onPaint = nullptr;
    for (HWND w : {window_, beneath_}) {
      if (IsWindow(w)) DestroyWindow(w);
    }
  }
  // Takes a snapshot with the window beneath waiting to repaint.
  void Take() {
    InvalidateRect(beneath_, nullptr, FALSE);
    snapshot_.Take(window_, lens_, true, true);
  }
  POINT At() const {
    RECT r{};
    GetWindowRect(window_, &r);
    return POINT{r.left, r.top};
  }

  HWND beneath_ = nullptr, window_ = nullptr, lens_ = nullptr;
  Snapshot snapshot_;
};

// A window tool or a script moves the window while it is away: it stays
// where it was put, and the snapshot is taken again there. One that keeps
// moving it gets a bounded number of tries, and the window ends where it was
// put last.
TEST_F(SnapshotTakeTest, AMoveBySomeoneElseWhileAwayIsKeptAndTakenAgainThere) {
  POINT homeWhileAway{};
  g_onPaint = [&] {
    homeWhileAway = snapshot_.PlaceOf(window_);
    EXPECT_LT(At().y, 0) << "the window is above the screens while the others repaint";
    SetWindowPos(window_, nullptr, 350, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const uint32_t before = snapshot_.Times().number;
  Take();
  EXPECT_EQ(homeWhileAway.x, 300);
  EXPECT_EQ(homeWhileAway.y, 200);
  EXPECT_EQ(At().x, 350);
  EXPECT_EQ(At().y, 220);
  EXPECT_EQ(snapshot_.Times().number, before + 2) << "taken again once";
  EXPECT_EQ(snapshot_.Area().x, 350);
  EXPECT_EQ(snapshot_.Area().y, 220);

  int n = 0;
  g_onPaint = [&] {
    ++n;
    InvalidateRect(beneath_, nullptr, FALSE);
    SetWindowPos(window_, nullptr, 300 + n, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const uint32_t second = snapshot_.Times().number;
  Take();
  EXPECT_EQ(snapshot_.Times().number, second + kSnapshotRounds);
  EXPECT_EQ(n, kSnapshotRounds);
  EXPECT_EQ(At().x, 300 + kSnapshotRounds);
  EXPECT_EQ(At().y, 200);
}

// A move that leaves the window where nobody could reach it (no title bar,
// no taskbar button) is not kept: the window comes back where it stood.
TEST_F(SnapshotTakeTest, AMoveOutOfReachWhileAwayIsUndone) {
  const int right = GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  struct Case {
    const char* what;
    bool round;
    std::function<POINT(POINT away)> to;
  };
  const Case cases[] = {
      {"nudged, still above the screens", false, [](POINT away) { return POINT{away.x + 5, away.y + 3}; }},
      {"beyond the right of every monitor", false, [&](POINT) { return POINT{right + 50, 200}; }},
      // 32 x 32 of its rectangle on the screen, but that corner of an
      // elliptic window is cut away.
      {"only a cut-away corner on the screen", true, [&](POINT) { return POINT{right - 32, top - 68}; }},
  };
  for (const Case& c : cases) {
    SetWindowRgn(window_, c.round ? CreateEllipticRgn(0, 0, 120, 100) : nullptr, TRUE);
    SetWindowPos(window_, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    g_onPaint = [&] {
      const POINT to = c.to(At());
      SetWindowPos(window_, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const uint32_t before = snapshot_.Times().number;
    Take();
    EXPECT_EQ(At().x, 300) << c.what;
    EXPECT_EQ(At().y, 200) << c.what;
    EXPECT_EQ(snapshot_.Times().number, before + 1) << c.what << ": the copy was taken where it stands";
  }
}

// The program shut down while the snapshot waited (an end of session, a
// close request): the place it saves is the one the window came from, and
// the snapshot ends without touching the window that has gone.
TEST_F(SnapshotTakeTest, AWindowClosedWhileAwayIsLeftAloneAndItsPlaceWasWhereItCameFrom) {
  POINT saved{};
  g_onPaint = [&] {
    saved = snapshot_.PlaceOf(window_);
    DestroyWindow(window_);
  };
  Take();
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(saved.x, 300);
  EXPECT_EQ(saved.y, 200);
  // Not away any more: the place asked for is where a window stands.
  g_onPaint = nullptr;
  EXPECT_EQ(snapshot_.PlaceOf(beneath_).x, 250);
}

}  // namespace
}  // namespace ocural
