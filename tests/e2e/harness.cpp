#include "tests/e2e/harness.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "controller/core/version_text.h"
#include "tests/common/pattern.h"

namespace ocural::e2e {
namespace {

constexpr UINT kSetPhaseMsg = WM_APP + 1;

std::wstring ExeFolder() {
  wchar_t buf[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring p(buf);
  return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring ArtifactsFolder() {
  wchar_t buf[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"OCURAL_TEST_ARTIFACTS", buf, 1024);
  std::wstring p = n > 0 && n < 1024 ? std::wstring(buf, n) : ExeFolder();
  if (!p.empty() && p[0] == L'/') {
    for (auto& c : p) {
      if (c == L'/') c = L'\\';
    }
    p = L"Z:" + p;
  }
  return p;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = folder + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(folder.c_str());
}

struct ChildSearch {
  std::wstring cls;
  std::wstring text;
  HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  if ((s->cls.empty() || lstrcmpiW(ClassOf(w).c_str(), s->cls.c_str()) == 0) && TextOf(w) == s->text) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int ScreenDpi() {
  static const int dpi = GetDeviceCaps(win::WindowDC(nullptr).get(), LOGPIXELSX);
  return dpi;
}

double TwipsOf(int pixels) { return pixels * 1440.0 / ScreenDpi(); }

int PixelsOf(double twips) { return static_cast<int>(std::nearbyint(twips * ScreenDpi() / 1440.0)); }

std::string PlaceAt(int x, int y) {
  // Whole twips at every scale the tests run at: no rounding on the way in.
  return "LastX=" + TwipsText(x) + "\r\nLastY=" + TwipsText(y) + "\r\n";
}

std::string TwipsText(int pixels) {
  std::ostringstream s;
  s << std::setprecision(9) << TwipsOf(pixels);
  return s.str();
}

SIZE DesignedClient() { return SIZE{201, 225}; }

DWORD Now() { return GetTickCount(); }

void Pump(DWORD ms) {
  const DWORD start = Now();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (Now() - start < ms);
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = Now();
  for (;;) {
    if (done()) return true;
    if (Now() - start >= timeoutMs) return false;
    Pump(25);
  }
}

bool WaitUntilSettled(const OcuralApp& app, DWORD quietMs, DWORD timeoutMs) {
  const DWORD start = Now();
  RECT last = app.WindowRect();
  DWORD since = Now();
  while (Now() - start < timeoutMs) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(2);
    const RECT now = app.WindowRect();
    // Away for a snapshot: above every monitor.
    if (!EqualRect(&now, &last) || now.bottom <= GetSystemMetrics(SM_YVIRTUALSCREEN)) {
      last = now;
      since = Now();
    } else if (Now() - since >= quietMs) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------- input

std::vector<Monitor> Monitors() {
  struct Found {
    static BOOL CALLBACK Add(HMONITOR m, HDC, LPRECT, LPARAM list) {
      MONITORINFO info{};
      info.cbSize = sizeof(info);
      if (GetMonitorInfoW(m, &info)) {
        auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(list);
        const Monitor one{info.rcMonitor, info.rcWork};
        if (info.dwFlags & MONITORINFOF_PRIMARY) {
          monitors.insert(monitors.begin(), one);
        } else {
          monitors.push_back(one);
        }
      }
      return TRUE;
    }
  };
  std::vector<Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, &Found::Add, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

RECT VirtualScreen() {
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

namespace {
POINT g_pointer{};  // where the last MouseTo put the pointer
bool g_pointerPut = false;

void SendMoveTo(POINT p) {
  // Absolute coordinates run 0..65535 over every monitor together; rounding
  // up lands on the pixel asked for.
  const RECT v = VirtualScreen();
  const long long w = v.right - v.left, h = v.bottom - v.top;
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(((p.x - v.left) * 65536LL + w - 1) / w);
  in.mi.dy = static_cast<LONG>(((p.y - v.top) * 65536LL + h - 1) / h);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  SendInput(1, &in, sizeof(in));
  Pump(30);
}

// Under Wine a window that has just appeared under the pointer reports the
// pointer's crossing into it when its program gets round to it, with the
// place the pointer had before; read after a move sent meanwhile, it puts
// the pointer back there. The move is sent again until it holds.
void HoldPointer() {
  if (!g_pointerPut) return;
  for (int i = 0; i < 5; ++i) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == g_pointer.x && now.y == g_pointer.y) return;
    SendMoveTo(g_pointer);
  }
}
}  // namespace

void MouseTo(int x, int y) {
  const RECT v = VirtualScreen();
  g_pointer = POINT{std::clamp(x, static_cast<int>(v.left), static_cast<int>(v.right) - 1),
                    std::clamp(y, static_cast<int>(v.top), static_cast<int>(v.bottom) - 1)};
  g_pointerPut = true;
  SendMoveTo(g_pointer);
  HoldPointer();
}

namespace {
void SendButton(int button, bool down) {
  HoldPointer();
  INPUT in{};
  in.type = INPUT_MOUSE;
  if (button == 2) {
    in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  } else if (button == 4) {
    in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
  } else {
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInput(1, &in, sizeof(in));
  Pump(60);
}
}  // namespace

void MouseDown(int button) { SendButton(button, true); }
void MouseUp(int button) { SendButton(button, false); }

void ClickAt(int x, int y, int button) {
  MouseTo(x, y);
  MouseDown(button);
  MouseUp(button);
}

void QuickClicks(int x, int y, int count, int button) {
  MouseTo(x, y);
  const DWORD down = button == 2 ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = button == 2 ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  std::vector<INPUT> in(static_cast<size_t>(count) * 2);
  for (size_t i = 0; i < in.size(); ++i) {
    in[i].type = INPUT_MOUSE;
    in[i].mi.dwFlags = i % 2 == 0 ? down : up;
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Pump(60);
}

// Wine's stand-alone tray: one child window per icon.
int TrayIcons() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (!tray) return 0;
  int n = 0;
  for (HWND c = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr); c;
       c = FindWindowExW(tray, c, L"__winex11_tray_icon", nullptr)) {
    if (IsWindowVisible(c)) ++n;
  }
  return n;
}

HWND TrayIconWindow() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  return tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr;
}

// ---------------------------------------------------------------- Clipboard

std::string ClipboardText() {
  std::string text;
  for (int i = 0; i < 20; ++i) {
    if (OpenClipboard(nullptr)) {
      if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
          text = p;
          GlobalUnlock(h);
        }
      }
      CloseClipboard();
      return text;
    }
    Pump(20);
  }
  return "(clipboard busy)";
}

bool SetClipboardText(const std::string& s) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
  memcpy(GlobalLock(mem), s.c_str(), s.size() + 1);
  GlobalUnlock(mem);
  const bool set = SetClipboardData(CF_TEXT, mem) != nullptr;
  CloseClipboard();
  return set;
}

std::string Notation(COLORREF c, int mode) {
  char buf[32];
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  switch (mode) {
    case 0:
      snprintf(buf, sizeof buf, "#%02X%02X%02X", r, g, b);
      break;
    case 1:
      snprintf(buf, sizeof buf, "&H%02X%02X%02X", b, g, r);
      break;
    case 2:
      snprintf(buf, sizeof buf, "0x%02X%02X%02X", b, g, r);
      break;
    default:
      snprintf(buf, sizeof buf, "%d,%d,%d", r, g, b);
      break;
  }
  return buf;
}

// ---------------------------------------------------------------- PatternWindow

PatternWindow::PatternWindow() : place_(VirtualScreen()) {
  image_.Create(place_.right - place_.left, place_.bottom - place_.top);
  Render();
  ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &PatternWindow::ThreadMain, this, 0, nullptr);
  WaitForSingleObject(ready_, 10000);
  Pump(200);
}

PatternWindow::~PatternWindow() {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  if (thread_) {
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
}

void PatternWindow::Render() {
  const int w = image_.width();
  const int h = image_.height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t c = testing::PatternColour(place_.left + x, place_.top + y, phase_);
      image_.bits()[static_cast<size_t>(y) * w + x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
  }
}

void PatternWindow::SetPhase(int phase) {
  phase_ = phase;
  SendMessageW(hwnd_, kSetPhaseMsg, 0, 0);
  // Painted is not yet shown: under Wine the pixels reach the X server in the
  // pattern thread's own time, later still on a busy machine. Wait until the
  // two bottom corners of the screen show the new phase (Wine's stand-alone
  // notification area sits at the top left).
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  WaitFor(
      [&] {
        win::DibImage pixel(1, 1);
        HDC screen = GetDC(nullptr);
        bool shown = true;
        for (POINT p : {POINT{0, h - 1}, POINT{w - 1, h - 1}}) {
          BitBlt(pixel.dc(), 0, 0, 1, 1, screen, p.x, p.y, SRCCOPY);
          const auto decoded = testing::DecodePattern(pixel.Pixel(0, 0));
          shown = shown && decoded && decoded->phase == phase;
        }
        ReleaseDC(nullptr, screen);
        return shown;
      },
      5000);
}

LRESULT CALLBACK PatternWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<PatternWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (self) BitBlt(dc, 0, 0, self->image_.width(), self->image_.height(), self->image_.dc(), 0, 0, SRCCOPY);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case kSetPhaseMsg:
      if (self) {
        self->Render();
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD WINAPI PatternWindow::ThreadMain(void* param) {
  auto* self = static_cast<PatternWindow*>(param);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PatternWindow::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"OcuralTestPattern";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  self->hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"OcuralTestPattern", L"pattern", WS_POPUP | WS_VISIBLE,
                                self->place_.left, self->place_.top, self->image_.width(), self->image_.height(), nullptr, nullptr,
                                GetModuleHandleW(nullptr), self);
  UpdateWindow(self->hwnd_);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

// ---------------------------------------------------------------- OtherWindow

OtherWindow::OtherWindow(const RECT& place) : place_(place) {
  ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &OtherWindow::ThreadMain, this, 0, nullptr);
  WaitForSingleObject(ready_, 10000);
  Pump(200);
}

OtherWindow::~OtherWindow() {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  if (thread_) {
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (ready_) CloseHandle(ready_);
}

LRESULT CALLBACK OtherWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

DWORD WINAPI OtherWindow::ThreadMain(void* param) {
  auto* self = static_cast<OtherWindow*>(param);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &OtherWindow::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"OcuralTestOtherProgram";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  RegisterClassW(&wc);
  const RECT& r = self->place_;
  self->hwnd_ = CreateWindowExW(0, L"OcuralTestOtherProgram", L"another program", WS_POPUP | WS_BORDER, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(self->hwnd_, SW_SHOWNOACTIVATE);
  UpdateWindow(self->hwnd_);
  SetEvent(self->ready_);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

bool SeenOnScreen(const RECT& area) {
  const ScreenShot shot(area);
  for (int y = 0; y < shot.Height(); ++y) {
    for (int x = 0; x < shot.Width(); ++x) {
      // Pattern coordinates repeat every 1024 pixels.
      const auto p = testing::DecodePattern(shot.At(x, y));
      if (!p || p->x != ((area.left + x) % 1024 + 1024) % 1024 || p->y != ((area.top + y) % 1024 + 1024) % 1024) {
        return true;
      }
    }
  }
  return false;
}

// ---------------------------------------------------------------- ScreenShot

ScreenShot::ScreenShot() : ScreenShot(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}) {}

ScreenShot::ScreenShot(const RECT& area) {
  const int w = area.right - area.left;
  const int h = area.bottom - area.top;
  image_.Create(w, h);
  win::WindowDC screen(nullptr);
  BitBlt(image_.dc(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
  GdiFlush();
}

bool ScreenShot::SaveBmp(const std::wstring& path) const {
  const int w = image_.width();
  const int h = image_.height();
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof(ih);
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = static_cast<DWORD>(stride * h);
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(ih);
  fh.bfSize = fh.bfOffBits + ih.biSizeImage;
  std::ofstream out(path.c_str(), std::ios::binary);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&ih), sizeof(ih));
  std::vector<char> row(static_cast<size_t>(stride), 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const COLORREF c = At(x, y);
      row[x * 3 + 0] = static_cast<char>(GetBValue(c));
      row[x * 3 + 1] = static_cast<char>(GetGValue(c));
      row[x * 3 + 2] = static_cast<char>(GetRValue(c));
    }
    out.write(row.data(), stride);
  }
  return static_cast<bool>(out);
}

std::wstring SaveShotOf(const RECT& area, const std::string& name) {
  std::wstring wname(name.begin(), name.end());
  for (auto& c : wname) {
    if (c == L'/' || c == L'\\' || c == L':') c = L'_';
  }
  const std::wstring path = ArtifactsFolder() + L"\\" + wname + L".bmp";
  ScreenShot(area).SaveBmp(path);
  return path;
}

std::wstring SaveFailureShot(const std::string& name) { return SaveShotOf(VirtualScreen(), name); }

// ---------------------------------------------------------------- OcuralApp

OcuralApp::OcuralApp(const FolderSuffix& suffix) {
  static int counter = 0;
  wchar_t tmp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, tmp);
  std::wostringstream name;
  name << tmp << L"ocural-e2e-" << GetCurrentProcessId() << L"-" << ++counter << suffix.text;
  folder_ = name.str();
  RemoveTree(folder_);
  CreateDirectoryW(folder_.c_str(), nullptr);
  CopyFileW((ExeFolder() + L"\\Ocural.exe").c_str(), PathOf(L"Ocural.exe").c_str(), FALSE);
}

OcuralApp::OcuralApp(const std::wstring& folder) : folder_(folder), ownFolder_(false) {}

OcuralApp::~OcuralApp() {
  if (pi_.hProcess) {
    if (Running()) {
      if (HWND w = MainWindow()) PostMessageW(w, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 5000);
      }
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  if (ownFolder_) RemoveTree(folder_);
}

void OcuralApp::WriteFile(const std::wstring& name, const std::string& bytes) const {
  std::ofstream out(PathOf(name).c_str(), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string OcuralApp::ReadFile(const std::wstring& name) const {
  std::ifstream in(PathOf(name).c_str(), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void OcuralApp::CopyFromBuild(const std::wstring& name) const {
  const std::wstring from = ExeFolder() + L"\\" + name;
  const DWORD attr = GetFileAttributesW(from.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
    CreateDirectoryW(PathOf(name).c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CopyFileW((from + L"\\" + fd.cFileName).c_str(), (PathOf(name) + L"\\" + fd.cFileName).c_str(), FALSE);
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  } else {
    CopyFileW(from.c_str(), PathOf(name).c_str(), FALSE);
  }
}

bool OcuralApp::Start() {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  std::wstring cmd = L"\"" + PathOf(L"Ocural.exe") + L"\"";
  return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &si, &pi_) != 0;
}

namespace {
struct WindowsOfProcess {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<WindowsOfProcess*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == c->pid) c->found.push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> OcuralApp::Windows() const {
  WindowsOfProcess ctx{pi_.dwProcessId, {}};
  EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

HWND OcuralApp::ControllerWindow() const {
  for (HWND w : Windows()) {
    wchar_t caption[64] = {};
    GetWindowTextW(w, caption, 64);
    if (std::wstring(caption) == L"Ocural Controler") return w;
  }
  return nullptr;
}

HWND OcuralApp::MainWindow() const {
  if (main_ && IsWindow(main_)) return main_;
  main_ = nullptr;
  for (HWND w : Windows()) {
    wchar_t cls[64] = {}, text[64] = {};
    GetClassNameW(w, cls, 64);
    GetWindowTextW(w, text, 64);
    if (std::wstring(cls) == L"OcuralForm" && std::wstring(text) == L"Pebwick Ocural" && IsWindowVisible(w)) {
      main_ = w;
      break;
    }
  }
  return main_;
}

bool OcuralApp::WaitForMainWindow(DWORD timeoutMs) {
  return WaitFor([this] { return MainWindow() != nullptr; }, timeoutMs);
}

HWND OcuralApp::Lens() const {
  HWND lens = nullptr;
  HWND child = nullptr;
  while ((child = FindWindowExW(MainWindow(), child, L"OcuralPictureBox", nullptr)) != nullptr) {
    if (IsWindowVisible(child)) lens = child;
  }
  return lens;
}

RECT OcuralApp::LensRect() const {
  RECT r{};
  GetWindowRect(Lens(), &r);
  return r;
}

RECT OcuralApp::WindowRect() const {
  RECT r{};
  GetWindowRect(MainWindow(), &r);
  return r;
}

bool OcuralApp::Running() const {
  return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

long OcuralApp::WaitExit(DWORD timeoutMs) {
  if (!pi_.hProcess) return -1;
  if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

HWND DialogOf(const OcuralApp& app, const wchar_t* caption) {
  for (HWND w : app.Windows()) {
    if (ClassOf(w) == L"OcuralForm" && TextOf(w) == caption && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

HWND WaitForDialog(const OcuralApp& app, const wchar_t* caption) {
  HWND found = nullptr;
  WaitFor([&] { return (found = DialogOf(app, caption)) != nullptr; }, 5000);
  return found;
}

HWND MessageBoxOf(const OcuralApp& app) {
  for (HWND w : app.Windows()) {
    if (ClassOf(w) == L"#32770" && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

HWND WaitForMessageBox(const OcuralApp& app, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitFor([&] { return (found = MessageBoxOf(app)) != nullptr; }, timeoutMs);
  return found;
}

// ---------------------------------------------------------------- Diagnostics

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return "";
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

namespace {

std::string Hex(const void* p) {
  char buf[24];
  std::snprintf(buf, sizeof(buf), "%p", p);
  return buf;
}

// "0x.. Class \"caption\"", and for another process's window whose it is.
std::string WindowName(HWND w, DWORD ownPid) {
  if (!w) return "none";
  if (!IsWindow(w)) return Hex(w) + " (gone)";
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  std::string s = Hex(w) + " " + Utf8(ClassOf(w)) + " \"" + Utf8(TextOf(w)) + "\"";
  if (pid != ownPid) s += pid == GetCurrentProcessId() ? " (the test's)" : " (process " + std::to_string(pid) + ")";
  return s;
}

}  // namespace

std::string DescribeProgram(const OcuralApp& app) {
  const DWORD pid = app.ProcessId();
  std::ostringstream s;
  if (!app.Running()) return "the program has ended";
  s << "windows of the program:";
  for (HWND w : app.Windows()) {
    RECT r{};
    GetWindowRect(w, &r);
    s << "\n    " << WindowName(w, pid) << (IsWindowVisible(w) ? " shown" : " hidden")
      << (IsWindowEnabled(w) ? "" : " disabled") << ((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) ? " topmost" : "")
      << " at (" << r.left << "," << r.top << ") " << r.right - r.left << "x" << r.bottom - r.top;
    if (HWND owner = GetWindow(w, GW_OWNER)) s << " owned by " << Hex(owner);
  }
  s << "\n  foreground: " << WindowName(GetForegroundWindow(), pid);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof(gui);
  if (GetGUIThreadInfo(app.ThreadId(), &gui)) {
    s << "\n  program thread: active " << WindowName(gui.hwndActive, pid) << ", focus "
      << WindowName(gui.hwndFocus, pid) << ", capture " << WindowName(gui.hwndCapture, pid) << ", menu owner "
      << WindowName(gui.hwndMenuOwner, pid);
    if (gui.flags & GUI_INMENUMODE) s << ", in menu mode";
    if (gui.flags & GUI_POPUPMENUMODE) s << ", in a popup menu";
    if (gui.flags & GUI_INMOVESIZE) s << ", moving or sizing";
  } else {
    s << "\n  program thread: no information (error " << GetLastError() << ")";
  }
  if (HWND main = app.MainWindow()) {
    const DWORD asked = Now();
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    s << "\n  main window " << (answered ? "answered in " + std::to_string(Now() - asked) + " ms" : "did not answer");
  } else {
    s << "\n  no main window shown";
  }
  return s.str();
}

// ---------------------------------------------------------------- Keys, menus, controls

void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  Pump(150);
}

HWND OpenMenu() {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = nullptr;
        for (HWND w = FindWindowW(L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
          if (IsWindowVisible(w)) found = w;
        }
        return found != nullptr;
      },
      3000);
  return found;
}

std::wstring TextOf(HWND w) {
  wchar_t text[256] = {};
  GetWindowTextW(w, text, 256);
  return text;
}

std::wstring ClassOf(HWND w) {
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  return cls;
}

HWND ChildOf(HWND dialog, const std::wstring& cls, const std::wstring& text) {
  ChildSearch s{cls, text, nullptr};
  EnumChildWindows(dialog, &MatchChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring VersionOfExe(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return L"(no version resource)";
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"(unreadable version)";
  VS_FIXEDFILEINFO* ffi = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&ffi), &len) || !ffi) return L"(no fixed info)";
  return VersionText(HIWORD(ffi->dwFileVersionMS), LOWORD(ffi->dwFileVersionMS), LOWORD(ffi->dwFileVersionLS));
}

}  // namespace ocural::e2e
