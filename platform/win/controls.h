// The elements the dialogs are made of: check box, option buttons in a
// frame, label, image, file list box; and the units and fonts they are laid
// out in. Push buttons are the toolkit's CommandButton.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win/forms.h"
#include "platform/win/handles.h"
#include "platform/win/window.h"

namespace ocural::forms {

// Twips to whole pixels with the screen's real twips per pixel, halves to even.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
// The same at `dpi` dots per inch.
int TwipsToPixelsAt(double twips, int dpi);

// The system DPI, which the screen's twips per pixel come from.
int SystemDpi();
// The DPI the windows of this process get on `monitor`: the monitor's own
// where the process is per-monitor aware (Windows 8.1 and later), the
// system DPI elsewhere.
int MonitorDpi(HMONITOR monitor);

// A rectangle in pixels inside a container: left, top, width, height.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A font: the first installed face of `faces` (the system's message font
// face when none is), at a size in points for a DPI (the system's unless
// given).
struct FontChoice {
  std::vector<std::wstring> faces;
  double points = 9;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// The first face of the list that this system has; "" when it has none.
std::wstring FirstInstalledFace(const std::vector<std::wstring>& faces);
win::Font CreateFontFor(const FontChoice& choice, int dpi = 0);
// The faces tried for the dialogs' own text: Japanese UI faces first.
const std::vector<std::wstring>& DialogFaces();

// Base of the dialog elements. Each element sits in one child window, which
// goes with the element, or with its container when that goes first.
class Control : public Window {
 public:
  bool Visible() const;
  void SetVisible(bool v);
  bool Enabled() const;
  void SetEnabled(bool v);
  // Position and size in the container, in pixels.
  PixelRect Bounds() const;

 protected:
  // A child window of one of the system's classes.
  bool CreateChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                   HWND parent, const PixelRect& r, HFONT font);
  // A child window of one of the toolkit's own classes, registered on first use.
  bool CreateOwnChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle,
                      HWND parent, const PixelRect& r, HFONT font);
};

// The BS_ type of a BUTTON window (BS_PUSHBUTTON, BS_AUTORADIOBUTTON...), -1
// for a window of another class.
LONG ButtonTypeOf(HWND hwnd);

// A check box; Value 1 when ticked, 0 when not.
class CheckBox : public Control {
 public:
  bool Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font);
  int Value() const;
  void SetValue(int v);
};

// One option button. The option buttons of one container form one group:
// selecting one clears the others.
class OptionButton : public Control {
 public:
  std::function<void()> Click;

  // `firstOfGroup`: this button starts the group (the first one created in
  // its container).
  bool Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font, bool firstOfGroup);
  bool Value() const;
  // True selects this button and clears the others of its container.
  void SetValue(bool v);

 protected:
  void OnCommand(int code) override;
};

// A frame: a captioned box that contains other elements (their positions
// are relative to it) and passes their notifications to its own container.
class Frame : public Control {
 public:
  bool Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HFONT font_ = nullptr;
};

// A label: text in a colour and font, word-wrapped to its width, with an
// optional custom mouse pointer and mouse events. Mouse positions are in
// twips from the label's top-left corner.
class Label : public Control {
 public:
  std::function<void(const MouseEvent&)> MouseDown;
  std::function<void(const MouseEvent&)> MouseUp;

  // `useMnemonic`: "&" marks an access key ("&&" shows one "&"); otherwise
  // the text shows as it is.
  bool Create(HWND parent, const std::wstring& caption, const PixelRect& r, HFONT font,
              bool useMnemonic = true);
  std::wstring Caption() const;
  void SetCaption(const std::wstring& text);
  COLORREF ForeColor() const { return foreColor_; }
  void SetForeColor(COLORREF c);
  // The font is the caller's and must outlive the label.
  void SetFont(HFONT font);
  HFONT Font() const { return font_; }
  void SetMouseIcon(HCURSOR cursor) { mouseIcon_ = cursor; }
  HCURSOR MouseIcon() const { return mouseIcon_; }
  void SetMousePointer(int pointer) { mousePointer_ = pointer; }
  int MousePointer() const { return mousePointer_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PaintsWholeClient() const override { return true; }
  void Paint(HDC dc) override;

 private:
  MouseEvent MakeEvent(int button, LPARAM lp) const;

  COLORREF foreColor_ = GetSysColor(COLOR_BTNTEXT);
  HFONT font_ = nullptr;
  HCURSOR mouseIcon_ = nullptr;
  int mousePointer_ = kDefaultPointer;
  bool useMnemonic_ = true;
};

// An image showing an icon at the top-left corner, at the image's size.
class Image : public Control {
 public:
  bool Create(HWND parent, const PixelRect& r);
  // `owned`: the image destroys the icon when it gets another or goes.
  void SetPicture(HICON icon, bool owned);
  HICON Picture() const { return icon_; }
  ~Image() override;

 protected:
  bool PaintsWholeClient() const override { return true; }
  void Paint(HDC dc) override;

 private:
  HICON icon_ = nullptr;
  bool owned_ = false;
};

// A file list box: the plain files of one folder (no folders, no hidden or
// system files, nothing from sub-folders) whose names match the pattern, as
// bare names in alphabetical order. Click runs whenever the selection
// changes, by mouse, keyboard or ListIndex; DblClick on a double click.
class FileListBox : public Control {
 public:
  std::function<void()> Click;
  std::function<void()> DblClick;
  // When set, only the names it accepts are listed (set before the folder).
  std::function<bool(const std::wstring&)> Accepts;

  bool Create(HWND parent, const PixelRect& r, HFONT font);
  const std::wstring& Path() const { return path_; }
  // Sets the folder and lists it anew; nothing is selected then.
  void SetPath(const std::wstring& folder);
  const std::wstring& Pattern() const { return pattern_; }
  // One or more patterns separated by ";", "*.*" by default; lists anew.
  void SetPattern(const std::wstring& pattern);
  // Reads the folder again.
  void Refresh();
  int ListCount() const;
  std::wstring List(int index) const;
  // The selected entry, -1 for none.
  int ListIndex() const;
  void SetListIndex(int index);
  // The selected entry's file name, "" when none is selected.
  std::wstring FileName() const;

 protected:
  void OnCommand(int code) override;

 private:
  std::wstring path_;
  std::wstring pattern_ = L"*.*";
};

// The file names of `folder` that a FileListBox with `pattern` lists.
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern);

}  // namespace ocural::forms
