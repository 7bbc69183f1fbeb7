// Loading, unloading and switching the skin of the main window.
#include <windows.h>

#include <cstdint>

#include "magnifier/frmOcural.h"
#include "platform/win/forms.h"
#include "settings/AppSettings.h"
#include "settings/core/ini_access.h"
#include "settings/win32_profile.h"
#include "skin/VBRGN.h"
#include "skin/core/skin_file.h"
#include "skin/mdlSkinSupporter.h"
#include "skin/picture_loader.h"

namespace ocural {
namespace {

void SkinError(const wchar_t* text) {
  MessageBoxW(nullptr, text, forms::App::Title().c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// A 32-bit DIB of w x h: white, with `picture` at the top-left corner; not
// selected into any device context, so GetDIBits may read it.
win::Bitmap PictureOnWhite(HBITMAP picture, int w, int h) {
  void* bits = nullptr;
  win::Bitmap out = win::CreateDib32(w, h, &bits);
  if (!out) return out;
  {
    win::MemDC dst(CreateCompatibleDC(nullptr));
    win::MemDC src(CreateCompatibleDC(nullptr));
    win::SelectGuard selDst(dst.get(), out.get());
    PatBlt(dst.get(), 0, 0, w, h, WHITENESS);
    BITMAP bm{};
    GetObjectW(picture, sizeof(bm), &bm);
    win::SelectGuard selSrc(src.get(), picture);
    BitBlt(dst.get(), 0, 0, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  // Raster operations may leave the fourth byte set (WHITENESS does under
  // Wine); the outline compares whole 32-bit values, so clear it.
  auto* px = static_cast<uint32_t*>(bits);
  for (int i = 0; i < w * h; ++i) px[i] &= 0xFFFFFFu;
  return out;
}

}  // namespace

void FrmOcural::LoadSkin(const std::wstring& FileName) {
  if (FileName.empty()) return;
  Win32Profile profile;
  INIAccess ini(profile);
  ini.SetAppPathFilename(FileName);
  ini.Section = kSkinSection;
  const SkinFile skin = ReadSkinFile([&](const std::wstring& key) { return ini.GetINIData(key, L""); },
                                     LocaleDecimalSeparator());

  // Both pictures are checked and loaded before anything changes, so a skin
  // is applied whole or not at all.
  if (skin.base.empty()) return SkinError(L"ベースファイルが設定されていません。");
  const std::wstring basePath = AddBackslash(forms::App::Path()) + skin.base;
  if (!FileExists(basePath)) return SkinError(L"ベースファイルがみつかりません");
  auto base = LoadPicture(basePath);
  if (!base) return SkinError(L"ベースファイルがみつかりません");
  if (skin.lens.empty()) return SkinError(L"レンズファイルが設定されていません。");
  const std::wstring lensPath = AddBackslash(forms::App::Path()) + skin.lens;
  if (!FileExists(lensPath)) return SkinError(L"レンズファイルがみつかりません");
  auto lens = LoadPicture(lensPath);
  if (!lens) return SkinError(L"レンズファイルがみつかりません");

  cmdZoomIn.SetVisible(skin.inVisible);
  InRectX1 = skin.inRect.x1;
  InRectX2 = skin.inRect.x2;
  InRectY1 = skin.inRect.y1;
  InRectY2 = skin.inRect.y2;
  if (cmdZoomIn.Visible()) {
    cmdZoomIn.Place(InRectX1, InRectY1, SkinSpan(InRectX1, InRectX2), SkinSpan(InRectY1, InRectY2));
  }
  cmdZoomOut.SetVisible(skin.outVisible);
  OutRectX1 = skin.outRect.x1;
  OutRectX2 = skin.outRect.x2;
  OutRectY1 = skin.outRect.y1;
  OutRectY2 = skin.outRect.y2;
  if (cmdZoomOut.Visible()) {
    cmdZoomOut.Place(OutRectX1, OutRectY1, SkinSpan(OutRectX1, OutRectX2),
                     SkinSpan(OutRectY1, OutRectY2));
  }

  // The body: picture, size, outline less the top-left colour.
  const int bw = base->widthPx, bh = base->heightPx;
  HBITMAP baseBitmap = base->bitmap.get();
  SetPicture(base->bitmap.release());
  SetWindowPos(hwnd_, nullptr, 0, 0, bw, bh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  {
    win::WindowDC screen(nullptr);
    // A body picture of one colour would cut the whole window away, and the
    // skin would come back at every start with nothing left to click: such a
    // body keeps its full rectangle.
    WindowRegion = VBRGN::ShapeWindow(hwnd_, screen.get(), baseBitmap, VBRGN::UseTopLeftColor,
                                      VBRGN::EmptyOutline::KeepWindowWhole);
  }

  // The lens: picture at its offset, made square, outline less white.
  const int lw = lens->widthPx, lh = lens->heightPx;
  const int side = lh > lw ? lh : lw;
  HBITMAP lensBitmap = lens->bitmap.get();
  picOcural.SetPicture(lens->bitmap.release());
  picOcural.Move(skin.lensOffsetX, skin.lensOffsetY, side, side);
  picOcural.Cls();
  {
    win::Bitmap shape = PictureOnWhite(lensBitmap, side, side);
    win::WindowDC screen(nullptr);
    LensRegion = VBRGN::ShapeWindow(picOcural.hWnd(), screen.get(), shape.get(), 0xFFFFFF);
  }

  CurrentSkin = FileName;
  SkinName = skin.name;
  UpdateTrayTip();
}

void FrmOcural::UnloadSkin() {
  SetWindowRgn(hwnd_, nullptr, TRUE);
  SetWindowRgn(picOcural.hWnd(), nullptr, TRUE);
  picOcural.Cls();
  picOcural.Refresh();
  WindowRegion = nullptr;
  LensRegion = nullptr;
  CurrentSkin.clear();
  SkinName.clear();
}

void FrmOcural::ReloadSkin(const std::wstring& FileName) {
  SetVisible(false);
  UnloadSkin();
  LoadSkin(FileName);
  WMSizeOrMove();
  // The snapshot above was taken with the window hidden, so the lens is up to
  // date: the activation that showing the window brings takes no other. Under
  // Wine that second snapshot would move the just-shown window off the screen
  // while it becomes active; Wine then takes the activation away again and
  // puts the window below the one that was under it, where the user's next
  // click cannot reach it.
  ShowWithFreshLens();
}

}  // namespace ocural
