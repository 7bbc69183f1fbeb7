// Plain text onto the clipboard.
#pragma once

#include <windows.h>

#include <string>

namespace ocural {

// Empties the clipboard and puts `text` (system code page) on it as CF_TEXT.
// Another program may hold the clipboard open: it is tried a few times over
// about half a second, then given up. True when the text was put there.
bool PutTextOnClipboard(HWND owner, const std::string& text);

}  // namespace ocural
