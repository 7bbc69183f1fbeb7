#include "magnifier/frmOcural.h"

#include <vector>

#include "colorpick/clipboard.h"
#include "colorpick/core/colour_text.h"
#include "controller/core/tray_record.h"
#include "controller/frmSubCtrl.h"
#include "magnifier/core/zoom.h"
#include "magnifier/lens_draw.h"
#include "magnifier/mdlCommon.h"
#include "magnifier/own_pixels.h"
#include "platform/core/vbmath.h"
#include "platform/win/controls.h"
#include "platform/win/locale.h"
#include "resources/resource.h"
#include "settings/core/ini_access.h"
#include "settings/win32_profile.h"

namespace ocural {

namespace {
constexpr COLORREF kBodyColour = RGB(192, 255, 192);
// The window's size is kept in twips (201 x 225 pixels at 96 DPI), so it
// grows with the display scale; its elements are placed in pixels and do not.
constexpr double kClientWidthTwips = 3015;
constexpr double kClientHeightTwips = 3375;
// The longest a snapshot waits for the place the window left to be repainted.
constexpr DWORD kReadyWaitMs = 250;

// The screen's size in pixels, from the screen object's twips.
SIZE ScreenPixels() {
  return SIZE{NearestInt32(forms::Screen::Width() / forms::Screen::TwipsPerPixelX()),
              NearestInt32(forms::Screen::Height() / forms::Screen::TwipsPerPixelY())};
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
  return TRUE;
}

// A stopwatch for the snapshot's parts.
class Lap {
 public:
  Lap() {
    QueryPerformanceFrequency(&freq_);
    QueryPerformanceCounter(&last_);
  }
  // Milliseconds since the last call (or since made).
  double Next() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart - last_.QuadPart) / static_cast<double>(freq_.QuadPart);
    last_ = now;
    return ms;
  }

 private:
  LARGE_INTEGER freq_{}, last_{};
};
}  // namespace

// The steps of the start-up and shut-down sequences, carried out on this window.
class FrmOcural::Host : public MainWindowHost {
 public:
  explicit Host(FrmOcural& f) : f_(f) {}
  void LoadSetting() override { f_.LoadSetting(); }
  StartupValues Startup() const override {
    StartupValues v;
    const AppSettingsRecord& s = f_.AppSettings;
    v.NoLoadSkin = s.NoLoadSkin;
    v.LastSkin = s.LastSkin;
    v.LastX = s.LastX;
    v.LastY = s.LastY;
    v.LastMagnification = s.LastMagnification;
    return v;
  }
  void LoadSkin(const std::wstring& fileName) override { f_.LoadSkin(fileName); }
  void SetLeftTwips(int32_t twips) override { f_.SetLeft(twips); }
  void SetTopTwips(int32_t twips) override { f_.SetTop(twips); }
  void LoadSubCtrl() override { f_.controller_.Load(); }
  void ApplySetting() override { f_.ApplySetting(); }
  void SizeSnapshotToScreen() override {
    const SIZE screen = ScreenPixels();
    f_.picManaita.Move(16, 16, screen.cx, screen.cy);
  }
  void InstallHook() override { mdlCommon::InstallHook(f_); }
  void SetZoomX(int16_t factor) override { f_.SetZoomX(factor); }
  void Hide() override { f_.SetVisible(false); }
  void HideTrayIcon() override { f_.controller_.SetShowTrayIcon(false); }
  void SaveSetting() override { f_.SaveSetting(); }
  void UnloadSkin() override { f_.UnloadSkin(); }
  void RemoveHook() override { mdlCommon::RemoveHook(f_); }
  void UnloadSubCtrl() override { f_.controller_.Unload(); }

 private:
  FrmOcural& f_;
};

