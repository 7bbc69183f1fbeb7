// The modal dialog form of the toolkit, laid out in twips. The dialog makes
// one of its push buttons the default button (Enter) and one the cancel
// button (Esc).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/win/controls.h"
#include "platform/win/forms.h"
#include "platform/win/handles.h"

namespace ocural::forms {

// Booleans held in 16 bits: True is -1, False is 0; any non-zero value is true.
using VbBool = int16_t;
constexpr VbBool kVbTrue = -1;
constexpr VbBool kVbFalse = 0;

// A modal dialog: fixed dialog frame with a close box, no minimise or
// maximise box, no taskbar button, laid out in twips at the DPI of the
// monitor it opens on (the anchor's), centred on that monitor and whole on
// its work area where it fits, with its caption on it where it does not.
// When the system moves it to a monitor of another DPI (WM_DPICHANGED) it
// lays itself out again at that DPI.
// Tab, arrow keys, Enter, Esc and access keys work as in the system's own
// dialogs; the tab order is the order in which the elements are created.
class DialogForm : public Form {
 public:
  DialogForm();
  ~DialogForm() override;

  // The window whose monitor the dialogs open on (the program's main
  // window), asked when a dialog is created; none or null: the primary
  // monitor.
  static void SetAnchor(std::function<HWND()> anchor);
  // MessageBoxW without an owner, opened centred on the anchor's monitor
  // (the system would open it on the primary one).
  static int MessageOnAnchorMonitor(const std::wstring& text, const std::wstring& caption, UINT type);

  // Shows the dialog, owned by `owner` (which stays disabled meanwhile; null
  // for none), and returns when it is hidden or unloaded.
  void ShowModal(HWND owner);
  // Hides the dialog, which ends a modal show.
  void Hide();
  bool IsModal() const { return modal_; }
  // The font of the dialog's own text.
  HFONT Font() const { return fonts_.empty() ? nullptr : fonts_.front().font.get(); }
  // The DPI the dialog is laid out at.
  int Dpi() const { return dpi_; }
  CommandButton* DefaultButton() const { return default_; }
  CommandButton* CancelButton() const { return cancel_; }

 protected:
  // Creates the hidden window with a client area of the size in twips.
  bool CreateDialogForm(const std::wstring& caption, double clientWidthTwips, double clientHeightTwips);
  // A rectangle given in twips, in pixels at the dialog's DPI.
  PixelRect Twips(double left, double top, double width, double height) const;
  // The same, and `element` (a child of the dialog or of one of its frames)
  // goes back to that rectangle in twips whenever the DPI changes.
  PixelRect Lay(Window& element, double left, double top, double width, double height);
  // A font at the dialog's DPI, which the dialog owns; when the DPI changes
  // it is made again and every element showing it gets the new one.
  HFONT DialogFont(const FontChoice& choice);
  // After the dialog laid itself out at a new DPI: what is not a place or a
  // font (a picture of the element's size) is made again here.
  virtual void Form_DpiChanged() {}
  // Adds a push button to `container` (the dialog when null).
  bool AddButton(CommandButton& button, const std::wstring& caption, const PixelRect& r,
                 HWND container = nullptr);
  // Enter presses the default button unless another button has the focus;
  // Esc presses the cancel button. One button may be both.
  void SetDefaultButton(CommandButton* button);
  void SetCancelButton(CommandButton* button);
  // Puts the dialog above every window that is not topmost itself.
  void MakeTopmost();
  // Gives elements the dialog made a child id each, as the dialog manager
  // wants of every element.
  void Adopt(std::initializer_list<Control*> controls);

  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void OnDestroyed() override;

 private:
  void EndModal();
  void FocusSomething();
  void UpdateDefaultLook();
  void Press(CommandButton* button);
  // Lays the dialog out at `dpi`, in the window rectangle `window`.
  void LayOut(int dpi, const RECT& window);

  struct Placed {
    Window* element;
    double left, top, width, height;  // twips
  };
  struct OwnFont {
    FontChoice choice;
    win::Font font;
  };
  int dpi_ = 96;
  std::vector<Placed> placed_;
  std::vector<OwnFont> fonts_;  // the first is the dialog's own
  std::vector<CommandButton*> buttons_;
  CommandButton* default_ = nullptr;
  CommandButton* cancel_ = nullptr;
  HWND disabledOwner_ = nullptr;
  HWND savedFocus_ = nullptr;
  HWND lookFocus_ = nullptr;
  bool modal_ = false;
  int nextId_ = 1000;
};

}  // namespace ocural::forms
