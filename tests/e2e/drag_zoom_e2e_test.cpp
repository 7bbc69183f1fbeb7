// Dragging the window by its body with real mouse input, and the zoom buttons.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

// Opens the window at (300, 200) pixels.
std::string SettingsAt(int magnification, const char* extra = "") {
  return "[OcuralSetting]\r\n" + PlaceAt(300, 200) + "LastMagnification=" + std::to_string(magnification) + "\r\n" +
         extra;
}

class DragZoomE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    MouseUp(1);
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  void StartAt(int magnification) {
    app_.WriteFile(L"Ocural.ini", SettingsAt(magnification));
    ASSERT_TRUE(app_.Start());
    ASSERT_TRUE(app_.WaitForMainWindow());
    ASSERT_EQ(WaitForLens(app_, magnification, 0), "");
    ASSERT_TRUE(WaitFor([&] { return app_.WindowRect().left == 300 && app_.WindowRect().top == 200; }, 3000));
  }
  bool WindowAt(int x, int y) {
    return WaitFor([&] { return app_.WindowRect().left == x && app_.WindowRect().top == y; }, 3000);
  }

  PatternWindow pattern_;
  OcuralApp app_;
};

TEST_F(DragZoomE2E, DragOnTheBodyMovesByTheDragDistanceAndTheLensFollows) {
  StartAt(2);
  // A body point below the lens, right of the buttons: client (120, 210).
  MouseTo(420, 410);
  MouseDown();
  for (int k = 1; k <= 4; ++k) MouseTo(420 + 20 * k, 410 + 10 * k);
  // Half way, button still down: the window is there and the lens shows it.
  EXPECT_TRUE(WindowAt(380, 240));
  EXPECT_EQ(WaitForLens(app_, 2, 0), "") << "the lens is redrawn during the drag";
  for (int k = 5; k <= 8; ++k) MouseTo(420 + 20 * k, 410 + 10 * k);
  Pump(200);  // a hand rests a moment before letting go
  MouseUp();
  EXPECT_TRUE(WindowAt(460, 280)) << "moved exactly by the drag distance (160, 80); it is at "
                                  << app_.WindowRect().left << "," << app_.WindowRect().top;
  EXPECT_EQ(WaitForLens(app_, 2, 0), "");
}

TEST_F(DragZoomE2E, PressOnTheLensOrOnARealButtonDoesNotDrag) {
  StartAt(2);
  const RECT lens = app_.LensRect();
  MouseTo(lens.left + 90, lens.top + 90);
  MouseDown();
  MouseTo(lens.left + 140, lens.top + 120);
  MouseUp();
  Pump(300);
  EXPECT_TRUE(WindowAt(300, 200));

  // Press on "+" (client 16, 208), slide off it and let go: no drag, no zoom.
  MouseTo(316, 408);
  MouseDown();
  MouseTo(380, 460);
  MouseUp();
  Pump(300);
  EXPECT_TRUE(WindowAt(300, 200));
  EXPECT_EQ(WaitForLens(app_, 2, 0), "");
}

TEST_F(DragZoomE2E, PlusTwiceFromTwoGivesFour) {
  StartAt(2);
  ClickAt(316, 408);
  EXPECT_EQ(WaitForLens(app_, 3, 0), "");
  ClickAt(316, 408);
  EXPECT_EQ(WaitForLens(app_, 4, 0), "");
  ClickAt(340, 408);  // "-"
  EXPECT_EQ(WaitForLens(app_, 3, 0), "");
  EXPECT_TRUE(WindowAt(300, 200)) << "zooming does not move the window";
}

TEST_F(DragZoomE2E, MinusAtOneChangesNothing) {
  StartAt(1);
  // Make the window the active one first, so the click below brings no
  // activation (which rightly takes a new snapshot).
  ClickAt(340, 408);
  ASSERT_EQ(WaitForLens(app_, 1, 0), "");
  pattern_.SetPhase(1);
  ClickAt(340, 408);
  Pump(500);
  EXPECT_EQ(LensShows(app_, 1, 0), "") << "no redraw: the lens still shows the old snapshot at factor 1";
}

}  // namespace
}  // namespace ocural::e2e

namespace ocural::e2e {
namespace {

TEST_F(DragZoomE2E, ZoomInAtTheLargestFactorStaysThere) {
  StartAt(32767);
  ClickAt(316, 408);
  Pump(300);
  EXPECT_EQ(WaitForLens(app_, 32767, 0), "");
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitExit(10000), 0);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastMagnification=32767\r\n"), std::string::npos);
}

}  // namespace
}  // namespace ocural::e2e
