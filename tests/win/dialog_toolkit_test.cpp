// The dialog services of the forms toolkit on a dialog made here: twips,
// the file list, keyboard handling in the modal loop, and the ways a modal
// show ends.
#include "platform/win/dialog_form.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

using ocural_test::ModalScript;
using ocural_test::PostAltKey;
using ocural_test::PostKey;
using ocural_test::Watchdog;

constexpr wchar_t kCaption[] = L"toolkit test";

class TestDialog : public forms::DialogForm {
 public:
  forms::CheckBox chk;
  forms::Frame fra;
  forms::OptionButton opt[3];
  forms::Label lblList;
  forms::FileListBox fil;
  forms::Label lbl;
  forms::CommandButton ok;
  forms::CommandButton cancel;
  forms::CommandButton other;
  int okClicks = 0, cancelClicks = 0, otherClicks = 0;

  void Load(const std::wstring& folder) {
    CreateDialogForm(kCaption, 6000, 4000);
    chk.Create(hwnd_, L"&Check", Twips(120, 120, 2000, 255), Font());
    fra.Create(hwnd_, L"Frame", Twips(120, 480, 2400, 1200), Font());
    for (int i = 0; i < 3; ++i) {
      opt[i].Create(fra.hWnd(), L"Option " + std::to_wstring(i), Twips(120, 240.0 + 300 * i, 2000, 255), Font(),
                    i == 0);
    }
    lblList.Create(hwnd_, L"&List:", Twips(2700, 120, 2000, 255), Font());
    fil.Create(hwnd_, Twips(2700, 480, 2000, 1500), Font());
    lbl.Create(hwnd_, L"a & b", Twips(120, 1800, 2000, 255), Font(), false);
    AddButton(ok, L"OK", Twips(120, 3000, 1200, 375));
    AddButton(cancel, L"Cancel", Twips(1440, 3000, 1200, 375));
    AddButton(other, L"&Other", Twips(2760, 3000, 1200, 375));
    Adopt({&chk, &fra, &opt[0], &opt[1], &opt[2], &lblList, &fil, &lbl});
    SetDefaultButton(&ok);
    SetCancelButton(&cancel);
    ok.Click = [this] {
      ++okClicks;
      Hide();
    };
    cancel.Click = [this] {
      ++cancelClicks;
      Hide();
    };
    other.Click = [this] { ++otherClicks; };
    fil.SetPattern(L"*.vsk");
    fil.SetPath(folder);
  }
};

class DialogToolkitWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ocural_test::DropQuitRequest();
    folder_.Write(L"b.vsk", "");
    folder_.Write(L"A.VSK", "");
    folder_.Write(L"スキン.vsk", "");
    folder_.Write(L"c.vsk.bak", "");
    folder_.Write(L"d.txt", "");
    folder_.Write(L"hidden.vsk", "");
    SetFileAttributesW(folder_.Join(L"hidden.vsk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    folder_.Write(L"system.vsk", "");
    SetFileAttributesW(folder_.Join(L"system.vsk").c_str(), FILE_ATTRIBUTE_SYSTEM);
    folder_.Write(L"readonly.vsk", "");
    SetFileAttributesW(folder_.Join(L"readonly.vsk").c_str(), FILE_ATTRIBUTE_READONLY);
    folder_.MakeFolder(L"folder.vsk");
    folder_.MakeFolder(L"sub");
    folder_.Write(L"sub\\inner.vsk", "");
  }
  void TearDown() override { ocural_test::DropQuitRequest(); }

  // Shows the dialog modally while the steps run; false when the watchdog
  // had to end it.
  static bool RunModal(TestDialog& d, std::vector<std::function<void()>> steps, HWND owner = nullptr) {
    ModalScript script(std::move(steps));
    Watchdog dog(kCaption, 8000);
    d.ShowModal(owner);
    return !dog.Fired() && script.Finished();
  }

  ocural_test::ScratchFolder folder_;
};

