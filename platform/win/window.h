// The one way a window of the toolkit reaches its C++ object: every window
// the toolkit makes, of its own classes or of the system's (BUTTON, LISTBOX),
// runs its messages through one trampoline into the object's WndProc, and a
// notification a child sends its parent (WM_COMMAND) goes to the child's
// object as OnCommand.
#pragma once

#include <windows.h>

#include <string>

namespace ocural::forms {

enum MouseButton { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum MousePointer { kDefaultPointer = 0, kCustomPointer = 99 };

struct MouseEvent {
  int Button = 0;  // the button that changed (down/up) or the buttons held (move)
  int Shift = 0;   // 1 shift, 2 ctrl, 4 alt
  float X = 0;     // in the receiver's scale
  float Y = 0;
};

// The button a press or release message is about; 0 for other messages.
int ButtonOf(UINT msg);
// The buttons a mouse message's wParam says are held.
int HeldButtons(WPARAM wp);
// The mouse event of a message at the client position in `lp`, measured in
// units of which a pixel holds the given numbers (1 for pixels).
MouseEvent MouseEventAt(int button, LPARAM lp, double unitsPerPixelX, double unitsPerPixelY);

// Base of every window the toolkit makes. The window goes with the object;
// the object forgets a window that goes first.
class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hWnd() const { return hwnd_; }
  // The object of a window the toolkit made; null for any other window.
  static Window* FromHandle(HWND hwnd);

 protected:
  static void RegisterClassOnce(const wchar_t* className, HCURSOR cursor, UINT style = 0);
  // A window of a class registered with RegisterClassOnce.
  bool CreateWin(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y,
                 int w, int h, HWND parent);
  // A window of one of the system's classes, subclassed so that its messages
  // pass through WndProc on their way to the class's own procedure.
  bool CreateSystemWin(DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int x,
                       int y, int w, int h, HWND parent);
  // Messages of the window; by default the class's own handling, or Paint
  // for a window that paints its whole client.
  virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
  // A window that covers every pixel of its client in Paint: WM_PAINT comes
  // there, and the background is never erased first (that would flicker).
  virtual bool PaintsWholeClient() const { return false; }
  virtual void Paint(HDC dc) { (void)dc; }
  // A notification this window sent its parent (WM_COMMAND's code).
  virtual void OnCommand(int code) { (void)code; }
  // The window has gone (WM_NCDESTROY); hWnd() is null already.
  virtual void OnDestroyed() {}

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Attach(HWND hwnd);
  void Detach();
  LRESULT ClassProc(UINT msg, WPARAM wp, LPARAM lp);

  WNDPROC classProc_ = nullptr;  // set for subclassed system windows
};

}  // namespace ocural::forms
