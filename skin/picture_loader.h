// Loads the body and lens pictures of a skin (BMP, GIF, JPEG, PNG) into
// 32-bit top-down DIB sections. Files that are missing, empty, cut short, of
// another kind or absurdly large are refused before any decoder sees them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win/handles.h"

namespace ocural {

struct LoadedPicture {
  // 32-bit top-down DIB section, each pixel 0x00RRGGBB (the top byte is
  // always 0: pictures are taken as opaque). Not selected into any DC.
  win::Bitmap bitmap;
  int widthPx = 0;
  int heightPx = 0;
  // The picture's size as the picture object reports it, in 0.01 mm.
  long himetricW = 0;
  long himetricH = 0;
};

// Files larger than this are refused without being read.
constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// The picture in the file, or nothing when it cannot be read or decoded.
// Initialises COM for the calling thread for the time of the call when it
// is not yet (balanced before returning).
std::optional<LoadedPicture> LoadPicture(const std::wstring& path);

}  // namespace ocural
