#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/e2e/harness.h"

int main(int argc, char** argv) {
  // "--spin": a busy process that keeps one core loaded for the tests that
  // need a busy machine. They end it; it ends itself after five minutes,
  // long enough for a slow machine, short enough not to outlive a crash.
  if (argc > 1 && std::strcmp(argv[1], "--spin") == 0) {
    volatile unsigned long work = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 300000) {
      for (int i = 0; i < 1000000; ++i) work = work + 1;
    }
    return 0;
  }
  // The program is DPI aware: read the screen and the windows in the same
  // physical pixels.
  SetProcessDPIAware();
  const int dpi = ocural::e2e::ScreenDpi();
  std::printf("display: %d DPI, %d x %d pixels\n", dpi, GetSystemMetrics(SM_CXSCREEN),
              GetSystemMetrics(SM_CYSCREEN));
  // A run meant for one display scale must not pass quietly at another.
  if (const char* want = std::getenv("OCURAL_TEST_DPI")) {
    if (std::atoi(want) != dpi) {
      std::printf("the display is at %d DPI, not the %s DPI this run is for\n", dpi, want);
      return 1;
    }
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
