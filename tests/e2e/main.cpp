#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

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
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
