// Ending the program: a close request and a log-off both go through the
// shut-down and leave no window behind.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace ocural::e2e {
namespace {

class LifecycleE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  OcuralApp app_;
};

TEST_F(LifecycleE2E, CloseRequestEndsTheProcessWithCodeZero) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  HWND w = app_.MainWindow();
  ASSERT_TRUE(PostMessageW(w, WM_CLOSE, 0, 0));
  EXPECT_EQ(app_.WaitExit(10000), 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_TRUE(app_.Windows().empty());
}

// The system tells every top-level window of a log-off, in no set order; a
// close request may also reach the hidden controller window. Whichever window
// hears it first, the program saves its settings, takes its icon away and ends
// with code 0.
TEST_F(LifecycleE2E, LogOffOrCloseInAnyOrderSavesRemovesTheIconAndEndsWithCodeZero) {
  enum class Ending { LogOffMainFirst, LogOffControllerFirst, CloseController };
  const struct {
    Ending ending;
    const char* name;
  } cases[] = {
      {Ending::LogOffMainFirst, "log-off, main window first"},
      {Ending::LogOffControllerFirst, "log-off, controller first"},
      {Ending::CloseController, "close request to the controller"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OcuralApp app;
    app.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastMagnification=7\r\n");
    const int iconsBefore = TrayIcons();
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    ASSERT_TRUE(WaitFor([&] { return TrayIcons() == iconsBefore + 1 && app.ControllerWindow(); }, 5000));
    HWND main = app.MainWindow();
    HWND ctrl = app.ControllerWindow();
    DWORD_PTR answer = 0;
    auto send = [&](HWND w, UINT msg, WPARAM wp) {
      answer = 0;
      SendMessageTimeoutW(w, msg, wp, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    };
    if (c.ending == Ending::CloseController) {
      PostMessageW(ctrl, WM_CLOSE, 0, 0);
    } else {
      const HWND first = c.ending == Ending::LogOffMainFirst ? main : ctrl;
      const HWND second = first == main ? ctrl : main;
      for (HWND w : {first, second}) {
        send(w, WM_QUERYENDSESSION, 0);
        EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "a log-off is never refused";
      }
      EXPECT_TRUE(IsWindowVisible(main)) << "asking alone changes nothing";
      send(first, WM_ENDSESSION, TRUE);
      if (first == ctrl) {
        EXPECT_TRUE(IsWindow(ctrl)) << "the controller stays until the main window's shut-down";
        EXPECT_EQ(TrayIcons(), iconsBefore + 1);
      }
      send(second, WM_ENDSESSION, TRUE);
    }
    EXPECT_EQ(app.WaitExit(10000), 0);
    EXPECT_TRUE(app.Windows().empty());
    EXPECT_TRUE(WaitFor([&] { return TrayIcons() == iconsBefore; }, 3000)) << "the icon is left behind";
    EXPECT_NE(app.ReadFile(L"Ocural.ini").find("LastMagnification=7\r\n"), std::string::npos);
  }
}

TEST_F(LifecycleE2E, CancelledLogOffKeepsTheProgramRunning) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  HWND w = app_.MainWindow();
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
  // Another program refused: the session goes on.
  SendMessageTimeoutW(w, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
  Pump(300);
  EXPECT_TRUE(app_.Running());
  EXPECT_TRUE(IsWindowVisible(w));
}

}  // namespace
}  // namespace ocural::e2e
