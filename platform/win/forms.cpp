#include "platform/win/forms.h"

#include "platform/core/scoped_flag.h"

#include <vector>

#include "platform/core/vbmath.h"
#include "platform/core/version_resource.h"
#include "platform/win/program_path.h"

namespace ocural::forms {
namespace {

int g_liveForms = 0;

// The program's own version resource, read once; zeros and no product name
// when it is missing or broken.
const ResourceVersion& ReadVersion() {
  static const ResourceVersion v = [] {
    HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    HGLOBAL mem = res ? LoadResource(nullptr, res) : nullptr;
    const DWORD size = res ? SizeofResource(nullptr, res) : 0;
    const void* data = mem ? LockResource(mem) : nullptr;
    if (!data || size == 0) return ResourceVersion{};
    return ParseVersionResource(static_cast<const std::uint8_t*>(data), size).value_or(ResourceVersion{});
  }();
  return v;
}

}  // namespace

// ---------------------------------------------------------------- Screen / App

namespace {
// The system DPI is fixed for the life of the process, and the snapshot path
// converts twips on every move: read it once.
double TwipsPerPixel(int axis) {
  win::WindowDC dc(nullptr);
  const int dpi = GetDeviceCaps(dc.get(), axis);
  return 1440.0 / (dpi > 0 ? dpi : 96);
}
}  // namespace

double Screen::TwipsPerPixelX() {
  static const double tpp = TwipsPerPixel(LOGPIXELSX);
  return tpp;
}

double Screen::TwipsPerPixelY() {
  static const double tpp = TwipsPerPixel(LOGPIXELSY);
  return tpp;
}

double Screen::Width() { return GetSystemMetrics(SM_CXSCREEN) * TwipsPerPixelX(); }
double Screen::Height() { return GetSystemMetrics(SM_CYSCREEN) * TwipsPerPixelY(); }

HINSTANCE App::Instance() { return GetModuleHandleW(nullptr); }

std::wstring App::Path() { return win::ProgramFolder(); }
std::wstring App::EXEName() { return win::ProgramName(); }

int App::Major() { return ReadVersion().major; }
int App::Minor() { return ReadVersion().minor; }
int App::Revision() { return ReadVersion().revision; }
std::wstring App::Title() {
  const std::wstring& p = ReadVersion().product;
  return p.empty() ? EXEName() : p;
}

// ---------------------------------------------------------------- PictureBox

bool PictureBox::Create(HWND parent, int x, int y, int w, int h, bool visible) {
  RegisterClassOnce(L"OcuralPictureBox", nullptr);
  ResizeImage(w, h);
  Cls();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (visible) style |= WS_VISIBLE;
  return CreateWin(0, L"OcuralPictureBox", L"", style, x, y, w, h, parent);
}

void PictureBox::Move(int x, int y, int w, int h) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  ResizeImage(w, h);
}

int PictureBox::Left() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r.left;
}

int PictureBox::Top() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r.top;
}

bool PictureBox::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void PictureBox::SetVisible(bool v) {
  if (hwnd_) ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
}

void PictureBox::SetPicture(HBITMAP picture) { picture_.reset(picture); }

void PictureBox::ResizeImage(int w, int h) {
  if (w < 1) w = 1;
  if (h < 1) h = 1;
  if (image_.width() == w && image_.height() == h) return;
  win::DibImage next(w, h);
  // Keep what was drawn where it still fits; the rest shows the background.
  {
    win::Brush brush(CreateSolidBrush(backColor_));
    RECT all{0, 0, w, h};
    FillRect(next.dc(), &all, brush.get());
  }
  if (image_.dc()) BitBlt(next.dc(), 0, 0, image_.width(), image_.height(), image_.dc(), 0, 0, SRCCOPY);
  image_.Swap(next);
}

