#include "controller/core/tray_state.h"

#include "controller/core/tray_record.h"

namespace ocural {

void TrayIconState::SetShowTrayIcon(bool NewValue) {
  if (NewValue == show_) return;
  if (NewValue) {
    platform_.NotifyTrayAppIcon(kNifAll, 0, TrayTipText(tip_), kNimAdd);
  } else {
    platform_.NotifyTray(0, 0, std::wstring(), kNimDelete);
  }
  show_ = NewValue;
}

void TrayIconState::SetTrayTip(const std::wstring& NewValue) {
  tip_ = NewValue;
  if (show_) platform_.NotifyTrayAppIcon(kNifTip, 0, TrayTipText(tip_), kNimModify);
}

void TrayIconState::Readd() {
  if (show_) platform_.NotifyTrayAppIcon(kNifAll, 0, TrayTipText(tip_), kNimAdd);
}

}  // namespace ocural
