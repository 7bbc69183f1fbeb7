// Entry point: the magnifier window is the start-up form; the program ends
// when its last window has gone.
#include <windows.h>

#include "magnifier/frmOcural.h"
#include "platform/win/forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ocural::frmOcural().Show();
  return ocural::forms::RunMessageLoop();
}
