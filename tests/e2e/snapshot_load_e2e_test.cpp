// Snapshots on a machine whose cores are all busy with other work: the windows
// the magnifier uncovers repaint late, and the lens must still never show the
// magnifier's own pixels or a screen from before the last change.
#include <gtest/gtest.h>

#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

// Copies of this test program that spin, one per core, until ended.
class BusyProcesses {
 public:
  explicit BusyProcesses(int count) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (int i = 0; i < count; ++i) {
      STARTUPINFOW si{};
      si.cb = sizeof(si);
      PROCESS_INFORMATION pi{};
      std::wstring cmd = L"\"" + std::wstring(self) + L"\" --spin";
      if (CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        processes_.push_back(pi.hProcess);
      }
    }
  }
  ~BusyProcesses() {
    for (HANDLE p : processes_) {
      TerminateProcess(p, 0);
      WaitForSingleObject(p, 5000);
      CloseHandle(p);
    }
  }
  BusyProcesses(const BusyProcesses&) = delete;
  BusyProcesses& operator=(const BusyProcesses&) = delete;
  // How many are still spinning.
  int Running() const {
    int n = 0;
    for (HANDLE p : processes_) n += WaitForSingleObject(p, 0) == WAIT_TIMEOUT ? 1 : 0;
    return n;
  }

 private:
  std::vector<HANDLE> processes_;
};

class SnapshotUnderLoadE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    MouseUp(1);
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  bool WindowAt(int x, int y) {
    return WaitFor([&] { return app_.WindowRect().left == x && app_.WindowRect().top == y; }, 5000);
  }

  PatternWindow pattern_;
  OcuralApp app_;
};

// Every step changes the pattern, then moves the window a little, so the
// lens's new source lies where the window stood: a snapshot taken before the
// uncovered windows repainted shows the old lens there, one taken before the
// change reached the screen shows the other phase. Both fail the check.
TEST_F(SnapshotUnderLoadE2E, FiftySnapshotsOnBusyCoresShowOnlyTheScreen) {
  BusyProcesses busy(2);
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(300, 200) + "LastMagnification=2\r\n");
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "") << "start-up";
  ASSERT_TRUE(WindowAt(300, 200));

  int snapshots = 0;
  int phase = 0;
  // Moves from outside, each a few pixels on.
  int x = 300, y = 200;
  for (int k = 0; k < 25; ++k) {
    phase ^= 1;
    pattern_.SetPhase(phase);
    x += (k % 2) ? -9 : 13;
    y += (k % 3) ? 7 : -5;
    MoveWindowTo(app_.MainWindow(), x, y);
    ASSERT_EQ(WaitForLens(app_, 2, phase, 3000), "") << "move " << k;
    ASSERT_TRUE(WindowAt(x, y));
    ++snapshots;
  }
  // A real drag on the body, the lens checked at every stop of the hand.
  const int grabX = x + 120, grabY = y + 210;
  MouseTo(grabX, grabY);
  MouseDown();
  for (int k = 1; k <= 25; ++k) {
    phase ^= 1;
    pattern_.SetPhase(phase);
    MouseTo(grabX + 6 * k, grabY + 4 * k);
    ASSERT_TRUE(WindowAt(x + 6 * k, y + 4 * k)) << "drag step " << k;
    ASSERT_EQ(WaitForLens(app_, 2, phase, 3000), "") << "drag step " << k;
    ++snapshots;
  }
  MouseUp();
  EXPECT_EQ(snapshots, 50);
  EXPECT_EQ(busy.Running(), 2) << "the cores were not kept busy all along";
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.WaitExit(10000), 0);
}

}  // namespace
}  // namespace ocural::e2e
