// The skin chooser in this process, on a folder of skins made by the test:
// its elements and places, the list, the preselection, the preview, and the
// ways out of it.
#include "skin/frmChangeSkin.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "skin/mdlSkinSupporter.h"
#include "tests/native/skin_picture_bytes.h"
#include "tests/win/dialog_support.h"

namespace ocural {
namespace {

using ocural_test::ModalScript;
using ocural_test::PixelsOf;
using ocural_test::PlaceOf;
using ocural_test::PostKey;
using ocural_test::Watchdog;

constexpr wchar_t kCaption[] = L"スキンの変更";
constexpr COLORREF kTopLeft = RGB(200, 30, 30), kTopRight = RGB(30, 200, 30), kBottomLeft = RGB(30, 30, 200),
                   kBottomRight = RGB(230, 230, 40);

std::string SkinText(const std::string& name, const std::string& author, const std::string& description,
                     const std::string& base) {
  return "[OcuralSkin]\r\nname=" + name + "\r\nauthor=" + author + "\r\ndescription=" + description + "\r\nbase=" +
         base + "\r\nlens=lens.bmp\r\n";
}

class SkinChooserWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ocural_test::DropQuitRequest();
    folder_.MakeFolder(L"pics");
    // Four coloured quarters, so that a stretched copy shows where each went.
    folder_.Write(L"pics\\quarters.bmp", ocural_test::Bmp24(40, 60, [](int x, int y) {
                    return y < 30 ? (x < 20 ? kTopLeft : kTopRight) : (x < 20 ? kBottomLeft : kBottomRight);
                  }));
    folder_.Write(L"a.vsk", SkinText("Alpha", "Ann", "first skin", "pics\\quarters.bmp"));
    folder_.Write(L"b.vsk", SkinText("Beta", "Bob", "its picture is missing", "pics\\none.bmp"));
    folder_.Write(L"c.vsk", "[OtherSection]\r\nname=not this\r\n");
    folder_.Write(L"notes.txt", "not a skin");
    folder_.Write(L"e.vsk", SkinText("Hidden", "", "", ""));
    SetFileAttributesW(folder_.Join(L"e.vsk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    folder_.MakeFolder(L"sub");
    folder_.Write(L"sub\\d.vsk", SkinText("Deep", "", "", ""));
    folder_.MakeFolder(L"folder.vsk");
  }
  void TearDown() override {
    ocural_test::DropQuitRequest();
  }
  static std::string Quarters(const FrmChangeSkin& f) {
    const int w = f.picPrev.ScaleWidth(), h = f.picPrev.ScaleHeight();
    std::string s;
    for (COLORREF c : {f.picPrev.Point(w / 4, h / 4), f.picPrev.Point(3 * w / 4, h / 4),
                       f.picPrev.Point(w / 4, 3 * h / 4), f.picPrev.Point(3 * w / 4, 3 * h / 4)}) {
      s += c == kTopLeft ? "TL " : c == kTopRight ? "TR " : c == kBottomLeft ? "BL " : c == kBottomRight ? "BR " : "? ";
    }
    return s;
  }
  static std::wstring Texts(const FrmChangeSkin& f) {
    return f.lblSkinName.Caption() + L"|" + f.lblAuthor.Caption() + L"|" + f.lblSkinDescription.Caption();
  }

  ocural_test::ScratchFolder folder_;
  std::wstring current_;  // the skin loaded now, as the chooser is told it
};

TEST_F(SkinChooserWin, ElementsCaptionsAndPlacesFollowTheLayoutInTwips) {
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  ASSERT_TRUE(f.IsLoaded());
  EXPECT_EQ(ocural_test::TextOf(f.hWnd()), kCaption);
  EXPECT_EQ(f.Canceled, forms::kVbTrue);
  EXPECT_TRUE(GetWindowLongW(f.hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client{};
  GetClientRect(f.hWnd(), &client);
  const RECT want = PixelsOf(0, 0, 7920, 3000);
  EXPECT_EQ(client.right, want.right);
  EXPECT_EQ(client.bottom, want.bottom);

  struct Row {
    HWND hwnd;
    const wchar_t* caption;
    double l, t, w, h;
  };
  const Row rows[] = {
      {f.filSkins.hWnd(), L"", 120, 120, 2295, 2790},
      {f.lblDSkinName.hWnd(), L"名前：", 2520, 120, 495, 255},
      {f.lblSkinName.hWnd(), L"", 2640, 360, 3735, 255},
      {f.Label1.hWnd(), L"作者：", 2520, 720, 495, 255},
      {f.lblAuthor.hWnd(), L"", 2640, 960, 3735, 255},
      {f.Label3.hWnd(), L"説明：", 2520, 1320, 495, 255},
      {f.lblSkinDescription.hWnd(), L"", 2640, 1560, 3735, 255},
      {f.cmdOK.hWnd(), L"OK", 4080, 2520, 1815, 375},
      {f.cmdCancel.hWnd(), L"キャンセル", 6000, 2520, 1815, 375},
      {f.picPrev.hWnd(), L"", 6480, 120, 1335, 1695},
      {f.cmdUnload.hWnd(), L"アンロード(&U)", 6480, 1920, 1335, 375},
  };
  std::vector<HWND> tabOrder;
  for (const Row& r : rows) {
    ASSERT_NE(r.hwnd, nullptr);
    tabOrder.push_back(r.hwnd);
    EXPECT_EQ(ocural_test::TextOf(r.hwnd), r.caption);
    const RECT got = PlaceOf(r.hwnd);
    const RECT exp = PixelsOf(r.l, r.t, r.w, r.h);
    EXPECT_TRUE(ocural_test::SameRect(got, exp)) << "element " << tabOrder.size() - 1 << ": got "
                                                 << ocural_test::Describe(got) << ", want " << ocural_test::Describe(exp);
  }
  EXPECT_EQ(ocural_test::ChildrenOf(f.hWnd()), tabOrder) << "created in tab order";
  EXPECT_FALSE(f.cmdUnload.Visible());
  // The preview draws inside its border, over the whole inside.
  RECT inner{};
  GetClientRect(f.picPrev.hWnd(), &inner);
  EXPECT_EQ(f.picPrev.ScaleWidth(), inner.right);
  EXPECT_EQ(f.picPrev.ScaleHeight(), inner.bottom);
  EXPECT_LT(inner.right, PixelsOf(0, 0, 1335, 0).right);
  EXPECT_EQ(f.DefaultButton(), &f.cmdOK);
  EXPECT_EQ(f.CancelButton(), &f.cmdCancel);
  // Tab: the list, then the two buttons.
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), nullptr, FALSE), f.filSkins.hWnd());
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.filSkins.hWnd(), FALSE), f.cmdOK.hWnd());
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.cmdOK.hWnd(), FALSE), f.cmdCancel.hWnd());
  EXPECT_EQ(GetNextDlgTabItem(f.hWnd(), f.cmdCancel.hWnd(), FALSE), f.filSkins.hWnd());
}

