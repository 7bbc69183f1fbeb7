#include "platform/win/dialogs.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "platform/core/vbmath.h"

namespace ocural::forms {
namespace {

const wchar_t kControlProp[] = L"Ocural.DialogControl";
const wchar_t kLabelClass[] = L"OcuralLabel";
const wchar_t kFrameClass[] = L"OcuralFrame";
const wchar_t kImageClass[] = L"OcuralImage";
const wchar_t kOwnerClass[] = L"OcuralDialogOwner";

int ShiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

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

void RegisterControlClass(const wchar_t* name) {
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(App::Instance(), name, &wc)) return;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &ControlWindowProc;
  wc.hInstance = App::Instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

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
  wchar_t cls[16] = {};
  if (!hwnd || !GetClassNameW(hwnd, cls, 16) || lstrcmpiW(cls, L"Button") != 0) return false;
  const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsOptionButton(HWND hwnd) {
  wchar_t cls[16] = {};
  if (!hwnd || !GetClassNameW(hwnd, cls, 16) || lstrcmpiW(cls, L"Button") != 0) return false;
  const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

// ---------------------------------------------------------------- units and fonts

int TwipsToPixelsX(double twips) { return NearestInt32(twips / Screen::TwipsPerPixelX()); }
int TwipsToPixelsY(double twips) { return NearestInt32(twips / Screen::TwipsPerPixelY()); }

std::wstring FirstInstalledFace(const std::vector<std::wstring>& faces) {
  win::WindowDC dc(nullptr);
  for (const auto& face : faces) {
    if (face.empty() || face.size() >= LF_FACESIZE) continue;
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc.get(), &lf, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
    if (found) return face;
  }
  return L"";
}

win::Font CreateFontFor(const FontChoice& choice) {
  LOGFONTW lf{};
  {
    win::WindowDC dc(nullptr);
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    lf.lfHeight = -NearestInt32(choice.points * (dpi > 0 ? dpi : 96) / 72.0);
  }
  lf.lfWeight = choice.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = choice.italic ? TRUE : FALSE;
  lf.lfUnderline = choice.underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::wstring face = FirstInstalledFace(choice.faces);
  if (face.empty()) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) face = ncm.lfMessageFont.lfFaceName;
  }
  std::wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return win::Font(CreateFontIndirectW(&lf));
}

const std::vector<std::wstring>& DialogFaces() {
  // Proportional faces first: the captions were laid out for them.
  static const std::vector<std::wstring> faces = {L"MS UI Gothic", L"ＭＳ Ｐゴシック", L"MS PGothic",
                                                  L"IPAPGothic",   L"Meiryo UI",       L"IPAGothic"};
  return faces;
}

// ---------------------------------------------------------------- Control

LRESULT CALLBACK ControlWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Control* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (self) {
      SetPropW(hwnd, kControlProp, self);
      self->hwnd_ = hwnd;
    }
  } else {
    self = Control::FromHandle(hwnd);
  }
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  LRESULT result = 0;
  try {
    result = self->WndProc(msg, wp, lp);
  } catch (...) {
    result = DefWindowProcW(hwnd, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    RemovePropW(hwnd, kControlProp);
    self->Forget();
  }
  return result;
}

Control::~Control() {
  // The element goes before its container: take its window along.
  if (hwnd_ && IsWindow(hwnd_) && FromHandle(hwnd_) == this) {
    RemovePropW(hwnd_, kControlProp);
    DestroyWindow(hwnd_);
  }
}

Control* Control::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProp)) : nullptr;
}

bool Control::CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                          HWND parent, const PixelRect& r, HFONT font) {
  const bool own = className == kLabelClass || className == kFrameClass || className == kImageClass;
  if (own) RegisterControlClass(className);
  HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | style, r.left, r.top, r.width, r.height,
                              parent, nullptr, App::Instance(), own ? this : nullptr);
  if (!hwnd) return false;
  hwnd_ = hwnd;
  if (!own) SetPropW(hwnd_, kControlProp, this);
  if (font) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return true;
}

LRESULT Control::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

bool Control::Visible() const { return hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void Control::SetVisible(bool v) {
  if (hwnd_) ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
}
bool Control::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }
void Control::SetEnabled(bool v) {
  if (hwnd_) EnableWindow(hwnd_, v ? TRUE : FALSE);
}

PixelRect Control::Bounds() const {
  if (!hwnd_) return {};
  RECT r{};
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// ---------------------------------------------------------------- CheckBox

bool CheckBox::Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font) {
  return CreateChild(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, parent, r, font);
}

