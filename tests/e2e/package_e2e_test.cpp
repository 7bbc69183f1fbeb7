// The release package as a user gets it: unpacked into a folder of its own
// and started from there, with nothing but what the zip brought. The folder
// comes from OCURAL_PACKAGE_DIR (scripts/test.sh unpacks the package of the
// build that can run here and sets it).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "controller/core/version_text.h"
#include "tests/e2e/harness.h"
#include "version.h"

namespace ocural::e2e {
namespace {

std::wstring PackageFolder() {
  wchar_t buf[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"OCURAL_PACKAGE_DIR", buf, 1024);
  std::wstring p = n > 0 && n < 1024 ? std::wstring(buf, n) : L"";
  if (!p.empty() && p[0] == L'/') {
    for (auto& c : p) {
      if (c == L'/') c = L'\\';
    }
    p = L"Z:" + p;
  }
  return p;
}

std::wstring Profile(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buf[260] = {};
  GetPrivateProfileStringW(section, key, L"", buf, 260, file.c_str());
  return buf;
}

// Width and height of a Windows bitmap file, from its header.
SIZE BitmapSize(const std::wstring& path) {
  SIZE s{-1, -1};
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return s;
  BYTE head[26] = {};
  DWORD got = 0;
  if (ReadFile(f, head, sizeof(head), &got, nullptr) && got == sizeof(head) && head[0] == 'B' && head[1] == 'M') {
    s.cx = *reinterpret_cast<const LONG*>(head + 18);
    s.cy = std::abs(*reinterpret_cast<const LONG*>(head + 22));
  }
  CloseHandle(f);
  return s;
}

class PackageE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  // A right click in the middle of the lens, then the item's access key.
  void MenuItem(OcuralApp& app, WORD key) {
    ASSERT_TRUE(WaitUntilSettled(app));
    const RECT lens = app.LensRect();
    MouseTo((lens.left + lens.right) / 2, (lens.top + lens.bottom) / 2);
    MouseDown(2);
    MouseUp(2);
    ASSERT_NE(OpenMenu(), nullptr) << "no menu";
    Key(key);
  }
};

TEST_F(PackageE2E, StartsWithTheBundledSkinShowsTheVersionOfItsResourceAndEndsCleanly) {
  const std::wstring folder = PackageFolder();
  if (folder.empty()) GTEST_SKIP() << "OCURAL_PACKAGE_DIR is not set (scripts/test.sh sets it)";
  const std::wstring exe = folder + L"\\Ocural.exe";
  const std::wstring ini = folder + L"\\Ocural.ini";
  ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "no Ocural.exe in the package";

  // The version resource carries the project's version from CMake.
  const std::wstring want = VersionText(OCURAL_VERSION_MAJOR, OCURAL_VERSION_MINOR, OCURAL_VERSION_REVISION);
  EXPECT_EQ(VersionOfExe(exe), want);

  // The skin that the package's settings name, and the size of its body.
  const std::wstring skin = Profile(ini, L"OcuralSetting", L"LastSkin");
  ASSERT_FALSE(skin.empty()) << "the package's settings name no skin";
  const SIZE body = BitmapSize(folder + L"\\" + Profile(folder + L"\\" + skin, L"OcuralSkin", L"base"));
  ASSERT_GT(body.cx, 0) << "the skin's base picture is not in the package";

  OcuralApp app(folder);
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForMainWindow());
  HWND main = app.MainWindow();
  EXPECT_TRUE(WaitFor(
      [&] {
        HRGN outline = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(main, outline);
        DeleteObject(outline);
        const RECT r = app.WindowRect();
        return kind == COMPLEXREGION && r.right - r.left == body.cx && r.bottom - r.top == body.cy;
      },
      5000))
      << "the window does not wear the skin " << std::string(skin.begin(), skin.end());

  // The version box, from the menu, reads the same version.
  ASSERT_NO_FATAL_FAILURE(MenuItem(app, 'V'));
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : app.Windows()) {
          if (TextOf(w) == L"バージョン情報" && IsWindowVisible(w)) box = w;
        }
        return box != nullptr;
      },
      5000))
      << "no version box";
  EXPECT_NE(ChildOf(box, L"OcuralLabel", want), nullptr) << "no label reads " << std::string(want.begin(), want.end());
  Key(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));

  // Ended from the menu: exit code 0, no window left, the settings written.
  const RECT at = app.WindowRect();
  ASSERT_NO_FATAL_FAILURE(MenuItem(app, 'X'));
  EXPECT_EQ(app.WaitExit(10000), 0);
  EXPECT_TRUE(app.Windows().empty());
  const std::string written = app.ReadFile(L"Ocural.ini");
  const std::string skinName(skin.begin(), skin.end());
  const std::vector<std::string> lines = {
      "AlwaysTop=1",          "ColorPicker=0",
      "NoLoadSkin=0",         "ShowTrayIcon=1",
      "ColorPickMode=0",      "LastSkin=" + skinName,
      "LastMagnification=2",  "LastX=" + std::to_string(at.left * 15),  // twips at 96 DPI
      "LastY=" + std::to_string(at.top * 15)};
  for (const auto& line : lines) {
    EXPECT_NE(written.find(line + "\r\n"), std::string::npos) << line << " in\n" << written;
  }
}

}  // namespace
}  // namespace ocural::e2e
