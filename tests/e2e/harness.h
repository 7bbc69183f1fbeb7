// End-to-end harness: runs the real Ocural.exe in an application folder of its
// own, paints a known pattern behind it, reads the screen back and drives it
// with real input, the way a person uses it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win/handles.h"

namespace ocural::e2e {

// The display scale the program runs at: the system DPI (96 is 100 %). The
// test process is DPI aware, so it reads the same pixels as the program.
int ScreenDpi();
// Twips of `pixels` at that scale (15 a pixel at 96 DPI, 7.5 at 192).
double TwipsOf(int pixels);
// Pixels of `twips`, rounded to the nearest, halves to even.
int PixelsOf(double twips);
// Settings lines that open the main window with its top-left at (x, y)
// pixels: "LastX=..\r\nLastY=..\r\n".
std::string PlaceAt(int x, int y);
// A window position as the settings file holds it: twips as decimal text,
// without a decimal point when whole ("4500", "922.5").
std::string TwipsText(int pixels);
// The client size of the main window's designed look: 201 x 225 pixels at
// every display scale, as a skin's window is its picture's size in pixels.
SIZE DesignedClient();

// Milliseconds since an arbitrary start.
DWORD Now();
// Polls `done` until it holds or `timeoutMs` passes; pumps this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs);
// Sleeps while pumping this thread's messages.
void Pump(DWORD ms);

// The monitors, the primary first: each one's rectangle and work area in
// screen pixels (a monitor left of or above the primary has negative ones).
struct Monitor {
  RECT bounds;
  RECT work;
};
std::vector<Monitor> Monitors();
// The rectangle of every monitor together (SM_XVIRTUALSCREEN and so on).
RECT VirtualScreen();

// A window over every monitor, on its own thread, showing the coordinate
// pattern: the pixel at screen (x, y) says (x, y) modulo 1024.
class PatternWindow {
 public:
  PatternWindow();
  ~PatternWindow();
  PatternWindow(const PatternWindow&) = delete;
  PatternWindow& operator=(const PatternWindow&) = delete;
  // Changes the phase bit of the pattern and waits until it is painted.
  void SetPhase(int phase);
  int Phase() const { return phase_; }
  HWND hWnd() const { return hwnd_; }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void Render();

  RECT place_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  HWND hwnd_ = nullptr;
  volatile LONG phase_ = 0;
  win::DibImage image_;
};

// A plain grey window of another program, on its own thread, shown at
// `place` without taking the activation. A click on it makes it the active
// window, as a person makes another program active.
class OtherWindow {
 public:
  explicit OtherWindow(const RECT& place);
  ~OtherWindow();
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  HWND hWnd() const { return hwnd_; }
  POINT Centre() const { return POINT{(place_.left + place_.right) / 2, (place_.top + place_.bottom) / 2}; }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

