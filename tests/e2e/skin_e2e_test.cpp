// Skins: the bundled round loupe shapes the window; a broken skin says so and
// the program goes on with its designed look.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"

namespace ocural::e2e {
namespace {

class SkinE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  PatternWindow pattern_;
  OcuralApp app_;
};

// The message box of the program, if one is open.
HWND MessageBoxOf(const OcuralApp& app) {
  for (HWND w : app.Windows()) {
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

std::wstring MessageText(HWND box) {
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  return text;
}

TEST_F(SkinE2E, RoundSkinGivesThePictureSizeAndOutlineAndComesBack) {
  app_.CopyFromBuild(L"round.vsk");
  app_.CopyFromBuild(L"skins");
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastSkin=round.vsk\r\nLastX=3000\r\nLastY=1500\r\n");
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WaitFor([&] { return app_.WindowRect().top == 100; }, 5000));
  const RECT wr = app_.WindowRect();
  EXPECT_GT(wr.right - wr.left, 201) << "the round loupe's picture is larger than the designed look";
  // The corner is cut away: the pattern behind shows through there.
  ASSERT_TRUE(WaitFor([&] { return testing::DecodePattern(ScreenShot().At(wr.left + 1, wr.top + 1)).has_value(); },
                      5000));
  const auto behind = testing::DecodePattern(ScreenShot().At(wr.left + 1, wr.top + 1));
  EXPECT_EQ(behind->x, wr.left + 1);
  EXPECT_EQ(behind->y, wr.top + 1);
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitExit(10000), 0);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=round.vsk\r\n"), std::string::npos);
}

TEST_F(SkinE2E, MissingSkinFileSaysTheBaseIsNotSetAndStartsPlain) {
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastSkin=nothere.vsk\r\n");
  ASSERT_TRUE(app_.Start());
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxOf(app_)) != nullptr; }, 10000));
  EXPECT_EQ(MessageText(box), L"ベースファイルが設定されていません。");
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Ocural");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(app_.WaitForMainWindow());
  RECT client{};
  GetClientRect(app_.MainWindow(), &client);
  EXPECT_EQ(client.right, 201);
  EXPECT_EQ(WaitForLens(app_, 2, 0), "");
  PostMessageW(app_.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app_.WaitExit(10000), 0);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=\r\n"), std::string::npos);
}

}  // namespace
}  // namespace ocural::e2e
