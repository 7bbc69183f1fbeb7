#include "platform/win/window.h"

#include <windowsx.h>

namespace ocural::forms {
namespace {

int ShiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

}  // namespace

int ButtonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return kLeftButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return kMiddleButton;
    default:
      return 0;
  }
}

int HeldButtons(WPARAM wp) {
  int b = 0;
  if (wp & MK_LBUTTON) b |= kLeftButton;
  if (wp & MK_RBUTTON) b |= kRightButton;
  if (wp & MK_MBUTTON) b |= kMiddleButton;
  return b;
}

MouseEvent MouseEventAt(int button, LPARAM lp, double unitsPerPixelX, double unitsPerPixelY) {
  MouseEvent e;
  e.Button = button;
  e.Shift = ShiftState();
  e.X = static_cast<float>(GET_X_LPARAM(lp) * unitsPerPixelX);
  e.Y = static_cast<float>(GET_Y_LPARAM(lp) * unitsPerPixelY);
  return e;
}

// The object rides in GWLP_USERDATA, not in a window property. The system
// leaves that slot to whoever creates a window and none of its own classes
// use it, so it serves subclassed BUTTON and LISTBOX windows as well as the
// toolkit's classes; and reading it is a plain read, where a property is a
// look-up by name (under Wine a trip to the server) on every message, the
// mouse moves of a drag among them.
Window* Window::FromHandle(HWND hwnd) {
  return hwnd ? reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

void Window::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Window::Detach() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  if (classProc_) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
    classProc_ = nullptr;
  }
}

Window::~Window() {
  if (hwnd_ && IsWindow(hwnd_) && FromHandle(hwnd_) == this) {
    Detach();
    DestroyWindow(hwnd_);
  }
}

void Window::RegisterClassOnce(const wchar_t* className, HCURSOR cursor, UINT style) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, className, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = &Window::Trampoline;
  wc.hInstance = instance;
  wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

bool Window::CreateWin(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int x,
                       int y, int w, int h, HWND parent) {
  return CreateWindowExW(exStyle, className, text.c_str(), style, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), this) != nullptr;
}

bool Window::CreateSystemWin(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style,
                             int x, int y, int w, int h, HWND parent) {
  HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, x, y, w, h, parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return false;
  Attach(hwnd);
  classProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Trampoline)));
  return true;
}

LRESULT CALLBACK Window::Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) self->Attach(hwnd);
  } else {
    self = FromHandle(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    Window* child = msg == WM_COMMAND ? FromHandle(reinterpret_cast<HWND>(lp)) : nullptr;
    if (child && child != self) {
      child->OnCommand(HIWORD(wp));
    } else {
      result = self->WndProc(msg, wp, lp);
    }
  } catch (...) {
    // A window procedure never lets an exception escape into the system.
    result = self->ClassProc(msg, wp, lp);
  }
  if (msg == WM_NCDESTROY && FromHandle(hwnd) == self) {
    self->Detach();
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  return result;
}

LRESULT Window::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (PaintsWholeClient()) {
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
  }
  return ClassProc(msg, wp, lp);
}

LRESULT Window::ClassProc(UINT msg, WPARAM wp, LPARAM lp) {
  return classProc_ ? CallWindowProcW(classProc_, hwnd_, msg, wp, lp) : DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace ocural::forms