void FrmOcural::Load() {
  if (IsLoaded()) return;
  SetBackColor(kBodyColour);
  if (!CreateForm(WS_EX_TOOLWINDOW, WS_POPUP | WS_CLIPCHILDREN, L"Pebwick Ocural",
                  forms::TwipsToPixelsX(kClientWidthTwips), forms::TwipsToPixelsY(kClientHeightTwips))) {
    return;
  }
  handCursor_ = LoadCursorW(forms::App::Instance(), MAKEINTRESOURCEW(IDC_POINTHAND));
  SetMouseIcon(handCursor_);
  picOcural.SetBackColor(RGB(255, 255, 255));
  picOcural.Create(hwnd_, 8, 8, 185, 185, true);
  picOcural.MouseUp = [this](const forms::MouseEvent& e) { picOcural_MouseUp(e); };
  picManaita.Create(hwnd_, 16, 16, 89, 89, false);
  cmdZoomIn.Create(hwnd_, L"+", 8, 200, 17, 17);
  cmdZoomOut.Create(hwnd_, L"-", 32, 200, 17, 17);
  cmdZoomIn.Click = [this] {
    cmdZoomIn_Click();
    TakeSnapshotPutOffByPress();
  };
  cmdZoomOut.Click = [this] {
    cmdZoomOut_Click();
    TakeSnapshotPutOffByPress();
  };
  Form_Load();
}

void FrmOcural::Show() {
  Load();
  SetVisible(true);
}

void FrmOcural::ShowWithFreshLens() {
  showingFreshLens_ = true;
  SetVisible(true);
  showingFreshLens_ = false;
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

bool FrmOcural::ActivationWantsSnapshot(WPARAM state) {
  if (showingFreshLens_) return false;
  if (LOWORD(state) == WA_CLICKACTIVE) {
    // The snapshot moves the window off the screen for a moment. Between the
    // press and the release that would take the release away from it (under
    // Wine the pointer's grab ends), and the right click would open no menu
    // or the colour pick copy nothing.
    snapshotAfterRelease_ = true;
    return false;
  }
  return true;
}

void FrmOcural::TakeSnapshotPutOffByPress() {
  if (!snapshotAfterRelease_ || !IsLoaded()) return;
  snapshotAfterRelease_ = false;
  WMSizeOrMove();
}

void FrmOcural::WMSizeOrMove() {
  if (IsCapturing) return;
  snapshotAfterRelease_ = false;
  // Another program may move the window while a snapshot is being taken (its
  // request is handled while this thread waits on other windows' repaints).
  // That move found IsCapturing set and was dropped, and the snapshot may show
  // the window itself; take it again, a bounded number of times.
  for (int round = 0; round < 3; ++round) {
    movedDuringCapture_ = false;
    CaptureScreen();
    Lap lap;
    RenderLens();
    times_.lens = lap.Next();
    if (!movedDuringCapture_) break;
  }
}

void FrmOcural::NoteMoveDuringCapture() {
  if (IsCapturing && !movingForCapture_) movedDuringCapture_ = true;
}

void FrmOcural::CaptureScreen() {
  if (IsCapturing) return;
  IsCapturing = true;
  Lap lap;
  times_ = SnapshotTimes{};
  times_.number = ++snapshots_;
  RECT placeRect{};
  GetWindowRect(hwnd_, &placeRect);
  times_.place = POINT{placeRect.left, placeRect.top};
  const int32_t oldTop = NearestInt32(Top());
  const SIZE screen = ScreenPixels();
  ownPixels_.Take(hwnd_, picOcural.hWnd(), DesktopDC, screen);
  times_.ownPixels = lap.Next();
  movingForCapture_ = true;
  SetTop(-Height());
  movingForCapture_ = false;
  times_.moveAway = lap.Next();
  RepaintNow();
  times_.repaintAway = lap.Next();
  RepaintOtherWindows();
  WaitForComposedFrame();
  times_.repaintWalk = lap.Next();
  CopyScreen(picManaita.hDC(), screen);
  times_.screenCopy = lap.Next();
  ReReadWhileStale();
  times_.waitReady = lap.Next();
  // A move by someone else meanwhile has put the window where it belongs now;
  // going back to the old place would undo it.
  if (!movedDuringCapture_) {
    movingForCapture_ = true;
    SetTop(oldTop);
    movingForCapture_ = false;
  }
  times_.moveBack = lap.Next();
  // Back on the screen the whole window is painted at once, whatever the
  // system kept of it: nothing of the place it left may show through.
  Refresh();
  times_.repaintBack = lap.Next();
  IsCapturing = false;
}

void FrmOcural::CopyScreen(HDC target, SIZE screen) {
  // The whole screen in one copy. Copies in 256 KB bands were many times
  // faster under Wine on an idle X server (1.6 instead of 20 ms at
  // 1024 x 768), but with them a right click just after a snapshot was lost
  // in about half of the end-to-end runs; why is not understood yet.
  BitBlt(target, 0, 0, screen.cx, screen.cy, DesktopDC, 0, 0, SRCCOPY);
  GdiFlush();
}

void FrmOcural::RepaintOtherWindows() {
  // Every top-level window but this one repaints now, from the top of the
  // z-order to the bottom, visible or not. The list comes in one call: under
  // Wine each step of a GetWindow walk asks the server again.
  topWindows_.clear();  // kept from one snapshot to the next, so no allocation per move
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&topWindows_));
  for (HWND w : topWindows_) {
    if (w != hwnd_) UpdateWindow(w);
  }
}

