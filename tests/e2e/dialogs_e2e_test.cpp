// The settings dialog, the skin chooser and the version dialog of the real
// program, opened from the popup menu with its access keys and answered with
// the keyboard and the mouse, the way a person does. Also keeps screenshots
// of each dialog and of the magnifier with each bundled skin for the README.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "controller/core/version_text.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

constexpr wchar_t kSettingsCaption[] = L"ぴこら～の設定";
constexpr wchar_t kChooserCaption[] = L"スキンの変更";
constexpr wchar_t kVersionCaption[] = L"バージョン情報";

// Alt held while the key is pressed: an access key.
void AltKey(WORD vk) {
  INPUT in[4] = {};
  for (auto& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_MENU;
  in[1].ki.wVk = vk;
  in[2].ki.wVk = vk;
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_MENU;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
  Pump(200);
}

bool WaitGone(HWND dialog) {
  return WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

int Checked(HWND button) { return static_cast<int>(SendMessageW(button, BM_GETCHECK, 0, 0)); }

POINT CentreOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool Topmost(HWND w) { return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// True when `upper` comes before `lower` in the z-order of top-level windows.
bool Above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

// Where a dialog opens: centred on the screen when it fits the work area;
// when it does not, as far left and up as it fits, but never with its
// top-left corner or its caption off the work area.
void ExpectPlacedOnTheWorkArea(HWND dialog) {
  RECT r{}, work{};
  GetWindowRect(dialog, &r);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int centredX = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, centredY = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  const std::string what = Utf8(TextOf(dialog));
  if (w <= work.right - work.left) {
    EXPECT_NEAR(r.left, centredX, 1) << what;
  } else {
    EXPECT_EQ(r.left, work.left) << what << " is wider than the work area";
  }
  if (h <= work.bottom - work.top) {
    EXPECT_NEAR(r.top, centredY, 1) << what;
  } else {
    EXPECT_EQ(r.top, work.top) << what << " is taller than the work area";
  }
  EXPECT_LE(r.top + GetSystemMetrics(SM_CYCAPTION), work.bottom) << what << ": the caption is on the work area";
}

// Pictures for the README: the whole screen, next to the test log.
void SaveReadmeShot(const std::string& name) {
  Pump(300);  // let the last paint reach the screen
  SaveFailureShot("readme-" + name);
}

class DialogsE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  // Starts the program; without a skin, waits for the first lens too.
  void StartWith(const std::string& extra, bool skinned = false) {
    app_.WriteFile(L"Ocural.ini",
                   "[OcuralSetting]\r\n" + PlaceAt(300, 200) + "LastMagnification=2\r\n" + extra);
    ASSERT_TRUE(app_.Start());
    ASSERT_TRUE(app_.WaitForMainWindow());
    if (skinned) {
      // The lens of a shaped skin is not a plain rectangle to check: its
      // centre shows a pattern pixel of the source rectangle once the first
      // snapshot is there, and the window stands at its place, active.
      ASSERT_TRUE(WaitFor(
          [&] {
            const RECT lens = app_.LensRect();
            const RECT win = app_.WindowRect();
            if (win.left != 300 || win.top != 200 || GetForegroundWindow() != app_.MainWindow()) return false;
            const auto p = testing::DecodePattern(ScreenShot().At((lens.left + lens.right) / 2,
                                                                  (lens.top + lens.bottom) / 2));
            const ExpectedSource src = SourceFor(lens, 2);
            return p && src.Contains(p->x, p->y);
          },
          10000))
          << "no magnified pattern at the centre of the lens";
    } else {
      ASSERT_EQ(WaitForLens(app_, 2, 0), "");
    }
  }
  // A right click on the lens, as a person gives it, then the item's access key.
  void MenuItem(WORD key) {
    ASSERT_TRUE(WaitUntilSettled(app_));
    const RECT lens = app_.LensRect();
    MouseTo((lens.left + lens.right) / 2, (lens.top + lens.bottom) / 2);
    MouseDown(2);
    MouseUp(2);
    ASSERT_NE(OpenMenu(), nullptr);
    Key(key);
  }
  HWND Open(WORD key, const wchar_t* caption) {
    MenuItem(key);
    HWND dialog = WaitForDialog(app_, caption);
    // Each dialog comes up above the magnifier, which waits for it, centred
    // on the screen where it fits the work area, and with its caption on
    // the work area where it does not.
    if (dialog) {
      ExpectPlacedOnTheWorkArea(dialog);
      EXPECT_EQ(GetWindow(dialog, GW_OWNER), app_.MainWindow());
      EXPECT_TRUE(Topmost(dialog));
      EXPECT_FALSE(IsWindowEnabled(app_.MainWindow()));
      EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2000));
    }
    return dialog;
  }
  void ExitFromMenu() {
    MenuItem('X');
    ASSERT_EQ(app_.WaitExit(10000), 0);
  }

  PatternWindow pattern_;
  OcuralApp app_;
};

