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

// A window of its own thread that stops answering with a repaint pending,
// until destroyed.
class HungWindow {
 public:
  explicit HungWindow(RECT r) : r_(r), hang_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                                ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = CreateThread(nullptr, 0, &Main, this, 0, nullptr);
    WaitForSingleObject(ready_, 5000);
  }
  ~HungWindow() {
    SetEvent(hang_);  // wakes it: it repaints, then goes
    WaitForSingleObject(thread_, 5000);
    for (HANDLE h : {thread_, hang_, ready_}) CloseHandle(h);
  }
  HungWindow(const HungWindow&) = delete;
  HungWindow& operator=(const HungWindow&) = delete;

 private:
  static DWORD WINAPI Main(void* arg) {
    auto* self = static_cast<HungWindow*>(arg);
    const RECT& r = self->r_;
    HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_VISIBLE, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(5);
    }
    InvalidateRect(w, nullptr, TRUE);
    SetEvent(self->ready_);
    WaitForSingleObject(self->hang_, 20000);  // answers nothing meanwhile
    DestroyWindow(w);
    return 0;
  }

  RECT r_;
  HANDLE hang_, ready_, thread_ = nullptr;
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

// A window of another program that has stopped answering, with a repaint
// pending, lies beneath the magnifier's body: every move still gives the
// lens of the new place within a second.
TEST_F(SnapshotUnderLoadE2E, AWindowThatStopsAnsweringDoesNotStopTheLens) {
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nNoLoadSkin=1\r\nAlwaysTop=1\r\n" + PlaceAt(300, 200) +
                                    "LastMagnification=2\r\n");
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "") << "start-up";
  HungWindow hung(RECT{440, 400, 490, 420});
  int phase = 0;
  for (int k = 1; k <= 5; ++k) {
    phase ^= 1;
    pattern_.SetPhase(phase);
    const DWORD start = Now();
    MoveWindowTo(app_.MainWindow(), 300 - 2 * k, 200 + k);
    EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == 300 - 2 * k; }, 1000)) << "move " << k;
    EXPECT_EQ(WaitForLens(app_, 2, phase, 1000), "") << "move " << k;
    EXPECT_LE(Now() - start, 1000u) << "move " << k;
  }
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.WaitExit(10000), 0);
}

// Presses made at once after a snapshot, quicker than a hand: after start-up,
// after a drag is let go (a right press, and a press on a zoom button while
// the drag's last snapshot is taken) and after a dialog closes. Every right
// press opens the menu and every zoom press counts once. The test command
// runs it on a 1920 x 1080 screen too.
TEST_F(SnapshotUnderLoadE2E, PressesMadeAtOnceAfterASnapshotAreNeverLost) {
  constexpr int kRounds = 20;
  const std::string settings = "[OcuralSetting]\r\nNoLoadSkin=1\r\nLastMagnification=2\r\n";
  // `letGo`: the left button's release goes to the system with the click,
  // in one input.
  auto rightPressOpensTheMenu = [&](int x, int y, const char* after, int round, bool letGo = false) {
    MouseTo(x, y);
    INPUT click[3] = {};
    const DWORD flags[3] = {MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP};
    for (int i = 0; i < 3; ++i) click[i] = INPUT{INPUT_MOUSE, {{0, 0, 0, flags[i], 0, 0}}};
    SendInput(letGo ? 3 : 2, letGo ? click : click + 1, sizeof(INPUT));
    HWND menu = OpenMenu();
    EXPECT_NE(menu, nullptr) << "the right press after " << after << " was lost, round " << round;
    if (!menu) return false;
    Key(VK_ESCAPE);
    return WaitFor([&] { return !IsWindowVisible(menu); }, 3000);
  };

  // Start-up: the press comes as soon as the window shows.
  for (int round = 0; round < 5; ++round) {
    OcuralApp app;
    app.WriteFile(L"Ocural.ini", settings + PlaceAt(300 + 40 * round, 200));
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(WaitFor([&] { return app.MainWindow() != nullptr; }, 15000));
    const RECT w = app.WindowRect();
    ASSERT_TRUE(rightPressOpensTheMenu(w.left + 150, w.top + 210, "start-up", round));
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(app.WaitExit(10000), 0);
  }

  app_.WriteFile(L"Ocural.ini", settings + PlaceAt(300, 200));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "") << "start-up";
  const wchar_t* const dialogs[] = {L"ぴこら～の設定", L"スキンの変更", L"バージョン情報"};
  const WORD keys[] = {'S', 'K', 'V'};
  int zoom = 2;
  for (int round = 0; round < kRounds; ++round) {
    // A short drag by the body; its release and a right click there go to
    // the system at once.
    RECT w = app_.WindowRect();
    const int dx = round % 2 ? -30 : 30;
    MouseTo(w.left + 150, w.top + 210);
    MouseDown();
    MouseTo(w.left + 150 + dx / 2, w.top + 212);
    ASSERT_TRUE(rightPressOpensTheMenu(w.left + 150 + dx, w.top + 214, "a drag", round, true));
    ASSERT_TRUE(WindowAt(w.left + dx, w.top + 4)) << "round " << round;

    // The same, with a click on a zoom button instead: in on even rounds,
    // out on odd ones.
    w = app_.WindowRect();
    MouseTo(w.left + 150, w.top + 210);
    MouseDown();
    MouseTo(w.left + 150 - dx, w.top + 206);
    MouseUp();
    const int button = round % 2 ? 40 : 16;
    MouseTo(w.left - dx + button, w.top - 4 + 208);
    MouseDown();
    MouseUp();
    zoom += round % 2 ? -1 : 1;
    ASSERT_EQ(WaitForLens(app_, zoom, 0, 3000), "") << "a zoom press after a drag, round " << round;
    ASSERT_TRUE(WindowAt(w.left - dx, w.top - 4)) << "the drag before the zoom press, round " << round;

    // A dialog from the menu, closed with Esc, then at once a right press.
    w = app_.WindowRect();
    MouseTo(w.left + 150, w.top + 210);
    MouseDown(2);
    MouseUp(2);
    ASSERT_NE(OpenMenu(), nullptr) << "round " << round;
    Key(keys[round % 3]);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
          for (HWND d : app_.Windows()) {
            if (IsWindowVisible(d) && TextOf(d) == dialogs[round % 3]) dialog = d;
          }
          return dialog != nullptr && GetForegroundWindow() == dialog;
        },
        5000))
        << "round " << round;
    INPUT esc[2] = {};
    esc[0].type = esc[1].type = INPUT_KEYBOARD;
    esc[0].ki.wVk = esc[1].ki.wVk = VK_ESCAPE;
    esc[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, esc, sizeof(INPUT));
    ASSERT_TRUE(rightPressOpensTheMenu(w.left + 150, w.top + 210, "a dialog closed", round));
  }
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.WaitExit(10000), 0);
}

}  // namespace
}  // namespace ocural::e2e
