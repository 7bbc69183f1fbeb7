// The program's icon in the notification area, through Shell_NotifyIconW.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "controller/core/tray_state.h"

namespace ocural::TTray {

// Sends one record for the icon of hWnd (uID 0, callback message
// WM_MOUSEMOVE) with the given flags, icon and tip; the tip is cut to fit.
// The shell's answer is not checked.
void NotifyTray(HWND hWnd, UINT flags, HICON hIcon, const std::wstring& tip, DWORD message);

// The same with the small icon number iconIndex of the program's own
// executable, loaded for the call and released after it.
void NotifyTrayAppIcon(HWND hWnd, UINT flags, int iconIndex, const std::wstring& tip, DWORD message);

// The bytes NotifyTray sends (exposed so the record can be checked).
std::vector<uint8_t> TrayRecordFor(HWND hWnd, UINT flags, HICON hIcon, const std::wstring& tip);

// The full path of the running executable as the App object gives it.
std::wstring AppExePath();

// TrayPlatform for one window.
class Win32TrayPlatform : public TrayPlatform {
 public:
  explicit Win32TrayPlatform(HWND hWnd) : hWnd_(hWnd) {}
  void NotifyTray(uint32_t flags, uint64_t hIcon, const std::wstring& tip, uint32_t message) override;
  void NotifyTrayAppIcon(uint32_t flags, int iconIndex, const std::wstring& tip, uint32_t message) override;
  HWND hWnd() const { return hWnd_; }

 private:
  HWND hWnd_;
};

}  // namespace ocural::TTray
