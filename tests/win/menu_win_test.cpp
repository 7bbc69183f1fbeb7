// The popup menu as the platform holds it once built.
#include <gtest/gtest.h>

#include <string>

#include "controller/core/menu_tree.h"
#include "controller/frmSubCtrl.h"

namespace ocural {
namespace {

std::wstring Caption(HMENU menu, int pos) {
  wchar_t buf[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(pos), buf, 128, MF_BYPOSITION);
  return buf;
}

TEST(PopupMenuWin, BuiltTreeHasTheCaptionsOrderSeparatorAndFactorIds) {
  HMENU popup = BuildPopupMenu();
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(GetMenuItemCount(popup), 6);
  EXPECT_EQ(Caption(popup, 0), L"スキンの切り替え(&K)...");
  EXPECT_EQ(Caption(popup, 1), L"倍率切り替え(&M)");
  EXPECT_EQ(Caption(popup, 2), L"設定(&S)");
  EXPECT_TRUE(GetMenuState(popup, 3, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(Caption(popup, 4), L"バージョン情報(&V)");
  EXPECT_EQ(Caption(popup, 5), L"終了(&X)");
  for (int pos : {0, 1, 2, 4, 5}) {
    EXPECT_FALSE(GetMenuState(popup, static_cast<UINT>(pos), MF_BYPOSITION) & MF_CHECKED) << pos;
  }

  HMENU zoom = GetSubMenu(popup, 1);
  ASSERT_NE(zoom, nullptr);
  ASSERT_EQ(GetMenuItemCount(zoom), 12);
  EXPECT_EQ(Caption(zoom, 0), L"等倍(&1)");
  EXPECT_EQ(Caption(zoom, 1), L"x&2");
  EXPECT_EQ(Caption(zoom, 8), L"x&9");
  EXPECT_EQ(Caption(zoom, 9), L"x10(&A)");
  EXPECT_EQ(Caption(zoom, 11), L"x12(&C)");
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(ZoomFactorOfCommand(GetMenuItemID(zoom, i)), i + 1);
    EXPECT_FALSE(GetMenuState(zoom, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED);
  }
  DestroyMenu(popup);
}

// The controller window carries the bar "RClick" as its own menu, and the
// popup shown on a right click is that bar's one submenu.
TEST(PopupMenuWin, ControllerWindowsMenuIsTheBarHoldingThePopup) {
  FrmSubCtrl ctrl;
  ctrl.Load();
  ASSERT_NE(ctrl.hWnd(), nullptr);
  HMENU bar = GetMenu(ctrl.hWnd());
  ASSERT_NE(bar, nullptr) << "no menu attached to the controller window";
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(Caption(bar, 0), L"RClick");
  ASSERT_NE(ctrl.mnuRClick(), nullptr);
  EXPECT_EQ(GetSubMenu(bar, 0), ctrl.mnuRClick());
  EXPECT_EQ(GetMenuItemCount(ctrl.mnuRClick()), 6);
  EXPECT_FALSE(IsWindowVisible(ctrl.hWnd()));
}

}  // namespace
}  // namespace ocural