TEST_F(SkinChooserWin, ListsOnlyThePlainSkinFilesOfTheFolderAndPreselectsNothingByDefault) {
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  EXPECT_EQ(f.filSkins.Path(), folder_.Path());
  EXPECT_EQ(f.filSkins.Pattern(), L"*.vsk");
  std::vector<std::wstring> names;
  for (int i = 0; i < f.filSkins.ListCount(); ++i) names.push_back(f.filSkins.List(i));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.vsk", L"b.vsk", L"c.vsk"}));
  EXPECT_EQ(f.filSkins.ListIndex(), -1);
  EXPECT_EQ(f.filSkins.FileName(), L"");
  EXPECT_EQ(Texts(f), L"||");
}

TEST_F(SkinChooserWin, TheLoadedSkinIsSelectedWithItsTextsAndPictureButOnlyWithTheSameLetterCase) {
  current_ = L"a.vsk";
  {
    FrmChangeSkin f;
    f.Load(folder_.Path(), current_);
    EXPECT_EQ(f.filSkins.ListIndex(), 0);
    EXPECT_EQ(f.filSkins.FileName(), L"a.vsk");
    EXPECT_EQ(Texts(f), L"Alpha|Ann|first skin");
    EXPECT_EQ(Quarters(f), "TL TR BL BR ") << "stretched over the whole box, each quarter in its place";
  }
  ocural_test::DropQuitRequest();
  current_ = L"A.vsk";
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  EXPECT_EQ(f.filSkins.ListIndex(), -1);
  EXPECT_EQ(Texts(f), L"||");
  EXPECT_EQ(Quarters(f), "? ? ? ? ");
}

