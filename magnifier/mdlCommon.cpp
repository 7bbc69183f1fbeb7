#include "magnifier/mdlCommon.h"

#include "magnifier/frmOcural.h"

namespace ocural::mdlCommon {

HWND DesktopWindow = nullptr;
HDC DesktopDC = nullptr;
WNDPROC PrevWndProc = nullptr;

void InstallHook() {
  DesktopWindow = GetDesktopWindow();
  DesktopDC = GetDC(DesktopWindow);
  PrevWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(frmOcural().hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
}

void RemoveHook() {
  ReleaseDC(DesktopWindow, DesktopDC);
  DesktopDC = nullptr;
  SetWindowLongPtrA(frmOcural().hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PrevWndProc));
}

LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOVE || msg == WM_SIZE || msg == WM_ACTIVATE) {
    try {
      if (msg != WM_ACTIVATE) frmOcural().NoteMoveDuringCapture();
      if (msg != WM_ACTIVATE || frmOcural().ActivationWantsSnapshot(wParam)) frmOcural().WMSizeOrMove();
    } catch (...) {
      // Never let an exception cross the window procedure.
    }
  }
  return CallWindowProcA(PrevWndProc, hwnd, msg, wParam, lParam);
}

}  // namespace ocural::mdlCommon
