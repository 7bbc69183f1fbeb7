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

namespace {

// Runs a handler of the window's; no exception crosses the window procedure.
template <typename Handler>
void Guarded(Handler handler) noexcept {
  try {
    handler();
  } catch (...) {
  }
}

SnapshotEvent EventOf(UINT msg, WPARAM wParam) {
  if (msg != WM_ACTIVATE) return SnapshotEvent::Move;
  const WORD state = LOWORD(wParam);
  return state == WA_INACTIVE      ? SnapshotEvent::Deactivate
         : state == WA_CLICKACTIVE ? SnapshotEvent::ClickActivate
                                   : SnapshotEvent::Activate;
}

}  // namespace

LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The hook is put in front of the main window only; the toolkit's lookup
  // gives back its object.
  auto* form = static_cast<FrmOcural*>(forms::Window::FromHandle(hwnd));
  if (!form || !form->PrevWndProc) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case FrmOcural::kSnapshotSettled:
      Guarded([&] { form->SnapshotEventArrived(SnapshotEvent::Settled); });
      return 0;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
      Guarded([&] { form->MenuLoop(msg == WM_ENTERMENULOOP); });
      break;
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
      Guarded([&] { form->SnapshotEventArrived(EventOf(msg, wParam)); });
      break;
    default:
      break;
  }
  return CallWindowProcA(form->PrevWndProc, hwnd, msg, wParam, lParam);
}

}  // namespace ocural::mdlCommon
