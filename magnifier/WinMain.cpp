// Entry point: the magnifier window is the start-up form; the program ends
// when its last window has gone.
#include <windows.h>

#include "magnifier/application.h"

namespace {

// The program runs from any folder, often a downloads folder full of strangers'
// files: every DLL loaded from now on (by the common dialogs, OLE, the shell)
// comes from the system folder, never from the program's or the current one.
// SetDefaultDllDirectories came with Windows 8 (and update KB2533623 on 7);
// without it the program still starts, with the current folder at least gone.
void LoadDllsFromTheSystemOnly() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LoadDllsFromTheSystemOnly();
  ocural::Application app;
  return app.Run();
}
