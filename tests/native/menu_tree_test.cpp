#include <gtest/gtest.h>

#include <set>

#include "controller/core/menu_tree.h"

namespace ocural {
namespace {

TEST(MenuTreeTest, TopLevelItemsInOrderWithOneSeparator) {
  const auto tree = PopupMenuTree();
  ASSERT_EQ(tree.size(), 6u);
  EXPECT_EQ(tree[0].caption, L"スキンの切り替え(&K)...");
  EXPECT_EQ(tree[1].caption, L"倍率切り替え(&M)");
  EXPECT_EQ(tree[1].kind, MenuEntry::Kind::Submenu);
  EXPECT_EQ(tree[2].caption, L"設定(&S)");
  EXPECT_EQ(tree[3].kind, MenuEntry::Kind::Separator);
  EXPECT_EQ(tree[4].caption, L"バージョン情報(&V)");
  EXPECT_EQ(tree[5].caption, L"終了(&X)");
  // Every item has its own command.
  std::set<unsigned> commands;
  for (const auto& e : tree) {
    if (e.kind == MenuEntry::Kind::Item) {
      EXPECT_TRUE(commands.insert(e.command).second);
    }
  }
}

TEST(MenuTreeTest, TwelveFactorItemsWhoseCommandIsTheFactor) {
  const auto zoom = PopupMenuTree()[1].children;
  ASSERT_EQ(zoom.size(), 12u);
  const wchar_t* want[12] = {L"等倍(&1)", L"x&2", L"x&3", L"x&4", L"x&5", L"x&6",
                             L"x&7",     L"x&8", L"x&9", L"x10(&A)", L"x11(&B)", L"x12(&C)"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(zoom[i].caption, want[i]);
    EXPECT_EQ(ZoomFactorOfCommand(zoom[i].command), i + 1);
  }
  EXPECT_EQ(ZoomFactorOfCommand(kMenuExit), 0);
  EXPECT_EQ(ZoomFactorOfCommand(kMenuZoomBase), 0);
  EXPECT_EQ(ZoomFactorOfCommand(kMenuZoomBase + 13), 0);
}

}  // namespace
}  // namespace ocural
