// The settings dialog in this process: its elements, places and tab order,
// and the settings command's sequence driven from inside its modal loop.
#include "settings/frmSetting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

using ocural_test::ModalScript;
using ocural_test::PixelsOf;
using ocural_test::PlaceOf;
using ocural_test::PostAltKey;
using ocural_test::PostKey;
using ocural_test::Watchdog;

constexpr wchar_t kCaption[] = L"ぴこら～の設定";

struct ButtonSearch {
  std::wstring text;
  HWND found;
};

BOOL CALLBACK MatchCaption(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ButtonSearch*>(lp);
  if (ocural_test::TextOf(w) != s->text) return TRUE;
  s->found = w;
  return FALSE;
}

class SettingsDialogWin : public ::testing::Test {
 protected:
  void SetUp() override { ocural_test::DropQuitRequest(); }
  void TearDown() override { ocural_test::DropQuitRequest(); }

  static HWND Dialog() { return FindWindowW(L"OcuralForm", kCaption); }
  // A button of the open dialog by its caption, wherever it sits.
  static HWND Button(const std::wstring& caption) {
    ButtonSearch s{caption, nullptr};
    EnumChildWindows(Dialog(), &MatchCaption, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  static int Checked(const std::wstring& caption) {
    return static_cast<int>(SendMessageW(Button(caption), BM_GETCHECK, 0, 0));
  }
};

const wchar_t kTray[] = L"タスクトレイにアイコンを表示する(&T)";
const wchar_t kTop[] = L"常に手前に表示する(&A)";
const wchar_t kNoLoad[] = L"起動時、スキンをロードしない(&N)";
const wchar_t kPick[] = L"ルーペ部をクリックするとカラーピック(&P)";
const wchar_t* const kModes[4] = {L"HTML形式(#RRGGBB)", L"VB形式(&&HBBGGRR)", L"(0xBBGGRR)",
                                  L"RGBを区切って(RRR, GGG, BBB)"};

TEST_F(SettingsDialogWin, ElementsCaptionsAndPlacesFollowTheLayoutInTwips) {
  FrmSetting f;
  f.Load();
  ASSERT_TRUE(f.IsLoaded());
  EXPECT_EQ(ocural_test::TextOf(f.hWnd()), kCaption);
  EXPECT_FALSE(f.Visible()) << "loading does not show it";
  EXPECT_EQ(f.Canceled, forms::kVbTrue);
  RECT client{};
  GetClientRect(f.hWnd(), &client);
  const RECT want = PixelsOf(0, 0, 4935, 2775);
  EXPECT_EQ(client.right, want.right);
  EXPECT_EQ(client.bottom, want.bottom);

  struct Row {
    HWND hwnd;
    const wchar_t* caption;
    double l, t, w, h;
  };
  const Row rows[] = {
      {f.chkVisibleInTray.hWnd(), kTray, 120, 120, 3135, 255},
      {f.chkAlwaysTop.hWnd(), kTop, 120, 360, 2175, 255},
      {f.chkNoLoadSkin.hWnd(), kNoLoad, 120, 600, 2775, 255},
      {f.chkEnabledColorPick.hWnd(), kPick, 120, 840, 3375, 255},
      {f.fraColorPick.hWnd(), L"カラーピックの種類", 360, 1080, 4455, 1095},
      {f.optCP[0].hWnd(), kModes[0], 120, 240, 2175, 255},
      {f.optCP[1].hWnd(), kModes[1], 120, 480, 2175, 255},
      {f.optCP[2].hWnd(), kModes[2], 2400, 480, 1455, 255},
      {f.optCP[3].hWnd(), kModes[3], 120, 720, 3015, 255},
      {f.cmdOK.hWnd(), L"OK", 1560, 2280, 1575, 375},
      {f.cmdCancel.hWnd(), L"キャンセル", 3240, 2280, 1575, 375},
  };
  for (const Row& r : rows) {
    ASSERT_NE(r.hwnd, nullptr);
    EXPECT_EQ(ocural_test::TextOf(r.hwnd), r.caption);
    const RECT got = PlaceOf(r.hwnd);
    const RECT exp = PixelsOf(r.l, r.t, r.w, r.h);
    EXPECT_TRUE(ocural_test::SameRect(got, exp))
        << "got " << ocural_test::Describe(got) << ", want " << ocural_test::Describe(exp);
  }
  // The option buttons sit in the frame, the rest on the dialog.
  for (const auto& o : f.optCP) EXPECT_EQ(GetParent(o.hWnd()), f.fraColorPick.hWnd());
  EXPECT_EQ(GetParent(f.cmdOK.hWnd()), f.hWnd());
}

TEST_F(SettingsDialogWin, FixedTopmostDialogFrameWithoutTaskbarButtonCentredOnTheScreen) {
  FrmSetting f;
  f.Load();
  const LONG style = GetWindowLongW(f.hWnd(), GWL_STYLE);
  const LONG ex = GetWindowLongW(f.hWnd(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_TRUE(ex & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(ex & WS_EX_TOPMOST) << "Form_Load puts it above every window";
  EXPECT_FALSE(ex & WS_EX_APPWINDOW);
  EXPECT_NE(GetWindow(f.hWnd(), GW_OWNER), nullptr) << "an owned window has no taskbar button";
  RECT r{};
  GetWindowRect(f.hWnd(), &r);
  EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, 1);
  EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 1);
}

TEST_F(SettingsDialogWin, TabGoesThroughTheBoxesTheSelectedNotationAndTheButtons) {
  FrmSetting f;
  f.Load();
  f.optCP[2].SetValue(true);
  const std::vector<HWND> order = {f.chkVisibleInTray.hWnd(), f.chkAlwaysTop.hWnd(), f.chkNoLoadSkin.hWnd(),
                                   f.chkEnabledColorPick.hWnd(), f.optCP[2].hWnd(), f.cmdOK.hWnd(),
                                   f.cmdCancel.hWnd()};
  HWND at = GetNextDlgTabItem(f.hWnd(), nullptr, FALSE);
  for (size_t i = 0; i < order.size() * 2; ++i) {
    EXPECT_EQ(at, order[i % order.size()]) << "stop " << i;
    at = GetNextDlgTabItem(f.hWnd(), at, FALSE);
  }
  // Shift+Tab goes back the same way.
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.cmdOK.hWnd(), TRUE), f.optCP[2].hWnd());
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.chkVisibleInTray.hWnd(), TRUE), f.cmdCancel.hWnd());
  EXPECT_EQ(f.DefaultButton(), &f.cmdOK);
  EXPECT_EQ(f.CancelButton(), &f.cmdCancel);
  EXPECT_EQ(GetWindowLongW(f.cmdOK.hWnd(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(f.cmdCancel.hWnd(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST_F(SettingsDialogWin, NotationsAreOneGroupWhateverTheColourPickBoxSays) {
  FrmSetting f;
  f.Load();
  auto selected = [&] {
    std::string s;
    for (const auto& o : f.optCP) s += o.Value() ? '1' : '0';
    return s;
  };
  EXPECT_EQ(selected(), "0000");
  f.optCP[1].SetValue(true);
  f.optCP[3].SetValue(true);
  EXPECT_EQ(selected(), "0001");
  // A click, as the mouse gives it.
  SendMessageW(f.optCP[0].hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(selected(), "1000");
  f.chkEnabledColorPick.SetValue(0);
  EXPECT_TRUE(IsWindowEnabled(f.fraColorPick.hWnd()));
  for (const auto& o : f.optCP) EXPECT_TRUE(o.Enabled());
  SendMessageW(f.optCP[2].hWnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(selected(), "0010");
  f.optCP[2].SetValue(false);
  EXPECT_EQ(selected(), "0000");
}

TEST_F(SettingsDialogWin, OkTakesBackEveryBoxAndTheNotationChangedWithKeysAndMouse) {
  ocural_test::OwnerWindow owner;
  AppSettingsRecord s;
  s.ShowTrayIcon = true;
  s.AlwaysTop = false;
  s.NoLoadSkin = true;
  s.ColorPicker = false;
  s.ColorPickMode = 3;
  s.LastMagnification = 7;
  std::string seen;
  bool ownerDisabled = false;
  ModalScript script({
      [&] {
        ownerDisabled = !IsWindowEnabled(owner.hWnd());
        seen = std::to_string(Checked(kTray)) + std::to_string(Checked(kTop)) + std::to_string(Checked(kNoLoad)) +
               std::to_string(Checked(kPick));
        for (const wchar_t* m : kModes) seen += std::to_string(Checked(m));
        PostAltKey(L't');  // tray off
      },
      [&] { PostAltKey(L'a'); },                                 // always on top on
      [&] { PostAltKey(L'P'); },                                 // colour pick on
      [&] { SendMessageW(Button(kModes[1]), BM_CLICK, 0, 0); },  // the mouse picks "VB"
      [&] { PostKey(VK_DOWN); },                                 // the arrow moves on to "0x"
      [&] { PostKey(VK_RETURN); },
  });
  Watchdog dog(kCaption, 8000);
  EXPECT_TRUE(EditSettings(s, owner.hWnd()));
  EXPECT_FALSE(dog.Fired());
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(ownerDisabled) << "the owner waits while the dialog is up";
  EXPECT_TRUE(IsWindowEnabled(owner.hWnd()));
  EXPECT_EQ(seen, "10100001") << "filled from the settings";
  EXPECT_FALSE(s.ShowTrayIcon);
  EXPECT_TRUE(s.AlwaysTop);
  EXPECT_TRUE(s.NoLoadSkin);
  EXPECT_TRUE(s.ColorPicker);
  EXPECT_EQ(s.ColorPickMode, 2);
  EXPECT_EQ(s.LastMagnification, 7) << "other settings are not the dialog's";
  EXPECT_EQ(FindWindowW(L"OcuralForm", kCaption), nullptr) << "unloaded at the end";
}

TEST_F(SettingsDialogWin, EscCancelAndCloseLeaveTheSettingsAsTheyWere) {
  ocural_test::OwnerWindow owner;
  const std::vector<std::function<void()>> ways = {
      [] { PostKey(VK_ESCAPE); },
      [] { SendMessageW(Button(L"キャンセル"), BM_CLICK, 0, 0); },
      [] { PostMessageW(Dialog(), WM_CLOSE, 0, 0); },
  };
  for (size_t i = 0; i < ways.size(); ++i) {
    AppSettingsRecord s;
    s.ShowTrayIcon = true;
    s.ColorPickMode = 1;
    ModalScript script({[] { PostAltKey(L't'); }, [] { PostAltKey(L'n'); },
                        [] { SendMessageW(Button(kModes[0]), BM_CLICK, 0, 0); }, ways[i]});
    Watchdog dog(kCaption, 8000);
    EXPECT_FALSE(EditSettings(s, owner.hWnd())) << "way " << i;
    EXPECT_FALSE(dog.Fired()) << "way " << i;
    EXPECT_TRUE(s.ShowTrayIcon) << "way " << i;
    EXPECT_FALSE(s.NoLoadSkin) << "way " << i;
    EXPECT_EQ(s.ColorPickMode, 1) << "way " << i;
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd())) << "way " << i;
    ocural_test::DropQuitRequest();
  }
}

TEST_F(SettingsDialogWin, AModeOutsideTheFourSelectsNoneAndOkKeepsIt) {
  AppSettingsRecord s;
  s.ColorPickMode = 7;
  std::string seen;
  ModalScript script({[&] {
                        for (const wchar_t* m : kModes) seen += std::to_string(Checked(m));
                        PostKey(VK_RETURN);
                      }});
  Watchdog dog(kCaption, 8000);
  EXPECT_TRUE(EditSettings(s, nullptr));
  EXPECT_EQ(seen, "0000");
  EXPECT_EQ(s.ColorPickMode, 7);
}

}  // namespace
}  // namespace ocural