TEST_F(DialogsE2E, SettingsShowTheFileAndOkAppliesTheChangesAtOnce) {
  const int icons = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=1\r\nColorPicker=1\r\nNoLoadSkin=0\r\nShowTrayIcon=1\r\nColorPickMode=2\r\n"));
  ASSERT_TRUE(WaitFor([&] { return TrayIcons() == icons + 1; }, 3000));
  HWND dialog = Open('S', kSettingsCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(Above(dialog, app_.MainWindow())) << "the dialog is above a magnifier that stays on top";

  HWND tray = ChildOf(dialog, L"Button", L"タスクトレイにアイコンを表示する(&T)");
  HWND top = ChildOf(dialog, L"Button", L"常に手前に表示する(&A)");
  HWND noLoad = ChildOf(dialog, L"Button", L"起動時、スキンをロードしない(&N)");
  HWND pick = ChildOf(dialog, L"Button", L"ルーペ部をクリックするとカラーピック(&P)");
  HWND html = ChildOf(dialog, L"Button", L"HTML形式(#RRGGBB)");
  HWND vb = ChildOf(dialog, L"Button", L"VB形式(&&HBBGGRR)");
  HWND hex = ChildOf(dialog, L"Button", L"(0xBBGGRR)");
  HWND dec = ChildOf(dialog, L"Button", L"RGBを区切って(RRR, GGG, BBB)");
  for (HWND w : {tray, top, noLoad, pick, html, vb, hex, dec}) ASSERT_NE(w, nullptr);
  EXPECT_EQ(Checked(tray), 1);
  EXPECT_EQ(Checked(top), 1);
  EXPECT_EQ(Checked(noLoad), 0);
  EXPECT_EQ(Checked(pick), 1);
  EXPECT_EQ(Checked(html) + Checked(vb) + Checked(dec), 0);
  EXPECT_EQ(Checked(hex), 1);
  SaveReadmeShot("settings");

  AltKey('T');
  AltKey('A');
  AltKey('N');
  AltKey('P');
  const POINT c = CentreOf(html);
  ClickAt(c.x, c.y);
  EXPECT_EQ(Checked(tray), 0);
  EXPECT_EQ(Checked(top), 0);
  EXPECT_EQ(Checked(noLoad), 1);
  EXPECT_EQ(Checked(pick), 0);
  EXPECT_EQ(Checked(html), 1);
  EXPECT_EQ(Checked(hex), 0) << "one notation at a time";
  // Down arrow moves through the notations and selects as it goes.
  Key(VK_DOWN);
  EXPECT_EQ(Checked(vb), 1);
  EXPECT_EQ(Checked(html), 0);
  Key(VK_RETURN);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(IsWindowEnabled(app_.MainWindow()));
  EXPECT_TRUE(WaitFor([&] { return TrayIcons() == icons; }, 3000)) << "the tray icon goes at once";
  EXPECT_TRUE(WaitFor([&] { return !Topmost(app_.MainWindow()); }, 3000)) << "always on top follows at once";
  EXPECT_EQ(WaitForLens(app_, 2, 0), "") << "the magnifier works on after the dialog";

  // In the settings file at once (a program ended from outside keeps them),
  // and again after the exit.
  for (bool exited : {false, true}) {
    if (exited) ExitFromMenu();
    std::string ini;
    // Written right after the changes are applied, so waited for.
    WaitFor([&] { return (ini = app_.ReadFile(L"Ocural.ini")).find("ColorPickMode=1\r\n") != std::string::npos; },
            3000);
    for (const char* line : {"AlwaysTop=0\r\n", "ColorPicker=0\r\n", "NoLoadSkin=1\r\n", "ShowTrayIcon=0\r\n",
                             "ColorPickMode=1\r\n"}) {
      EXPECT_NE(ini.find(line), std::string::npos) << line << (exited ? " after the exit" : " at once") << " in\n" << ini;
    }
  }
}

TEST_F(DialogsE2E, SettingsCancelledByEscOrCloseChangeNothing) {
  const int icons = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=0\r\nColorPicker=0\r\nNoLoadSkin=0\r\nShowTrayIcon=1\r\nColorPickMode=3\r\n"));
  ASSERT_TRUE(WaitFor([&] { return TrayIcons() == icons + 1; }, 3000));

  HWND dialog = Open('S', kSettingsCaption);
  ASSERT_NE(dialog, nullptr);
  HWND tray = ChildOf(dialog, L"Button", L"タスクトレイにアイコンを表示する(&T)");
  ASSERT_NE(tray, nullptr);
  AltKey('T');
  AltKey('A');
  EXPECT_EQ(Checked(tray), 0);
  Key(VK_ESCAPE);
  ASSERT_TRUE(WaitGone(dialog));
  Pump(500);
  EXPECT_EQ(TrayIcons(), icons + 1);
  EXPECT_FALSE(Topmost(app_.MainWindow()));

  // Opened again it shows the settings as they are, not as last ticked.
  dialog = Open('S', kSettingsCaption);
  ASSERT_NE(dialog, nullptr);
  tray = ChildOf(dialog, L"Button", L"タスクトレイにアイコンを表示する(&T)");
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(Checked(tray), 1);
  AltKey('T');
  // Alt+F4 closes the window as its close box does.
  AltKey(VK_F4);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(app_.MainWindow()) != FALSE; }, 2000));
  Pump(500);
  EXPECT_EQ(TrayIcons(), icons + 1);

  ExitFromMenu();
  const std::string ini = app_.ReadFile(L"Ocural.ini");
  EXPECT_NE(ini.find("ShowTrayIcon=1\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("AlwaysTop=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ColorPickMode=3\r\n"), std::string::npos) << ini;
}

class SkinChooserE2E : public DialogsE2E {
 protected:
  void SetUp() override {
    app_.CopyFromBuild(L"round.vsk");
    app_.CopyFromBuild(L"plain.vsk");
    app_.CopyFromBuild(L"skins");
  }
  std::vector<std::wstring> Entries(HWND list) {
    std::vector<std::wstring> out;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      wchar_t text[MAX_PATH] = {};
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      out.emplace_back(text);
    }
    return out;
  }
  static HWND ListOf(HWND dialog) { return FindWindowExW(dialog, nullptr, L"ListBox", nullptr); }
};

