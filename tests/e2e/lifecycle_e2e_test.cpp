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

TEST_F(LifecycleE2E, LogOffEndsTheProcessWithCodeZero) {
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  HWND w = app_.MainWindow();
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE)) << "a log-off is never refused";
  EXPECT_TRUE(IsWindowVisible(w)) << "asking alone changes nothing";
  SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_EQ(app_.WaitExit(10000), 0);
  EXPECT_TRUE(app_.Windows().empty());
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
