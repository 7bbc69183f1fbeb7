// The real program on two monitors (Xorg's dummy driver; the test command
// sets the layout and names it in OCURAL_TEST_LAYOUT): the lens, a drag onto
// the second monitor, the colour pick there, where menus and dialogs open,
// the place kept for the next start, and a monitor that goes away. Skipped
// on one monitor.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

constexpr wchar_t kSettingsCaption[] = L"ぴこら～の設定";
constexpr wchar_t kChooserCaption[] = L"スキンの変更";
constexpr wchar_t kVersionCaption[] = L"バージョン情報";

// The primary DUMMY0 is 1024 x 768 and DUMMY1 800 x 600; Wine puts the
// primary at (0, 0). The positions are xrandr's, from the virtual screen's
// top-left corner, for putting the layout back.
struct Layout {
  const char* name;
  RECT second;
  const wchar_t* primaryPos;
  const wchar_t* secondPos;
};
constexpr Layout kLayouts[] = {
    {"left", {-800, 0, 0, 600}, L"800x0", L"0x0"},
    {"above", {0, -600, 800, 0}, L"0x600", L"0x0"},
    {"right", {1024, 0, 1824, 600}, L"0x0", L"1024x0"},
};

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

bool Inside(const RECT& r, const RECT& area) {
  return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

RECT RectOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

// Starts X's xrandr from inside Wine: Wine runs a Unix program named by its
// path on drive Z:, but hands back no process to wait for, so the caller
// waits for the monitors to change.
bool StartXrandr(const std::wstring& args) {
  std::wstring cmd = L"Z:\\usr\\bin\\xrandr " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  if (pi.hProcess) CloseHandle(pi.hProcess);
  if (pi.hThread) CloseHandle(pi.hThread);
  return true;
}

class TwoMonitorE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("OCURAL_TEST_LAYOUT");
    if (!name) GTEST_SKIP() << "one monitor (OCURAL_TEST_LAYOUT is not set)";
    for (const Layout& l : kLayouts) {
      if (std::strcmp(l.name, name) == 0) layout_ = &l;
    }
    ASSERT_NE(layout_, nullptr) << "unknown layout " << name;
    const auto monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2u) << "the display has two monitors (" << name << "), the system sees "
                                   << monitors.size();
    ASSERT_TRUE(EqualRect(&monitors[1].bounds, &layout_->second))
        << "second monitor at " << Text(monitors[1].bounds) << ", want " << Text(layout_->second);
    second_ = monitors[1];
    pattern_.emplace();
  }
  void TearDown() override {
    if (!layout_) return;
    MouseUp(1);
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name() + "-" + layout_->name);
    }
  }

  // The window's top-left corner for the window in the middle of the second monitor.
  POINT OnSecond() const {
    const SIZE s = DesignedClient();
    const RECT& m = second_.bounds;
    return {m.left + (m.right - m.left - s.cx) / 2, m.top + (m.bottom - m.top - s.cy) / 2};
  }
  // Its corner at the second monitor's bottom right, where a menu or dialog
  // opening at the lens does not fit below and right of it.
  POINT SecondsCorner() const {
    const SIZE s = DesignedClient();
    return {second_.work.right - s.cx, second_.work.bottom - s.cy};
  }
  // The lens's centre (100, 100 in the window) on the border of the monitors.
  POINT AcrossTheBorder() const {
    const RECT& m = second_.bounds;
    if (m.bottom <= 0) return {300, -100};             // above
    return {(m.right <= 0 ? 0 : m.left) - 100, 200};  // left, right
  }
  // Starts the program on the primary at (300, 200), then moves it to `place`
  // with the lens exact there.
  void StartAt(OcuralApp& app, POINT place, int zoom = 2, const std::string& extra = "") {
    app.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(300, 200) +
                                     "LastMagnification=" + std::to_string(zoom) + "\r\n" + extra);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    ASSERT_EQ(WaitForLens(app, zoom, pattern_->Phase()), "");
    MoveWindowTo(app.MainWindow(), place.x, place.y);
    ASSERT_TRUE(WindowAt(app, place)) << DescribeProgram(app);
    ASSERT_EQ(WaitForLens(app, zoom, pattern_->Phase()), "");
    ASSERT_TRUE(WaitUntilSettled(app));
  }
  static bool WindowAt(const OcuralApp& app, POINT p) {
    return WaitFor([&] { return app.WindowRect().left == p.x && app.WindowRect().top == p.y; }, 3000);
  }
  static POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  const Layout* layout_ = nullptr;
  Monitor second_{};
  std::optional<PatternWindow> pattern_;
};

