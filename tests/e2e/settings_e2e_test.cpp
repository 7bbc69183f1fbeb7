// The settings file beside the program: read at start, written at the end.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

class SettingsE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  // Starts, waits for the first lens, ends with a close request.
  void RunOnce(int zoom) {
    ASSERT_TRUE(app_.Start());
    ASSERT_TRUE(app_.WaitForMainWindow());
    ASSERT_EQ(WaitForLens(app_, zoom, 0), "");
  }
  void Close() {
    PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(app_.WaitExit(10000), 0);
  }
  bool Topmost() { return (GetWindowLongW(app_.MainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

  PatternWindow pattern_;
  OcuralApp app_;
};

TEST_F(SettingsE2E, FirstStartWritesTheNineKeysInOrder) {
  RunOnce(2);
  EXPECT_TRUE(Topmost()) << "always on top is on by default";
  RECT r{};
  ASSERT_TRUE(WaitFor(
      [&] {
        r = app_.WindowRect();
        return r.top >= 0;
      },
      3000));
  Close();
  const std::string want = "[OcuralSetting]\r\nAlwaysTop=1\r\nColorPicker=0\r\nNoLoadSkin=0\r\nShowTrayIcon=1\r\n"
                           "ColorPickMode=0\r\nLastSkin=\r\nLastX=" +
                           TwipsText(r.left) + "\r\nLastY=" + TwipsText(r.top) +
                           "\r\nLastMagnification=2\r\n";
  EXPECT_EQ(app_.ReadFile(L"Ocural.ini"), want);
}

TEST_F(SettingsE2E, ReopensWhereItWasClosedAtTheSavedFactor) {
  app_.WriteFile(L"Ocural.ini",
                 "[OcuralSetting]\r\nAlwaysTop=0\r\nColorPicker=1\r\nNoLoadSkin=1\r\nShowTrayIcon=0\r\n"
                 "ColorPickMode=3\r\nLastSkin=none.vsk\r\nLastX=6000\r\nLastY=2250.4\r\nLastMagnification=5\r\n");
  RunOnce(5);
  // 2250.4 reads as 2250 twips.
  const int x = PixelsOf(6000), y = PixelsOf(2250);
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == x && app_.WindowRect().top == y; }, 3000))
      << "6000 and 2250 twips are " << x << " and " << y << " pixels";
  EXPECT_FALSE(Topmost());
  // Move it, then close: the new place is saved with the other values as read.
  MoveWindowTo(app_.MainWindow(), 123, 234);
  ASSERT_EQ(WaitForLens(app_, 5, 0), "");
  Close();
  EXPECT_EQ(app_.ReadFile(L"Ocural.ini"),
            "[OcuralSetting]\r\nAlwaysTop=0\r\nColorPicker=1\r\nNoLoadSkin=1\r\nShowTrayIcon=0\r\n"
            "ColorPickMode=3\r\nLastSkin=\r\n" + PlaceAt(123, 234) + "LastMagnification=5\r\n");
}

TEST_F(SettingsE2E, UnsetOrJunkPlacesKeepTheSystemPlaceAndJunkFactorGivesTwo) {
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastX=-1\r\nLastY= 1.5e3 \r\nLastMagnification=yes\r\n");
  RunOnce(2);
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().top == PixelsOf(1500); }, 3000)) << "1.5e3 twips";
  EXPECT_EQ(app_.WindowRect().left, (GetSystemMetrics(SM_CXSCREEN) - DesignedClient().cx) / 2)
      << "the first place, centred";
  Close();
}

// A place saved on a monitor that is gone (or typed by hand) would leave the
// window where nobody can reach it: it opens whole on the work area instead,
// as near as it can. A place that shows enough of it is kept.
TEST_F(SettingsE2E, APlaceOffTheScreenComesBackWholeOnIt) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(work.right + 500, 300));
  RunOnce(2);
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == work.right - DesignedClient().cx; }, 3000))
      << "left at " << app_.WindowRect().left;
  EXPECT_EQ(app_.WindowRect().top, 300);
  Close();
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\n" + PlaceAt(work.right - 40, work.bottom - 40));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  EXPECT_TRUE(WaitFor([&] { return app_.WindowRect().left == work.right - 40; }, 3000)) << "40 x 40 pixels show";
  EXPECT_EQ(app_.WindowRect().top, work.bottom - 40);
  Close();
}

