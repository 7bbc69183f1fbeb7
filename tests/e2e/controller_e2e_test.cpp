// The tray icon, the popup menu and the colour pick, used as a person does.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

class ControllerE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    Key(VK_ESCAPE);
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  void StartWith(const std::string& extra, int zoom = 2) {
    app_.WriteFile(L"Ocural.ini",
                   "[OcuralSetting]\r\n" + PlaceAt(300, 200) + "LastMagnification=" + std::to_string(zoom) + "\r\n" +
                       extra);
    ASSERT_TRUE(app_.Start());
    ASSERT_TRUE(app_.WaitForMainWindow());
    ASSERT_EQ(WaitForLens(app_, zoom, 0), "");
    ASSERT_TRUE(WaitFor([&] { return app_.WindowRect().left == 300 && app_.WindowRect().top == 200; }, 3000));
  }
  PatternWindow pattern_;
  OcuralApp app_;
};

TEST_F(ControllerE2E, TrayIconIsThereAtStartAndGoneAfterTheExitItem) {
  const int before = TrayIcons();
  StartWith("");
  EXPECT_TRUE(WaitFor([&] { return TrayIcons() == before + 1; }, 3000));
  // Right button on the body: the menu opens on the release, not the press.
  MouseTo(420, 410);
  MouseDown(2);
  Pump(300);
  EXPECT_EQ(FindWindowW(L"#32768", nullptr) && IsWindowVisible(FindWindowW(L"#32768", nullptr)), false)
      << "a press alone opens nothing";
  MouseUp(2);
  HWND menu = OpenMenu();
  ASSERT_NE(menu, nullptr);
  // The last item is "終了(&X)". Items are chosen with the left button: a
  // right click on it leaves the menu open for the keys that follow.
  RECT r{};
  GetWindowRect(menu, &r);
  const POINT exitItem{(r.left + r.right) / 2, r.bottom - 8};
  ClickAt(exitItem.x, exitItem.y, 2);
  Key('M');
  Key('5');
  ASSERT_EQ(WaitForLens(app_, 5, 0), "") << "the right click closed the menu or chose its item";
  // A left click on the same item ends the program.
  MouseTo(420, 410);
  MouseDown(2);
  MouseUp(2);
  ASSERT_NE(OpenMenu(), nullptr);
  ClickAt(exitItem.x, exitItem.y);
  EXPECT_EQ(app_.WaitExit(10000), 0);
  EXPECT_TRUE(WaitFor([&] { return TrayIcons() == before; }, 3000)) << "the icon goes with the program";
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastMagnification=5\r\n"), std::string::npos);
}

TEST_F(ControllerE2E, NoTrayIconWhenTheSettingSaysSo) {
  const int before = TrayIcons();
  StartWith("ShowTrayIcon=0\r\n");
  Pump(500);
  EXPECT_EQ(TrayIcons(), before);
}

TEST_F(ControllerE2E, MenuAccessKeysSetTheFactorAndExitSavesIt) {
  StartWith("");
  ClickAt(420, 410, 2);
  ASSERT_NE(OpenMenu(), nullptr);
  Key('M');
  Key('5');
  EXPECT_EQ(WaitForLens(app_, 5, 0), "");
  // From the lens too: a right click there opens the same menu.
  ClickAt(400, 300, 2);
  ASSERT_NE(OpenMenu(), nullptr);
  Key('M');
  Key('C');  // x12
  EXPECT_EQ(WaitForLens(app_, 12, 0), "");
  ClickAt(400, 300, 2);
  ASSERT_NE(OpenMenu(), nullptr);
  Key('X');
  ASSERT_EQ(app_.WaitExit(10000), 0);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastMagnification=12\r\n"), std::string::npos);
}

TEST_F(ControllerE2E, ColourPickInAllFourNotations) {
  for (int mode = 0; mode < 4; ++mode) {
    OcuralApp app;
    app.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(300, 200) + "ColorPicker=1\r\nColorPickMode=" +
                                     std::to_string(mode) + "\r\n");
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    ASSERT_EQ(WaitForLens(app, 2, 0), "");
    ASSERT_TRUE(SetClipboardText("before"));
    const int x = 350 + 13 * mode, y = 260 + 7 * mode;
    const COLORREF shown = ScreenShot().At(x, y);
    ClickAt(x, y);
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == Notation(shown, mode); }, 3000))
        << "mode " << mode << ": clipboard " << ClipboardText() << ", lens shows " << Notation(shown, mode);
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitExit(10000), 0);
  }
}

