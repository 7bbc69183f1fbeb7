#include "magnifier/frmOcural.h"

#include <vector>

#include "colorpick/clipboard.h"
#include "colorpick/core/colour_text.h"
#include "controller/core/tray_record.h"
#include "controller/frmSubCtrl.h"
#include "magnifier/core/zoom.h"
#include "magnifier/lens_draw.h"
#include "magnifier/mdlCommon.h"
#include "platform/core/vbmath.h"
#include "platform/win/controls.h"
#include "platform/win/locale.h"
#include "platform/win/monitors.h"
#include "resources/resource.h"
#include "settings/core/ini_access.h"
#include "settings/win32_profile.h"

namespace ocural {

namespace {
constexpr COLORREF kBodyColour = RGB(192, 255, 192);
// The designed look without a skin: 201 x 225 pixels at every display scale,
// like a skin, whose window is its picture's size in pixels; the lens and the
// buttons inside are placed in pixels too.
constexpr int kClientWidth = 201;
constexpr int kClientHeight = 225;

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
  void KeepReachable() override { f_.KeepReachable(); }
  void LoadSubCtrl() override { f_.controller_.Load(); }
  void ApplySetting() override { f_.ApplySetting(); }
  void InstallHook() override { mdlCommon::InstallHook(f_); }
  void SetZoomX(int16_t factor) override { f_.SetZoomX(factor); }
  void Hide() override { f_.SetVisible(false); }
  void HideTrayIcon() override { f_.controller_.SetShowTrayIcon(false); }
  void SaveSetting() override { f_.SaveSetting(); }
  void UnloadSkin() override { f_.UnloadSkin(); }
  void RemoveHook() override {
    mdlCommon::RemoveHook(f_);
    f_.ScreenSnapshot.UnwatchClosingWindows();
  }
  void UnloadSubCtrl() override { f_.controller_.Unload(); }

 private:
  FrmOcural& f_;
};

FrmOcural::FrmOcural(AppSettingsRecord& settings, FrmSubCtrl& controller)
    : AppSettings(settings),
      controller_(controller),
      // Under Wine a window that leaves the screen loses the pointer's grab:
      // a snapshot taken at the press that activated the window would take
      // the release away from it (no menu for a right click, no colour for a
      // pick). Windows keeps the press with the window.
      schedule_(forms::RunningUnderWine()) {}

void FrmOcural::Load() {
  if (IsLoaded()) return;
  SetBackColor(kBodyColour);
  if (!CreateForm(WS_EX_TOOLWINDOW, WS_POPUP | WS_CLIPCHILDREN, L"Pebwick Ocural",
                  kClientWidth, kClientHeight)) {
    return;
  }
  handCursor_ = LoadCursorW(forms::App::Instance(), MAKEINTRESOURCEW(IDC_POINTHAND));
  SetMouseIcon(handCursor_);
  picOcural.SetBackColor(RGB(255, 255, 255));
  picOcural.Create(hwnd_, 8, 8, 185, 185, true);
  picOcural.MouseUp = [this](const forms::MouseEvent& e) { picOcural_MouseUp(e); };
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
  // From the start: a message box of the start-up must not stay in the
  // first lens.
  ScreenSnapshot.WatchClosingWindows(hwnd_, picOcural.hWnd());
  Form_Load();
  workAreas_ = win::WorkAreas();
  SetTimer(hwnd_, kDisplayWatch, kDisplayWatchMs, nullptr);
}

void FrmOcural::WatchDisplays() {
  // Windows tells top-level windows of a new display layout (WM_DISPLAYCHANGE)
  // but Wine does not tell other processes, and a work area changes with no
  // message at all: the layout is compared instead, once a second.
  std::vector<WorkArea> now = win::WorkAreas();
  if (now == workAreas_) return;
  workAreas_.swap(now);
  KeepReachable();
}

void FrmOcural::Show() {
  Load();
  if (Visible()) return;
  // The first snapshot is taken while the window is still hidden: it needs
  // no move off the screen then, and a press made as soon as the window
  // appears finds it in its place.
  WMSizeOrMove();
  ShowWithFreshLens();
}

void FrmOcural::ShowWithFreshLens() {
  schedule_.FreshLens(true);
  SetVisible(true);
  schedule_.FreshLens(false);
}

void FrmOcural::Form_Load() {
  Host host(*this);
  RunFormLoad(host);
}

void FrmOcural::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;  // never refused
  (void)unloadMode;
  Host host(*this);
  RunQueryUnload(host, shutDown_);
}

