// The magnifier window: start-up, shut-down, screen snapshot, lens, zoom.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "magnifier/core/lens_math.h"
#include "magnifier/core/lifecycle.h"
#include "magnifier/core/zoom.h"
#include "magnifier/own_pixels.h"
#include "platform/win/forms.h"
#include "settings/core/app_settings.h"

namespace ocural {

class FrmSubCtrl;

// Where the time of the last snapshot went, in milliseconds; the benchmark
// prints it.
struct SnapshotTimes {
  uint32_t number = 0;     // snapshots taken so far, this one included
  POINT place{};           // where the window stood, screen pixels
  double ownPixels = 0;    // reading what the window shows where it stands
  double moveAway = 0;     // the move above the screen
  double repaintAway = 0;  // the refresh there
  double repaintWalk = 0;  // every other window repaints
  double screenCopy = 0;   // the whole-screen copy
  double waitReady = 0;    // re-reading places that still showed the window
  int rereads = 0;
  double moveBack = 0;     // the move back
  double repaintBack = 0;  // the refresh there
  double lens = 0;         // drawing the lens
};

class FrmOcural : public forms::Form {
 public:
  // The window works on the program's settings record and tells the
  // controller window about the tray icon and the popup menu.
  FrmOcural(AppSettingsRecord& settings, FrmSubCtrl& controller) : AppSettings(settings), controller_(controller) {}

  // Creates the window and its elements and runs Form_Load; does not show it.
  void Load();
  // Loads if needed, then shows and activates the window.
  void Show();

  void WMSizeOrMove();
  void ReloadSkin(const std::wstring& FileName);
  // Called by the hook for a move or size change that arrives while a
  // snapshot is being taken and is not the snapshot's own.
  void NoteMoveDuringCapture();
  // Called by the hook for an activation change (WM_ACTIVATE's wParam):
  // whether to take the snapshot now. Not when the lens was drawn from a
  // snapshot taken just before; not yet when a mouse press activated the
  // window: that snapshot is taken once the button is let go.
  bool ActivationWantsSnapshot(WPARAM state);
  bool AlwaysTop() const { return alwaysTop_; }
  void SetAlwaysTop(bool NewValue);
  void LoadSetting();
  void ApplySetting();
  void SaveSetting();
  int16_t ZoomX() const { return zoomX_; }
  void SetZoomX(int16_t NewValue);

  // Elements.
  forms::PictureBox picOcural;   // the lens
  forms::PictureBox picManaita;  // the hidden screen snapshot
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

  // Set by the window hook while it is installed: the screen's device
  // context, the source of every snapshot, and the window's own procedure.
  HWND DesktopWindow = nullptr;
  HDC DesktopDC = nullptr;
  WNDPROC PrevWndProc = nullptr;

  // Lens state.
  bool IsCapturing = false;
  const SnapshotTimes& LastSnapshotTimes() const { return times_; }
  // The part of the snapshot the lens shows, from CalcSourceRect.
  SourceRect Source;

 protected:
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
  void CaptureScreen();
  // Part of CaptureScreen: reads again the places of the copy that still show
  // the window, until they show the screen.
  void ReReadWhileStale();
  void RepaintNow();
  void RepaintOtherWindows();
  void CopyScreen(HDC target, SIZE screen);
  void CalcSourceRect();
  void RenderLens();
  void UpdateTrayTip();
  void cmdZoomIn_Click();
  void cmdZoomOut_Click();
  void ShowPopupMenu();
  void FollowDrag(POINT grab);
  void picOcural_MouseUp(const forms::MouseEvent& e);
  void PickColour(float x, float y);
  // The snapshot a click activation put off, once the button is up.
  void TakeSnapshotPutOffByPress();
  // Shows the window whose lens was just drawn from a snapshot taken while it
  // was hidden; the activation that showing brings takes no other.
  void ShowWithFreshLens();

  FrmSubCtrl& controller_;
  SnapshotTimes times_;
  uint32_t snapshots_ = 0;
  OwnPixels ownPixels_;
  std::vector<HWND> topWindows_;
  bool movingForCapture_ = false;
  bool dragging_ = false;
  bool movedDuringCapture_ = false;
  bool showingFreshLens_ = false;
  bool snapshotAfterRelease_ = false;
  int16_t zoomX_ = 0;
  bool alwaysTop_ = false;
  HCURSOR handCursor_ = nullptr;
};

}  // namespace ocural
