// The popup menu of the controller window, as data: captions, order, the
// separator, and the command numbers the window acts on.
#pragma once

#include <string>
#include <vector>

namespace ocural {

// Command numbers. A magnification item's number is kMenuZoomBase + factor.
enum MenuCommand : unsigned {
  kMenuSkin = 100,
  kMenuSetting = 101,
  kMenuVerinfo = 102,
  kMenuExit = 103,
  kMenuZoomBase = 200,
};

struct MenuEntry {
  enum class Kind { Item, Submenu, Separator };
  Kind kind = Kind::Item;
  std::wstring caption;
  unsigned command = 0;               // items only
  std::vector<MenuEntry> children;    // submenus only
};

// The items of mnuRClick, in order.
std::vector<MenuEntry> PopupMenuTree();

// The factor an item's command stands for, 0 when it is not a factor item.
inline int ZoomFactorOfCommand(unsigned command) {
  return command > kMenuZoomBase && command <= kMenuZoomBase + 12 ? static_cast<int>(command - kMenuZoomBase) : 0;
}

}  // namespace ocural
