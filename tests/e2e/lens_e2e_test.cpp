// The real program on a screen that shows a coordinate pattern: the lens must
// show exactly the source rectangle the lens formulas give, in order.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/common/lens_check.h"
#include "tests/common/pattern.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {


class LensE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  PatternWindow pattern_;
  OcuralApp app_;
};

TEST_F(LensE2E, StartsInItsDesignedLookWithoutATaskbarButton) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  HWND w = app_.MainWindow();
  // The body, the lens and the buttons keep their pixels at every scale.
  const SIZE designed = DesignedClient();
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, designed.cx);
  EXPECT_EQ(client.bottom, designed.cy);
  // Read the places while no snapshot is being taken (during one the window
  // stands above the screen).
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  RECT wr{}, lens{};
  ASSERT_TRUE(WaitFor(
      [&] {
        wr = app_.WindowRect();
        lens = app_.LensRect();
        const RECT again = app_.WindowRect();
        return wr.top >= 0 && EqualRect(&wr, &again);
      },
      5000));
  EXPECT_EQ(wr.right - wr.left, designed.cx) << "no border";
  const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_CAPTION);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);

  EXPECT_EQ(lens.left - wr.left, 8);
  EXPECT_EQ(lens.top - wr.top, 8);
  EXPECT_EQ(lens.right - lens.left, 185);
  EXPECT_EQ(lens.bottom - lens.top, 185);

  HWND plus = FindWindowExW(w, nullptr, L"Button", L"+");
  HWND minus = FindWindowExW(w, nullptr, L"Button", L"-");
  ASSERT_NE(plus, nullptr);
  ASSERT_NE(minus, nullptr);
  RECT pr{}, mr{};
  ASSERT_TRUE(WaitFor(
      [&] {
        wr = app_.WindowRect();
        GetWindowRect(plus, &pr);
        GetWindowRect(minus, &mr);
        const RECT again = app_.WindowRect();
        return wr.top >= 0 && EqualRect(&wr, &again);
      },
      5000));
  EXPECT_EQ(pr.left - wr.left, 8);
  EXPECT_EQ(pr.top - wr.top, 200);
  EXPECT_EQ(pr.right - pr.left, 17);
  EXPECT_EQ(mr.left - wr.left, 32);
  EXPECT_EQ(mr.bottom - mr.top, 17);

  // Light green body around the lens (the rectangle is read afresh: during a
  // snapshot the window stands above the screen).
  auto bodyIsGreen = [&] {
    const RECT r = app_.WindowRect();
    ScreenShot shot;
    return shot.At(r.left + 3, r.top + 3) == RGB(192, 255, 192) &&
           shot.At(r.left + 100, r.top + 196) == RGB(192, 255, 192) &&
           shot.At(r.right - 2, r.bottom - 2) == RGB(192, 255, 192) &&
           shot.At(r.left + 7, r.top + 100) == RGB(192, 255, 192);
  };
  EXPECT_TRUE(WaitFor(bodyIsGreen, 5000));
}

TEST_F(LensE2E, LensShowsTheScreenUnderItAtTheStartFactorTwo) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  EXPECT_EQ(WaitForLens(app_, 2, 0), "");
}

TEST_F(LensE2E, AtFactorOneTheLensShowsTheScreenPixelForPixel) {
  // The lens at (340, 230): at even places the centre's halves round back to
  // the lens's own rectangle, so each lens pixel must show the screen pixel
  // under it, each once.
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(332, 222) + "LastMagnification=1\r\n");
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  EXPECT_EQ(WaitForLens(app_, 1, 0), "");
  // Read while no snapshot has the window above the screen.
  RECT lens{};
  ASSERT_TRUE(WaitFor(
      [&] {
        const RECT before = app_.WindowRect();
        lens = app_.LensRect();
        const RECT after = app_.WindowRect();
        return before.top >= 0 && EqualRect(&before, &after);
      },
      5000));
  const ExpectedSource src = SourceFor(lens, 1);
  EXPECT_EQ(src.x, lens.left);
  EXPECT_EQ(src.y, lens.top);
  EXPECT_EQ(src.width, lens.right - lens.left);
}

TEST_F(LensE2E, EveryMoveTakesANewSnapshotAndNothingElseDoes) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");

  // The screen changes, but no event reached the magnifier: the lens keeps
  // the old snapshot (there is no timer).
  pattern_.SetPhase(1);
  Pump(600);
  EXPECT_EQ(LensShows(app_, 2, 0), "");

  // A move from outside takes a new snapshot at the new place.
  MoveWindowTo(app_.MainWindow(), 600, 330);
  EXPECT_EQ(WaitForLens(app_, 2, 1), "");
  EXPECT_EQ(app_.WindowRect().left, 600);

  // And a second place, near the top-left, with the pattern changed again.
  pattern_.SetPhase(0);
  MoveWindowTo(app_.MainWindow(), 230, 60);
  EXPECT_EQ(WaitForLens(app_, 2, 0), "");
  EXPECT_EQ(app_.WindowRect().top, 60) << "the capture must put the window back where it was";
}

TEST_F(LensE2E, LensNeverShowsTheMagnifierItself) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  // Small steps: each new snapshot is taken where the old window stood. The
  // places are our own numbers: the window's rectangle read back during one
  // of its captures would say it is above the screen.
  int x = 300, y = 200;
  MoveWindowTo(app_.MainWindow(), x, y);
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  for (int k = 1; k <= 4; ++k) {
    x += 23;
    y += 17;
    MoveWindowTo(app_.MainWindow(), x, y);
    EXPECT_EQ(WaitForLens(app_, 2, 0), "") << "step " << k;
  }
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == x && app_.WindowRect().top == y; }, 3000));
}

}  // namespace
}  // namespace ocural::e2e