int CheckBox::Value() const {
  return hwnd_ && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void CheckBox::SetValue(int v) {
  if (hwnd_) SendMessageW(hwnd_, BM_SETCHECK, v != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---------------------------------------------------------------- OptionButton

bool OptionButton::Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font,
                          bool firstOfGroup) {
  // The first button is the group's way in with Tab until one is selected;
  // from then on the selected one is (the button moves WS_TABSTOP itself).
  const DWORD style = WS_VISIBLE | BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP | WS_TABSTOP : 0);
  return CreateChild(L"BUTTON", caption, style, 0, parent, r, font);
}

bool OptionButton::Value() const { return hwnd_ && SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void OptionButton::SetValue(bool v) {
  if (!hwnd_) return;
  if (v) {
    for (HWND s = GetWindow(GetParent(hwnd_), GW_CHILD); s; s = GetWindow(s, GW_HWNDNEXT)) {
      if (s != hwnd_ && IsOptionButton(s)) SendMessageW(s, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  SendMessageW(hwnd_, BM_SETCHECK, v ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionButton::OnCommand(int code) {
  if (code != BN_CLICKED) return;
  // A click selects the button; so does reaching it with an arrow key, which
  // the button reports as a click while it is still clear.
  if (!Value()) SetValue(true);
  if (Click) Click();
}

// ---------------------------------------------------------------- Frame

bool Frame::Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font) {
  font_ = font;
  return CreateChild(kFrameClass, caption, WS_VISIBLE | WS_GROUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                     WS_EX_CONTROLPARENT, parent, r, font);
}

LRESULT Frame::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_DRAWITEM:
      // The container hears what happens to the elements in the frame.
      return SendMessageW(GetParent(hwnd_), msg, wp, lp);
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wp);
      if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return r;
    }
    case WM_ERASEBKGND: {
      RECT rc{};
      GetClientRect(hwnd_, &rc);
      FillRect(reinterpret_cast<HDC>(wp), &rc, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT rc{};
      GetClientRect(hwnd_, &rc);
      win::SelectGuard sel(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
      TEXTMETRICW tm{};
      GetTextMetricsW(dc, &tm);
      RECT box = rc;
      box.top += tm.tmHeight / 2;
      DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
      wchar_t text[256] = {};
      const int n = GetWindowTextW(hwnd_, text, 256);
      if (n > 0) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text, n, &size);
        RECT label{6, 0, 6 + size.cx + 4, tm.tmHeight};
        FillRect(dc, &label, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd_) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        TextOutW(dc, 8, 0, text, n);
      }
      EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      return Control::WndProc(msg, wp, lp);
  }
}

// ---------------------------------------------------------------- Label

bool Label::Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font, bool useMnemonic) {
  font_ = font;
  useMnemonic_ = useMnemonic;
  return CreateChild(kLabelClass, caption, WS_VISIBLE | WS_GROUP, 0, parent, r, nullptr);
}

std::wstring Label::Caption() const {
  if (!hwnd_) return L"";
  const int n = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd_, &text[0], n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

void Label::SetCaption(const std::wstring& text) {
  if (hwnd_) SetWindowTextW(hwnd_, text.c_str());
}

void Label::SetForeColor(COLORREF c) {
  if (foreColor_ == c) return;
  foreColor_ = c;
  if (hwnd_) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
  }
}

void Label::SetFont(HFONT font) {
  font_ = font;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void Label::Paint(HDC dc) {
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring text = Caption();
  if (text.empty()) return;
  win::SelectGuard sel(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(hwnd_) ? foreColor_ : GetSysColor(COLOR_GRAYTEXT));
  // A label lower than one line of its font loses the space above the
  // letters (the internal leading) before their feet and the underline.
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const LONG overflow = tm.tmHeight - (rc.bottom - rc.top);
  if (overflow > 0) rc.top -= overflow < tm.tmInternalLeading ? overflow : tm.tmInternalLeading;
  UINT flags = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL;
  if (!useMnemonic_) flags |= DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
}

MouseEvent Label::MakeEvent(int button, LPARAM lp) const {
  MouseEvent e;
  e.Button = button;
  e.Shift = ShiftState();
  e.X = static_cast<float>(GET_X_LPARAM(lp) * Screen::TwipsPerPixelX());
  e.Y = static_cast<float>(GET_Y_LPARAM(lp) * Screen::TwipsPerPixelY());
  return e;
}

LRESULT Label::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      Paint(dc);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return r;
    }
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wp));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      // Only a label that shows access keys takes part in their search.
      return useMnemonic_ ? DLGC_STATIC : 0;
    case WM_SETCURSOR:
      if (mousePointer_ == kCustomPointer && mouseIcon_ && LOWORD(lp) == HTCLIENT) {
        SetCursor(mouseIcon_);
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The element pressed hears the release too, wherever it happens.
      SetCapture(hwnd_);
      if (MouseDown) MouseDown(MakeEvent(ButtonOf(msg), lp));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == hwnd_ && (wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      if (MouseUp) MouseUp(MakeEvent(ButtonOf(msg), lp));
      return 0;
    default:
      break;
  }
  return Control::WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- Image

bool Image::Create(HWND parent, const PixelRect& r) {
  return CreateChild(kImageClass, L"", WS_VISIBLE, 0, parent, r, nullptr);
}

Image::~Image() {
  if (owned_ && icon_) DestroyIcon(icon_);
}

void Image::SetPicture(HICON icon, bool owned) {
  if (owned_ && icon_ && icon_ != icon) DestroyIcon(icon_);
  icon_ = icon;
  owned_ = owned;
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Image::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT rc{};
      GetClientRect(hwnd_, &rc);
      FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
      if (icon_) DrawIconEx(dc, 0, 0, icon_, rc.right, rc.bottom, 0, nullptr, DI_NORMAL);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      return Control::WndProc(msg, wp, lp);
  }
}