TEST_F(SkinChooserWin, ArrowKeysMoveThePreviewAndAMissingPictureKeepsThePreviousOne) {
  current_ = L"a.vsk";
  std::vector<std::wstring> texts;
  std::vector<std::string> pictures;
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  auto note = [&] {
    texts.push_back(Texts(f));
    pictures.push_back(Quarters(f));
  };
  ModalScript script({[] { PostKey(VK_DOWN); }, note, [] { PostKey(VK_DOWN); }, note, [] { PostKey(VK_UP); },
                      [] { PostKey(VK_UP); }, note, [&] { f.Hide(); }});
  Watchdog dog(kCaption, 8000);
  f.ShowModal(nullptr);
  EXPECT_FALSE(dog.Fired());
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], L"Beta|Bob|its picture is missing");
  EXPECT_EQ(pictures[0], "TL TR BL BR ") << "b's picture is missing: a's stays under b's texts";
  EXPECT_EQ(texts[1], L"||") << "c.vsk has none of the keys";
  EXPECT_EQ(texts[2], L"Alpha|Ann|first skin");
  EXPECT_EQ(f.Canceled, forms::kVbTrue);
}

TEST_F(SkinChooserWin, EnterAndDoubleClickConfirmTheSelectionEscCancels) {
  current_ = L"a.vsk";
  {
    ModalScript script({[] { PostKey(VK_DOWN); }, [] { PostKey(VK_RETURN); }});
    Watchdog dog(kCaption, 8000);
    const auto chosen = ChooseSkin(nullptr, folder_.Path(), current_);
    EXPECT_FALSE(dog.Fired());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, L"b.vsk");
  }
  ocural_test::DropQuitRequest();
  {
    ModalScript script({[] { PostKey(VK_DOWN); }, [] { PostKey(VK_ESCAPE); }});
    Watchdog dog(kCaption, 8000);
    EXPECT_FALSE(ChooseSkin(nullptr, folder_.Path(), current_).has_value());
    EXPECT_FALSE(dog.Fired());
  }
  ocural_test::DropQuitRequest();
  {
    // A double click on the third entry: the list selects it on the press.
    ModalScript script({[] {
      HWND list = FindWindowExW(FindWindowW(L"OcuralForm", kCaption), nullptr, L"ListBox", nullptr);
      const int item = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
      const LPARAM at = MAKELPARAM(5, 2 * item + item / 2);
      SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(list, WM_LBUTTONUP, 0, at);
      SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessageW(list, WM_LBUTTONUP, 0, at);
    }});
    Watchdog dog(kCaption, 8000);
    const auto chosen = ChooseSkin(nullptr, folder_.Path(), current_);
    EXPECT_FALSE(dog.Fired());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, L"c.vsk");
  }
}

