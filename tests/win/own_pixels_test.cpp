// Which pixels of the screen the snapshot checks for the magnifier's own
// image: the window's visible region, the lens apart, read off the real screen.
#include <gtest/gtest.h>

#include "magnifier/own_pixels.h"
#include "platform/win/handles.h"

namespace ocural {
namespace {

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
}

HWND Popup(int x, int y, int w, int h, DWORD exStyle = 0) {
  HWND hwnd = CreateWindowExW(exStyle | WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  return hwnd;
}

class OwnPixelsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : {cover_, window_}) {
      if (w) DestroyWindow(w);
    }
  }
  // A window of 6 x 2 tiles at (64, 64) whose outline keeps only its left 80
  // pixels, a lens child over its first two tiles, and another window above
  // it over x 128 to 144.
  void Build() {
    window_ = Popup(64, 64, 96, 32);
    ASSERT_NE(window_, nullptr);
    SetWindowRgn(window_, CreateRectRgn(0, 0, 80, 32), TRUE);
    lens_ = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 32, 32, window_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    cover_ = Popup(128, 40, 16, 80, WS_EX_TOPMOST);
    ASSERT_NE(cover_, nullptr);
    PumpFor(200);
    screen_ = SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_TRUE(snap_.Create(screen_.cx, screen_.cy));
  }
  void Take() {
    win::WindowDC screen(nullptr);
    own_.Take(window_, lens_, screen.get(), RECT{0, 0, screen_.cx, screen_.cy});
  }
  // The snapshot as the screen shows it now.
  void CopyScreen() {
    win::WindowDC screen(nullptr);
    BitBlt(snap_.dc(), 0, 0, screen_.cx, screen_.cy, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
  }

  HWND window_ = nullptr, lens_ = nullptr, cover_ = nullptr;
  SIZE screen_{};
  win::DibImage snap_;
  OwnPixels own_;
};

TEST_F(OwnPixelsTest, OnlyTheVisibleBodyTellsAStalePlace) {
  Build();
  Take();
  CopyScreen();
  // Nothing moved: the window's place is stale where its body shows, not
  // where its outline is cut away or the other window lies over it, and the
  // tiles of lens alone are not judged.
  const SourceRect r = own_.StaleArea(snap_, POINT{0, 0});
  EXPECT_EQ(r.x, 96);
  EXPECT_EQ(r.y, 64);
  EXPECT_EQ(r.x + r.width, 128);
  EXPECT_EQ(r.y + r.height, 96);

  // A snapshot of only the part of the screen around the window, as the
  // magnifier takes it, tells the same; one that holds only part of the
  // place (a closed dialog's, which may reach past the magnifier's area)
  // tells about that part: the body it holds, and nothing outside it.
  win::DibImage part;
  ASSERT_TRUE(part.Create(120, 50));
  BitBlt(part.dc(), 0, 0, 120, 50, snap_.dc(), 50, 60, SRCCOPY);
  GdiFlush();
  const SourceRect p = own_.StaleArea(part, POINT{50, 60});
  EXPECT_EQ(p.x, 96);
  EXPECT_EQ(p.y, 64);
  EXPECT_EQ(p.width, r.width);
  EXPECT_EQ(p.height, r.height);
  const SourceRect q = own_.StaleArea(part, POINT{70, 60});
  EXPECT_GE(q.x, 70);
  EXPECT_LE(q.x, 96);
  EXPECT_GE(q.x + q.width, 128);
  EXPECT_EQ(q.y, 64);
  EXPECT_EQ(q.y + q.height, 96);
  EXPECT_TRUE(own_.StaleArea(part, POINT{200, 60}).width <= 0) << "none of the place held";

  // Once the place shows something else, it is ready.
  PatBlt(snap_.dc(), 0, 0, screen_.cx, screen_.cy, BLACKNESS);
  GdiFlush();
  EXPECT_TRUE(own_.StaleArea(snap_, POINT{0, 0}).width <= 0);
}

TEST_F(OwnPixelsTest, AHiddenWindowOrOneOffTheScreenLeavesNothingToCompare) {
  Build();
  ShowWindow(window_, SW_HIDE);
  Take();
  CopyScreen();
  EXPECT_TRUE(own_.StaleArea(snap_, POINT{0, 0}).width <= 0);

  ShowWindow(window_, SW_SHOWNA);
  SetWindowPos(window_, nullptr, 10, -200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(100);
  Take();
  CopyScreen();
  EXPECT_TRUE(own_.StaleArea(snap_, POINT{0, 0}).width <= 0);

  // Partly off the left edge: only the 40 pixels of outline on the screen are
  // compared (in whole tiles of the part on the screen).
  SetWindowPos(window_, nullptr, -40, 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PumpFor(100);
  Take();
  CopyScreen();
  const SourceRect r = own_.StaleArea(snap_, POINT{0, 0});
  EXPECT_EQ(r.x, 0);
  EXPECT_EQ(r.x + r.width, 48);
}

}  // namespace
}  // namespace ocural
