// Reading a skin: its file and both pictures, checked and loaded before
// anything on the screen changes. The main window applies the result.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/win/handles.h"
#include "skin/core/skin_file.h"
#include "skin/picture_loader.h"

namespace ocural {

struct LoadedSkin {
  SkinFile file;
  LoadedPicture base;
  LoadedPicture lens;
};

// Reads the skin file `FileName` (relative to the application folder) and
// the two pictures it names. When a picture is not named, missing or
// unreadable, tells the user with the skin's error message and returns
// nothing: a skin is applied whole or not at all.
std::optional<LoadedSkin> ReadSkin(const std::wstring& FileName);

// The message for a picture that is there but cannot be read as one (not a
// picture, damaged, of an unknown kind, or too large): what it is for, then
// its full path on a line of its own.
enum class PictureRole { Base, Lens };
std::wstring UnreadablePictureText(PictureRole role, const std::wstring& path);

// A 32-bit DIB of w x h: white, with `picture` at the top-left corner; not
// selected into any device context, so GetDIBits may read it. The lens is cut
// from its picture made square this way.
win::Bitmap PictureOnWhite(HBITMAP picture, int w, int h);

}  // namespace ocural
