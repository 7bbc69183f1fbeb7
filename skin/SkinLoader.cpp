#include "skin/SkinLoader.h"

#include <cstdint>

#include "platform/win/dialog_form.h"
#include "platform/win/forms.h"
#include "platform/win/locale.h"
#include "settings/core/ini_access.h"
#include "settings/win32_profile.h"
#include "skin/mdlSkinSupporter.h"

namespace ocural {
namespace {

std::nullopt_t SkinError(const std::wstring& text) {
  forms::DialogForm::MessageOnAnchorMonitor(text, forms::App::Title(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return std::nullopt;
}

// A folder is no picture file: it is not found, rather than found unreadable.
bool PictureFileExists(const std::wstring& path) {
  if (!FileExists(path)) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring UnreadablePictureText(PictureRole role, const std::wstring& path) {
  return std::wstring(role == PictureRole::Base ? L"ベースファイルを画像として読み込めません"
                                                : L"レンズファイルを画像として読み込めません") +
         L"\r\n" + path;
}

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

std::optional<LoadedSkin> ReadSkin(const std::wstring& FileName) {
  if (FileName.empty()) return std::nullopt;
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
  if (!PictureFileExists(basePath)) return SkinError(L"ベースファイルがみつかりません");
  auto base = LoadPicture(basePath);
  if (!base) return SkinError(UnreadablePictureText(PictureRole::Base, basePath));
  if (skin.lens.empty()) return SkinError(L"レンズファイルが設定されていません。");
  const std::wstring lensPath = AddBackslash(forms::App::Path()) + skin.lens;
  if (!PictureFileExists(lensPath)) return SkinError(L"レンズファイルがみつかりません");
  auto lens = LoadPicture(lensPath);
  if (!lens) return SkinError(UnreadablePictureText(PictureRole::Lens, lensPath));
  return LoadedSkin{skin, std::move(*base), std::move(*lens)};
}

}  // namespace ocural
