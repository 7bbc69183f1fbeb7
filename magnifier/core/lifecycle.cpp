#include "magnifier/core/lifecycle.h"

namespace ocural {

void RunFormLoad(MainWindowHost& host) {
  host.LoadSetting();
  const StartupValues v = host.Startup();
  if (!v.NoLoadSkin) host.LoadSkin(v.LastSkin);
  if (v.LastX > -1) host.SetLeftTwips(v.LastX);
  if (v.LastY > -1) host.SetTopTwips(v.LastY);
  if (v.LastX > -1 || v.LastY > -1) host.KeepReachable();
  host.LoadSubCtrl();
  host.ApplySetting();
  host.InstallHook();
  host.SetZoomX(v.LastMagnification);
}

void RunEndSessionDuringShutDown(MainWindowHost& host, ShutDown& progress) {
  if (progress != ShutDown::Running) return;
  progress = ShutDown::Saved;
  host.SaveSetting();
}

void RunQueryUnload(MainWindowHost& host, ShutDown& progress) {
  progress = ShutDown::Running;
  host.Hide();
  host.HideTrayIcon();
  RunEndSessionDuringShutDown(host, progress);
  host.UnloadSkin();
  host.RemoveHook();
  host.UnloadSubCtrl();
}

}  // namespace ocural
