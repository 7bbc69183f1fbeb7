#include "magnifier/lens_draw.h"

#include "platform/win/handles.h"

namespace ocural {

void DrawLens(HDC lensDC, int lensW, int lensH, HDC snapDC, const SourceRect& snapArea, const SourceRect& screenSrc,
              int zoom) {
  // In the image's own coordinates.
  SourceRect src = screenSrc;
  src.x = static_cast<int32_t>(static_cast<int64_t>(src.x) - snapArea.x);
  src.y = static_cast<int32_t>(static_cast<int64_t>(src.y) - snapArea.y);
  if (lensW < 1 || lensH < 1 || src.width < 1 || src.height < 1) return;
  const SourceRect in = IntersectWithImage(src, snapArea.width, snapArea.height);
  if (in.width < 1 || in.height < 1) return;  // nothing of the snapshot under the lens

  if (in.x == src.x && in.y == src.y && in.width == src.width && in.height == src.height) {
    if (zoom == 1) {
      BitBlt(lensDC, 0, 0, lensW, lensH, snapDC, src.x, src.y, SRCCOPY);
    } else {
      StretchBlt(lensDC, 0, 0, lensW, lensH, snapDC, src.x, src.y, src.width, src.height, SRCCOPY);
    }
    return;
  }

  // The source leaves the snapshot. Stretch the part that exists together with
  // a mask of it through the same geometry, then let the mask keep the lens's
  // background wherever the source had no pixels.
  const int dx = in.x - src.x;
  const int dy = in.y - src.y;

  win::DibImage part(src.width, src.height);  // black outside the snapshot
  BitBlt(part.dc(), dx, dy, in.width, in.height, snapDC, in.x, in.y, SRCCOPY);

  win::Bitmap maskBmp(CreateBitmap(src.width, src.height, 1, 1, nullptr));
  win::MemDC maskDC(CreateCompatibleDC(lensDC));
  win::Bitmap bigMaskBmp(CreateBitmap(lensW, lensH, 1, 1, nullptr));
  win::MemDC bigMaskDC(CreateCompatibleDC(lensDC));
  win::DibImage big(lensW, lensH);
  if (!maskBmp || !maskDC || !bigMaskBmp || !bigMaskDC || !part.dc() || !big.dc()) return;
  win::SelectGuard selMask(maskDC.get(), maskBmp.get());
  win::SelectGuard selBigMask(bigMaskDC.get(), bigMaskBmp.get());

  // Mask: 1 (white) where the source is missing, 0 (black) where it exists.
  PatBlt(maskDC.get(), 0, 0, src.width, src.height, WHITENESS);
  PatBlt(maskDC.get(), dx, dy, in.width, in.height, BLACKNESS);

  if (zoom == 1 && src.width == lensW && src.height == lensH) {
    BitBlt(big.dc(), 0, 0, lensW, lensH, part.dc(), 0, 0, SRCCOPY);
    BitBlt(bigMaskDC.get(), 0, 0, lensW, lensH, maskDC.get(), 0, 0, SRCCOPY);
  } else {
    StretchBlt(big.dc(), 0, 0, lensW, lensH, part.dc(), 0, 0, src.width, src.height, SRCCOPY);
    StretchBlt(bigMaskDC.get(), 0, 0, lensW, lensH, maskDC.get(), 0, 0, src.width, src.height, SRCCOPY);
  }

  // Monochrome to colour: 0 bits take the text colour, 1 bits the background.
  const COLORREF oldText = SetTextColor(lensDC, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(lensDC, RGB(255, 255, 255));
  BitBlt(lensDC, 0, 0, lensW, lensH, bigMaskDC.get(), 0, 0, SRCAND);  // keep background where missing
  SetTextColor(lensDC, oldText);
  SetBkColor(lensDC, oldBk);
  BitBlt(lensDC, 0, 0, lensW, lensH, big.dc(), 0, 0, SRCPAINT);  // black where missing, so OR adds nothing
  GdiFlush();
}

}  // namespace ocural