// ---------------------------------------------------------------- FileListBox

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  if (folder.empty()) return names;
  std::wstring search = folder;
  if (search.back() != L'\\' && search.back() != L'/') search += L'\\';
  search += L'*';
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(search.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if (fd.dwFileAttributes & skipped) continue;
    if (PathMatchSpecW(fd.cFileName, pattern.c_str())) names.emplace_back(fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    const int c = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1);
    return c == CSTR_EQUAL ? a < b : c == CSTR_LESS_THAN;
  });
  return names;
}

bool FileListBox::Create(HWND parent, const PixelRect& r, HFONT font) {
  return CreateChild(L"LISTBOX", L"",
                     WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS |
                         LBS_NOINTEGRALHEIGHT,
                     WS_EX_CLIENTEDGE, parent, r, font);
}

void FileListBox::SetPath(const std::wstring& folder) {
  path_ = folder;
  Refresh();
}

void FileListBox::SetPattern(const std::wstring& pattern) {
  pattern_ = pattern;
  Refresh();
}

void FileListBox::Refresh() {
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const auto& name : ListFiles(path_, pattern_)) {
    SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int FileListBox::ListCount() const {
  if (!hwnd_) return 0;
  const LRESULT n = SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
  return n == LB_ERR ? 0 : static_cast<int>(n);
}

std::wstring FileListBox::List(int index) const {
  if (!hwnd_ || index < 0 || index >= ListCount()) return L"";
  const LRESULT n = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == LB_ERR || n < 0) return L"";
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const LRESULT got = SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got == LB_ERR || got < 0 ? 0 : static_cast<size_t>(got));
  return text;
}

int FileListBox::ListIndex() const {
  if (!hwnd_) return -1;
  const LRESULT i = SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

void FileListBox::SetListIndex(int index) {
  if (!hwnd_) return;
  if (index < -1 || index >= ListCount()) return;
  SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (Click) Click();
}

std::wstring FileListBox::FileName() const { return List(ListIndex()); }

void FileListBox::OnCommand(int code) {
  if (code == LBN_SELCHANGE) {
    if (Click) Click();
  } else if (code == LBN_DBLCLK) {
    if (DblClick) DblClick();
  }
}

// ---------------------------------------------------------------- DialogForm

DialogForm::DialogForm() = default;

DialogForm::~DialogForm() {
  // The elements of the derived dialog are gone already: forget them, then
  // let the window go while this is still a dialog, so it is counted out.
  controls_.clear();
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
  // Centred on the whole screen.
  RECT r{};
  GetWindowRect(hwnd_, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(hwnd_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    controls_.push_back(c);
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
  for (Control* c : controls_) c->Forget();
  EndModal();
  Form::OnDestroyed();
}

LRESULT DialogForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lp);
      if (from) {
        if (Control* c = Control::FromHandle(from)) {
          c->OnCommand(HIWORD(wp));
          return 0;
        }
        break;  // a CommandButton: the form dispatches it
      }
      // Enter and Esc as the dialog manager reports them.
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
      for (Control* c : controls_) {
        if (c->hWnd()) RemovePropW(c->hWnd(), kControlProp);
      }
      break;
    default:
      break;
  }
  return Form::WndProc(msg, wp, lp);
}

}  // namespace ocural::forms
