#include "magnifier/core/lifecycle.h"

namespace ocural {

void RunFormLoad(MainWindowHost& host) {
  host.LoadSetting();
  const StartupValues v = host.Startup();
  // -1 is "not set"; any other place, left of or above the primary monitor
  // too, is restored where it can be reached. The place comes first, so that
  // a skin's error message opens on the monitor the window opens on; whether
  // it can be reached is asked of the skin's outline, after.
  if (v.LastX != kPlaceNotSet) host.SetLeftTwips(v.LastX);
  if (v.LastY != kPlaceNotSet) host.SetTopTwips(v.LastY);
  if (!v.NoLoadSkin) host.LoadSkin(v.LastSkin);
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