TEST_F(SkinChooserE2E, OpensOnTheLoadedSkinAndEnterSwitchesToTheSelectedOne) {
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=0\r\nLastSkin=round.vsk\r\n", true));
  SaveReadmeShot("skin-round");
  const RECT roundRect = app_.WindowRect();

  HWND dialog = Open('K', kChooserCaption);
  ASSERT_NE(dialog, nullptr);
  HWND list = ListOf(dialog);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Entries(list), (std::vector<std::wstring>{L"plain.vsk", L"round.vsk"}));
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1) << "the loaded skin is selected";
  EXPECT_NE(ChildOf(dialog, L"OcuralLabel", L"Round loupe"), nullptr);
  EXPECT_NE(ChildOf(dialog, L"OcuralLabel", L"Ocural project"), nullptr);
  SaveReadmeShot("skin-chooser");

  // The arrow key moves the selection and the texts follow.
  Key(VK_UP);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(WaitFor([&] { return ChildOf(dialog, L"OcuralLabel", L"Plain glass") != nullptr; }, 2000));
  EXPECT_EQ(ChildOf(dialog, L"OcuralLabel", L"Round loupe"), nullptr);
  Key(VK_RETURN);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor(
      [&] {
        const RECT r = app_.WindowRect();
        return IsWindowVisible(app_.MainWindow()) && (r.right - r.left != roundRect.right - roundRect.left ||
                                     r.bottom - r.top != roundRect.bottom - roundRect.top);
      },
      5000))
      << "the window takes the plain skin's size";
  // The choice is in the settings file at once, before any exit (written
  // right after the skin is shown, so waited for).
  EXPECT_TRUE(WaitFor([&] { return app_.ReadFile(L"Ocural.ini").find("LastSkin=plain.vsk\r\n") != std::string::npos; },
                      3000));
  Pump(1000);
  SaveReadmeShot("skin-plain");

  ExitFromMenu();
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=plain.vsk\r\n"), std::string::npos);
}

