// Helpers for the dialog tests: steps run from inside a dialog's own modal
// loop, keys posted the way the keyboard delivers them, a watchdog that ends
// a dialog that would otherwise wait for ever, and scratch folders with
// pictures and skin files.
#pragma once

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/forms.h"

namespace ocural_test {

// Runs the steps one by one, each from its own timer tick, while the
// modal loop of this thread runs: messages posted by one step are handled by
// the loop before the next step runs.
class ModalScript {
 public:
  explicit ModalScript(std::vector<std::function<void()>> steps, UINT intervalMs = 40) {
    Current() = this;
    steps_ = std::move(steps);
    timer_ = SetTimer(nullptr, 0, intervalMs, &Tick);
  }
  ~ModalScript() {
    if (timer_) KillTimer(nullptr, timer_);
    if (Current() == this) Current() = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool Finished() const { return next_ >= steps_.size(); }

 private:
  static ModalScript*& Current() {
    static ModalScript* current = nullptr;
    return current;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = Current();
    if (!self || self->running_ || self->next_ >= self->steps_.size()) return;
    self->running_ = true;
    auto step = self->steps_[self->next_++];
    step();
    self->running_ = false;
  }

  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
  bool running_ = false;
};

// Closes every visible window of this thread with the given caption after
// `ms`, so that a dialog left waiting fails the test instead of hanging it.
class Watchdog {
 public:
  Watchdog(const wchar_t* caption, UINT ms) {
    Current() = this;
    caption_ = caption;
    timer_ = SetTimer(nullptr, 0, ms, &Fire);
  }
  ~Watchdog() {
    if (timer_) KillTimer(nullptr, timer_);
    if (Current() == this) Current() = nullptr;
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  bool Fired() const { return fired_; }

 private:
  static Watchdog*& Current() {
    static Watchdog* current = nullptr;
    return current;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    Watchdog* self = Current();
    if (!self) return;
    self->timer_ = 0;
    self->fired_ = true;
    if (HWND w = FindWindowW(L"OcuralForm", self->caption_.c_str())) PostMessageW(w, WM_CLOSE, 0, 0);
  }

  std::wstring caption_;
  UINT_PTR timer_ = 0;
  bool fired_ = false;
};

// Removes a quit request left by a form that went while no other form was
// loaded (the toolkit ends its message loop then).
inline void DropQuitRequest() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// Handles what is waiting in this thread's queue.
inline void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A key press as the keyboard would deliver it to the focused window.
inline void PostKey(WPARAM vk) {
  HWND to = GetFocus();
  PostMessageW(to, WM_KEYDOWN, vk, 1);
  PostMessageW(to, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

// Alt + a letter: an access key.
inline void PostAltKey(wchar_t letter) {
  PostMessageW(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), static_cast<LPARAM>(0x20000001));
}

inline std::wstring TextOf(HWND w) {
  wchar_t text[256] = {};
  GetWindowTextW(w, text, 256);
  return text;
}

// The children of a window in z-order, which is the order of Tab.
inline std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

// The place of a child in its parent's client area, in pixels.
inline RECT PlaceOf(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The rectangle the twips give with the screen's real twips per pixel.
inline RECT PixelsOf(double left, double top, double width, double height) {
  const double tx = ocural::forms::Screen::TwipsPerPixelX(), ty = ocural::forms::Screen::TwipsPerPixelY();
  auto px = [](double v) { return static_cast<LONG>(std::nearbyint(v)); };
  const LONG l = px(left / tx), t = px(top / ty);
  return {l, t, l + px(width / tx), t + px(height / ty)};
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

// A 24-bit bottom-up BMP file of w x h whose colour at (x, y) comes from
// `colour` (0x00BBGGRR).
inline std::string Bmp24(int w, int h, const std::function<COLORREF(int, int)>& colour) {
  auto put16 = [](std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
  };
  auto put32 = [&](std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
  };
  const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
  const uint32_t size = stride * static_cast<uint32_t>(h);
  std::string s = "BM";
  put32(s, 54 + size);
  put32(s, 0);
  put32(s, 54);
  put32(s, 40);
  put32(s, static_cast<uint32_t>(w));
  put32(s, static_cast<uint32_t>(h));
  put16(s, 1);
  put16(s, 24);
  put32(s, 0);
  put32(s, size);
  put32(s, 3780);
  put32(s, 3780);
  put32(s, 0);
  put32(s, 0);
  for (int y = h - 1; y >= 0; --y) {
    const size_t start = s.size();
    for (int x = 0; x < w; ++x) {
      const COLORREF c = colour(x, y);
      s.push_back(static_cast<char>(GetBValue(c)));
      s.push_back(static_cast<char>(GetGValue(c)));
      s.push_back(static_cast<char>(GetRValue(c)));
    }
    while (s.size() - start < stride) s.push_back('\0');
  }
  return s;
}

// A folder of its own under the temp folder, removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    path_ = std::wstring(temp) + L"ocural_dlg_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring Join(const std::wstring& name) const { return path_ + L"\\" + name; }
  void Write(const std::wstring& name, const std::string& bytes) const {
    std::ofstream out(Join(name).c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void MakeFolder(const std::wstring& name) const { CreateDirectoryW(Join(name).c_str(), nullptr); }

 private:
  static void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(full);
        } else {
          DeleteFileW(full.c_str());
        }
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
  }

  std::wstring path_;
};

// A plain top-level window to own the dialogs under test.
class OwnerWindow {
 public:
  OwnerWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OcuralDialogTestOwner";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, L"OcuralDialogTestOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                            100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~OwnerWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND hWnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace ocural_test
