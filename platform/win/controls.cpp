#include "platform/win/controls.h"

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "platform/core/vbmath.h"

namespace ocural::forms {
namespace {

const wchar_t kLabelClass[] = L"OcuralLabel";
const wchar_t kFrameClass[] = L"OcuralFrame";
const wchar_t kImageClass[] = L"OcuralImage";

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The background of the toolkit's own elements, as the dialog's face.
void FillFace(HWND hwnd, HDC dc) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace

// ---------------------------------------------------------------- units and fonts

int TwipsToPixelsX(double twips) { return NearestInt32(twips / Screen::TwipsPerPixelX()); }
int TwipsToPixelsY(double twips) { return NearestInt32(twips / Screen::TwipsPerPixelY()); }
// Divided by the twips per pixel, as above, so that at the system DPI both
// give the same pixels.
int TwipsToPixelsAt(double twips, int dpi) { return NearestInt32(twips / (1440.0 / dpi)); }

int SystemDpi() { return NearestInt32(1440.0 / Screen::TwipsPerPixelY()); }

int MonitorDpi(HMONITOR monitor) {
  // Windows 8.1 and later; from the system folder only.
  using AwarenessFn = HRESULT(WINAPI*)(HANDLE, int*);
  using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto functions = [] {
    std::pair<AwarenessFn, MonitorDpiFn> f{nullptr, nullptr};
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 12 >= MAX_PATH) return f;
    lstrcatW(path, L"\\shcore.dll");
    HMODULE shcore = LoadLibraryW(path);
    if (!shcore) return f;
    f.first = reinterpret_cast<AwarenessFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetProcessDpiAwareness")));
    f.second = reinterpret_cast<MonitorDpiFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    return f;
  }();
  const int kPerMonitorAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
  const int kEffectiveDpi = 0;     // MDT_EFFECTIVE_DPI
  int awareness = 0;
  UINT x = 0, y = 0;
  if (monitor && functions.first && functions.second && SUCCEEDED(functions.first(nullptr, &awareness)) &&
      awareness == kPerMonitorAware && SUCCEEDED(functions.second(monitor, kEffectiveDpi, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return SystemDpi();
}

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

win::Font CreateFontFor(const FontChoice& choice, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -NearestInt32(choice.points * (dpi > 0 ? dpi : SystemDpi()) / 72.0);
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

LONG ButtonTypeOf(HWND hwnd) {
  wchar_t cls[16] = {};
  if (!hwnd || !GetClassNameW(hwnd, cls, 16) || lstrcmpiW(cls, L"Button") != 0) return -1;
  return GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
}

bool Control::CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                          HWND parent, const PixelRect& r, HFONT font) {
  if (!CreateSystemWin(exStyle, className, text, WS_CHILD | style, r.left, r.top, r.width, r.height, parent)) {
    return false;
  }
  if (font) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return true;
}

bool Control::CreateOwnChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                             HWND parent, const PixelRect& r, HFONT font) {
  RegisterClassOnce(className, nullptr);
  if (!CreateWin(exStyle, className, text, WS_CHILD | style, r.left, r.top, r.width, r.height, parent)) {
    return false;
  }
  if (font) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return true;
}

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
      const LONG type = ButtonTypeOf(s);
      if (s != hwnd_ && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) SendMessageW(s, BM_SETCHECK, BST_UNCHECKED, 0);
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
  return CreateOwnChild(kFrameClass, caption, WS_VISIBLE | WS_GROUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
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
    case WM_ERASEBKGND:
      FillFace(hwnd_, reinterpret_cast<HDC>(wp));
      return 1;
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
  return CreateOwnChild(kLabelClass, caption, WS_VISIBLE | WS_GROUP, 0, parent, r, nullptr);
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
  return MouseEventAt(button, lp, Screen::TwipsPerPixelX(), Screen::TwipsPerPixelY());
}

LRESULT Label::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
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
  return CreateOwnChild(kImageClass, L"", WS_VISIBLE, 0, parent, r, nullptr);
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

void Image::Paint(HDC dc) {
  FillFace(hwnd_, dc);
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  if (icon_) DrawIconEx(dc, 0, 0, icon_, rc.right, rc.bottom, 0, nullptr, DI_NORMAL);
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
    if (Accepts && !Accepts(name)) continue;
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

}  // namespace ocural::forms
