// The hidden controller window: target of the tray icon's messages and owner
// of the popup menu.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controller/TTray.h"
#include "controller/core/tray_state.h"
#include "platform/win/forms.h"

namespace ocural {

// What the menu and the tray icon make the program do. The controller knows
// the main window only through these; unset ones do nothing.
struct ControllerActions {
  std::function<HWND()> MainWindow;    // the magnifier's window, or null
  std::function<void(int16_t)> Zoom;   // a factor item
  std::function<void()> ChooseSkin;    // the skin item
  std::function<void()> Settings;      // the settings item
  std::function<void()> Version;       // the version item
  std::function<void()> Exit;          // the exit item
  std::function<void()> CloseRequest;  // a close request to this window
};

class FrmSubCtrl : public forms::Form {
 public:
  ControllerActions Actions;

  // Creates the window (never shown) and its menu.
  void Load();

  bool ShowTrayIcon() const { return tray_ ? tray_->ShowTrayIcon() : false; }
  void SetShowTrayIcon(bool NewValue);
  std::wstring TrayTip() const { return tray_ ? tray_->TrayTip() : pendingTip_; }
  void SetTrayTip(const std::wstring& NewValue);

  // Shows mnuRClick at the mouse position, or at `at` (screen pixels) when
  // given; `owner` is the window that opens it. Returns when the menu has
  // closed.
  void PopupMenu(HWND owner, const POINT* at = nullptr);
  // The menu from the tray icon, on the monitor of the magnifier `main`.
  void PopupMenuNear(HWND main);

  // The popup menu (its items are mnuRClick's), for tests.
  HMENU mnuRClick() const { return popup_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Form_MouseMove(const forms::MouseEvent& e) override;

 private:
  void RunCommand(unsigned command);
  void ActivateMain();
  HWND MainWindow() const { return Actions.MainWindow ? Actions.MainWindow() : nullptr; }
  void mnuZoomX_Click(int Index);
  void mnuSkin_Click();
  void mnuSetting_Click();
  void mnuVerinfo_Click();
  void mnuExit_Click();

  std::unique_ptr<TTray::Win32TrayPlatform> platform_;
  std::unique_ptr<TrayIconState> tray_;
  std::wstring pendingTip_;
  win::Menu menuBar_;
  HMENU popup_ = nullptr;
  UINT taskbarCreated_ = 0;
  bool inPopup_ = false;
};

// Builds the popup menu from the menu tree; the caller owns it.
HMENU BuildPopupMenu();

}  // namespace ocural
