#include "colorpick/clipboard.h"

#include <cstring>

#include "platform/win/handles.h"

namespace ocural {

bool PutTextOnClipboard(HWND owner, const std::string& text) {
  bool open = false;
  for (int attempt = 0; attempt < 25 && !open; ++attempt) {
    open = OpenClipboard(owner) != FALSE;
    if (!open) Sleep(20);
  }
  if (!open) return false;
  bool done = false;
  if (EmptyClipboard()) {
    win::GlobalMemory mem(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (mem) {
      if (void* p = GlobalLock(mem.get())) {
        std::memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(mem.get());
        // The clipboard owns the memory once it has taken it.
        if (SetClipboardData(CF_TEXT, mem.get())) {
          mem.release();
          done = true;
        }
      }
    }
  }
  CloseClipboard();
  return done;
}

}  // namespace ocural
