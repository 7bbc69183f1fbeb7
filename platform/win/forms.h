// A thin forms toolkit over Win32: forms with their own scale and unload
// request, picture boxes with a persistent off-screen image, command buttons,
// and the screen and application objects.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/win/handles.h"
#include "platform/win/window.h"

namespace ocural::forms {

enum UnloadMode { kFormControlMenu = 0, kFormCode = 1, kAppWindows = 2 };

class Screen {
 public:
  static double TwipsPerPixelX();
  static double TwipsPerPixelY();
  static double Width();   // twips
  static double Height();  // twips
};

class App {
 public:
  static HINSTANCE Instance();
  // Folder of the executable, without a trailing backslash except at a root.
  static std::wstring Path();
  static std::wstring EXEName();
  static int Major();
  static int Minor();
  static int Revision();
  static std::wstring Title();
};

// A picture box: a child window whose drawing goes to an off-screen image
// (the persistent image) that only a refresh puts on the screen.
class PictureBox : public Window {
 public:
  std::function<void(const MouseEvent&)> MouseUp;

  bool Create(HWND parent, int x, int y, int w, int h, bool visible);
  void Move(int x, int y, int w, int h);
  int Left() const;
  int Top() const;
  int ScaleWidth() const { return image_.width(); }
  int ScaleHeight() const { return image_.height(); }
  bool Visible() const;
  void SetVisible(bool v);

  COLORREF BackColor() const { return backColor_; }
  void SetBackColor(COLORREF c) { backColor_ = c; }
  // The background picture; the box owns it. A null handle removes it.
  void SetPicture(HBITMAP picture);
  HBITMAP Picture() const { return picture_.get(); }

  HDC hDC() const { return image_.dc(); }
  HBITMAP Image() const { return image_.bitmap(); }
  const win::DibImage& PersistentImage() const { return image_; }
  // Clears the persistent image to the background colour and picture.
  void Cls();
  // Shows the persistent image on the screen now.
  void Refresh();
  // Colour of a pixel of the persistent image, CLR_INVALID outside it.
  COLORREF Point(int x, int y) const { return image_.Pixel(x, y); }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PaintsWholeClient() const override { return true; }
  void Paint(HDC dc) override;

 private:
  void ResizeImage(int w, int h);

  win::DibImage image_;
  COLORREF backColor_ = RGB(255, 255, 255);
  win::Bitmap picture_;
};

// A push button; Click runs when the user presses and releases it.
class CommandButton : public Window {
 public:
  std::function<void()> Click;

  bool Create(HWND parent, const std::wstring& caption, int x, int y, int w, int h);
  void Move(int x, int y, int w, int h);
  // Left, Top, Width, Height in that order; a negative width or height is
  // refused and leaves that one as it was.
  void Place(int left, int top, int width, int height);
  bool Visible() const;
  void SetVisible(bool v);

 protected:
  void OnCommand(int code) override;
};

// A top-level window with the load / show / unload life of a form.
class Form : public Window {
 public:
  // Position and size in twips, as the toolkit measures windows.
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void SetLeft(double twips);
  void SetTop(double twips);

  bool Visible() const;
  void SetVisible(bool v);
  // Repaints the form and its elements at once.
  void Refresh();

  bool IsLoaded() const { return hwnd_ != nullptr; }
  // Whether a key message (WM_KEYDOWN, WM_CHAR, ...) for one of the form's
  // elements goes to the form itself instead: the message loop hands over
  // those the form acts on, and leaves the others (Space on a button) to the
  // element.
  virtual bool PreviewKey(UINT msg, WPARAM wp) const {
    (void)msg;
    (void)wp;
    return false;
  }
  // Asks the form to unload: Form_QueryUnload may cancel; otherwise the window
  // goes. A request that arrives while an unload is under way (the system's
  // close request handled while the first one waits) is not run again.
  void Unload(UnloadMode mode = kFormCode);

  void SetMousePointer(int pointer);
  int MousePointer() const { return mousePointer_; }
  void SetMouseIcon(HCURSOR cursor) { mouseIcon_ = cursor; }

  void SetBackColor(COLORREF c);
  // The background picture drawn at the top-left corner; the form owns it.
  void SetPicture(HBITMAP picture);
  HBITMAP Picture() const { return picture_.get(); }

  // Number of forms whose windows exist; the message loop ends at zero.
  static int LiveForms();

 protected:
  bool CreateForm(DWORD exStyle, DWORD style, const std::wstring& caption, int clientW, int clientH);
  // The same with the whole window at `window`, in screen pixels.
  bool CreateFormAt(DWORD exStyle, DWORD style, const std::wstring& caption, const RECT& window);
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDestroyed() override;

  virtual void Form_QueryUnload(int& cancel, int unloadMode) {
    (void)cancel;
    (void)unloadMode;
  }
  virtual void Form_MouseDown(const MouseEvent&) {}
  virtual void Form_MouseMove(const MouseEvent&) {}
  virtual void Form_MouseUp(const MouseEvent&) {}

  bool scaleTwips_ = false;  // mouse positions in pixels unless the form measures in twips

 private:
  MouseEvent MakeMouseEvent(int button, LPARAM lp) const;
  // The cursor the mouse pointer setting stands for.
  HCURSOR PointerCursor() const;
  void PaintBackground(HDC dc);

  bool unloading_ = false;
  int mousePointer_ = kDefaultPointer;
  HCURSOR mouseIcon_ = nullptr;
  COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
  win::Bitmap picture_;
  win::Brush backBrush_;
};

// True under Wine, whose window manager integration differs from Windows in
// ways the program has to work around.
bool RunningUnderWine();

// Under Wine, reads now what the X server has told the program meanwhile
// (the focus taken from a window, windows mapped or gone). Wine reads that
// news only while the thread waits with nothing else to do, and acting on
// late news it cancels the mode of the active window: a menu that opened in
// between closes by itself. Windows has no such news; there this does
// nothing.
void ReadPendingDisplayNews();

// The toolkit's message loop; returns when the last form has gone.
int RunMessageLoop();

}  // namespace ocural::forms