// Quick clicks on the magnifier while another window is active: the click
// activates it and is not lost to the snapshot that activation asks for. The
// right click opens the menu, the left click picks the colour the lens
// showed, and the snapshot follows once the button is up.
TEST_F(ControllerE2E, QuickClicksOnAnInactiveMagnifierAreNotLost) {
  StartWith("AlwaysTop=1\r\nColorPicker=1\r\nColorPickMode=0\r\n");
  auto activateThePattern = [&] {
    ClickAt(800, 600);
    return WaitFor([&] { return GetForegroundWindow() == pattern_.hWnd(); }, 3000);
  };
  ASSERT_TRUE(activateThePattern());
  pattern_.SetPhase(1);
  QuickClicks(420, 410, 1, 2);
  ASSERT_NE(OpenMenu(), nullptr) << "the right click on the body opened no menu";
  Key(VK_ESCAPE);
  EXPECT_EQ(WaitForLens(app_, 2, 1), "") << "the activation's snapshot comes after the menu";

  // The colour copied is one the lens shows: a pattern pixel of the source
  // rectangle. (The lens itself is not read here: the magnifier may be away
  // for the snapshot that losing the activation asks for.)
  ASSERT_TRUE(activateThePattern());
  ASSERT_TRUE(SetClipboardText("before"));
  QuickClicks(360, 280, 1);
  std::string text;
  ASSERT_TRUE(WaitFor([&] { return (text = ClipboardText()) != "before"; }, 3000)) << "the left click copied nothing";
  unsigned r = 0, g = 0, b = 0;
  ASSERT_EQ(sscanf(text.c_str(), "#%02X%02X%02X", &r, &g, &b), 3) << text;
  const auto p = testing::DecodePattern(RGB(r, g, b));
  ASSERT_TRUE(p.has_value()) << text << " is not a colour of the magnified pattern";
  const ExpectedSource src = SourceFor(RECT{308, 208, 493, 393}, 2);  // the lens of the window at (300, 200)
  EXPECT_TRUE(src.Contains(p->x, p->y))
      << text << " shows (" << p->x << "," << p->y << "), outside the lens's source rectangle";
  EXPECT_EQ(p->phase, 1);
}

// The wheel and the keys of an active magnifier, one step after another: the
// factor and the place each step gives, with the lens exact there.
TEST_F(ControllerE2E, WheelAndKeysZoomMoveOpenTheMenuAndCopy) {
  StartWith("ColorPicker=0\r\nColorPickMode=0\r\n");
  const RECT lens = app_.LensRect();
  MouseTo((lens.left + lens.right) / 2, (lens.top + lens.bottom) / 2);
  auto send = [](std::vector<INPUT> in) {
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    Pump(150);
  };
  auto wheel = [&](int delta, int times) {
    std::vector<INPUT> in(static_cast<size_t>(times));
    for (INPUT& i : in) {
      i.type = INPUT_MOUSE;
      i.mi.dwFlags = MOUSEEVENTF_WHEEL;
      i.mi.mouseData = static_cast<DWORD>(delta);
    }
    send(in);
  };
  // Keys pressed in order and let go in the opposite order.
  auto keys = [&](std::vector<WORD> vks) {
    std::vector<INPUT> in;
    for (WORD k : vks) {
      INPUT down{INPUT_KEYBOARD, {}};
      down.ki.wVk = k;
      in.push_back(down);
    }
    for (size_t i = vks.size(); i-- > 0;) {
      INPUT up{INPUT_KEYBOARD, {}};
      up.ki.wVk = vks[i];
      up.ki.dwFlags = KEYEVENTF_KEYUP;
      in.push_back(up);
    }
    send(in);
  };
  auto typed = [&](wchar_t c) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = c;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    send({in[0], in[1]});
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    int zoom, dx, dy;
  };
  const Step steps[] = {
      {"three wheel notches up", [&] { wheel(WHEEL_DELTA, 3); }, 5, 0, 0},
      {"a fine wheel, 40 three times", [&] { wheel(40, 3); }, 6, 0, 0},
      {"one notch down", [&] { wheel(-WHEEL_DELTA, 1); }, 5, 0, 0},
      {"the keypad's minus", [&] { keys({VK_SUBTRACT}); }, 4, 0, 0},
      {"the keypad's plus", [&] { keys({VK_ADD}); }, 5, 0, 0},
      {"a typed minus", [&] { typed(L'-'); }, 4, 0, 0},
      {"right", [&] { keys({VK_RIGHT}); }, 4, 1, 0},
      {"Shift+down", [&] { keys({VK_SHIFT, VK_DOWN}); }, 4, 1, 10},
      {"Shift+left twice", [&] { keys({VK_SHIFT, VK_LEFT}), keys({VK_SHIFT, VK_LEFT}); }, 4, -19, 10},
      {"up", [&] { keys({VK_UP}); }, 4, -19, 9},
      {"a typed plus", [&] { typed(L'+'); }, 5, -19, 9},
      {"six notches down stop at 1", [&] { wheel(-WHEEL_DELTA, 6); }, 1, -19, 9},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == 300 + s.dx && app_.WindowRect().top == 200 + s.dy; }, 3000))
        << s.what << ": window at " << app_.WindowRect().left << "," << app_.WindowRect().top;
    EXPECT_EQ(WaitForLens(app_, s.zoom, 0, 3000), "") << s.what;
  }

  // Ctrl+C copies the colour the lens shows at its centre, with the pick off.
  ASSERT_TRUE(SetClipboardText("before"));
  const RECT r = app_.LensRect();
  const COLORREF shown = ScreenShot().At((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  keys({VK_CONTROL, 'C'});
  EXPECT_TRUE(WaitFor([&] { return ClipboardText() == Notation(shown, 0); }, 3000))
      << "clipboard " << ClipboardText() << ", lens centre " << Notation(shown, 0);

  // The menu key and Shift+F10 open the menu.
  for (const auto& chord : {std::vector<WORD>{VK_APPS}, std::vector<WORD>{VK_SHIFT, VK_F10}}) {
    keys(chord);
    HWND menu = OpenMenu();
    EXPECT_NE(menu, nullptr) << "key " << chord.back();
    Key(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !menu || !IsWindowVisible(menu); }, 3000));
  }

  // A click on "+" leaves the focus on it: Space presses it as it does any
  // button, and the keys the window acts on still reach the window.
  HWND plus = ChildOf(app_.MainWindow(), L"Button", L"+");
  ASSERT_NE(plus, nullptr);
  RECT pr{};
  GetWindowRect(plus, &pr);
  ClickAt((pr.left + pr.right) / 2, (pr.top + pr.bottom) / 2);
  EXPECT_EQ(WaitForLens(app_, 2, 0, 3000), "") << "the click on +";
  keys({VK_SPACE});
  EXPECT_EQ(WaitForLens(app_, 3, 0, 3000), "") << "Space on the focused +";
  typed(L'-');
  EXPECT_EQ(WaitForLens(app_, 2, 0, 3000), "") << "a typed minus with + focused";
  keys({VK_RIGHT});
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == 300 - 18; }, 3000)) << "right with + focused";
}