TEST_F(TwoMonitorE2E, LensIsExactOnTheSecondMonitorAndAcrossTheBorder) {
  const struct {
    const char* where;
    POINT place;
  } places[] = {{"on the second monitor", OnSecond()}, {"across the border", AcrossTheBorder()}};
  for (const int zoom : {1, 3}) {
    OcuralApp app;
    ASSERT_NO_FATAL_FAILURE(StartAt(app, {300, 200}, zoom));
    // Each place with the other phase: the lens shows a snapshot taken there.
    for (const auto& p : places) {
      SCOPED_TRACE(std::string(p.where) + ", factor " + std::to_string(zoom));
      pattern_->SetPhase(1 - pattern_->Phase());
      MoveWindowTo(app.MainWindow(), p.place.x, p.place.y);
      EXPECT_TRUE(WindowAt(app, p.place));
      EXPECT_EQ(WaitForLens(app, zoom, pattern_->Phase()), "");
    }
  }
}

TEST_F(TwoMonitorE2E, DragFromThePrimaryOntoTheSecondMonitor) {
  OcuralApp app;
  ASSERT_NO_FATAL_FAILURE(StartAt(app, {300, 200}));
  // The body below the lens, right of the buttons: client (120, 210).
  const POINT from{420, 410}, to = OnSecond();
  const POINT end{to.x + 120, to.y + 210};
  MouseTo(from.x, from.y);
  MouseDown();
  constexpr int kSteps = 10;
  for (int k = 1; k <= kSteps; ++k) {
    MouseTo(from.x + (end.x - from.x) * k / kSteps, from.y + (end.y - from.y) * k / kSteps);
  }
  Pump(200);  // a hand rests a moment before letting go
  MouseUp();
  EXPECT_TRUE(WindowAt(app, to)) << "dropped at " << Text(app.WindowRect()) << ", want the corner at " << to.x << ","
                                 << to.y;
  EXPECT_EQ(WaitForLens(app, 2, 0), "");
  // Another window takes the activation (a snapshot), then the screen
  // changes and the magnifier is active again (another): it stands where it
  // was dropped, and the lens shows the screen there.
  ClickAt(900, 700);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == pattern_->hWnd(); }, 3000));
  pattern_->SetPhase(1);
  const POINT lens = CentreOf(app.LensRect());
  ClickAt(lens.x, lens.y);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == app.MainWindow(); }, 3000));
  EXPECT_TRUE(WaitUntilSettled(app));
  EXPECT_TRUE(WindowAt(app, to)) << "after the snapshots it stands at " << Text(app.WindowRect());
  EXPECT_EQ(WaitForLens(app, 2, 1), "");
}

TEST_F(TwoMonitorE2E, ColourPickOnTheSecondMonitor) {
  OcuralApp app;
  ASSERT_NO_FATAL_FAILURE(StartAt(app, OnSecond(), 2, "ColorPicker=1\r\nColorPickMode=0\r\n"));
  ASSERT_TRUE(SetClipboardText("before"));
  const RECT lens = app.LensRect();
  const POINT at{lens.left + 50, lens.top + 70};
  const COLORREF shown = ScreenShot(RECT{at.x, at.y, at.x + 1, at.y + 1}).At(0, 0);
  ASSERT_TRUE(testing::DecodePattern(shown).has_value()) << "the lens shows no pattern at " << at.x << "," << at.y;
  ClickAt(at.x, at.y);
  EXPECT_TRUE(WaitFor([&] { return ClipboardText() == Notation(shown, 0); }, 3000))
      << "clipboard " << ClipboardText() << ", the lens shows " << Notation(shown, 0);
}

