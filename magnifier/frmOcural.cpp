#include "magnifier/frmOcural.h"

#include "magnifier/lens_draw.h"
#include "magnifier/mdlCommon.h"
#include "platform/core/vbmath.h"
#include "resources/resource.h"

namespace ocural {

namespace {
constexpr COLORREF kBodyColour = RGB(192, 255, 192);
constexpr int kClientWidth = 201;
constexpr int kClientHeight = 225;
constexpr DWORD kCaptureSettleMs = 40;
}  // namespace

FrmOcural& frmOcural() {
  static FrmOcural form;
  return form;
}

// The steps of the start-up and shut-down sequences, carried out on this window.
class FrmOcural::Host : public MainWindowHost {
 public:
  explicit Host(FrmOcural& f) : f_(f) {}
  void LoadSetting() override { f_.LoadSetting(); }
  StartupValues Startup() const override { return f_.startup_; }
  void LoadSkin(const std::wstring&) override {
    // No skins yet: the window keeps its designed look.
  }
  void SetLeftTwips(int32_t twips) override { f_.SetLeft(twips); }
  void SetTopTwips(int32_t twips) override { f_.SetTop(twips); }
  void LoadSubCtrl() override {}
  void ApplySetting() override { f_.ApplySetting(); }
  void SizeSnapshotToScreen() override {
    const int w = NearestInt32(forms::Screen::Width() / forms::Screen::TwipsPerPixelX());
    const int h = NearestInt32(forms::Screen::Height() / forms::Screen::TwipsPerPixelY());
    f_.picManaita.Move(16, 16, w, h);
  }
  void InstallHook() override { mdlCommon::InstallHook(); }
  void SetZoomX(int16_t factor) override { f_.SetZoomX(factor); }
  void Hide() override { f_.SetVisible(false); }
  void HideTrayIcon() override {}
  void SaveSetting() override { f_.SaveSetting(); }
  void UnloadSkin() override {}
  void RemoveHook() override { mdlCommon::RemoveHook(); }
  void UnloadSubCtrl() override {}

 private:
  FrmOcural& f_;
};

void FrmOcural::Load() {
  if (IsLoaded()) return;
  SetBackColor(kBodyColour);
  if (!CreateForm(WS_EX_TOOLWINDOW, WS_POPUP | WS_CLIPCHILDREN, L"Pebwick Ocural", kClientWidth, kClientHeight)) {
    return;
  }
  handCursor_ = LoadCursorW(forms::App::Instance(), MAKEINTRESOURCEW(IDC_POINTHAND));
  SetMouseIcon(handCursor_);
  picOcural.SetBackColor(RGB(255, 255, 255));
  picOcural.Create(hwnd_, 8, 8, 185, 185, true);
  picManaita.Create(hwnd_, 16, 16, 89, 89, false);
  cmdZoomIn.Create(hwnd_, L"+", 8, 200, 17, 17);
  cmdZoomOut.Create(hwnd_, L"-", 32, 200, 17, 17);
  Form_Load();
}

void FrmOcural::Show() {
  Load();
  SetVisible(true);
}

void FrmOcural::Form_Load() {
  Host host(*this);
  RunFormLoad(host);
}

void FrmOcural::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;  // never refused
  (void)unloadMode;
  Host host(*this);
  RunQueryUnload(host);
}

void FrmOcural::WMSizeOrMove() {
  if (IsCapturing) return;
  // Another program may move the window while a snapshot is being taken (its
  // request is handled while this thread waits on other windows' repaints).
  // That move found IsCapturing set and was dropped, and the snapshot may show
  // the window itself; take it again, a bounded number of times.
  for (int round = 0; round < 3; ++round) {
    movedDuringCapture_ = false;
    CaptureScreen();
    RenderLens();
    if (!movedDuringCapture_) break;
  }
}

void FrmOcural::NoteMoveDuringCapture() {
  if (IsCapturing && !movingForCapture_) movedDuringCapture_ = true;
}

void FrmOcural::CaptureScreen() {
  if (IsCapturing) return;
  IsCapturing = true;
  const int32_t oldTop = NearestInt32(Top());
  movingForCapture_ = true;
  SetTop(-Height());
  movingForCapture_ = false;
  Refresh();
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w != hwnd_) UpdateWindow(w);
  }
  // UpdateWindow repaints other programs' windows in their own time: under
  // Wine the uncovered area reaches the screen a little later, and a composing
  // desktop shows the change at its next frame. Without this pause the
  // snapshot can still hold the magnifier's own image where it stood.
  Sleep(kCaptureSettleMs);
  const int screenW = NearestInt32(forms::Screen::Width() / forms::Screen::TwipsPerPixelX());
  const int screenH = NearestInt32(forms::Screen::Height() / forms::Screen::TwipsPerPixelY());
  BitBlt(picManaita.hDC(), 0, 0, screenW, screenH, mdlCommon::DesktopDC, 0, 0, SRCCOPY);
  GdiFlush();
  // A move by someone else meanwhile has put the window where it belongs now;
  // going back to the old place would undo it.
  if (!movedDuringCapture_) {
    movingForCapture_ = true;
    SetTop(oldTop);
    movingForCapture_ = false;
  }
  Refresh();
  IsCapturing = false;
}

void FrmOcural::CalcSourceRect() {
  RECT r{};
  GetWindowRect(picOcural.hWnd(), &r);
  const SourceRect s = CalcSourceRectFor(r.left, r.top, r.right, r.bottom, zoomX_);
  SourceX = s.x;
  SourceY = s.y;
  SourceWidth = s.width;
  SourceHeight = s.height;
}

void FrmOcural::RenderLens() {
  CalcSourceRect();
  picOcural.Cls();
  const SourceRect src{SourceX, SourceY, SourceWidth, SourceHeight};
  DrawLens(picOcural.hDC(), picOcural.ScaleWidth(), picOcural.ScaleHeight(), picManaita.hDC(),
           picManaita.ScaleWidth(), picManaita.ScaleHeight(), src, zoomX_);
  picOcural.Refresh();
}

void FrmOcural::SetZoomX(int16_t NewValue) {
  zoomX_ = NewValue;
  UpdateTrayTip();
  RenderLens();
}

void FrmOcural::SetAlwaysTop(bool NewValue) {
  // SWP_NOACTIVATE: placing the still hidden window in the topmost band at
  // start-up must not activate it, or showing it sends no activation and the
  // first snapshot is never taken.
  SetWindowPos(hwnd_, NewValue ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  alwaysTop_ = NewValue;
}

void FrmOcural::LoadSetting() {
  // First-start values until the settings file is read.
  startup_ = StartupValues{};
  settingAlwaysTop_ = true;
}

void FrmOcural::ApplySetting() { SetAlwaysTop(settingAlwaysTop_); }

void FrmOcural::SaveSetting() {}

void FrmOcural::UpdateTrayTip() {}

}  // namespace ocural
