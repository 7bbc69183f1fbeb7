// The notification-area icon record (the first version of NOTIFYICONDATAW,
// the one every shell accepts), built as bytes so its layout can be checked
// away from Windows, and the texts shown as the icon's tip. The tip is wide
// text (UTF-16), so it reads right whatever the system's code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ocural {

// Values of uFlags.
constexpr uint32_t kNifMessage = 1;
constexpr uint32_t kNifIcon = 2;
constexpr uint32_t kNifTip = 4;
constexpr uint32_t kNifAll = kNifMessage | kNifIcon | kNifTip;

// The message the icon sends to its window (WM_MOUSEMOVE), with the mouse
// message on the icon in lParam.
constexpr uint32_t kTrayCallbackMessage = 0x200;

// Size of szTip in UTF-16 units, its terminating NUL included.
constexpr size_t kTrayTipField = 64;

// Where the fields lie for a given pointer size: 4 (32-bit, 152 bytes, no
// padding) or 8 (64-bit, handles on 8-byte boundaries, 168 bytes).
struct TrayRecordLayout {
  size_t cbSize;
  size_t hWnd;
  size_t uID;
  size_t uFlags;
  size_t uCallbackMessage;
  size_t hIcon;
  size_t szTip;
  size_t size;
};

// The layout for pointerSize 8, or for 4 given anything else.
constexpr TrayRecordLayout TrayRecordLayoutFor(size_t pointerSize) {
  if (pointerSize == 8) {
    // DWORD cbSize; (4 bytes padding) HWND hWnd; UINT uID; UINT uFlags;
    // UINT uCallbackMessage; (4 bytes padding) HICON hIcon; WCHAR szTip[64].
    return TrayRecordLayout{0, 8, 16, 20, 24, 32, 40, 168};
  }
  return TrayRecordLayout{0, 4, 8, 12, 16, 20, 24, 152};
}

// The record, little-endian and zero-filled apart from: cbSize (the record's
// size), hWnd, uID 0, uFlags, uCallbackMessage kTrayCallbackMessage, hIcon
// and szTip. Handles wider than the pointer keep their low bytes.
//
// The tip is copied as little-endian UTF-16 followed by a NUL; text that does
// not fit the field with its NUL is cut so that at most 63 units remain,
// never splitting a surrogate pair.
std::vector<uint8_t> BuildTrayRecord(size_t pointerSize, uint64_t hWnd, uint32_t flags, uint64_t hIcon,
                                     const std::u16string& tip);

// The units of tip that go into szTip (without the NUL), cut as above.
std::u16string FitTrayTip(const std::u16string& tip);

// The icon's tip: the program's name followed by trayTip.
std::wstring TrayTipText(const std::wstring& trayTip);

// The part of the tip that tells the magnifier's state: " [x2] skin".
std::wstring MagnifierTipText(int zoom, const std::wstring& skinName);

}  // namespace ocural
