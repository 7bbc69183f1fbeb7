#include "magnifier/mdlCommon.h"

#include "magnifier/frmOcural.h"

namespace ocural::mdlCommon {

void InstallHook(FrmOcural& form) {
  form.DesktopWindow = GetDesktopWindow();
  form.DesktopDC = GetDC(form.DesktopWindow);
  form.PrevWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
}

void RemoveHook(FrmOcural& form) {
  ReleaseDC(form.DesktopWindow, form.DesktopDC);
  form.DesktopDC = nullptr;
  SetWindowLongPtrA(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form.PrevWndProc));
}

LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The hook is put in front of the main window only; the toolkit's lookup
  // gives back its object.
  auto* form = static_cast<FrmOcural*>(forms::Window::FromHandle(hwnd));
  if (!form || !form->PrevWndProc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == WM_MOVE || msg == WM_SIZE || msg == WM_ACTIVATE) {
    try {
      if (msg != WM_ACTIVATE) form->NoteMoveDuringCapture();
      if (msg != WM_ACTIVATE || form->ActivationWantsSnapshot(wParam)) form->WMSizeOrMove();
    } catch (...) {
      // Never let an exception cross the window procedure.
    }
  }
  return CallWindowProcA(form->PrevWndProc, hwnd, msg, wParam, lParam);
}

}  // namespace ocural::mdlCommon
