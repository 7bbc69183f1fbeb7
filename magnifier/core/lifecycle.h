// The start-up and shut-down sequences of the main window. The order of the
// steps matters (settings are saved before the skin is dropped, the hook is
// installed before the first lens, ...), so it lives here, apart from Win32,
// where a recording host can check it.
#pragma once

#include <cstdint>
#include <string>

namespace ocural {

// A saved place's value for "keep the system's position".
constexpr int32_t kPlaceNotSet = -1;

// What start-up needs from the settings once they are loaded.
struct StartupValues {
  bool NoLoadSkin = false;
  std::wstring LastSkin;
  int32_t LastX = kPlaceNotSet;  // twips
  int32_t LastY = kPlaceNotSet;
  int16_t LastMagnification = 2;
};

class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // Start-up steps.
  virtual void LoadSetting() = 0;
  virtual StartupValues Startup() const = 0;
  virtual void LoadSkin(const std::wstring& fileName) = 0;
  virtual void SetLeftTwips(int32_t twips) = 0;
  virtual void SetTopTwips(int32_t twips) = 0;
  // Moves the window, where a saved place put it, back within reach of the
  // user: onto a monitor's work area when almost nothing of it shows there.
  virtual void KeepReachable() = 0;
  virtual void LoadSubCtrl() = 0;
  virtual void ApplySetting() = 0;
  virtual void InstallHook() = 0;
  virtual void SetZoomX(int16_t factor) = 0;
  // Shut-down steps.
  virtual void Hide() = 0;
  virtual void HideTrayIcon() = 0;
  virtual void SaveSetting() = 0;
  virtual void UnloadSkin() = 0;
  virtual void RemoveHook() = 0;
  virtual void UnloadSubCtrl() = 0;
};

// Form_Load: settings, saved place, last skin, the place kept within reach of
// the skin's outline, controller, applied settings, hook, factor (which draws
// the lens once). The snapshot is sized to what it copies at each move, so
// there is no screen-sized buffer to set up.
void RunFormLoad(MainWindowHost& host);

// How far the shut-down has come.
enum class ShutDown : uint8_t { NotStarted, Running, Saved };

// Form_QueryUnload: never refuses; hides, removes the tray icon, saves, drops
// the skin, removes the hook, unloads the controller. `progress` follows it.
void RunQueryUnload(MainWindowHost& host, ShutDown& progress);

// The system ends the session while the shut-down runs (its message handled
// inside one of the steps). The system may end the program as soon as that
// message is answered, so the settings are saved before, unless they are.
void RunEndSessionDuringShutDown(MainWindowHost& host, ShutDown& progress);

}  // namespace ocural
