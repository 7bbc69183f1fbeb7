#include "skin/frmChangeSkin.h"

#include "platform/win/locale.h"
#include "platform/win/text.h"
#include "settings/core/ini_access.h"
#include "settings/win32_profile.h"
#include "skin/core/skin_file.h"
#include "skin/mdlSkinSupporter.h"
#include "skin/picture_loader.h"

namespace ocural {

void FrmChangeSkin::Load(const std::wstring& folder, const std::wstring& current) {
  if (IsLoaded()) return;
  if (!CreateDialogForm(L"スキンの変更", 7920, 3000)) return;
  const HFONT font = Font();
  // In tab order. The value labels show file contents as they are.
  filSkins.Create(hwnd_, Lay(filSkins, 120, 120, 2295, 2790), font);
  lblDSkinName.Create(hwnd_, L"名前：", Lay(lblDSkinName, 2520, 120, 495, 255), font);
  lblSkinName.Create(hwnd_, L"", Lay(lblSkinName, 2640, 360, 3735, 255), font, false);
  Label1.Create(hwnd_, L"作者：", Lay(Label1, 2520, 720, 495, 255), font);
  lblAuthor.Create(hwnd_, L"", Lay(lblAuthor, 2640, 960, 3735, 255), font, false);
  Label3.Create(hwnd_, L"説明：", Lay(Label3, 2520, 1320, 495, 255), font);
  lblSkinDescription.Create(hwnd_, L"", Lay(lblSkinDescription, 2640, 1560, 3735, 255), font, false);
  AddButton(cmdOK, L"OK", Lay(cmdOK, 4080, 2520, 1815, 375));
  AddButton(cmdCancel, L"キャンセル", Lay(cmdCancel, 6000, 2520, 1815, 375));
  const forms::PixelRect prev = Lay(picPrev, 6480, 120, 1335, 1695);
  picPrev.SetBackColor(GetSysColor(COLOR_BTNFACE));
  if (picPrev.Create(hwnd_, prev.left, prev.top, prev.width, prev.height, true)) {
    // A sunken border: the drawing area is the inside of it.
    HWND p = picPrev.hWnd();
    SetWindowLongPtrW(p, GWL_EXSTYLE, GetWindowLongPtrW(p, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(p, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  AddButton(cmdUnload, L"アンロード(&U)", Lay(cmdUnload, 6480, 1920, 1335, 375));
  cmdUnload.SetVisible(false);
  Adopt({&filSkins, &lblDSkinName, &lblSkinName, &Label1, &lblAuthor, &Label3, &lblSkinDescription});
  SetDefaultButton(&cmdOK);
  SetCancelButton(&cmdCancel);
  // The settings file keeps the chosen skin's name in the system code page
  // (as earlier versions read it): a name that does not come back from it
  // would be lost, or name another skin, at the next start.
  filSkins.Accepts = [](const std::wstring& name) { return win::SurvivesAnsi(name); };
  filSkins.SetPattern(L"*.vsk");
  filSkins.Click = [this] { filSkins_Click(); };
  filSkins.DblClick = [this] { filSkins_DblClick(); };
  cmdOK.Click = [this] { cmdOK_Click(); };
  cmdCancel.Click = [this] { cmdCancel_Click(); };
  Form_Load(folder, current);
}

void FrmChangeSkin::Form_Load(const std::wstring& folder, const std::wstring& current) {
  Canceled = forms::kVbTrue;
  filSkins.SetPath(folder);
  // Above every window, also a magnifier that stays on top.
  MakeTopmost();
  // The skin loaded now is selected, when it is in the list; letter case
  // counts. Nothing that goes wrong here stops the dialog.
  try {
    for (int i = 0; i < filSkins.ListCount(); ++i) {
      if (filSkins.List(i) == current) {
        filSkins.SetListIndex(i);  // shows the preview, as a click does
        break;
      }
    }
  } catch (...) {
  }
}

void FrmChangeSkin::ShowSkinPreview() {
  if (filSkins.ListIndex() < 0) return;
  Win32Profile profile;
  INIAccess ini(profile);
  const std::wstring folder = AddBackslash(filSkins.Path());
  ini.FileName = folder + filSkins.FileName();
  ini.Section = kSkinSection;
  // Read the way the loader reads it.
  const SkinFile skin =
      ReadSkinFile([&](const std::wstring& key) { return ini.GetINIData(key, L""); }, LocaleDecimalSeparator());
  lblAuthor.SetCaption(skin.author);
  lblSkinDescription.SetCaption(skin.description);
  lblSkinName.SetCaption(skin.name);
  // The picture is shown when it can be; otherwise the box keeps what it has.
  try {
    const std::wstring& base = skin.base;
    if (base.empty()) return;
    auto picture = LoadPicture(folder + base);
    if (!picture) return;
    // What the window leaves out shows the box's own colour.
    if (!picture->clear.Empty()) {
      DIBSECTION ds{};
      if (GetObjectW(picture->bitmap.get(), sizeof(ds), &ds) != sizeof(ds) || !ds.dsBm.bmBits) return;
      const COLORREF face = GetSysColor(COLOR_BTNFACE);
      const uint32_t faceRgb = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
      auto* px = static_cast<uint32_t*>(ds.dsBm.bmBits);
      for (int y = 0; y < picture->heightPx; ++y) {
        for (int x = 0; x < picture->widthPx; ++x) {
          if (picture->clear.At(x, y)) px[static_cast<size_t>(y) * picture->widthPx + x] = faceRgb;
        }
      }
    }
    win::MemDC src(CreateCompatibleDC(picPrev.hDC()));
    if (!src) return;
    win::SelectGuard sel(src.get(), picture->bitmap.get());
    // Stretched over the whole inside of the box; the proportions follow the box.
    SetStretchBltMode(picPrev.hDC(), HALFTONE);
    SetBrushOrgEx(picPrev.hDC(), 0, 0, nullptr);
    StretchBlt(picPrev.hDC(), 0, 0, picPrev.ScaleWidth(), picPrev.ScaleHeight(), src.get(), 0, 0, picture->widthPx,
               picture->heightPx, SRCCOPY);
    GdiFlush();
    picPrev.Refresh();
  } catch (...) {
  }
}

void FrmChangeSkin::filSkins_Click() { ShowSkinPreview(); }

// The preview box has its new size: the picture is stretched over it again.
void FrmChangeSkin::Form_DpiChanged() { ShowSkinPreview(); }

void FrmChangeSkin::filSkins_DblClick() {
  if (filSkins.ListIndex() >= 0) cmdOK_Click();
}

void FrmChangeSkin::cmdOK_Click() {
  Canceled = forms::kVbFalse;
  Hide();
}

void FrmChangeSkin::cmdCancel_Click() { Hide(); }

std::optional<std::wstring> ChooseSkin(HWND owner, const std::wstring& folder, const std::wstring& current) {
  FrmChangeSkin frmChangeSkin;
  frmChangeSkin.Load(folder, current);
  if (!frmChangeSkin.IsLoaded()) return std::nullopt;
  frmChangeSkin.ShowModal(owner);
  std::optional<std::wstring> chosen;
  if (frmChangeSkin.Canceled == forms::kVbFalse) chosen = frmChangeSkin.filSkins.FileName();
  frmChangeSkin.Unload();
  return chosen;
}

}  // namespace ocural