// The window stands in the second monitor's bottom-right corner: the menus
// and the dialogs open whole on that monitor's work area, where the user is
// looking, not on the primary and not across the border.
TEST_F(TwoMonitorE2E, MenusAndDialogsOpenWholeOnTheMagnifiersMonitor) {
  OcuralApp app;
  app.WriteFile(L"broken.vsk", "[OcuralSkin]\r\nbase=missing.bmp\r\nlens=missing.bmp\r\n");
  ASSERT_NO_FATAL_FAILURE(StartAt(app, SecondsCorner()));
  const RECT work = second_.work;
  auto openMenu = [&](POINT at) {
    ClickAt(at.x, at.y, 2);
    return OpenMenu();
  };
  auto closeMenu = [&](HWND menu) {
    Key(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));
  };
  const POINT lens = CentreOf(app.LensRect());
  HWND menu = openMenu(lens);
  ASSERT_NE(menu, nullptr) << "no menu from a right click on the lens";
  EXPECT_PRED2(Inside, RectOf(menu), work) << "the lens's menu at " << Text(RectOf(menu)) << ", the work area "
                                           << Text(work);
  closeMenu(menu);

  HWND icon = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (icon = TrayIconWindow()) != nullptr; }, 3000));
  ASSERT_TRUE(WaitUntilSettled(app));
  menu = openMenu(CentreOf(RectOf(icon)));
  ASSERT_NE(menu, nullptr) << "no menu from the tray icon";
  EXPECT_PRED2(Inside, RectOf(menu), work) << "the tray icon's menu at " << Text(RectOf(menu))
                                           << ", the magnifier's work area " << Text(work);
  closeMenu(menu);

  const struct {
    WORD key;
    const wchar_t* caption;
  } dialogs[] = {{'S', kSettingsCaption}, {'K', kChooserCaption}, {'V', kVersionCaption}};
  for (const auto& d : dialogs) {
    SCOPED_TRACE(std::string("menu item ") + static_cast<char>(d.key));
    ASSERT_TRUE(WaitUntilSettled(app));
    ASSERT_NE(openMenu(lens), nullptr);
    Key(d.key);
    HWND dialog = WaitForDialog(app, d.caption);
    ASSERT_NE(dialog, nullptr) << DescribeProgram(app);
    EXPECT_PRED2(Inside, RectOf(dialog), work) << "the dialog at " << Text(RectOf(dialog)) << ", the work area "
                                               << Text(work);
    if (d.key == 'K') {
      // A skin that cannot be loaded: its message opens there too.
      const HWND list = FindWindowExW(dialog, nullptr, L"ListBox", nullptr);
      const LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(L"broken.vsk"));
      ASSERT_GE(index, 0) << "broken.vsk is not listed";
      SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
      const HWND box = WaitForMessageBox(app);
      ASSERT_NE(box, nullptr);
      EXPECT_PRED2(Inside, RectOf(box), work) << "the message at " << Text(RectOf(box)) << ", the work area "
                                              << Text(work);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000));
      ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(app.MainWindow()) != FALSE; }, 5000));
      continue;
    }
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000));
  }
}

TEST_F(TwoMonitorE2E, APlaceOnTheSecondMonitorIsBackAtTheNextStart) {
  OcuralApp first;
  const POINT place = OnSecond();
  ASSERT_NO_FATAL_FAILURE(StartAt(first, place));
  PostMessageW(first.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(first.WaitExit(10000), 0);
  const std::string ini = first.ReadFile(L"Ocural.ini");
  EXPECT_NE(ini.find("\r\n" + PlaceAt(place.x, place.y)), std::string::npos) << ini;

  // With a skin that cannot be loaded: its message at the start opens on
  // the monitor the window opens on.
  OcuralApp again(first.Folder());
  again.WriteFile(L"broken.vsk", "[OcuralSkin]\r\nbase=missing.bmp\r\nlens=missing.bmp\r\n");
  std::string withBroken = ini;
  const size_t skin = withBroken.find("LastSkin=");
  ASSERT_NE(skin, std::string::npos) << ini;
  withBroken.replace(skin, withBroken.find("\r\n", skin) - skin, "LastSkin=broken.vsk");
  again.WriteFile(L"Ocural.ini", withBroken);
  ASSERT_TRUE(again.Start());
  const HWND box = WaitForMessageBox(again);
  ASSERT_NE(box, nullptr);
  EXPECT_PRED2(Inside, RectOf(box), second_.work)
      << "the message at " << Text(RectOf(box)) << ", the work area " << Text(second_.work);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(again.WaitForMainWindow());
  EXPECT_TRUE(WindowAt(again, place)) << "it opened at " << Text(again.WindowRect()) << ", closed at " << place.x
                                      << "," << place.y;
  EXPECT_EQ(WaitForLens(again, 2, 0), "");
}

// The second monitor is turned off with xrandr, as when it is unplugged,
// and turned on again at the end.
TEST_F(TwoMonitorE2E, WhenTheSecondMonitorGoesAwayTheWindowComesOntoThePrimary) {
  OcuralApp app;
  ASSERT_NO_FATAL_FAILURE(StartAt(app, OnSecond()));
  const std::wstring back = std::wstring(L"--output DUMMY0 --mode m1024 --pos ") + layout_->primaryPos +
                            L" --primary --output DUMMY1 --mode m800 --pos " + layout_->secondPos;
  struct PutBack {
    const std::wstring& args;
    ~PutBack() {
      EXPECT_TRUE(StartXrandr(args));
      EXPECT_TRUE(WaitFor([] { return Monitors().size() == 2; }, 10000)) << "the second monitor did not come back";
    }
  } putBack{back};
  ASSERT_TRUE(StartXrandr(L"--output DUMMY1 --off --output DUMMY0 --mode m1024 --pos 0x0 --primary"));
  ASSERT_TRUE(WaitFor([] { return Monitors().size() == 1; }, 10000)) << "the system still sees two monitors";
  const RECT work = Monitors()[0].work;
  EXPECT_TRUE(WaitFor([&] { return Inside(app.WindowRect(), work); }, 5000))
      << "the window stays at " << Text(app.WindowRect()) << ", off the only monitor " << Text(work);
  EXPECT_TRUE(app.Running());
}

}  // namespace
}  // namespace ocural::e2e