void FrmOcural::HookMoveOrSize() { Schedule(SnapshotEvent::Move); }

void FrmOcural::HookActivate(WORD state) {
  Schedule(state == WA_INACTIVE      ? SnapshotEvent::Deactivate
           : state == WA_CLICKACTIVE ? SnapshotEvent::ClickActivate
                                     : SnapshotEvent::Activate);
}

void FrmOcural::HookMenuLoop(bool open) { Schedule(open ? SnapshotEvent::MenuOpened : SnapshotEvent::MenuClosed); }

void FrmOcural::HookSettled() { Schedule(SnapshotEvent::Settled); }

void FrmOcural::TakeSnapshotPutOffByPress() {
  if (IsLoaded()) Schedule(SnapshotEvent::PressOver);
}

void FrmOcural::Schedule(SnapshotEvent event) {
  WindowNow now;
  now.visible = Visible();
  if (event == SnapshotEvent::Settled) {
    // Another program's window. The program's own dialogs and message boxes
    // are modal over this window and close before it is used again (their
    // closing brings an activation, and a snapshot); one taken while they
    // take the activation would show only them, and under Wine the step
    // aside hands the activation to another program, which then gets the
    // keys meant for the dialog.
    const HWND active = GetForegroundWindow();
    DWORD process = 0;
    if (active) GetWindowThreadProcessId(active, &process);
    now.otherActive = active != nullptr && active != GetDesktopWindow() && process != GetCurrentProcessId();
  }
  switch (schedule_.On(event, now)) {
    case SnapshotAction::Take:
      // A click activation's snapshot comes while the system is moving the
      // activation and the focus itself: the focus is left to it.
      TakeSnapshot(event != SnapshotEvent::ClickActivate);
      break;
    case SnapshotAction::Post:
      PostMessageW(hwnd_, kSnapshotSettled, 0, 0);
      break;
    case SnapshotAction::None:
      break;
  }
}

void FrmOcural::WMSizeOrMove() { TakeSnapshot(true); }

void FrmOcural::TakeSnapshot(bool keepFocus) {
  if (IsCapturing()) return;
  CaptureScreen(keepFocus);
  // Shut down during the snapshot: there is no lens left to draw.
  if (!IsLoaded()) return;
  Stopwatch lens;
  RenderLens();
  ScreenSnapshot.NoteLensTime(lens.Next());
}

void FrmOcural::CaptureScreen(bool keepFocus) {
  if (!schedule_.Begin()) return;
  struct End {
    SnapshotSchedule& s;
    ~End() { s.End(); }
  } end{schedule_};
  // At a drag's steps too: a window that lost the activation to its own
  // snapshot no longer holds the mouse, and a press made during the next
  // one would go to the window beneath it.
  ScreenSnapshot.Take(hwnd_, picOcural.hWnd(), Visible(), keepFocus);
}

void FrmOcural::CalcSourceRect() {
  RECT r{};
  GetWindowRect(picOcural.hWnd(), &r);
  Source = CalcSourceRectFor(r.left, r.top, r.right, r.bottom, zoomX_);
}