TEST_F(DialogToolkitWin, TwipsBecomePixelsWithTheRealTwipsPerPixelHalvesToEven) {
  const int dpi = GetDeviceCaps(win::WindowDC(nullptr).get(), LOGPIXELSX);
  EXPECT_EQ(forms::TwipsToPixelsX(1440), dpi);
  EXPECT_EQ(forms::TwipsToPixelsY(2880), 2 * GetDeviceCaps(win::WindowDC(nullptr).get(), LOGPIXELSY));
  if (dpi != 96) GTEST_SKIP() << "the halves below are worked out for 96 dpi";
  EXPECT_EQ(forms::TwipsToPixelsX(7.5), 0);
  EXPECT_EQ(forms::TwipsToPixelsX(22.5), 2);
  EXPECT_EQ(forms::TwipsToPixelsX(37.5), 2);
  EXPECT_EQ(forms::TwipsToPixelsX(52.5), 4);
  EXPECT_EQ(forms::TwipsToPixelsX(4935), 329);
}

TEST_F(DialogToolkitWin, FileListShowsThePlainMatchingFilesOfTheFolderOnlySortedWithoutCase) {
  EXPECT_EQ(forms::ListFiles(folder_.Path(), L"*.vsk"),
            (std::vector<std::wstring>{L"A.VSK", L"b.vsk", L"readonly.vsk", L"スキン.vsk"}));
  EXPECT_EQ(forms::ListFiles(folder_.Path() + L"\\", L"*.txt;*.bak"),
            (std::vector<std::wstring>{L"c.vsk.bak", L"d.txt"}));
  EXPECT_TRUE(forms::ListFiles(folder_.Join(L"missing"), L"*.vsk").empty());
  EXPECT_TRUE(forms::ListFiles(L"", L"*.vsk").empty());
  EXPECT_EQ(forms::ListFiles(folder_.Join(L"sub"), L"*.vsk"), (std::vector<std::wstring>{L"inner.vsk"}));
}

