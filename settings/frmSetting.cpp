#include "settings/frmSetting.h"


namespace ocural {

void FrmSetting::Load() {
  if (IsLoaded()) return;
  if (!CreateDialogForm(L"ぴこら～の設定", 4935, 2775)) return;
  const HFONT font = Font();
  // In tab order.
  chkVisibleInTray.Create(hwnd_, L"タスクトレイにアイコンを表示する(&T)", Lay(chkVisibleInTray, 120, 120, 3135, 255), font);
  chkAlwaysTop.Create(hwnd_, L"常に手前に表示する(&A)", Lay(chkAlwaysTop, 120, 360, 2175, 255), font);
  chkNoLoadSkin.Create(hwnd_, L"起動時、スキンをロードしない(&N)", Lay(chkNoLoadSkin, 120, 600, 2775, 255), font);
  chkEnabledColorPick.Create(hwnd_, L"ルーペ部をクリックするとカラーピック(&P)", Lay(chkEnabledColorPick, 120, 840, 3375, 255), font);
  fraColorPick.Create(hwnd_, L"カラーピックの種類", Lay(fraColorPick, 360, 1080, 4455, 1095), font);
  const HWND frame = fraColorPick.hWnd();
  optCP[0].Create(frame, L"HTML形式(#RRGGBB)", Lay(optCP[0], 120, 240, 2175, 255), font, true);
  optCP[1].Create(frame, L"VB形式(&&HBBGGRR)", Lay(optCP[1], 120, 480, 2175, 255), font, false);
  optCP[2].Create(frame, L"(0xBBGGRR)", Lay(optCP[2], 2400, 480, 1455, 255), font, false);
  optCP[3].Create(frame, L"RGBを区切って(RRR, GGG, BBB)", Lay(optCP[3], 120, 720, 3015, 255), font, false);
  AddButton(cmdOK, L"OK", Lay(cmdOK, 1560, 2280, 1575, 375));
  AddButton(cmdCancel, L"キャンセル", Lay(cmdCancel, 3240, 2280, 1575, 375));
  Adopt({&chkVisibleInTray, &chkAlwaysTop, &chkNoLoadSkin, &chkEnabledColorPick, &fraColorPick, &optCP[0], &optCP[1],
         &optCP[2], &optCP[3]});
  SetDefaultButton(&cmdOK);
  SetCancelButton(&cmdCancel);
  cmdOK.Click = [this] { cmdOK_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
  Form_Load();
}

void FrmSetting::Form_Load() {
  // Above every window, also a magnifier that stays on top.
  MakeTopmost();
  Canceled = forms::kVbTrue;
}

void FrmSetting::cmdOK_Click() {
  Canceled = forms::kVbFalse;
  Hide();
}

void FrmSetting::cmdCancel_Click() { Hide(); }

bool EditSettings(AppSettingsRecord& settings, HWND owner) {
  FrmSetting frmSetting;
  frmSetting.Load();
  if (!frmSetting.IsLoaded()) return false;
  frmSetting.chkAlwaysTop.SetValue(settings.AlwaysTop ? 1 : 0);
  frmSetting.chkEnabledColorPick.SetValue(settings.ColorPicker ? 1 : 0);
  frmSetting.chkNoLoadSkin.SetValue(settings.NoLoadSkin ? 1 : 0);
  frmSetting.chkVisibleInTray.SetValue(settings.ShowTrayIcon ? 1 : 0);
  if (settings.ColorPickMode >= 0 && settings.ColorPickMode < 4) frmSetting.optCP[settings.ColorPickMode].SetValue(true);

  frmSetting.ShowModal(owner);

  const bool confirmed = frmSetting.Canceled == forms::kVbFalse;
  if (confirmed) {
    // The elements keep their state while the dialog is only hidden.
    settings.AlwaysTop = frmSetting.chkAlwaysTop.Value() == 1;
    settings.ColorPicker = frmSetting.chkEnabledColorPick.Value() == 1;
    settings.NoLoadSkin = frmSetting.chkNoLoadSkin.Value() == 1;
    settings.ShowTrayIcon = frmSetting.chkVisibleInTray.Value() == 1;
    for (int16_t i = 0; i < 4; ++i) {
      if (frmSetting.optCP[i].Value()) {
        settings.ColorPickMode = i;
        break;
      }
    }
  }
  frmSetting.Unload();
  return confirmed;
}

}  // namespace ocural