  RECT place_;
  HANDLE thread_ = nullptr;
  HANDLE ready_ = nullptr;
  HWND hwnd_ = nullptr;
};

// Whether the window at `area` is seen on the screen: some pixel there is
// not the pattern's own. Under Wine the screen can disagree with the
// system's order of the windows (WindowFromPoint).
bool SeenOnScreen(const RECT& area);

// A copy of the screen.
class ScreenShot {
 public:
  // The primary monitor; At() counts from its top-left corner.
  ScreenShot();
  // Only `area` of the screen, on any monitor; At() counts from its top-left corner.
  explicit ScreenShot(const RECT& area);
  COLORREF At(int x, int y) const { return image_.Pixel(x, y); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  // Writes a 24-bit BMP (the test script turns it into a PNG).
  bool SaveBmp(const std::wstring& path) const;

 private:
  win::DibImage image_;
};

// Real input through SendInput, in screen pixels, on any monitor.
void MouseTo(int x, int y);
void MouseDown(int button = 1);  // 1 left, 2 right, 4 middle
void MouseUp(int button = 1);
void ClickAt(int x, int y, int button = 1);
// `count` clicks at (x, y) handed to the system at once, as fast as a hand
// can click: each follows the last well within the double-click time.
void QuickClicks(int x, int y, int count, int button = 1);

// One key pressed and released, then 150 ms for the program to answer.
void Key(WORD vk);
// The open popup menu (class #32768), or null when none opens within 3 s.
HWND OpenMenu();
std::wstring TextOf(HWND w);
// UTF-8, for messages.
std::string Utf8(const std::wstring& w);
std::wstring ClassOf(HWND w);
// A control anywhere inside `parent` by its class (any when empty) and text.
HWND ChildOf(HWND parent, const std::wstring& cls, const std::wstring& text);
// The version in an exe's resource, read the system's way (VERSION.dll) and
// written as the version box writes it.
std::wstring VersionOfExe(const std::wstring& path);

// Icons in Wine's stand-alone notification area, and the first icon's window.
int TrayIcons();
HWND TrayIconWindow();

// The clipboard's text (CF_TEXT), or "(clipboard busy)"; and a text put there.
std::string ClipboardText();
bool SetClipboardText(const std::string& s);
// A colour as the colour pick writes it in notation `mode` (0 to 3).
std::string Notation(COLORREF c, int mode);

// Keeps a screenshot of every monitor next to the test log; returns its path.
std::wstring SaveFailureShot(const std::string& name);
// Keeps a shot of `area` of the screen next to the test log.
std::wstring SaveShotOf(const RECT& area, const std::string& name);

// Ocural.exe running in a fresh application folder.
class OcuralApp {
 public:
  // What the fresh folder's name ends in, for a name in a script the
  // system's code page does not have.
  struct FolderSuffix {
    std::wstring text;
  };
  OcuralApp() : OcuralApp(FolderSuffix{}) {}
  explicit OcuralApp(const FolderSuffix& suffix);
  // Runs the Ocural.exe that already lies in `folder` (an unpacked release),
  // which is left as the program leaves it.
  explicit OcuralApp(const std::wstring& folder);
  ~OcuralApp();
  OcuralApp(const OcuralApp&) = delete;
  OcuralApp& operator=(const OcuralApp&) = delete;

  const std::wstring& Folder() const { return folder_; }
  std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }
  void WriteFile(const std::wstring& name, const std::string& bytes) const;
  std::string ReadFile(const std::wstring& name) const;

  // Copies a file or a folder of the build (the bundled skins) into the folder.
  void CopyFromBuild(const std::wstring& name) const;
  bool Start();
  // The main window once it is visible; null until then.
  HWND MainWindow() const;
  bool WaitForMainWindow(DWORD timeoutMs = 15000);
  HWND Lens() const;
  RECT LensRect() const;
  RECT WindowRect() const;
  bool Running() const;
  // Waits for the process to end; returns its exit code or -1 on time-out.
  long WaitExit(DWORD timeoutMs);
  DWORD ProcessId() const { return pi_.dwProcessId; }
  // The program's first thread, the one of its windows.
  DWORD ThreadId() const { return pi_.dwThreadId; }
  // Top-level windows of the process that still exist.
  std::vector<HWND> Windows() const;
  // The hidden controller window, null when it is gone.
  HWND ControllerWindow() const;

 private:
  std::wstring folder_;
  bool ownFolder_ = true;
  PROCESS_INFORMATION pi_{};
  mutable HWND main_ = nullptr;
};

// A shown top-level window of the program with this caption and the
// program's form class (its dialogs), or null; and the same, waited for 5 s.
HWND DialogOf(const OcuralApp& app, const wchar_t* caption);
HWND WaitForDialog(const OcuralApp& app, const wchar_t* caption);
// The program's shown message box, or null; and the same, waited for.
HWND MessageBoxOf(const OcuralApp& app);
HWND WaitForMessageBox(const OcuralApp& app, DWORD timeoutMs = 10000);

// What the program looks like now, for the message of a wait that ran out:
// each of its top-level windows (class, caption, shown or hidden, enabled or
// not, place, owner), the foreground window and whose it is, the program
// thread's active, focus, capture and menu-owner windows and its menu and
// move modes, and how long the main window took to answer.
std::string DescribeProgram(const OcuralApp& app);

// Waits until the main window has stood at one place on the screen for
// `quietMs`, watched every 2 ms: every snapshot moves it above the screens for
// a few milliseconds, and a click or a screen read then misses it. Activation
// changes at start-up and after a dialog bring several in a row.
bool WaitUntilSettled(const OcuralApp& app, DWORD quietMs = 250, DWORD timeoutMs = 5000);

}  // namespace ocural::e2e