void PictureBox::Cls() {
  if (!image_.dc()) return;
  win::Brush brush(CreateSolidBrush(backColor_));
  RECT all{0, 0, image_.width(), image_.height()};
  FillRect(image_.dc(), &all, brush.get());
  if (picture_) {
    BITMAP bm{};
    GetObjectW(picture_.get(), sizeof(bm), &bm);
    win::MemDC src(CreateCompatibleDC(image_.dc()));
    win::SelectGuard sel(src.get(), picture_.get());
    BitBlt(image_.dc(), 0, 0, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
}

void PictureBox::Refresh() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void PictureBox::Paint(HDC dc) {
  GdiFlush();
  BitBlt(dc, 0, 0, image_.width(), image_.height(), image_.dc(), 0, 0, SRCCOPY);
}

LRESULT PictureBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      ResizeImage(LOWORD(lp), HIWORD(lp));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Like the toolkit's controls, a press captures the mouse so the release
      // comes back here even off the box.
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (GetCapture() == hwnd_ && (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      if (MouseUp) MouseUp(MouseEventAt(ButtonOf(msg), lp, 1, 1));
      return 0;
    }
    default:
      return Window::WndProc(msg, wp, lp);
  }
}

// ---------------------------------------------------------------- CommandButton

bool CommandButton::Create(HWND parent, const std::wstring& caption, int x, int y, int w, int h) {
  if (!CreateSystemWin(0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, y, w, h,
                       parent)) {
    return false;
  }
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return true;
}

void CommandButton::Move(int x, int y, int w, int h) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CommandButton::Place(int left, int top, int width, int height) {
  if (!hwnd_) return;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  const int w = width >= 0 ? width : r.right - r.left;
  const int h = height >= 0 ? height : r.bottom - r.top;
  SetWindowPos(hwnd_, nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CommandButton::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void CommandButton::SetVisible(bool v) {
  if (hwnd_) ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
}

void CommandButton::OnCommand(int code) {
  if (code == BN_CLICKED && Click) Click();
}

// ---------------------------------------------------------------- Form

int Form::LiveForms() { return g_liveForms; }

bool Form::CreateForm(DWORD exStyle, DWORD style, const std::wstring& caption, int clientW, int clientH) {
  RECT r{0, 0, clientW, clientH};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  // First place: centred on the work area of the primary screen.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + ((work.right - work.left) - w) / 2;
  const int y = work.top + ((work.bottom - work.top) - h) / 2;
  return CreateFormAt(exStyle, style, caption, RECT{x, y, x + w, y + h});
}

bool Form::CreateFormAt(DWORD exStyle, DWORD style, const std::wstring& caption, const RECT& window) {
  // No CS_DBLCLKS: every press on a form is a press of its own, however
  // quickly it follows the last (a zoom area clicked three times zooms three
  // steps, and a quick second grab of the body starts a drag).
  RegisterClassOnce(L"OcuralForm", nullptr);
  if (!CreateWin(exStyle, L"OcuralForm", caption, style, window.left, window.top, window.right - window.left,
                 window.bottom - window.top, nullptr)) {
    return false;
  }
  ++g_liveForms;
  return true;
}

void Form::OnDestroyed() {
  if (--g_liveForms <= 0) PostQuitMessage(0);
}

double Form::Left() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.left * Screen::TwipsPerPixelX();
}

double Form::Top() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.top * Screen::TwipsPerPixelY();
}

double Form::Width() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return (r.right - r.left) * Screen::TwipsPerPixelX();
}

double Form::Height() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return (r.bottom - r.top) * Screen::TwipsPerPixelY();
}

void Form::SetLeft(double twips) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int x = NearestInt32(twips / Screen::TwipsPerPixelX());
  SetWindowPos(hwnd_, nullptr, x, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(double twips) {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int y = NearestInt32(twips / Screen::TwipsPerPixelY());
  SetWindowPos(hwnd_, nullptr, r.left, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void Form::SetVisible(bool v) {
  if (!hwnd_) return;
  if (v) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
  } else {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

void Form::Refresh() {
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void Form::Unload(UnloadMode mode) {
  if (!hwnd_ || unloading_) return;
  const ScopedFlag unloading(unloading_);
  int cancel = 0;
  Form_QueryUnload(cancel, mode);
  if (cancel != 0) return;
  if (hwnd_) DestroyWindow(hwnd_);
}

HCURSOR Form::PointerCursor() const {
  return mousePointer_ == kCustomPointer && mouseIcon_ ? mouseIcon_ : LoadCursorW(nullptr, IDC_ARROW);
}

void Form::SetMousePointer(int pointer) {
  if (pointer == mousePointer_) return;
  mousePointer_ = pointer;
  // Show the change at once when the pointer is over the form itself.
  POINT pt{};
  if (hwnd_ && GetCursorPos(&pt) && WindowFromPoint(pt) == hwnd_) {
    SetCursor(PointerCursor());
  }
}

void Form::SetBackColor(COLORREF c) {
  backColor_ = c;
  backBrush_.reset();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::SetPicture(HBITMAP picture) {
  picture_.reset(picture);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::PaintBackground(HDC dc) {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  if (!backBrush_) backBrush_.reset(CreateSolidBrush(backColor_));
  FillRect(dc, &rc, backBrush_.get());
  if (picture_) {
    BITMAP bm{};
    GetObjectW(picture_.get(), sizeof(bm), &bm);
    win::MemDC src(CreateCompatibleDC(dc));
    win::SelectGuard sel(src.get(), picture_.get());
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
  }
}

MouseEvent Form::MakeMouseEvent(int button, LPARAM lp) const {
  return scaleTwips_ ? MouseEventAt(button, lp, Screen::TwipsPerPixelX(), Screen::TwipsPerPixelY())
                     : MouseEventAt(button, lp, 1, 1);
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      PaintBackground(reinterpret_cast<HDC>(wp));
      return 1;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(PointerCursor());
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Form_MouseDown(MakeMouseEvent(ButtonOf(msg), lp));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      Form_MouseUp(MakeMouseEvent(ButtonOf(msg), lp));
      return 0;
    case WM_MOUSEMOVE:
      Form_MouseMove(MakeMouseEvent(HeldButtons(wp), lp));
      return 0;
    case WM_CLOSE:
      Unload(kFormControlMenu);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wp) Unload(kAppWindows);
      return 0;
    default:
      break;
  }
  return Window::WndProc(msg, wp, lp);
}

bool RunningUnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}

void ReadPendingDisplayNews() {
  // Wine counts the news of windows and the focus as posted messages. The
  // pointer's and the buttons' are left for the message loop: read here, a
  // release queued meanwhile would be taken in before the window is back.
  if (RunningUnderWine()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE);
}

int RunMessageLoop() {
  MSG msg;
  while (Form::LiveForms() > 0) {
    const BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0 || r == -1) break;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd) {
      const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
      auto* form = root != msg.hwnd ? dynamic_cast<Form*>(Window::FromHandle(root)) : nullptr;
      if (form && form->PreviewKey(msg.message, msg.wParam)) msg.hwnd = root;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace ocural::forms
