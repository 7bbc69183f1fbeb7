// Loading, unloading and switching the skin of the main window.
#include <windows.h>

#include "magnifier/frmOcural.h"
#include "skin/SkinLoader.h"
#include "skin/VBRGN.h"
#include "skin/core/skin_file.h"

namespace ocural {
namespace {

// A zoom button the skin shows covers its rectangle (edges included); a
// hidden one leaves the rectangle to the body picture.
void PlaceZoomButton(forms::CommandButton& button, bool visible, const SkinRect& r) {
  button.SetVisible(visible);
  if (visible) button.Place(r.x1, r.y1, SkinSpan(r.x1, r.x2), SkinSpan(r.y1, r.y2));
}

}  // namespace

void FrmOcural::LoadSkin(const std::wstring& FileName) {
  std::optional<LoadedSkin> loaded = ReadSkin(FileName);
  if (!loaded) return;
  const SkinFile& skin = loaded->file;
  LoadedPicture& base = loaded->base;
  LoadedPicture& lens = loaded->lens;

  InRect = skin.inRect;
  OutRect = skin.outRect;
  PlaceZoomButton(cmdZoomIn, skin.inVisible, InRect);
  PlaceZoomButton(cmdZoomOut, skin.outVisible, OutRect);

  // The body: picture, size, outline less the top-left colour and the
  // pixels the picture marks wholly transparent.
  const int bw = base.widthPx, bh = base.heightPx;
  HBITMAP baseBitmap = base.bitmap.get();
  SetPicture(base.bitmap.release());
  SetWindowPos(hwnd_, nullptr, 0, 0, bw, bh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  {
    win::WindowDC screen(nullptr);
    // A body picture of one colour would cut the whole window away, and the
    // skin would come back at every start with nothing left to click: such a
    // body keeps its full rectangle.
    WindowRegion = VBRGN::ShapeWindow(hwnd_, screen.get(), baseBitmap, VBRGN::UseTopLeftColor,
                                      VBRGN::EmptyOutline::KeepWindowWhole, base.clear);
  }

  // The lens: picture at its offset, made square, outline less white and
  // the pixels the picture marks wholly transparent.
  const int lw = lens.widthPx, lh = lens.heightPx;
  const int side = lh > lw ? lh : lw;
  HBITMAP lensBitmap = lens.bitmap.get();
  picOcural.SetPicture(lens.bitmap.release());
  picOcural.Move(skin.lensOffsetX, skin.lensOffsetY, side, side);
  picOcural.Cls();
  {
    win::Bitmap shape = PictureOnWhite(lensBitmap, side, side);
    win::WindowDC screen(nullptr);
    LensRegion =
        VBRGN::ShapeWindow(picOcural.hWnd(), screen.get(), shape.get(), 0xFFFFFF, VBRGN::EmptyOutline::Apply, lens.clear);
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
