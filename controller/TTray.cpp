#include "controller/TTray.h"

#include <shellapi.h>

#include <cstddef>

#include "controller/core/tray_record.h"
#include "platform/win/program_path.h"

namespace ocural::TTray {
namespace {

// The record built by the core must be the first part of the system's own.
constexpr TrayRecordLayout kLayout = TrayRecordLayoutFor(sizeof(void*));
static_assert(offsetof(NOTIFYICONDATAW, cbSize) == kLayout.cbSize, "cbSize");
static_assert(offsetof(NOTIFYICONDATAW, hWnd) == kLayout.hWnd, "hWnd");
static_assert(offsetof(NOTIFYICONDATAW, uID) == kLayout.uID, "uID");
static_assert(offsetof(NOTIFYICONDATAW, uFlags) == kLayout.uFlags, "uFlags");
static_assert(offsetof(NOTIFYICONDATAW, uCallbackMessage) == kLayout.uCallbackMessage, "uCallbackMessage");
static_assert(offsetof(NOTIFYICONDATAW, hIcon) == kLayout.hIcon, "hIcon");
static_assert(offsetof(NOTIFYICONDATAW, szTip) == kLayout.szTip, "szTip");
static_assert(offsetof(NOTIFYICONDATAW, szTip) + kTrayTipField * sizeof(WCHAR) == kLayout.size, "first-version size");
static_assert(kLayout.size == NOTIFYICONDATAW_V1_SIZE, "record size");

uint64_t HandleBits(const void* handle) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace

std::vector<uint8_t> TrayRecordFor(HWND hWnd, UINT flags, HICON hIcon, const std::wstring& tip) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 here");
  return BuildTrayRecord(sizeof(void*), HandleBits(hWnd), flags, HandleBits(hIcon),
                         std::u16string(tip.begin(), tip.end()));
}

void NotifyTray(HWND hWnd, UINT flags, HICON hIcon, const std::wstring& tip, DWORD message) {
  std::vector<uint8_t> record = TrayRecordFor(hWnd, flags, hIcon, tip);
  Shell_NotifyIconW(message, reinterpret_cast<NOTIFYICONDATAW*>(record.data()));
}

std::wstring AppExePath() {
  std::wstring path = win::ProgramFolder();
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path + win::ProgramName() + L".exe";
}

void NotifyTrayAppIcon(HWND hWnd, UINT flags, int iconIndex, const std::wstring& tip, DWORD message) {
  HICON largeIcon = nullptr;
  HICON smallIcon = nullptr;
  ExtractIconExW(AppExePath().c_str(), iconIndex, &largeIcon, &smallIcon, 1);
  NotifyTray(hWnd, flags, smallIcon, tip, message);
  if (largeIcon != nullptr) DestroyIcon(largeIcon);
  if (smallIcon != nullptr) DestroyIcon(smallIcon);
}

void Win32TrayPlatform::NotifyTray(uint32_t flags, uint64_t hIcon, const std::wstring& tip, uint32_t message) {
  TTray::NotifyTray(hWnd_, flags, reinterpret_cast<HICON>(static_cast<uintptr_t>(hIcon)), tip, message);
}

void Win32TrayPlatform::NotifyTrayAppIcon(uint32_t flags, int iconIndex, const std::wstring& tip,
                                          uint32_t message) {
  TTray::NotifyTrayAppIcon(hWnd_, flags, iconIndex, tip, message);
}

}  // namespace ocural::TTray
