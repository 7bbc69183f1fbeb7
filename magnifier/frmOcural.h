// The magnifier window: start-up, shut-down, screen snapshot, lens, zoom.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "magnifier/core/lens_math.h"
#include "magnifier/core/keys.h"
#include "magnifier/core/lifecycle.h"
#include "magnifier/core/snapshot_schedule.h"
#include "magnifier/core/zoom.h"
#include "magnifier/snapshot.h"
#include "platform/core/placement.h"
#include "platform/win/forms.h"
#include "settings/core/app_settings.h"

namespace ocural {

class FrmSubCtrl;

class FrmOcural : public forms::Form {
 public:
  // The window works on the program's settings record and tells the
  // controller window about the tray icon and the popup menu.
  FrmOcural(AppSettingsRecord& settings, FrmSubCtrl& controller);

  // Creates the window and its elements and runs Form_Load; does not show it.
  void Load();
  // Loads if needed, then shows and activates the window with its first
  // lens drawn.
  void Show();

  // Takes a snapshot and draws the lens from it, unless one is under way.
  void WMSizeOrMove();
  void ReloadSkin(const std::wstring& FileName);
  // What the window hook hands on, each before the window's own procedure
  // sees the message: a move or size change, an activation change (WM_ACTIVATE's
  // state), the popup menu opening or closing, and the message an activation
  // change posted coming back. Each tells the snapshot schedule.
  void HookMoveOrSize();
  void HookActivate(WORD state);
  void HookMenuLoop(bool open);
  void HookSettled();
  // Posted to the window by an activation change; its snapshot is taken when
  // it comes back.
  static constexpr UINT kSnapshotSettled = WM_APP + 0x31;
  bool AlwaysTop() const { return alwaysTop_; }
  void SetAlwaysTop(bool NewValue);
  void LoadSetting();
  void ApplySetting();
  void SaveSetting();
  int16_t ZoomX() const { return zoomX_; }
  void SetZoomX(int16_t NewValue);

  // Elements.
  forms::PictureBox picOcural;  // the lens
  forms::CommandButton cmdZoomIn;
  forms::CommandButton cmdZoomOut;

  // What the loaded skin leaves on the window; zoom rectangles in window
  // pixels, edges included.
  SkinRect InRect;
  SkinRect OutRect;
  HRGN WindowRegion = nullptr;
  HRGN LensRegion = nullptr;
  // File name of the skin loaded now, as it was passed to LoadSkin (relative
  // to the application folder), and the name the skin gives itself; both
  // empty when none is.
  std::wstring CurrentSkin;
  std::wstring SkinName;

  // The settings of this run, read at start and written at the end.
  AppSettingsRecord& AppSettings;

  // The window's own procedure, set by the window hook while it is installed.
  WNDPROC PrevWndProc = nullptr;
  // The snapshot the lens is drawn from; its screen DC is held while the hook
  // is installed.
  Snapshot ScreenSnapshot;

  // Lens state.
  bool IsCapturing() const { return schedule_.Capturing(); }
  const SnapshotTimes& LastSnapshotTimes() const { return ScreenSnapshot.Times(); }
  // The part of the snapshot the lens shows, from CalcSourceRect.
  SourceRect Source;

 protected:
  // The wheel and the keys (beyond the mouse's presses, which the toolkit's
  // form events carry).
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool PreviewKey(UINT msg, WPARAM wp) const override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_MouseDown(const forms::MouseEvent& e) override;
  void Form_MouseMove(const forms::MouseEvent& e) override;
  void Form_MouseUp(const forms::MouseEvent& e) override;

 private:
  class Host;
  friend class Host;

  void Form_Load();
  void LoadSkin(const std::wstring& FileName);
  void UnloadSkin();
  void KeepReachable();
  // The monitors' layout is watched while the window lives: a change that
  // leaves the window out of reach (a monitor that went away, a work area
  // that shrank) brings it back onto one (KeepReachable).
  static constexpr UINT_PTR kDisplayWatch = 1;
  static constexpr UINT kDisplayWatchMs = 1000;
  void WatchDisplays();
  // Tells the schedule of an event and does what it says.
  void Schedule(SnapshotEvent event);
  // WMSizeOrMove; `keepFocus`: the keyboard focus stays where it is in this
  // program (not while the activation is changing hands).
  void TakeSnapshot(bool keepFocus);
  void CaptureScreen(bool keepFocus);
  void CalcSourceRect();
  void RenderLens();
  void UpdateTrayTip();
  void cmdZoomIn_Click();
  void cmdZoomOut_Click();
  void ShowPopupMenu();
  void FollowDrag(POINT grab);
  void picOcural_MouseUp(const forms::MouseEvent& e);
  void PickColour(float x, float y);
  void RunKey(const KeyAction& action, WPARAM key);
  void MoveByKey(int32_t dx, int32_t dy, WPARAM key);
  // The snapshot a click activation put off, once the button is up.
  void TakeSnapshotPutOffByPress();
  // Shows the window whose lens was just drawn from a snapshot taken while it
  // was hidden; the activation that showing brings takes no other.
  void ShowWithFreshLens();

  FrmSubCtrl& controller_;
  SnapshotSchedule schedule_;
  ShutDown shutDown_;
  bool dragging_ = false;
  int32_t wheelRest_ = 0;  // wheel turned since the last whole notch
  std::vector<WorkArea> workAreas_;  // as last seen by WatchDisplays
  int16_t zoomX_ = 0;
  bool alwaysTop_ = false;
  HCURSOR handCursor_ = nullptr;
};

}  // namespace ocural
