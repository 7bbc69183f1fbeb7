// Entry point: the magnifier window is the start-up form; the program ends
// when its last window has gone.
#include <windows.h>

#include "magnifier/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ocural::Application app;
  return app.Run();
}
