#include "platform/win/dialog_form.h"

#include "platform/core/placement.h"

#include <utility>

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

std::function<HWND()>& Anchor() {
  static std::function<HWND()> anchor;
  return anchor;
}

// The anchor's monitor, or the primary one.
HMONITOR AnchorMonitor() {
  const HWND anchor = Anchor() ? Anchor()() : nullptr;
  return anchor && IsWindow(anchor) ? MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

// Where a window `w` x `h` stands centred on `monitor`, whole on its work
// area where it fits, with its top-left corner (its caption) on it where it
// does not.
WindowPlace CentredOnMonitor(HMONITOR monitor, int w, int h) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  RECT whole{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, work = whole;
  if (GetMonitorInfoW(monitor, &info)) {
    whole = info.rcMonitor;
    work = info.rcWork;
  }
  return CentredOnWorkArea(w, h, {whole.left, whole.top, whole.right, whole.bottom},
                           {work.left, work.top, work.right, work.bottom});
}

// The window rectangle around the client rectangle `r` at `dpi`: the frame
// and caption measured for that DPI where the system can (Windows 10 1607
// and later), at the system DPI elsewhere, as the system draws them there.
void AdjustFrameForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi) {
  using ForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto forDpi = reinterpret_cast<ForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
  }
}

// Old fonts and their successors.
using FontPairs = std::vector<std::pair<HFONT, HFONT>>;

BOOL CALLBACK RenewFont(HWND child, LPARAM lp) {
  const auto shown = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  for (const auto& p : *reinterpret_cast<const FontPairs*>(lp)) {
    if (shown && shown == p.first) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(p.second), TRUE);
  }
  return TRUE;
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

void DialogForm::SetAnchor(std::function<HWND()> anchor) { Anchor() = std::move(anchor); }

namespace {
// The monitor the next message box of this thread moves to, while one opens.
HMONITOR g_boxMonitor = nullptr;
HHOOK g_boxHook = nullptr;

LRESULT CALLBACK PlaceMessageBox(int code, WPARAM wp, LPARAM lp) {
  const HWND box = reinterpret_cast<HWND>(wp);
  wchar_t cls[16] = {};
  if (code == HCBT_ACTIVATE && g_boxMonitor && GetClassNameW(box, cls, 16) && std::wstring(cls) == L"#32770") {
    RECT r{};
    if (GetWindowRect(box, &r)) {
      const WindowPlace place = CentredOnMonitor(g_boxMonitor, r.right - r.left, r.bottom - r.top);
      SetWindowPos(box, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    g_boxMonitor = nullptr;
  }
  return CallNextHookEx(g_boxHook, code, wp, lp);
}
}  // namespace

int DialogForm::MessageOnAnchorMonitor(const std::wstring& text, const std::wstring& caption, UINT type) {
  const HMONITOR monitor = AnchorMonitor();
  // Moved as it is activated, before it shows; only off the primary monitor.
  const bool move = monitor != MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY) && !g_boxHook;
  if (move) {
    g_boxMonitor = monitor;
    g_boxHook = SetWindowsHookExW(WH_CBT, &PlaceMessageBox, nullptr, GetCurrentThreadId());
  }
  const int answer = MessageBoxW(nullptr, text.c_str(), caption.c_str(), type);
  if (move) {
    if (g_boxHook) UnhookWindowsHookEx(g_boxHook);
    g_boxHook = nullptr;
    g_boxMonitor = nullptr;
  }
  return answer;
}

bool DialogForm::CreateDialogForm(const std::wstring& caption, double clientWidthTwips, double clientHeightTwips) {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  const HMONITOR monitor = AnchorMonitor();
  dpi_ = MonitorDpi(monitor);
  RECT r{0, 0, TwipsToPixelsAt(clientWidthTwips, dpi_), TwipsToPixelsAt(clientHeightTwips, dpi_)};
  AdjustFrameForDpi(r, style, exStyle, dpi_);
  const int w = r.right - r.left, h = r.bottom - r.top;
  // At a large display scale on a small screen a dialog can be larger than
  // the work area: then its caption stays on it.
  const WindowPlace place = CentredOnMonitor(monitor, w, h);
  // Made at its place, so that it gets the monitor's DPI from the start.
  if (!CreateFormAt(exStyle, style, caption, RECT{place.x, place.y, place.x + w, place.y + h})) return false;
  // Owned, so no taskbar button; ShowModal hands it to the real owner.
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(HiddenOwner()));
  // A fixed frame: the system menu offers moving and closing only.
  if (HMENU sys = GetSystemMenu(hwnd_, FALSE)) {
    for (UINT item : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) DeleteMenu(sys, item, MF_BYCOMMAND);
  }
  FontChoice choice;
  choice.faces = DialogFaces();
  choice.points = 9;
  DialogFont(choice);
  return true;
}

PixelRect DialogForm::Twips(double left, double top, double width, double height) const {
  return {TwipsToPixelsAt(left, dpi_), TwipsToPixelsAt(top, dpi_), TwipsToPixelsAt(width, dpi_),
          TwipsToPixelsAt(height, dpi_)};
}

PixelRect DialogForm::Lay(Window& element, double left, double top, double width, double height) {
  placed_.push_back({&element, left, top, width, height});
  return Twips(left, top, width, height);
}

HFONT DialogForm::DialogFont(const FontChoice& choice) {
  fonts_.push_back({choice, CreateFontFor(choice, dpi_)});
  return fonts_.back().font.get();
}

void DialogForm::LayOut(int dpi, const RECT& window) {
  dpi_ = dpi;
  for (const Placed& p : placed_) {
    if (!p.element->hWnd()) continue;
    const PixelRect r = Twips(p.left, p.top, p.width, p.height);
    SetWindowPos(p.element->hWnd(), nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SetWindowPos(hwnd_, nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // Every element that shows one of the old fonts gets its successor; then
  // the old ones go.
  FontPairs renewed;
  std::vector<win::Font> old;
  for (OwnFont& f : fonts_) {
    win::Font next = CreateFontFor(f.choice, dpi_);
    renewed.emplace_back(f.font.get(), next.get());
    old.push_back(std::move(f.font));
    f.font = std::move(next);
  }
  EnumChildWindows(hwnd_, &RenewFont, reinterpret_cast<LPARAM>(&renewed));
  Form_DpiChanged();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
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
  SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
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
    case WM_DPICHANGED:
      // The system moved the dialog to a monitor of another DPI (or changed
      // that monitor's scale): the new DPI, and where the window goes.
      if (lp && LOWORD(wp) > 0) LayOut(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
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
