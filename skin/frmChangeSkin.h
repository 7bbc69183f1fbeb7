// The skin chooser: a list of the skin files in the application folder with
// the selected skin's name, author, description and a preview of its body.
// The dialog changes nothing itself; it reports whether the user confirmed
// and which file is selected.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win/dialog_form.h"
#include "platform/win/forms.h"

namespace ocural {

class FrmChangeSkin : public forms::DialogForm {
 public:
  // True from the load on; False only after the user confirmed.
  forms::VbBool Canceled = forms::kVbTrue;

  // Creates the window and its elements (hidden) and runs Form_Load, which
  // lists the skin files of `folder` and selects `current` (the file name of
  // the skin loaded now) when it is among them.
  void Load(const std::wstring& folder, const std::wstring& current = L"");

  forms::FileListBox filSkins;
  forms::Label lblDSkinName;
  forms::Label lblSkinName;
  forms::Label Label1;
  forms::Label lblAuthor;
  forms::Label Label3;
  forms::Label lblSkinDescription;
  forms::CommandButton cmdOK;
  forms::CommandButton cmdCancel;
  forms::PictureBox picPrev;
  forms::CommandButton cmdUnload;

 private:
  void Form_Load(const std::wstring& folder, const std::wstring& current);
  void filSkins_Click();
  void filSkins_DblClick();
  void cmdOK_Click();
  void cmdCancel_Click();
  void ShowSkinPreview();
  void Form_DpiChanged() override;
};

// The skin command's dialog: loads the chooser on `folder` with `current`
// selected, shows it modally owned by `owner`, and unloads it. The selected
// file name ("" when none) when the user confirmed, nothing when cancelled.
std::optional<std::wstring> ChooseSkin(HWND owner, const std::wstring& folder, const std::wstring& current = L"");

}  // namespace ocural
