// The main window's hook and the screen's device context.
#pragma once

#include <windows.h>

namespace ocural {
class FrmOcural;
}

namespace ocural::mdlCommon {

// Takes the screen's device context and puts HookProc in front of the main
// window's own procedure.
void InstallHook(FrmOcural& form);
// Gives the device context back and restores the main window's procedure.
void RemoveHook(FrmOcural& form);
// Moves, size changes and activations redraw the lens; every message then goes
// on, unchanged, to the window's own procedure.
LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace ocural::mdlCommon
