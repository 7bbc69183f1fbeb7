#include "magnifier/mdlCommon.h"

#include "magnifier/frmOcural.h"

namespace ocural::mdlCommon {

void InstallHook(FrmOcural& form) {
  form.ScreenSnapshot.Open(GetDesktopWindow());
  form.PrevWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
}

void RemoveHook(FrmOcural& form) {
  form.ScreenSnapshot.Close();
  SetWindowLongPtrW(form.hWnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(form.PrevWndProc));
}

namespace {

// Runs a handler of the window's; no exception crosses the window procedure.
template <typename Handler>
void Guarded(Handler handler) noexcept {
  try {
    handler();
  } catch (...) {
  }
}

}  // namespace

LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The hook is put in front of the main window only; the toolkit's lookup
  // gives back its object. It decides nothing itself: each message it
  // watches goes to the window's handler first, then on to the window's own
  // procedure unchanged.
  auto* form = static_cast<FrmOcural*>(forms::Window::FromHandle(hwnd));
  if (!form || !form->PrevWndProc) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case FrmOcural::kSnapshotSettled:
      Guarded([&] { form->HookSettled(); });
      return 0;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
      Guarded([&] { form->HookMenuLoop(msg == WM_ENTERMENULOOP); });
      break;
    case WM_MOVE:
    case WM_SIZE:
      Guarded([&] { form->HookMoveOrSize(); });
      break;
    case WM_ACTIVATE:
      Guarded([&] { form->HookActivate(LOWORD(wParam)); });
      break;
    default:
      break;
  }
  return CallWindowProcW(form->PrevWndProc, hwnd, msg, wParam, lParam);
}

}  // namespace ocural::mdlCommon
