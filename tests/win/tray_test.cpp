// The notification-area icon with the real shell calls. Under Wine without a
// virtual desktop the icons live in a standalone tray window, one child
// window per icon, which lets the tests see them come and go.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "controller/TTray.h"
#include "controller/core/tray_record.h"
#include "controller/core/tray_state.h"
#include "platform/win/text.h"

namespace ocural {
namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

BOOL CALLBACK CountIcon(HWND child, LPARAM counter) {
  wchar_t cls[64] = {};
  GetClassNameW(child, cls, 64);
  if (std::wcscmp(cls, L"__winex11_tray_icon") == 0) ++*reinterpret_cast<int*>(counter);
  return TRUE;
}

// Icon windows in Wine's standalone tray (made with the first icon).
int TrayIconWindows() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (tray == nullptr) return 0;
  int count = 0;
  EnumChildWindows(tray, CountIcon, reinterpret_cast<LPARAM>(&count));
  return count;
}

// Pumps messages until the count of icon windows is `want` or 3 s pass.
int WaitForIconWindows(int want) {
  int now = TrayIconWindows();
  for (int i = 0; i < 150 && now != want; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
    now = TrayIconWindows();
  }
  return now;
}

BOOL Send(DWORD message, std::vector<uint8_t> record) {
  return Shell_NotifyIconW(message, reinterpret_cast<NOTIFYICONDATAW*>(record.data()));
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OcuralTrayTestWindow";
    RegisterClassW(&wc);  // fails harmlessly when a previous test registered it
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"tray test", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                            nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    icon_ = LoadIconW(nullptr, IDI_APPLICATION);
  }
  void TearDown() override {
    if (hwnd_ != nullptr) {
      // Leave no icon behind for the next test, whatever happened.
      Send(NIM_DELETE, TTray::TrayRecordFor(hwnd_, 0, nullptr, L""));
      DestroyWindow(hwnd_);
    }
  }
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
};

TEST_F(TrayTest, AddModifyDeleteSucceed) {
  const int before = TrayIconWindows();
  EXPECT_TRUE(Send(NIM_ADD, TTray::TrayRecordFor(hwnd_, kNifAll, icon_, TrayTipText(L" [x2] a"))));
  EXPECT_EQ(WaitForIconWindows(before + 1), before + 1);
  const int shown = TrayIconWindows();
  EXPECT_TRUE(Send(NIM_MODIFY, TTray::TrayRecordFor(hwnd_, kNifTip, nullptr, TrayTipText(L" [x3] b"))));
  EXPECT_EQ(TrayIconWindows(), shown);
  EXPECT_TRUE(Send(NIM_DELETE, TTray::TrayRecordFor(hwnd_, 0, nullptr, L"")));
  EXPECT_EQ(WaitForIconWindows(shown - 1), shown - 1);
  // A second delete has nothing left to remove.
  EXPECT_FALSE(Send(NIM_DELETE, TTray::TrayRecordFor(hwnd_, 0, nullptr, L"")));
}

TEST_F(TrayTest, StateDrivesTheRealIcon) {
  const int before = TrayIconWindows();
  TTray::Win32TrayPlatform platform(hwnd_);
  TrayIconState state(platform);
  state.SetTrayTip(MagnifierTipText(2, L"skin"));
  state.SetShowTrayIcon(true);
  EXPECT_EQ(WaitForIconWindows(before + 1), before + 1);
  state.SetTrayTip(MagnifierTipText(4, L"skin"));
  state.SetShowTrayIcon(true);
  EXPECT_EQ(TrayIconWindows(), before + 1);
  // The record on the way out was built from the same window; a modify
  // succeeding proves the icon is still registered for it.
  EXPECT_TRUE(Send(NIM_MODIFY, TTray::TrayRecordFor(hwnd_, kNifTip, nullptr, L"x")));
  state.SetShowTrayIcon(false);
  EXPECT_EQ(WaitForIconWindows(before), before);
  EXPECT_FALSE(Send(NIM_MODIFY, TTray::TrayRecordFor(hwnd_, kNifTip, nullptr, L"x")));
}

// The tip in the record as the shell reads it: wide text up to its NUL.
std::wstring TipOf(const std::vector<uint8_t>& record) {
  const size_t at = TrayRecordLayoutFor(sizeof(void*)).szTip;
  const auto* field = reinterpret_cast<const wchar_t*>(record.data() + at);
  return std::wstring(field, wcsnlen(field, kTrayTipField));
}

TEST_F(TrayTest, TipKeepsEveryScriptAndIsCutInsideTheField) {
  // Text outside the system's code page (accented Latin and Hangul are not in
  // CP932) reaches the shell as it is.
  const std::wstring mixed = TrayTipText(MagnifierTipText(2, L"Jos\u00E9 \uD55C \u62E1\u5927"));
  EXPECT_NE(win::FromAnsi(win::ToAnsi(mixed)), mixed) << "the code page should lose something here";
  auto record = TTray::TrayRecordFor(hwnd_, kNifAll, icon_, mixed);
  ASSERT_EQ(record.size(), size_t{NOTIFYICONDATAW_V1_SIZE});
  EXPECT_EQ(TipOf(record), mixed);
  EXPECT_TRUE(Send(NIM_ADD, record));

  // 80 kana: 63 fit with the NUL.
  const std::wstring kana(80, L'\u3042');
  record = TTray::TrayRecordFor(hwnd_, kNifTip, nullptr, kana);
  EXPECT_EQ(TipOf(record), kana.substr(0, 63));
  EXPECT_EQ(record[record.size() - 2] | record[record.size() - 1], 0);
  EXPECT_TRUE(Send(NIM_MODIFY, record));
  EXPECT_TRUE(Send(NIM_DELETE, TTray::TrayRecordFor(hwnd_, 0, nullptr, L"")));
}

TEST_F(TrayTest, AppIconComesFromTheRunningExe) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  EXPECT_EQ(CompareStringOrdinal(TTray::AppExePath().c_str(), -1, module, -1, TRUE), CSTR_EQUAL)
      << win::ToAnsi(TTray::AppExePath()) << " vs " << win::ToAnsi(module);
  // The test program carries no icon of its own; the call still adds one.
  const int before = TrayIconWindows();
  TTray::NotifyTrayAppIcon(hwnd_, kNifAll, 0, TrayTipText(L""), NIM_ADD);
  EXPECT_EQ(WaitForIconWindows(before + 1), before + 1);
  TTray::NotifyTray(hwnd_, 0, nullptr, L"", NIM_DELETE);
  EXPECT_EQ(WaitForIconWindows(before), before);
}

}  // namespace
}  // namespace ocural