void FrmOcural::RepaintNow() {
  // The refresh above the screen: paints at once what the move left to paint,
  // the elements included. Painting the rest again there would show nobody
  // anything (1.2 ms under Wine).
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void FrmOcural::ReReadWhileStale() {
  // The windows the magnifier uncovered repaint in their own time (another
  // program, under Wine another process that hands its pixels to the X
  // server later), so the copy can still hold the window's own pixels where
  // it stood. Read those places again until they show the screen, for at most
  // kReadyWaitMs; that bound is only reached when the place happens to look
  // exactly like the window.
  const DWORD start = GetTickCount();
  for (;;) {
    const SourceRect stale = ownPixels_.StaleArea(picManaita.PersistentImage());
    if (stale.width <= 0 || GetTickCount() - start >= kReadyWaitMs) return;
    Sleep(1);
    ++times_.rereads;
    BitBlt(picManaita.hDC(), stale.x, stale.y, stale.width, stale.height, DesktopDC, stale.x, stale.y, SRCCOPY);
    GdiFlush();
  }
}

void FrmOcural::CalcSourceRect() {
  RECT r{};
  GetWindowRect(picOcural.hWnd(), &r);
  Source = CalcSourceRectFor(r.left, r.top, r.right, r.bottom, zoomX_);
}

void FrmOcural::RenderLens() {
  CalcSourceRect();
  picOcural.Cls();
  DrawLens(picOcural.hDC(), picOcural.ScaleWidth(), picOcural.ScaleHeight(), picManaita.hDC(),
           picManaita.ScaleWidth(), picManaita.ScaleHeight(), Source, zoomX_);
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
  Win32Profile profile;
  INIAccess ini(profile);
  LoadSettings(ini, AppSettings, LocaleDecimalSeparator());
}

void FrmOcural::ApplySetting() {
  SetAlwaysTop(AppSettings.AlwaysTop);
  controller_.SetShowTrayIcon(AppSettings.ShowTrayIcon);
}

void FrmOcural::SaveSetting() {
  Win32Profile profile;
  INIAccess ini(profile);
  SaveSettings(ini, AppSettings, CurrentSkin, Left(), Top(), zoomX_);
}

void FrmOcural::UpdateTrayTip() {
  controller_.SetTrayTip(MagnifierTipText(zoomX_, SkinName));
}

void FrmOcural::cmdZoomIn_Click() {
  // The factor is a 16-bit number: at its largest it stays there.
  const int16_t next = ZoomedIn(zoomX_);
  if (next != zoomX_) SetZoomX(next);
}

void FrmOcural::cmdZoomOut_Click() {
  if (zoomX_ == 1) return;
  SetZoomX(static_cast<int16_t>(zoomX_ - 1));
}

void FrmOcural::Form_MouseDown(const forms::MouseEvent& e) {
  switch (BodyPressAction(e.Button, e.X, e.Y, InRect, cmdZoomIn.Visible(), OutRect, cmdZoomOut.Visible())) {
    case PressAction::ZoomIn:
      return cmdZoomIn_Click();
    case PressAction::ZoomOut:
      return cmdZoomOut_Click();
    case PressAction::Nothing:
      return;
    case PressAction::Drag:
      break;
  }
  if (dragging_) return;
  dragging_ = true;
  if (forms::RunningUnderWine()) {
    // Wine deactivates a window that leaves the screen, which cancels the
    // system's move at the first snapshot: the drag is followed here.
    RECT r{};
    GetWindowRect(hwnd_, &r);
    POINT grab{};
    GetCursorPos(&grab);
    grab.x -= r.left;
    grab.y -= r.top;
    FollowDrag(grab);
  } else {
    // Let the system move the window as if its title bar had been grabbed.
    ReleaseCapture();
    SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }
  dragging_ = false;
  TakeSnapshotPutOffByPress();
}

void FrmOcural::FollowDrag(POINT grab) {
  // Keeps the point that was grabbed under the pointer until the button is
  // let go; every new place reaches the hook as WM_MOVE. Positions come from
  // the mouse messages themselves, so the place at the release is exact.
  SetCapture(hwnd_);
  auto moveTo = [&](POINT pt) {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int x = pt.x - grab.x;
    const int y = pt.y - grab.y;
    if (r.left != x || r.top != y) {
      SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  };
  bool done = false;
  while (!done && IsWindowVisible(hwnd_)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
    MSG msg;
    bool moved = false;
    POINT last{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        done = true;
        break;
      }
      if (msg.message == WM_MOUSEMOVE) {
        moved = true;
        last = msg.pt;
        continue;
      }
      if (msg.message == WM_LBUTTONUP) {
        moved = true;
        last = msg.pt;
        done = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (moved) {
      moveTo(last);
    } else if (!done && GetAsyncKeyState(VK_LBUTTON) < 0) {
      // The snapshot's move off the screen can take the mouse capture away
      // for a moment; follow the pointer itself meanwhile.
      POINT pt{};
      GetCursorPos(&pt);
      moveTo(pt);
    }
    // The button may have been let go where this window could not hear it.
    if (!done && GetAsyncKeyState(VK_LBUTTON) >= 0) {
      POINT pt{};
      GetCursorPos(&pt);
      moveTo(pt);
      done = true;
    }
    if (!done && GetCapture() != hwnd_) SetCapture(hwnd_);
  }
  if (GetCapture() == hwnd_) ReleaseCapture();
}

void FrmOcural::Form_MouseMove(const forms::MouseEvent& e) {
  const bool hot = ZoomAreaHot(e.X, e.Y, InRect, cmdZoomIn.Visible()) ||
                   ZoomAreaHot(e.X, e.Y, OutRect, cmdZoomOut.Visible());
  SetMousePointer(hot ? forms::kCustomPointer : forms::kDefaultPointer);
  // A press that activated the window and was let go somewhere else.
  if (e.Button == 0) TakeSnapshotPutOffByPress();
}

void FrmOcural::Form_MouseUp(const forms::MouseEvent& e) {
  if (e.Button == forms::kRightButton) ShowPopupMenu();
  TakeSnapshotPutOffByPress();
}

void FrmOcural::picOcural_MouseUp(const forms::MouseEvent& e) {
  if (e.Button == forms::kLeftButton) {
    if (AppSettings.ColorPicker) PickColour(e.X, e.Y);
  } else if (e.Button == forms::kRightButton) {
    ShowPopupMenu();
  }
  TakeSnapshotPutOffByPress();
}

void FrmOcural::PickColour(float x, float y) {
  // The colour the lens shows there: a pixel of the last snapshot. A release
  // off the lens reads no colour, and nothing is copied then.
  const COLORREF colour = picOcural.Point(static_cast<int>(x), static_cast<int>(y));
  if (colour == CLR_INVALID) return;
  const std::string text = ColourPickText(static_cast<int32_t>(colour), AppSettings.ColorPickMode);
  if (!text.empty()) PutTextOnClipboard(hwnd_, text);
}

void FrmOcural::ShowPopupMenu() { controller_.PopupMenu(hwnd_); }

}  // namespace ocural
