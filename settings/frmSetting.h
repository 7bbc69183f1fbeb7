// The settings dialog: the five settings that may change while the program
// runs. The dialog only records whether it was confirmed; the caller fills
// it, reads it back and applies the result.
#pragma once

#include <windows.h>

#include "platform/win/dialog_form.h"
#include "settings/core/app_settings.h"

namespace ocural {

class FrmSetting : public forms::DialogForm {
 public:
  // True from the load on; False only after OK.
  forms::VbBool Canceled = forms::kVbTrue;

  // Creates the window and its elements (hidden) and runs Form_Load.
  void Load();

  forms::CheckBox chkVisibleInTray;
  forms::CheckBox chkAlwaysTop;
  forms::CheckBox chkNoLoadSkin;
  forms::CheckBox chkEnabledColorPick;
  forms::Frame fraColorPick;
  // One control array: the index is the ColorPickMode value.
  forms::OptionButton optCP[4];
  forms::CommandButton cmdOK;
  forms::CommandButton cmdCancel;

 private:
  void Form_Load();
  void cmdOK_Click();
  void cmdCancel_Click();
};

// The settings command's sequence up to applying: loads the dialog, fills it
// from `settings`, shows it modally owned by `owner`, takes the values back
// into `settings` when the user confirmed with OK, and unloads it. True when
// confirmed.
bool EditSettings(AppSettingsRecord& settings, HWND owner);

}  // namespace ocural