TEST_F(DialogToolkitWin, FileListReportsEverySelectionChangeAndDoubleClicks) {
  TestDialog d;
  d.Load(folder_.Path());
  int clicks = 0, doubles = 0;
  d.fil.Click = [&] { ++clicks; };
  d.fil.DblClick = [&] { ++doubles; };
  ASSERT_EQ(d.fil.ListCount(), 4);
  EXPECT_EQ(d.fil.ListIndex(), -1);
  d.fil.SetListIndex(1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(d.fil.FileName(), L"b.vsk");
  d.fil.SetListIndex(4);  // no such entry: nothing happens
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(d.fil.FileName(), L"b.vsk");
  d.fil.SetListIndex(-1);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(d.fil.FileName(), L"");

  int clicksAfterKeys = 0;
  std::wstring afterKeys;
  ASSERT_TRUE(RunModal(d, {[&] {
                             SetFocus(d.fil.hWnd());
                             d.fil.SetListIndex(0);
                             clicks = 0;
                           },
                           [] { PostKey(VK_DOWN); }, [] { PostKey(VK_DOWN); },
                           [&] {
                             clicksAfterKeys = clicks;
                             afterKeys = d.fil.FileName();
                             const int item = static_cast<int>(SendMessageW(d.fil.hWnd(), LB_GETITEMHEIGHT, 0, 0));
                             const LPARAM at = MAKELPARAM(4, 3 * item + 1);
                             SendMessageW(d.fil.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
                             SendMessageW(d.fil.hWnd(), WM_LBUTTONUP, 0, at);
                             SendMessageW(d.fil.hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
                             SendMessageW(d.fil.hWnd(), WM_LBUTTONUP, 0, at);
                           },
                           [&] { d.Hide(); }}));
  EXPECT_EQ(clicksAfterKeys, 2) << "each arrow key is a click";
  EXPECT_EQ(afterKeys, L"readonly.vsk");
  EXPECT_EQ(d.fil.FileName(), L"スキン.vsk");
  EXPECT_EQ(doubles, 1);
}

TEST_F(DialogToolkitWin, EnterPressesTheFocusedButtonOrElseTheDefaultAndEscTheCancelButton) {
  struct Case {
    const char* name;
    std::function<void(TestDialog&)> focus;
    WPARAM key;
    int ok, cancel;
    bool cancelLooksDefault;
  };
  const Case cases[] = {
      {"Enter on the check box", [](TestDialog& d) { SetFocus(d.chk.hWnd()); }, VK_RETURN, 1, 0, false},
      {"Enter in the list", [](TestDialog& d) { SetFocus(d.fil.hWnd()); }, VK_RETURN, 1, 0, false},
      {"Enter on Cancel", [](TestDialog& d) { SetFocus(d.cancel.hWnd()); }, VK_RETURN, 0, 1, true},
      {"Esc on OK", [](TestDialog& d) { SetFocus(d.ok.hWnd()); }, VK_ESCAPE, 0, 1, false},
      {"Esc in the list", [](TestDialog& d) { SetFocus(d.fil.hWnd()); }, VK_ESCAPE, 0, 1, false},
  };
  for (const Case& c : cases) {
    ocural_test::DropQuitRequest();  // left by the dialog of the case before
    TestDialog d;
    d.Load(folder_.Path());
    LONG okType = -1, cancelType = -1;
    ASSERT_TRUE(RunModal(d, {[&] { c.focus(d); },
                             [&] {
                               okType = GetWindowLongW(d.ok.hWnd(), GWL_STYLE) & BS_TYPEMASK;
                               cancelType = GetWindowLongW(d.cancel.hWnd(), GWL_STYLE) & BS_TYPEMASK;
                               PostKey(c.key);
                             }}))
        << c.name;
    EXPECT_EQ(d.okClicks, c.ok) << c.name;
    EXPECT_EQ(d.cancelClicks, c.cancel) << c.name;
    // The button Enter would press looks like the default one.
    EXPECT_EQ(okType, c.cancelLooksDefault ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON) << c.name;
    EXPECT_EQ(cancelType, c.cancelLooksDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) << c.name;
  }
}

TEST_F(DialogToolkitWin, TabAccessKeysAndArrowsMoveAsInTheSystemsDialogs) {
  TestDialog d;
  d.Load(folder_.Path());
  d.opt[0].SetValue(true);
  std::vector<HWND> focus;
  int checkAfterAlt = -1, optionAfterArrow = -1;
  ASSERT_TRUE(RunModal(d, {[&] { focus.push_back(GetFocus()); }, [] { PostKey(VK_TAB); },
                           [&] { focus.push_back(GetFocus()); }, [] { PostKey(VK_TAB); },
                           [&] { focus.push_back(GetFocus()); }, [] { PostKey(VK_TAB); },
                           [&] { focus.push_back(GetFocus()); }, [] { PostAltKey(L'c'); },
                           [&] {
                             checkAfterAlt = d.chk.Value();
                             SetFocus(d.opt[0].hWnd());
                             PostKey(VK_DOWN);
                           },
                           [] { PostKey(VK_DOWN); },
                           [&] {
                             for (int i = 0; i < 3; ++i) {
                               if (d.opt[i].Value()) optionAfterArrow = optionAfterArrow == -1 ? i : 99;
                             }
                             PostAltKey(L'o');
                           },
                           [] { PostAltKey(L'l'); },
                           [&] {
                             focus.push_back(GetFocus());
                             d.Hide();
                           }}));
  const std::vector<HWND> want = {d.chk.hWnd(), d.opt[0].hWnd(), d.fil.hWnd(), d.ok.hWnd(), d.fil.hWnd()};
  EXPECT_EQ(focus, want) << "the check box, the selected option, the list, the first button; then the "
                            "label's access key leads to the list after it";
  EXPECT_EQ(checkAfterAlt, 1) << "Alt+C ticks the box";
  EXPECT_EQ(optionAfterArrow, 2) << "two arrow presses select the third option, and only it";
  EXPECT_EQ(d.otherClicks, 1) << "Alt+O presses the button";
  EXPECT_EQ(d.okClicks + d.cancelClicks, 0);
}

TEST_F(DialogToolkitWin, ModalShowDisablesTheOwnerAndEndsWhenHiddenClosedOrTheProgramEnds) {
  ocural_test::OwnerWindow owner;
  {
    TestDialog d;
    d.Load(folder_.Path());
    bool disabled = false, foreground = false;
    ASSERT_TRUE(RunModal(d,
                         {[&] {
                           disabled = !IsWindowEnabled(owner.hWnd());
                           foreground = GetForegroundWindow() == d.hWnd();
                           d.Hide();
                         }},
                         owner.hWnd()));
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(foreground);
    EXPECT_EQ(GetWindow(d.hWnd(), GW_OWNER), owner.hWnd());
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd()));
    EXPECT_TRUE(d.IsLoaded());
    EXPECT_FALSE(d.Visible());
  }
  ocural_test::DropQuitRequest();
  {
    // The close box unloads it.
    TestDialog d;
    d.Load(folder_.Path());
    ASSERT_TRUE(RunModal(d, {[&] { PostMessageW(d.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }}, owner.hWnd()));
    EXPECT_FALSE(d.IsLoaded());
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd()));
    EXPECT_EQ(d.okClicks + d.cancelClicks, 0);
  }
  ocural_test::DropQuitRequest();
  {
    // A quit request ends the modal loop and is left for the outer one.
    TestDialog d;
    d.Load(folder_.Path());
    ASSERT_TRUE(RunModal(d, {[] { PostQuitMessage(3); }}, owner.hWnd()));
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd()));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
    d.Unload();
  }
  ocural_test::DropQuitRequest();
  {
    // An owner that was disabled before stays disabled.
    TestDialog d;
    d.Load(folder_.Path());
    EnableWindow(owner.hWnd(), FALSE);
    ASSERT_TRUE(RunModal(d, {[&] { d.Hide(); }}, owner.hWnd()));
    EXPECT_FALSE(IsWindowEnabled(owner.hWnd()));
    EnableWindow(owner.hWnd(), TRUE);
  }
}