TEST_F(SkinChooserE2E, EscKeepsTheSkinAndADoubleClickConfirmsAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=0\r\nLastSkin=plain.vsk\r\n", true));
  const RECT plainRect = app_.WindowRect();

  HWND dialog = Open('K', kChooserCaption);
  ASSERT_NE(dialog, nullptr);
  Key(VK_DOWN);  // to round.vsk, then let it go
  Key(VK_ESCAPE);
  ASSERT_TRUE(WaitGone(dialog));
  Pump(800);
  const RECT after = app_.WindowRect();
  EXPECT_EQ(after.right - after.left, plainRect.right - plainRect.left);
  EXPECT_EQ(after.bottom - after.top, plainRect.bottom - plainRect.top);

  dialog = Open('K', kChooserCaption);
  ASSERT_NE(dialog, nullptr);
  HWND list = ListOf(dialog);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << "plain.vsk again: the dialog is new each time";
  // A double click on the second entry, round.vsk.
  const int itemHeight = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  POINT p{10, itemHeight + itemHeight / 2};
  ClientToScreen(list, &p);
  QuickClicks(p.x, p.y, 2);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor(
      [&] {
        const RECT r = app_.WindowRect();
        return IsWindowVisible(app_.MainWindow()) && r.right - r.left != plainRect.right - plainRect.left;
      },
      5000));
  // Closed by a close request: under Wine a right click right after a switch
  // confirmed by a double click can still miss the magnifier (see the notes
  // on the snapshot and Wine's activation).
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitExit(10000), 0);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=round.vsk\r\n"), std::string::npos);
}

TEST_F(SkinChooserE2E, ListsOnlyTheFolderItselfMatchesLetterCaseAndOkWithNothingUnloadsTheSkin) {
  // A skin in a sub-folder is not the application folder's own.
  CreateDirectoryW(app_.PathOf(L"more").c_str(), nullptr);
  app_.WriteFile(L"more\\hidden.vsk", "[OcuralSkin]\r\nname=Hidden\r\n");
  // Loaded as "Round.vsk": the file system finds round.vsk, the list does not
  // count it as the same name.
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=0\r\nLastSkin=Round.vsk\r\n", true));
  const RECT roundRect = app_.WindowRect();
  ASSERT_GT(roundRect.right - roundRect.left, 201) << "the round skin is loaded";

  HWND dialog = Open('K', kChooserCaption);
  ASSERT_NE(dialog, nullptr);
  HWND list = ListOf(dialog);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Entries(list), (std::vector<std::wstring>{L"plain.vsk", L"round.vsk"}));
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "letter case counts: nothing is selected";

  // OK with nothing selected: the skin is unloaded, the window goes on.
  Key(VK_RETURN);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(app_.MainWindow()) != FALSE; }, 5000));
  Pump(500);
  EXPECT_TRUE(app_.Running());
  ExitFromMenu();
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=\r\n"), std::string::npos) << app_.ReadFile(L"Ocural.ini");
}

