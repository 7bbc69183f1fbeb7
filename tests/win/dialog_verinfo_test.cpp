// The version dialog in this process: its elements, texts and fonts, the
// address labels with a recording shell, and the ways it closes.
#include "controller/frmVerinfo.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "controller/core/version_text.h"
#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

using ocural_test::ModalScript;
using ocural_test::PixelsOf;
using ocural_test::PlaceOf;
using ocural_test::PostKey;
using ocural_test::Watchdog;

constexpr wchar_t kCaption[] = L"バージョン情報";
constexpr COLORREF kBlue = 0xFF0000, kRed = 0x0000FF;

class VersionDialogWin : public ::testing::Test {
 protected:
  void SetUp() override { ocural_test::DropQuitRequest(); }
  void TearDown() override { ocural_test::DropQuitRequest(); }
};

LOGFONTW FontOf(HFONT font) {
  LOGFONTW lf{};
  GetObjectW(font, sizeof(lf), &lf);
  return lf;
}

// Width of the text in the label's own font, in pixels.
int TextWidth(const forms::Label& label) {
  win::WindowDC dc(label.hWnd());
  win::SelectGuard sel(dc.get(), label.Font());
  const std::wstring text = label.Caption();
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

TEST_F(VersionDialogWin, ElementsTextsAndPlacesFollowTheLayoutInTwips) {
  FrmVerinfo f;
  f.Load();
  ASSERT_TRUE(f.IsLoaded());
  EXPECT_EQ(ocural_test::TextOf(f.hWnd()), kCaption);
  EXPECT_TRUE(GetWindowLongW(f.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client{};
  GetClientRect(f.hWnd(), &client);
  const RECT want = PixelsOf(0, 0, 6360, 1425);
  EXPECT_EQ(client.right, want.right);
  EXPECT_EQ(client.bottom, want.bottom);

  struct Row {
    HWND hwnd;
    double l, t, w, h;
  };
  const Row rows[] = {
      {f.Image1.hWnd(), 120, 120, 480, 480},      {f.Label1.hWnd(), 720, 180, 5535, 375},
      {f.lblVer.hWnd(), 3360, 480, 2775, 255},    {f.Label2.hWnd(), 2040, 720, 4095, 255},
      {f.cmdOK.hWnd(), 4920, 960, 1335, 375},     {f.lblURL[0].hWnd(), 120, 1080, 2205, 180},
      {f.lblURL[1].hWnd(), 2520, 1080, 2085, 180},
  };
  std::vector<HWND> order;
  for (const Row& r : rows) {
    ASSERT_NE(r.hwnd, nullptr);
    order.push_back(r.hwnd);
    const RECT got = PlaceOf(r.hwnd);
    const RECT exp = PixelsOf(r.l, r.t, r.w, r.h);
    EXPECT_TRUE(ocural_test::SameRect(got, exp))
        << "element " << order.size() - 1 << ": got " << ocural_test::Describe(got) << ", want "
        << ocural_test::Describe(exp);
  }
  EXPECT_EQ(ocural_test::ChildrenOf(f.hWnd()), order) << "created in tab order";
  // Only the button takes the focus.
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), nullptr, FALSE), f.cmdOK.hWnd());
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.cmdOK.hWnd(), FALSE), f.cmdOK.hWnd());

  EXPECT_EQ(f.cmdOK.hWnd() ? ocural_test::TextOf(f.cmdOK.hWnd()) : L"", L"OK");
  EXPECT_EQ(f.lblVer.Caption(), VersionText(forms::App::Major(), forms::App::Minor(), forms::App::Revision()));
  EXPECT_EQ(f.Label1.Caption().rfind(L"ぴこら～ ", 0), 0u) << "the title line starts with the name and a blank";
  EXPECT_GT(f.Label1.Caption().size(), 5u) << "and has a subtitle";
  EXPECT_FALSE(f.Label2.Caption().empty());
  EXPECT_EQ(f.lblURL[0].Caption().rfind(L"mailto:", 0), 0u);
  EXPECT_EQ(f.lblURL[1].Caption().rfind(L"http", 0), 0u);
  EXPECT_NE(f.Image1.Picture(), nullptr);
}