TEST_F(ControllerE2E, PickOffAndMiddleClickLeaveTheClipboardAlone) {
  StartWith("ColorPicker=0\r\n");
  ASSERT_TRUE(SetClipboardText("untouched"));
  ClickAt(380, 280);
  ClickAt(380, 280, 4);
  Pump(400);
  EXPECT_EQ(ClipboardText(), "untouched");
  HWND menu = FindWindowW(L"#32768", nullptr);
  EXPECT_FALSE(menu && IsWindowVisible(menu)) << "a middle click opens nothing";
  EXPECT_TRUE(app_.Running());
}

}  // namespace
}  // namespace ocural::e2e

namespace ocural::e2e {
namespace {

std::wstring VisibleTooltipText() {
  for (HWND w = FindWindowW(L"tooltips_class32", nullptr); w;
       w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
    if (!IsWindowVisible(w)) continue;
    wchar_t text[128] = {};
    SendMessageW(w, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    if (text[0]) return text;
  }
  return L"";
}

TEST_F(ControllerE2E, TrayTipShowsTheFactorAndALeftClickBringsTheMagnifierForward) {
  StartWith("", 3);
  HWND icon = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (icon = TrayIconWindow()) != nullptr; }, 3000));
  RECT r{};
  GetWindowRect(icon, &r);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  std::wstring tip;
  WaitFor(
      [&] {
        MouseTo(cx - 1, cy);
        MouseTo(cx + 1, cy);
        // Rest on the icon until the tooltip comes up.
        return WaitFor(
            [&] {
              tip = VisibleTooltipText();
              return !tip.empty();
            },
            1500);
      },
      8000);
  EXPECT_EQ(tip, L"ぴこら～ [x3] ");
  // The popup from the icon: the right click opens it; Esc closes it.
  ClickAt(cx, cy, 2);
  EXPECT_NE(OpenMenu(), nullptr);
  Key(VK_ESCAPE);
  ClickAt(cx, cy);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == app_.MainWindow(); }, 3000));
  EXPECT_TRUE(app_.Running());
}

