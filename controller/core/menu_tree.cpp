#include "controller/core/menu_tree.h"

namespace ocural {

std::vector<MenuEntry> PopupMenuTree() {
  auto item = [](const wchar_t* caption, unsigned command) {
    MenuEntry e;
    e.caption = caption;
    e.command = command;
    return e;
  };
  MenuEntry zoom;
  zoom.kind = MenuEntry::Kind::Submenu;
  zoom.caption = L"倍率切り替え(&M)";
  static const wchar_t* const kZoomCaptions[12] = {L"等倍(&1)", L"x&2", L"x&3",    L"x&4",    L"x&5",    L"x&6",
                                                   L"x&7",     L"x&8", L"x&9", L"x10(&A)", L"x11(&B)", L"x12(&C)"};
  for (int i = 1; i <= 12; ++i) zoom.children.push_back(item(kZoomCaptions[i - 1], kMenuZoomBase + i));
  MenuEntry separator;
  separator.kind = MenuEntry::Kind::Separator;
  separator.caption = L"-";
  return {item(L"スキンの切り替え(&K)...", kMenuSkin),
          zoom,
          item(L"設定(&S)", kMenuSetting),
          separator,
          item(L"バージョン情報(&V)", kMenuVerinfo),
          item(L"終了(&X)", kMenuExit)};
}

}  // namespace ocural