TEST_F(SkinChooserWin, WithNothingSelectedADoubleClickDoesNothingAndOkGivesAnEmptyName) {
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  bool stillOpen = false;
  ModalScript script({[&] {
                        SendMessageW(f.hWnd(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
                                     reinterpret_cast<LPARAM>(f.filSkins.hWnd()));
                      },
                      [&] {
                        stillOpen = f.Visible();
                        SendMessageW(f.cmdOK.hWnd(), BM_CLICK, 0, 0);
                      }});
  Watchdog dog(kCaption, 8000);
  f.ShowModal(nullptr);
  EXPECT_FALSE(dog.Fired());
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(f.Canceled, forms::kVbFalse);
  EXPECT_TRUE(f.IsLoaded()) << "OK only hides it; the caller unloads";
  EXPECT_EQ(f.filSkins.FileName(), L"");
}

TEST_F(SkinChooserWin, APictureOfAnyShapeFillsTheWholePreview) {
  folder_.Write(L"pics\\wide.bmp", ocural_test::Bmp24(300, 7, [](int, int) { return kTopRight; }));
  folder_.Write(L"w.vsk", SkinText("Wide", "", "", "pics\\wide.bmp"));
  current_ = L"w.vsk";
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  ASSERT_EQ(f.filSkins.FileName(), L"w.vsk");
  const int w = f.picPrev.ScaleWidth(), h = f.picPrev.ScaleHeight();
  for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}, POINT{w / 2, h / 2}}) {
    EXPECT_EQ(f.picPrev.Point(p.x, p.y), kTopRight) << p.x << "," << p.y;
  }
}

// The settings file keeps the chosen name in the system code page: a name
// that does not come back from it (best fit would turn "José" into "Jose",
// another skin's name) is not offered; Japanese names are.
TEST_F(SkinChooserWin, ListsOnlyNamesThatComeBackFromTheSystemCodePage) {
  char ansi[8] = {};
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u00E9", 1, ansi, sizeof ansi, nullptr, &lost);
  ASSERT_TRUE(lost) << "code page " << GetACP() << " has \"\u00E9\": the case proves nothing here";
  folder_.Write(L"Jos\u00E9.vsk", SkinText("Accent", "", "", "pics\\quarters.bmp"));
  folder_.Write(L"Jose.vsk", SkinText("Plain", "", "", "pics\\quarters.bmp"));
  folder_.Write(L"\u62E1\u5927.vsk", SkinText("Kanji", "", "", "pics\\quarters.bmp"));
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  std::vector<std::wstring> names;
  for (int i = 0; i < f.filSkins.ListCount(); ++i) names.push_back(f.filSkins.List(i));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"a.vsk", L"b.vsk", L"c.vsk", L"Jose.vsk", L"\u62E1\u5927.vsk"}));
}

// What the window leaves out of a body (alpha 0) shows the box's own colour
// in the preview, not the colour the file keeps under it.
TEST_F(SkinChooserWin, TransparentPixelsOfTheBodyShowTheBoxColour) {
  ocural_test::Bytes raw;  // 40 x 60 RGBA: the left half clear red, the right half green
  for (int y = 0; y < 60; ++y) {
    raw.push_back(0);
    for (int x = 0; x < 40; ++x) {
      const bool left = x < 20;
      raw.insert(raw.end(), {static_cast<uint8_t>(left ? 255 : 30), static_cast<uint8_t>(left ? 0 : 200), 30,
                             static_cast<uint8_t>(left ? 0 : 255)});
    }
  }
  const ocural_test::Bytes png = ocural_test::MakePngOf(40, 60, 8, 6, raw);
  folder_.Write(L"pics\\clear.png", std::string(png.begin(), png.end()));
  folder_.Write(L"t.vsk", SkinText("Clear", "", "", "pics\\clear.png"));
  current_ = L"t.vsk";
  FrmChangeSkin f;
  f.Load(folder_.Path(), current_);
  ASSERT_EQ(f.filSkins.FileName(), L"t.vsk");
  const int w = f.picPrev.ScaleWidth(), h = f.picPrev.ScaleHeight();
  EXPECT_EQ(f.picPrev.Point(w / 4, h / 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(f.picPrev.Point(3 * w / 4, h / 2), RGB(30, 200, 30));
}

}  // namespace
}  // namespace ocural