// A right click on the icon brings the magnifier forward and opens its menu
// with the magnifier still the active window. The window stays in place
// while the menu opens and while it is up (a window that steps aside for a
// snapshot closes its menu); an activation's snapshot follows the menu.
TEST_F(ControllerE2E, RightClickOnTheIconKeepsTheMagnifierActiveUnderItsMenu) {
  StartWith("AlwaysTop=1\r\n");
  HWND icon = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (icon = TrayIconWindow()) != nullptr; }, 3000));
  RECT r{};
  GetWindowRect(icon, &r);
  const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  std::optional<OtherWindow> other;
  for (const bool fromBehind : {false, true}) {
    SCOPED_TRACE(fromBehind ? "another window active" : "the magnifier active");
    if (fromBehind) {
      // Another program's window opens, clear of the notification area, the
      // magnifier and the lens's source, and a click makes it the active
      // one. (Not the full-screen pattern: under Wine without a window
      // manager the window that takes the focus goes to the top of the X
      // stack, over the notification area, and a move to the bottom does not
      // lower it there again. The icon is then hidden on the screen, and a
      // press on its place goes to the pattern.)
      other.emplace(RECT{640, 440, 880, 600});
      ClickAt(other->Centre().x, other->Centre().y);
      ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other->hWnd(); }, 3000));
      pattern_.SetPhase(1);
    }
    ASSERT_EQ(WindowFromPoint(centre), icon) << "the icon is covered";
    ASSERT_TRUE(WaitFor([&] { return SeenOnScreen(r); }, 3000)) << "the icon is covered on the screen";
    ASSERT_TRUE(WaitUntilSettled(app_));
    ClickAt(centre.x, centre.y, 2);
    // Watch the window until the menu has been up for half a second.
    int away = 0;
    HWND menu = nullptr;
    const DWORD start = Now();
    DWORD menuSince = 0;
    while (Now() - start < 4000 && !(menu && Now() - menuSince > 500)) {
      away += app_.WindowRect().top < 0;
      HWND m = FindWindowW(L"#32768", nullptr);
      if (!menu && m && IsWindowVisible(m)) {
        menu = m;
        menuSince = Now();
      }
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
    ASSERT_NE(menu, nullptr) << "no menu from the icon";
    EXPECT_TRUE(IsWindowVisible(menu)) << "the menu closed by itself";
    EXPECT_EQ(GetForegroundWindow(), app_.MainWindow()) << "the magnifier is not the active window under its menu";
    EXPECT_EQ(away, 0) << "the window stepped aside between the click and the open menu";
    Key(VK_ESCAPE);
    if (fromBehind) {
      EXPECT_EQ(WaitForLens(app_, 2, 1), "") << "the activation's snapshot after the menu";
    }
  }
  EXPECT_TRUE(app_.Running());
}

}  // namespace
}  // namespace ocural::e2e

namespace ocural::e2e {
namespace {

HWND ControllerOf(const OcuralApp& app) {
  for (HWND w : app.Windows()) {
    wchar_t text[64] = {};
    GetWindowTextW(w, text, 64);
    if (std::wstring(text) == L"Ocural Controler") return w;
  }
  return nullptr;
}

TEST_F(ControllerE2E, IconComesBackWhenTheNotificationAreaRestarts) {
  const int before = TrayIcons();
  StartWith("");
  ASSERT_TRUE(WaitFor([&] { return TrayIcons() == before + 1; }, 3000));
  HWND ctrl = ControllerOf(app_);
  ASSERT_NE(ctrl, nullptr);
  EXPECT_FALSE(IsWindowVisible(ctrl)) << "the controller is never shown";
  // The notification area forgets the icon, as when Explorer restarts...
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = ctrl;
  nid.uID = 0;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ASSERT_TRUE(WaitFor([&] { return TrayIcons() == before; }, 3000));
  // ...and announces itself again.
  SendMessageTimeoutW(ctrl, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  EXPECT_TRUE(WaitFor([&] { return TrayIcons() == before + 1; }, 3000));
}

TEST_F(ControllerE2E, ClipboardHeldByAnotherProgramIsGivenUpWithoutAHang) {
  StartWith("ColorPicker=1\r\n");
  ASSERT_TRUE(SetClipboardText("held"));
  ASSERT_TRUE(OpenClipboard(nullptr));  // keep it open, as a busy program might
  ClickAt(380, 280);
  Pump(1200);
  CloseClipboard();
  EXPECT_TRUE(app_.Running());
  EXPECT_EQ(ClipboardText(), "held");
  // The program still answers at once.
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(app_.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result));
  // And the next pick goes through.
  const COLORREF shown = ScreenShot().At(380, 280);
  ClickAt(380, 280);
  EXPECT_TRUE(WaitFor([&] { return ClipboardText() == Notation(shown, 0); }, 3000)) << ClipboardText();
}

}  // namespace
}  // namespace ocural::e2e
