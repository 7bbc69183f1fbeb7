#include "magnifier/application.h"

#include "controller/frmVerinfo.h"
#include "platform/win/dialog_form.h"
#include "platform/win/forms.h"
#include "settings/frmSetting.h"
#include "skin/frmChangeSkin.h"

namespace ocural {

Application::Application() {
  ControllerActions& a = controller_.Actions;
  a.MainWindow = [this] { return main_.hWnd(); };
  a.Zoom = [this](int16_t factor) { main_.SetZoomX(factor); };
  a.ChooseSkin = [this] { ChooseSkin(); };
  a.Settings = [this] { EditSettings(); };
  a.Version = [this] { ShowVersionDialog(main_.hWnd()); };
  a.Exit = [this] { main_.Unload(); };
  a.CloseRequest = [this] {
    if (main_.IsLoaded()) main_.Unload(forms::kAppWindows);
  };
}

int Application::Run() {
  // The dialogs open on the magnifier's monitor, at its display scale.
  forms::DialogForm::SetAnchor([this] { return main_.hWnd(); });
  main_.Show();
  const int code = forms::RunMessageLoop();
  forms::DialogForm::SetAnchor(nullptr);
  return code;
}

void Application::ChooseSkin() {
  // The chooser lists the application folder with the skin loaded now
  // selected; a confirmed choice is loaded at once.
  if (auto chosen = ocural::ChooseSkin(main_.hWnd(), forms::App::Path(), main_.CurrentSkin)) {
    main_.ReloadSkin(*chosen);
    // Kept at once: a program ended from outside or a lost power supply
    // does not lose a confirmed choice.
    main_.SaveSetting();
  }
}

void Application::EditSettings() {
  if (ocural::EditSettings(settings_, main_.hWnd())) {
    main_.ApplySetting();
    main_.SaveSetting();  // kept at once, as a chosen skin is
  }
}

}  // namespace ocural
