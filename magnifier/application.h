// The program: the one owner of the main window, the controller window, the
// settings record and (through the main window) the loaded skin. It wires the
// controller's menu and tray icon to the main window.
#pragma once

#include "controller/frmSubCtrl.h"
#include "magnifier/frmOcural.h"
#include "settings/core/app_settings.h"

namespace ocural {

class Application {
 public:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Shows the start-up window and runs the message loop until the last
  // window has gone; returns the exit code.
  int Run();

  FrmOcural& Main() { return main_; }
  FrmSubCtrl& Controller() { return controller_; }

 private:
  void ChooseSkin();
  void EditSettings();

  AppSettingsRecord settings_;
  FrmSubCtrl controller_;
  FrmOcural main_{settings_, controller_};
};

}  // namespace ocural
