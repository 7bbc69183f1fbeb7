// The version dialog: the program's icon, title line, version, author line
// and two address labels that the shell opens when clicked.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/dialog_form.h"

namespace ocural {

// The texts of the dialog that are the program's own.
extern const wchar_t kVerinfoTitleLine[];  // "ぴこら～" + a blank + the English subtitle
extern const wchar_t kVerinfoAuthorLine[];
extern const wchar_t kMakerMailAddress[];  // a "mailto:" address
extern const wchar_t kMakerWebAddress[];

// Hands an address to the shell ("open"), as the address labels do: no
// owner window, no parameters, the current folder. The result is ignored.
void OpenWithShell(const std::wstring& address);

class FrmVerinfo : public forms::DialogForm {
 public:
  // What a click on an address label calls with the label's caption;
  // OpenWithShell unless replaced.
  std::function<void(const std::wstring& address)> ShellOpen = OpenWithShell;

  // Creates the window and its elements (hidden) and runs Form_Load.
  void Load();

  forms::Image Image1;
  forms::Label Label1;
  forms::Label lblVer;
  forms::Label Label2;
  forms::CommandButton cmdOK;
  // One control array of two address labels: 0 mail, 1 web page.
  forms::Label lblURL[2];

 private:
  void Form_Load();
  void cmdOK_Click();
  void lblURL_MouseDown(int16_t Index, int Button, int Shift, float X, float Y);
  void lblURL_MouseUp(int16_t Index, int Button, int Shift, float X, float Y);
  void ShowIcon();
  void Form_DpiChanged() override;
};

// The version command: loads the dialog and shows it modally owned by
// `owner`; the dialog unloads itself.
void ShowVersionDialog(HWND owner);

}  // namespace ocural