TEST_F(DialogsE2E, VersionShowsTheProgramsVersionAndClosesWithEnterEscOrOk) {
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=1\r\n"));
  HWND dialog = Open('V', kVersionCaption);
  ASSERT_NE(dialog, nullptr);
  const std::wstring want = VersionOfExe(app_.PathOf(L"Ocural.exe"));
  EXPECT_NE(ChildOf(dialog, L"OcuralLabel", want), nullptr) << "no label reads " << std::string(want.begin(), want.end());
  // The program's icon is drawn in the image at the top left.
  HWND image = FindWindowExW(dialog, nullptr, L"OcuralImage", nullptr);
  ASSERT_NE(image, nullptr);
  RECT ir{};
  GetWindowRect(image, &ir);
  EXPECT_EQ(ir.right - ir.left, PixelsOf(480)) << "480 twips";
  Pump(300);
  ScreenShot shot;
  std::set<COLORREF> colours;
  for (int y = ir.top; y < ir.bottom; ++y) {
    for (int x = ir.left; x < ir.right; ++x) colours.insert(shot.At(x, y));
  }
  EXPECT_GT(colours.size(), 8u) << "an icon, not a blank box";
  SaveReadmeShot("version");
  Key(VK_RETURN);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000)) << "the version dialog unloads itself";
  EXPECT_TRUE(IsWindowEnabled(app_.MainWindow()));

  dialog = Open('V', kVersionCaption);
  ASSERT_NE(dialog, nullptr);
  Key(VK_ESCAPE);
  ASSERT_TRUE(WaitGone(dialog));

  dialog = Open('V', kVersionCaption);
  ASSERT_NE(dialog, nullptr);
  HWND ok = ChildOf(dialog, L"Button", L"OK");
  ASSERT_NE(ok, nullptr);
  const POINT c = CentreOf(ok);
  ClickAt(c.x, c.y);
  ASSERT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(app_.Running());
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
}

// Keeps a picture of the dialog, as much of it as is on the screen.
void SaveDialogShot(HWND dialog, const std::string& name) {
  Pump(300);  // let the last paint reach the screen
  RECT r{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, on{};
  GetWindowRect(dialog, &r);
  if (IntersectRect(&on, &r, &screen)) {
    SaveShotOf(on, "dialog-" + std::to_string(ScreenDpi()) + "dpi-" + std::to_string(screen.right) + "x" +
                       std::to_string(screen.bottom) + "-" + name);
  }
}

// Opened by the program, each dialog has its client area in twips at the
// real display scale, and lies on the work area even where it is larger
// (at 192 DPI on a 1024 x 768 screen the skin chooser is wider than that).
// Its elements' layout is checked in the dialogs' own tests.
TEST_F(SkinChooserE2E, EachDialogOpensOnTheWorkAreaAtTheDisplayScale) {
  ASSERT_NO_FATAL_FAILURE(StartWith("AlwaysTop=0\r\nLastSkin=round.vsk\r\n", true));
  struct DialogCase {
    WORD key;
    const wchar_t* caption;
    int widthTwips, heightTwips;
    const char* name;
  };
  const DialogCase dialogs[] = {{'S', kSettingsCaption, 4935, 2775, "settings"},
                                {'K', kChooserCaption, 7920, 3000, "skin-chooser"},
                                {'V', kVersionCaption, 6360, 1425, "version"}};
  for (const DialogCase& d : dialogs) {
    SCOPED_TRACE(d.name);
    HWND dialog = Open(d.key, d.caption);
    ASSERT_NE(dialog, nullptr);
    SaveDialogShot(dialog, d.name);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, PixelsOf(d.widthTwips)) << ScreenDpi() << " DPI";
    EXPECT_EQ(client.bottom, PixelsOf(d.heightTwips)) << ScreenDpi() << " DPI";
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitGone(dialog));
  }
}

}  // namespace
}  // namespace ocural::e2e
