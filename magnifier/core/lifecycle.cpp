#include "magnifier/core/lifecycle.h"

namespace ocural {

void RunFormLoad(MainWindowHost& host) {
  host.LoadSetting();
  const StartupValues v = host.Startup();
  if (!v.NoLoadSkin) host.LoadSkin(v.LastSkin);
  // -1 is "not set"; any other place, left of or above the primary monitor
  // too, is restored where it can be reached.
  if (v.LastX != kPlaceNotSet) host.SetLeftTwips(v.LastX);
  if (v.LastY != kPlaceNotSet) host.SetTopTwips(v.LastY);
  if (v.LastX != kPlaceNotSet || v.LastY != kPlaceNotSet) host.KeepReachable();
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