TEST_F(DialogToolkitWin, LabelReportsMouseInTwipsAndShowsItsTextAsItIs) {
  TestDialog d;
  d.Load(folder_.Path());
  std::vector<forms::MouseEvent> downs, ups;
  d.lbl.MouseDown = [&](const forms::MouseEvent& e) { downs.push_back(e); };
  d.lbl.MouseUp = [&](const forms::MouseEvent& e) { ups.push_back(e); };
  SendMessageW(d.lbl.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(4, 6));
  EXPECT_EQ(GetCapture(), d.lbl.hWnd()) << "the pressed label hears the release";
  SendMessageW(d.lbl.hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(8, 2));
  EXPECT_EQ(GetCapture(), nullptr);
  ASSERT_EQ(downs.size(), 1u);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(downs[0].Button, forms::kRightButton);
  EXPECT_FLOAT_EQ(downs[0].X, static_cast<float>(4 * forms::Screen::TwipsPerPixelX()));
  EXPECT_FLOAT_EQ(downs[0].Y, static_cast<float>(6 * forms::Screen::TwipsPerPixelY()));
  EXPECT_FLOAT_EQ(ups[0].X, static_cast<float>(8 * forms::Screen::TwipsPerPixelX()));
  EXPECT_EQ(d.lbl.Caption(), L"a & b");
  EXPECT_EQ(SendMessageW(d.lbl.hWnd(), WM_GETDLGCODE, 0, 0), 0) << "no access key in a label that shows '&'";
  d.lbl.SetCaption(L"changed");
  EXPECT_EQ(ocural_test::TextOf(d.lbl.hWnd()), L"changed");
}

}  // namespace
}  // namespace ocural
