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
  // lists the application folder.
  void Load();
  // The same, listing `folder` instead.
  void Load(const std::wstring& folder);

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
  void Form_Load(const std::wstring& folder);
  void filSkins_Click();
  void filSkins_DblClick();
  void cmdOK_Click();
  void cmdCancel_Click();
  void ShowSkinPreview();
};

// The skin command's dialog: loads the chooser on `folder`, shows it modally
// owned by `owner`, and unloads it. The selected file name ("" when none)
// when the user confirmed, nothing when cancelled.
std::optional<std::wstring> ChooseSkin(HWND owner, const std::wstring& folder);

// The whole skin command: ChooseSkin on the application folder owned by the
// magnifier window, then ReloadSkin with the chosen file when confirmed.
void RunSkinChooser();

}  // namespace ocural
