#include "magnifier/mdlCommon.h"

#include "magnifier/frmOcural.h"

namespace ocural::mdlCommon {

void InstallHook(FrmOcural& form) {
  form.ScreenSnapshot.Open(GetDesktopWindow());
  form.PrevWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
}

void RemoveHook(FrmOcural& form) {
  form.ScreenSnapshot.Close();
  SetWindowLongPtrA(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form.PrevWndProc));
}

LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The hook is put in front of the main window only; the toolkit's lookup
  // gives back its object.
  auto* form = static_cast<FrmOcural*>(forms::Window::FromHandle(hwnd));
  if (!form || !form->PrevWndProc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  if (msg == FrmOcural::kSnapshotSettled) {
    try {
      form->SnapshotEventArrived(SnapshotEvent::Settled);
    } catch (...) {
      // Never let an exception cross the window procedure.
    }
    return 0;
  }
  if (msg == WM_ENTERMENULOOP || msg == WM_EXITMENULOOP) {
    try {
      form->MenuLoop(msg == WM_ENTERMENULOOP);
    } catch (...) {
      // Never let an exception cross the window procedure.
    }
  }
  if (msg == WM_MOVE || msg == WM_SIZE || msg == WM_ACTIVATE) {
    SnapshotEvent event = SnapshotEvent::Move;
    if (msg == WM_ACTIVATE) {
      const WORD state = LOWORD(wParam);
      event = state == WA_INACTIVE      ? SnapshotEvent::Deactivate
              : state == WA_CLICKACTIVE ? SnapshotEvent::ClickActivate
                                        : SnapshotEvent::Activate;
    }
    try {
      form->SnapshotEventArrived(event);
    } catch (...) {
      // Never let an exception cross the window procedure.
    }
  }
  return CallWindowProcA(form->PrevWndProc, hwnd, msg, wParam, lParam);
}

}  // namespace ocural::mdlCommon