void FrmOcural::RenderLens() {
  CalcSourceRect();
  picOcural.Cls();
  DrawLens(picOcural.hDC(), picOcural.ScaleWidth(), picOcural.ScaleHeight(), ScreenSnapshot.Image().dc(),
           ScreenSnapshot.Area(), Source, zoomX_);
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

void FrmOcural::KeepReachable() {
  // A saved place is not checked against the screens it was saved on: after
  // a monitor was removed or the resolution changed, or with a hand-made
  // LastX, the window would open where nobody can reach it (no title bar,
  // no taskbar button). With less than 32 x 32 pixels of what it shows on
  // any work area it comes back, whole, onto the nearest one.
  if (const std::optional<POINT> to = win::PlaceWithinReach(hwnd_)) {
    SetWindowPos(hwnd_, nullptr, to->x, to->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FrmOcural::SaveSetting() {
  // The place, skin and factor are read off the window: once it is gone
  // there is nothing right to write.
  if (!IsLoaded()) return;
  Win32Profile profile;
  INIAccess ini(profile);
  // During a snapshot (a shut-down can come while it waits) the window's
  // place is the one it comes back to, not the one above the screens.
  const POINT place = ScreenSnapshot.PlaceOf(hwnd_);
  SaveSettings(ini, AppSettings, CurrentSkin, place.x * forms::Screen::TwipsPerPixelX(),
               place.y * forms::Screen::TwipsPerPixelY(), zoomX_);
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
    // The point pressed: on a busy machine the pointer may have gone on
    // before the press is read.
    const DWORD pressed = GetMessagePos();
    const POINT grab{static_cast<short>(LOWORD(pressed)) - r.left, static_cast<short>(HIWORD(pressed)) - r.top};
    const bool active = GetForegroundWindow() == hwnd_;
    FollowDrag(grab);
    // Each of the drag's snapshots took the X focus away and handed it back
    // (see the snapshot); where that did not take, the window is made the
    // active one again for the keys and the next press.
    if (active && IsWindowVisible(hwnd_)) {
      if (GetForegroundWindow() == hwnd_) {
        HandFocusBack(hwnd_);
      } else {
        SetForegroundWindow(hwnd_);
      }
    }
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
    // The button was let go during the last step: its release, when it came
    // here, tells where; one let go where this window could not hear it
    // leaves only the pointer's place.
    if (!done && GetAsyncKeyState(VK_LBUTTON) >= 0) {
      POINT pt{};
      MSG up;
      if (PeekMessageW(&up, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
        pt = up.pt;
      } else {
        GetCursorPos(&pt);
      }
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

bool FrmOcural::PreviewKey(UINT msg, WPARAM wp) const {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return ActionOfKey(static_cast<int>(wp), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0).command !=
             KeyCommand::None;
    case WM_CHAR:
      return ZoomOfCharacter(static_cast<wchar_t>(wp)) != KeyCommand::None;
    default:
      return false;
  }
}

namespace {
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, Windows 8.1 and later
}  // namespace

LRESULT FrmOcural::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENDSESSION:
      // Ending while the shut-down runs already: saved before the answer.
      if (wp) {
        Host host(*this);
        RunEndSessionDuringShutDown(host, shutDown_);
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const KeyAction a = ActionOfKey(static_cast<int>(wp), GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
      if (a.command == KeyCommand::None) break;
      RunKey(a, wp);
      return 0;
    }
    case WM_CHAR:
      switch (ZoomOfCharacter(static_cast<wchar_t>(wp))) {
        case KeyCommand::ZoomIn:
          cmdZoomIn_Click();
          return 0;
        case KeyCommand::ZoomOut:
          cmdZoomOut_Click();
          return 0;
        default:
          break;
      }
      break;
    case WM_MOUSEWHEEL: {
      // Over the body, the lens or a button alike: the elements hand the
      // wheel to the window.
      for (int32_t n = WheelNotches(wheelRest_, GET_WHEEL_DELTA_WPARAM(wp)); n != 0; n += n > 0 ? -1 : 1) {
        if (n > 0) {
          cmdZoomIn_Click();
        } else {
          cmdZoomOut_Click();
        }
      }
      return 0;
    }
    case WM_TIMER:
      if (wp != kDisplayWatch) break;
      WatchDisplays();
      return 0;
    case kDpiChanged:
      // The skin is drawn in pixels at every display scale: the window keeps
      // its size on a monitor of another scale.
      return 0;
    case WM_CONTEXTMENU:
      // The menu opens on the right button's release and on its keys; the
      // system's own request would open it a second time.
      return 0;
    default:
      break;
  }
  return Form::WndProc(msg, wp, lp);
}

void FrmOcural::RunKey(const KeyAction& a, WPARAM key) {
  switch (a.command) {
    case KeyCommand::Move:
      return MoveByKey(a.dx, a.dy, key);
    case KeyCommand::Menu: {
      RECT r{};
      GetWindowRect(picOcural.hWnd(), &r);
      const POINT centre{r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
      controller_.PopupMenu(hwnd_, &centre);
      return;
    }
    case KeyCommand::CopyColour: {
      // The colour the lens shows at its centre, whether or not the click
      // on the lens picks colours.
      const COLORREF colour = picOcural.Point(picOcural.ScaleWidth() / 2, picOcural.ScaleHeight() / 2);
      if (colour == CLR_INVALID) return;
      const std::string text = ColourPickText(static_cast<int32_t>(colour), AppSettings.ColorPickMode);
      if (!text.empty()) PutTextOnClipboard(hwnd_, text);
      return;
    }
    default:
      return;
  }
}

void FrmOcural::MoveByKey(int32_t dx, int32_t dy, WPARAM key) {
  // A held key repeats faster than some screens allow snapshots: the repeats
  // that waited meanwhile make one move, so the lens drops steps but never
  // trails the key. Each move takes its snapshot through the hook.
  const int32_t stepX = dx, stepY = dy;
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && m.wParam == key &&
         PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
    dx += stepX;
    dy += stepY;
  }
  RECT r{};
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
