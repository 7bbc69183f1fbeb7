#include "platform/win/dialog_form.h"

#include "platform/core/placement.h"

namespace ocural::forms {
namespace {

const wchar_t kOwnerClass[] = L"OcuralDialogOwner";

// The hidden window that owns every dialog that has no other owner, so that
// no dialog gets a button on the taskbar.
HWND HiddenOwner() {
  static HWND owner = nullptr;
  if (owner && IsWindow(owner)) return owner;
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(App::Instance(), kOwnerClass, &wc)) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = App::Instance();
    wc.lpszClassName = kOwnerClass;
    RegisterClassExW(&wc);
  }
  owner = CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          App::Instance(), nullptr);
  return owner;
}

bool IsPushButton(HWND hwnd) {
  const LONG type = ButtonTypeOf(hwnd);
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

}  // namespace

// ---------------------------------------------------------------- DialogForm

DialogForm::DialogForm() = default;

DialogForm::~DialogForm() {
  // The elements of the derived dialog are gone already: forget them, then
  // let the window go while this is still a dialog, so it is counted out.
  buttons_.clear();
  default_ = cancel_ = nullptr;
  EndModal();
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool DialogForm::CreateDialogForm(const std::wstring& caption, double clientWidthTwips, double clientHeightTwips) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  if (!CreateForm(exStyle, style, caption, TwipsToPixelsX(clientWidthTwips), TwipsToPixelsY(clientHeightTwips))) {
    return false;
  }
  // Owned, so no taskbar button; ShowModal hands it to the real owner.
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(HiddenOwner()));
  // Centred on the whole screen, with the caption on the work area: at a
  // large display scale on a small screen a dialog can be larger than that.
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const RECT centred{(screenW - w) / 2, (screenH - h) / 2, (screenW - w) / 2 + w, (screenH - h) / 2 + h};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT work{0, 0, screenW, screenH};
  if (GetMonitorInfoW(MonitorFromRect(&centred, MONITOR_DEFAULTTOPRIMARY), &monitor)) work = monitor.rcWork;
  const WindowPlace place =
      CentredOnWorkArea(w, h, screenW, screenH, {work.left, work.top, work.right, work.bottom});
  SetWindowPos(hwnd_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A fixed frame: the system menu offers moving and closing only.
  if (HMENU sys = GetSystemMenu(hwnd_, FALSE)) {
    for (UINT item : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(sys, item, MF_BYCOMMAND);
  }
  FontChoice choice;
  choice.faces = DialogFaces();
  choice.points = 9;
  font_ = CreateFontFor(choice);
  return true;
}

PixelRect DialogForm::Twips(double left, double top, double width, double height) {
  return {TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(height)};
}

void DialogForm::Adopt(std::initializer_list<Control*> controls) {
  for (Control* c : controls) {
    if (!c || !c->hWnd()) continue;
    SetWindowLongPtrW(c->hWnd(), GWLP_ID, nextId_++);
  }
}

bool DialogForm::AddButton(CommandButton& button, const std::wstring& caption, const PixelRect& r, HWND container) {
  if (!button.Create(container ? container : hwnd_, caption, r.left, r.top, r.width, r.height)) return false;
  HWND b = button.hWnd();
  SetWindowLongW(b, GWL_STYLE, GetWindowLongW(b, GWL_STYLE) | WS_GROUP);
  SetWindowLongPtrW(b, GWLP_ID, nextId_++);
  SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  buttons_.push_back(&button);
  return true;
}

void DialogForm::SetDefaultButton(CommandButton* button) {
  default_ = button;
  lookFocus_ = nullptr;
  UpdateDefaultLook();
}

void DialogForm::SetCancelButton(CommandButton* button) { cancel_ = button; }

void DialogForm::MakeTopmost() { SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

void DialogForm::ShowModal(HWND owner) {
  if (!hwnd_ || modal_) return;
  const HWND self = hwnd_;
  if (owner && !IsWindow(owner)) owner = nullptr;
  SetWindowLongPtrW(self, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner ? owner : HiddenOwner()));
  if (owner && IsWindowEnabled(owner)) {
    EnableWindow(owner, FALSE);
    disabledOwner_ = owner;
  }
  modal_ = true;
  ShowWindow(self, SW_SHOWNORMAL);
  SetForegroundWindow(self);
  if (!IsChild(self, GetFocus())) FocusSomething();
  lookFocus_ = nullptr;
  UpdateDefaultLook();

  MSG msg;
  while (IsWindow(self) && IsWindowVisible(self)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: leave the request for the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!IsWindow(self) || !IsDialogMessageW(self, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (hwnd_) UpdateDefaultLook();
  }
  modal_ = false;
  EndModal();
}

void DialogForm::Hide() {
  if (!hwnd_) return;
  // The owner comes back first, so that it takes the activation.
  EndModal();
  ShowWindow(hwnd_, SW_HIDE);
}

void DialogForm::EndModal() {
  if (disabledOwner_) {
    if (IsWindow(disabledOwner_)) EnableWindow(disabledOwner_, TRUE);
    disabledOwner_ = nullptr;
  }
}

void DialogForm::FocusSomething() {
  if (!hwnd_) return;
  HWND target = savedFocus_;
  if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (target && IsChild(hwnd_, target)) SetFocus(target);
}

void DialogForm::UpdateDefaultLook() {
  const HWND focus = GetFocus();
  if (lookFocus_ != nullptr && focus == lookFocus_) return;
  lookFocus_ = focus ? focus : hwnd_;
  // A push button with the focus is the one Enter presses; elsewhere the
  // default button is.
  HWND want = default_ ? default_->hWnd() : nullptr;
  if (focus && IsPushButton(focus) && IsChild(hwnd_, focus)) want = focus;
  for (CommandButton* b : buttons_) {
    HWND h = b->hWnd();
    if (!h || !IsWindow(h)) continue;
    const LONG type = GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK;
    const LONG wantType = h == want ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if (type != wantType) SendMessageW(h, BM_SETSTYLE, static_cast<WPARAM>(wantType), TRUE);
  }
}

void DialogForm::Press(CommandButton* button) {
  if (!button || !button->hWnd() || !IsWindowEnabled(button->hWnd())) return;
  if (button->Click) button->Click();
}

void DialogForm::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;
  (void)unloadMode;
  EndModal();
}

void DialogForm::OnDestroyed() {
  EndModal();
  Form::OnDestroyed();
}

LRESULT DialogForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      // The elements hear their own notifications; what comes from no
      // window is Enter or Esc as the dialog manager reports them.
      if (lp) break;
      if (HIWORD(wp) == 0 && LOWORD(wp) == IDCANCEL) {
        Press(cancel_);
        return 0;
      }
      if (HIWORD(wp) == 0 && LOWORD(wp) == IDOK) {
        Press(default_);
        return 0;
      }
      break;
    }
    case DM_GETDEFID:
      if (default_ && default_->hWnd()) return MAKELRESULT(GetDlgCtrlID(default_->hWnd()), DC_HASDEFID);
      return 0;
    case WM_NEXTDLGCTL: {
      HWND target = nullptr;
      if (LOWORD(lp)) {
        target = reinterpret_cast<HWND>(wp);
      } else {
        HWND focus = GetFocus();
        target = GetNextDlgTabItem(hwnd_, focus && IsChild(hwnd_, focus) ? focus : nullptr, wp != 0);
      }
      if (target && IsChild(hwnd_, target)) SetFocus(target);
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
      } else {
        FocusSomething();
      }
      return 0;
    case WM_SETFOCUS:
      FocusSomething();
      return 0;
    case WM_DESTROY:
      EndModal();
      break;
    default:
      break;
  }
  return Form::WndProc(msg, wp, lp);
}

}  // namespace ocural::forms
