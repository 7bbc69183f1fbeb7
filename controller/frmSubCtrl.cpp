#include "controller/frmSubCtrl.h"

#include "controller/core/menu_tree.h"
#include "controller/core/tray_callback.h"
#include "resources/resource.h"

namespace ocural {
namespace {

void AppendEntries(HMENU menu, const std::vector<MenuEntry>& entries) {
  for (const auto& e : entries) {
    switch (e.kind) {
      case MenuEntry::Kind::Separator:
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        break;
      case MenuEntry::Kind::Submenu: {
        HMENU sub = CreatePopupMenu();
        AppendEntries(sub, e.children);
        AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), e.caption.c_str());
        break;
      }
      case MenuEntry::Kind::Item:
        AppendMenuW(menu, MF_STRING, e.command, e.caption.c_str());
        break;
    }
  }
}

}  // namespace

HMENU BuildPopupMenu() {
  HMENU popup = CreatePopupMenu();
  AppendEntries(popup, PopupMenuTree());
  return popup;
}

void FrmSubCtrl::Load() {
  if (IsLoaded()) return;
  if (!CreateForm(WS_EX_TOOLWINDOW, WS_POPUP, L"Ocural Controler", 1, 1)) return;
  HICON icon = LoadIconW(forms::App::Instance(), MAKEINTRESOURCEW(IDI_OCURAL));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  // mnuRClick, the one top-level menu; its items are the popup.
  menuBar_.reset(CreateMenu());
  popup_ = BuildPopupMenu();
  AppendMenuW(menuBar_.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup_), L"RClick");
  // The bar is the window's own menu (never seen, the window stays hidden);
  // once attached, the window destroys it with itself.
  if (SetMenu(hwnd_, menuBar_.get())) menuBar_.release();
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  platform_ = std::make_unique<TTray::Win32TrayPlatform>(hwnd_);
  tray_ = std::make_unique<TrayIconState>(*platform_);
  tray_->SetTrayTip(pendingTip_);
}

void FrmSubCtrl::SetShowTrayIcon(bool NewValue) {
  if (tray_) tray_->SetShowTrayIcon(NewValue);
}

void FrmSubCtrl::SetTrayTip(const std::wstring& NewValue) {
  pendingTip_ = NewValue;
  if (tray_) tray_->SetTrayTip(NewValue);
}

LRESULT FrmSubCtrl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
    // The notification area came back (Explorer restarted): show the icon again.
    if (tray_) tray_->Readd();
    return 0;
  }
  switch (msg) {
    case WM_DESTROY:
      menuBar_.reset();  // only when it was never attached; destroys the popup with it
      popup_ = nullptr;
      break;
    case WM_ENDSESSION:
      // At log-off the system tells every window, in no set order. The main
      // window's own shut-down saves the settings, removes the icon through
      // this window and unloads it last; unloading here first would leave the
      // icon behind.
      return 0;
    case WM_CLOSE:
      // A close request to this hidden window (a task manager's "end task")
      // ends the program the way the exit item does.
      if (Actions.CloseRequest && MainWindow()) {
        Actions.CloseRequest();
        return 0;
      }
      break;
    default:
      break;
  }
  return Form::WndProc(msg, wp, lp);
}

void FrmSubCtrl::Form_MouseMove(const forms::MouseEvent& e) {
  // The icon's callback arrives as a mouse move whose X is the mouse message
  // that happened on the icon.
  switch (TrayActionForMouseMessage(static_cast<uint32_t>(e.X))) {
    case TrayAction::ActivateMain:
      ActivateMain();
      break;
    case TrayAction::ActivateMainThenPopup:
      // The menu belongs to the magnifier, which has just come forward: it
      // stays active while the menu is up, and is activated only once. The
      // press on the icon took the focus on the display; that news is read
      // first, or, read inside the menu, it would close it.
      forms::ReadPendingDisplayNews();
      ActivateMain();
      if (HWND main = MainWindow(); main && IsWindowEnabled(main)) PopupMenuNear(main);
      break;
    case TrayAction::Nothing:
      break;
  }
}

void FrmSubCtrl::ActivateMain() {
  HWND main = MainWindow();
  // While one of the program's dialogs is open the main window is disabled:
  // the click is ignored.
  if (!main || !IsWindowEnabled(main)) return;
  SetForegroundWindow(main);
  SetFocus(main);
}

void FrmSubCtrl::PopupMenuNear(HWND main) {
  // At the pointer on the magnifier's monitor; from an icon on another
  // monitor, at the magnifier, where the user looks for its choices.
  POINT pt{};
  GetCursorPos(&pt);
  if (MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST) == MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST)) {
    return PopupMenu(main);
  }
  RECT r{};
  GetWindowRect(main, &r);
  const POINT centre{r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
  PopupMenu(main, &centre);
}

void FrmSubCtrl::PopupMenu(HWND owner, const POINT* at) {
  if (!popup_ || inPopup_) return;
  inPopup_ = true;
  POINT pt{};
  if (at) {
    pt = *at;
  } else {
    GetCursorPos(&pt);
  }
  // Old news of the display (a window of the program that closed just now,
  // a snapshot's move) is read before the menu opens, or it would close it.
  forms::ReadPendingDisplayNews();
  // A menu whose owner is not the foreground window does not close when the
  // user clicks elsewhere: bring the owner forward first, and let the menu's
  // loop end properly afterwards.
  SetForegroundWindow(owner);
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(popup_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, pt.x, pt.y, 0, owner,
                     nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  inPopup_ = false;
  if (command != 0) RunCommand(command);
}

void FrmSubCtrl::RunCommand(unsigned command) {
  if (const int factor = ZoomFactorOfCommand(command)) return mnuZoomX_Click(factor);
  switch (command) {
    case kMenuSkin:
      return mnuSkin_Click();
    case kMenuSetting:
      return mnuSetting_Click();
    case kMenuVerinfo:
      return mnuVerinfo_Click();
    case kMenuExit:
      return mnuExit_Click();
    default:
      return;
  }
}

void FrmSubCtrl::mnuZoomX_Click(int Index) {
  if (Actions.Zoom) Actions.Zoom(static_cast<int16_t>(Index));
}

void FrmSubCtrl::mnuSkin_Click() {
  if (Actions.ChooseSkin) Actions.ChooseSkin();
}

void FrmSubCtrl::mnuSetting_Click() {
  if (Actions.Settings) Actions.Settings();
}

void FrmSubCtrl::mnuVerinfo_Click() {
  if (Actions.Version) Actions.Version();
}

void FrmSubCtrl::mnuExit_Click() {
  if (Actions.Exit) Actions.Exit();
}

}  // namespace ocural