TEST_F(VersionDialogWin, FontsColoursPointerAndTextsThatFitTheirLabels) {
  FrmVerinfo f;
  f.Load();
  const int dpi = GetDeviceCaps(win::WindowDC(nullptr).get(), LOGPIXELSY);
  const LOGFONTW title = FontOf(f.Label1.Font());
  EXPECT_EQ(title.lfHeight, -static_cast<LONG>(std::nearbyint(14.25 * dpi / 72)));
  EXPECT_GE(title.lfWeight, FW_BOLD);
  EXPECT_TRUE(title.lfItalic);
  for (const auto& link : f.lblURL) {
    const LOGFONTW lf = FontOf(link.Font());
    EXPECT_EQ(lf.lfHeight, -static_cast<LONG>(std::nearbyint(9.0 * dpi / 72)));
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(link.ForeColor(), kBlue);
    EXPECT_EQ(link.MousePointer(), forms::kCustomPointer);
    ASSERT_NE(link.MouseIcon(), nullptr);
    // The pointer over the label is the label's own.
    SendMessageW(link.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link.hWnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), link.MouseIcon());
  }
  // Nothing of the program's own texts is cut off at the right.
  for (const forms::Label* l : {&f.Label1, &f.lblVer, &f.Label2, &f.lblURL[0], &f.lblURL[1]}) {
    EXPECT_LE(TextWidth(*l), l->Bounds().width) << std::string(l->Caption().begin(), l->Caption().end());
  }
}

TEST_F(VersionDialogWin, AnyButtonOnAnAddressTurnsItRedUntilTheReleaseThenOpensIt) {
  FrmVerinfo f;
  f.Load();
  std::vector<std::wstring> opened;
  f.ShellOpen = [&](const std::wstring& address) { opened.push_back(address); };
  const struct {
    UINT down, up;
    WPARAM held;
  } buttons[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON},
                 {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON},
                 {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON}};
  for (int i = 0; i < 2; ++i) {
    forms::Label& link = f.lblURL[i];
    for (const auto& b : buttons) {
      opened.clear();
      SendMessageW(link.hWnd(), b.down, b.held, MAKELPARAM(3, 3));
      EXPECT_EQ(link.ForeColor(), kRed);
      EXPECT_TRUE(opened.empty()) << "the press opens nothing";
      // The release may come anywhere: its place is not looked at.
      SendMessageW(link.hWnd(), b.up, 0, MAKELPARAM(-50, 400));
      EXPECT_EQ(link.ForeColor(), kBlue);
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0], link.Caption());
    }
  }
  EXPECT_EQ(f.lblURL[1].ForeColor(), kBlue);
  EXPECT_EQ(f.lblURL[0].ForeColor(), kBlue) << "the other label is left alone";
}

TEST_F(VersionDialogWin, AShellThatCannotOpenTheAddressLeavesTheDialogAsItWas) {
  FrmVerinfo f;
  f.Load();
  int calls = 0;
  f.ShellOpen = [&](const std::wstring&) {
    ++calls;
    throw std::runtime_error("no program registered");
  };
  SendMessageW(f.lblURL[0].hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(f.lblURL[0].hWnd(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(f.IsLoaded());
  EXPECT_EQ(f.lblURL[0].ForeColor(), kBlue);
}

TEST_F(VersionDialogWin, EnterEscAndOkEachUnloadIt) {
  ocural_test::OwnerWindow owner;
  const std::vector<std::function<void()>> ways = {
      [] { PostKey(VK_RETURN); },
      [] { PostKey(VK_ESCAPE); },
      [] {
        HWND dialog = FindWindowW(L"OcuralForm", kCaption);
        SendMessageW(FindWindowExW(dialog, nullptr, L"Button", L"OK"), BM_CLICK, 0, 0);
      },
  };
  for (size_t i = 0; i < ways.size(); ++i) {
    bool ownerDisabled = false;
    ModalScript script({[&] { ownerDisabled = !IsWindowEnabled(owner.hWnd()); }, ways[i]});
    Watchdog dog(kCaption, 8000);
    FrmVerinfo f;
    f.Load();
    f.ShowModal(owner.hWnd());
    EXPECT_FALSE(dog.Fired()) << "way " << i;
    EXPECT_FALSE(f.IsLoaded()) << "way " << i << ": it unloads itself";
    EXPECT_TRUE(ownerDisabled) << "way " << i;
    EXPECT_TRUE(IsWindowEnabled(owner.hWnd())) << "way " << i;
    ocural_test::DropQuitRequest();
  }
  // The menu's whole command returns the same way.
  ModalScript script({[] { PostKey(VK_ESCAPE); }});
  Watchdog dog(kCaption, 8000);
  ShowVersionDialog(owner.hWnd());
  EXPECT_FALSE(dog.Fired());
  EXPECT_EQ(FindWindowW(L"OcuralForm", kCaption), nullptr);
}

}  // namespace
}  // namespace ocural