TEST_F(SettingsE2E, AlwaysTopPutsTheWindowInTheTopmostBand) {
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nAlwaysTop=1\r\n");
  RunOnce(2);
  EXPECT_TRUE(Topmost());
  Close();
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("AlwaysTop=1\r\n"), std::string::npos);
}

TEST_F(SettingsE2E, ReadOnlySettingsFileEndsCleanlyAndStaysAsItWas) {
  const std::string before = "[OcuralSetting]\r\nLastMagnification=3\r\n";
  app_.WriteFile(L"Ocural.ini", before);
  SetFileAttributesW(app_.PathOf(L"Ocural.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  // Root can write read-only files under Wine: hold the file open without
  // sharing writes, as another program might.
  HANDLE lock = CreateFileW(app_.PathOf(L"Ocural.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  RunOnce(3);
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.WaitExit(10000), 0);
  if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
  SetFileAttributesW(app_.PathOf(L"Ocural.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(app_.ReadFile(L"Ocural.ini"), before);
}

// A program folder whose name the system's code page cannot spell ("é" is
// not in code page 932): the settings there are read and saved, the skin
// named in them loads from there, and the tray icon shows the program's icon.
TEST_F(SettingsE2E, ProgramFolderOutsideTheCodePageKeepsSettingsSkinAndIcon) {
  char ansi[8] = {};
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u00E9", 1, ansi, sizeof ansi, nullptr, &lost);
  ASSERT_TRUE(lost) << "code page " << GetACP() << " has \"\u00E9\": the folder proves nothing here";
  OcuralApp app(OcuralApp::FolderSuffix{L" Jos\u00E9"});
  app.CopyFromBuild(L"round.vsk");
  app.CopyFromBuild(L"skins");
  app.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastSkin=round.vsk\r\n" + PlaceAt(200, 100) +
                                   "LastMagnification=3\r\n");
  const int iconsBefore = TrayIcons();
  const auto runUntilAt = [&](int x, int y) {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForMainWindow());
    ASSERT_TRUE(WaitFor([&] { return app.WindowRect().left == x && app.WindowRect().top == y; }, 3000))
        << "the saved place";
    const RECT wr = app.WindowRect();
    EXPECT_GT(wr.right - wr.left, 201) << "the round loupe's picture is larger than the designed look";
  };
  runUntilAt(200, 100);

  // The icon's window in the notification area shows a picture, not an
  // empty square.
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  ASSERT_TRUE(WaitFor([&] { return TrayIcons() == iconsBefore + 1; }, 3000));
  HWND icon = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr);
  ASSERT_NE(icon, nullptr);
  Pump(300);
  RECT ir{};
  GetWindowRect(icon, &ir);
  const ScreenShot shot(ir);
  int differing = 0;
  for (int y = 0; y < shot.Height(); ++y) {
    for (int x = 0; x < shot.Width(); ++x) differing += shot.At(x, y) != shot.At(0, 0);
  }
  EXPECT_GT(differing, shot.Width() * shot.Height() / 8) << "the icon's square is nearly one colour";

  MoveWindowTo(app.MainWindow(), 123, 234);
  ASSERT_TRUE(WaitUntilSettled(app));
  PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app.WaitExit(10000), 0);
  const std::string saved = app.ReadFile(L"Ocural.ini");
  EXPECT_NE(saved.find("\r\nLastSkin=round.vsk\r\n" + PlaceAt(123, 234) + "LastMagnification=3\r\n"),
            std::string::npos)
      << saved;
  runUntilAt(123, 234);
}

}  // namespace
}  // namespace ocural::e2e
