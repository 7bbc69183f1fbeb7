// Loads the body and lens pictures of a skin (BMP, GIF, JPEG, PNG, TIFF,
// icons) through the Windows Imaging Component into 32-bit top-down DIB
// sections, on Windows and Wine alike. Files that are missing, empty, cut
// short, of another kind or absurdly large are refused before any decoder
// sees them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win/handles.h"
#include "skin/core/region_runs.h"

namespace ocural {

struct LoadedPicture {
  // 32-bit top-down DIB section, each pixel 0x00RRGGBB: the colour as the
  // file gives it, also where the picture is partly transparent. Not
  // selected into any DC.
  win::Bitmap bitmap;
  int widthPx = 0;
  int heightPx = 0;
  // The pixels the picture marks wholly transparent; empty for an opaque one.
  ClearMask clear;
};

// Files larger than this are refused without being read.
constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;

// The picture in the file (a GIF's first frame, a TIFF's first page, an
// icon's largest image), or nothing when it cannot be read or decoded.
// Initialises COM for the calling thread for the time of the call when it
// is not yet (balanced before returning).
std::optional<LoadedPicture> LoadPicture(const std::wstring& path);

}  // namespace ocural
