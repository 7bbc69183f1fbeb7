#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Like the program, which is DPI aware: the dialogs are laid out in the
  // screen's real pixels.
  SetProcessDPIAware();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
