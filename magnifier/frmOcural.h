// The magnifier window: start-up, shut-down, screen snapshot, lens, zoom.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "magnifier/core/lens_math.h"
#include "magnifier/core/lifecycle.h"
#include "magnifier/core/zoom.h"
#include "platform/win/forms.h"

namespace ocural {

class FrmOcural : public forms::Form {
 public:
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
  int32_t InRectX1 = 0, InRectX2 = 0, InRectY1 = 0, InRectY2 = 0;
  int32_t OutRectX1 = 0, OutRectX2 = 0, OutRectY1 = 0, OutRectY2 = 0;
  HRGN WindowRegion = nullptr;
  HRGN LensRegion = nullptr;
  std::wstring SkinName;

  // Lens state.
  bool IsCapturing = false;
  int32_t SourceX = 0;
  int32_t SourceY = 0;
  int32_t SourceWidth = 0;
  int32_t SourceHeight = 0;

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
  void CalcSourceRect();
  void RenderLens();
  void UpdateTrayTip();
  void cmdZoomIn_Click();
  void cmdZoomOut_Click();
  ZoomRect InRect() const;
  ZoomRect OutRect() const;
  void ShowPopupMenu();
  void FollowDrag(POINT grab);
  void picOcural_MouseUp(const forms::MouseEvent& e);
  void PickColour(float x, float y);
  // The snapshot a click activation put off, once the button is up.
  void TakeSnapshotPutOffByPress();
  // Shows the window whose lens was just drawn from a snapshot taken while it
  // was hidden; the activation that showing brings takes no other.
  void ShowWithFreshLens();

  bool movingForCapture_ = false;
  bool dragging_ = false;
  bool movedDuringCapture_ = false;
  bool showingFreshLens_ = false;
  bool snapshotAfterRelease_ = false;
  int16_t zoomX_ = 0;
  bool alwaysTop_ = false;
  HCURSOR handCursor_ = nullptr;
};

// The one main window, created on first use.
FrmOcural& frmOcural();

}  // namespace ocural
