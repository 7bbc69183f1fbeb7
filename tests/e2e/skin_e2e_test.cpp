// Skins: the bundled round loupe shapes the window; skins made here shape the
// window and the lens, place the zoom areas and buttons, and come back at the
// next start; a broken skin says so and the program goes on with its designed
// look.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/common/picture_set.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/lens_probe.h"
#include "tests/e2e/skin_files.h"

namespace ocural::e2e {
namespace {

using testing::DecodePattern;

// None of these decode as pattern pixels (the pattern's blue is 001xxxxx).
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBody = RGB(40, 90, 160);
constexpr COLORREF kUnderLens = RGB(200, 30, 130);
constexpr COLORREF kLensInk = RGB(0, 0, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInArea = RGB(250, 200, 0);
constexpr COLORREF kOutArea = RGB(0, 160, 70);
// The designed look's body.
constexpr COLORREF kDesignedBody = RGB(192, 255, 192);

// Opens the window at (300, 200) pixels.
std::string SettingsWith(const std::string& skin, int magnification = 2) {
  return "[OcuralSetting]\r\nLastSkin=" + skin + "\r\n" + PlaceAt(300, 200) +
         "LastMagnification=" + std::to_string(magnification) + "\r\n";
}

class SkinE2E : public ::testing::Test {
 protected:
  void TearDown() override {
    MouseUp(1);
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      SaveFailureShot(std::string(info->test_suite_name()) + "." + info->name());
    }
  }
  bool WindowAt(int x, int y, DWORD timeoutMs = 3000) {
    return WaitFor([&] { return app_.WindowRect().left == x && app_.WindowRect().top == y; }, timeoutMs);
  }
  void Close(OcuralApp& app) {
    PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
    ASSERT_EQ(app.WaitExit(10000), 0);
  }

  PatternWindow pattern_;
  OcuralApp app_;
};

std::wstring MessageText(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return text;
}

// The program's push button with this caption.
HWND ButtonOf(HWND main, const wchar_t* caption) { return FindWindowExW(main, nullptr, L"Button", caption); }

// The pattern shows through at (x, y): the pixel there names itself.
bool ShowsThrough(const ScreenShot& shot, int x, int y) {
  const auto p = DecodePattern(shot.At(x, y));
  return p && p->x == x && p->y == y;
}

// Reads the screen or the places of windows while the main window stands at
// (x, y): a snapshot of the program moves it off the screen for a moment
// (40 ms or more), and what is read then is of no use. Gives false when the
// window does not stand still there within the time.
bool ReadAtRest(const OcuralApp& app, int x, int y, const std::function<void()>& read, DWORD timeoutMs = 5000) {
  auto here = [&] { return app.WindowRect().left == x && app.WindowRect().top == y; };
  WaitUntilSettled(app, 250, timeoutMs);
  return WaitFor(
      [&] {
        if (!here()) return false;
        read();
        return here();
      },
      timeoutMs);
}

// A shot of the screen with the window at (x, y). A snapshot can move the
// window away and back within one shot; two shots in a row that agree on the
// window's rectangle did not meet one.
bool ShotAtRest(const OcuralApp& app, int x, int y, std::optional<ScreenShot>* shot, DWORD timeoutMs = 5000) {
  auto here = [&] { return app.WindowRect().left == x && app.WindowRect().top == y; };
  WaitUntilSettled(app, 250, timeoutMs);
  return WaitFor(
      [&] {
        if (!here()) return false;
        const RECT r = app.WindowRect();
        shot->emplace();
        ScreenShot again;
        if (!here()) return false;
        for (LONG j = std::max(0L, r.top); j < r.bottom && j < again.Height(); j += 3) {
          for (LONG i = std::max(0L, r.left); i < r.right && i < again.Width(); i += 3) {
            if (again.At(i, j) != (*shot)->At(i, j)) return false;
          }
        }
        return true;
      },
      timeoutMs);
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string Hex(COLORREF c) {
  char buf[16];
  snprintf(buf, sizeof buf, "%06lx", static_cast<unsigned long>(c));
  return buf;
}

// Checks the lens box at `box` in its rows firstRow..lastRow. Its picture is
// `lens`, placed at `offset` on the body picture `base`. Where the lens
// picture is not white the box shows the magnified pattern: each lens row one
// source row, each column one source column, both in order without gaps, from
// the source rectangle's first row (when firstRow is 0) and first column to
// its last column. Where the lens picture is white or does not reach (the
// square's extension), the box is cut away and the body picture shows.
// "" when right.
std::string LensBoxShows(const ScreenShot& shot, const RECT& box, int zoom, const Picture& lens,
                         const Picture& base, POINT offset, int firstRow, int lastRow) {
  const ExpectedSource src = SourceFor(box, zoom);
  const int w = box.right - box.left;
  std::vector<int> colX(w, -1), rowY(lastRow + 1, -1);
  auto at = [](int i, int j) { return "lens pixel (" + std::to_string(i) + "," + std::to_string(j) + ")"; };
  bool anyPicture = false;
  for (int j = firstRow; j <= lastRow; ++j) {
    for (int i = 0; i < w; ++i) {
      const COLORREF c = shot.At(box.left + i, box.top + j);
      const bool inPicture = i < lens.Width() && j < lens.Height() && lens.At(i, j) != kWhite;
      if (!inPicture) {
        const COLORREF want = base.At(offset.x + i, offset.y + j);
        if (c != want) return at(i, j) + " should be cut away but shows " + Hex(c) + ", not the body's " + Hex(want);
        continue;
      }
      anyPicture = true;
      const auto p = DecodePattern(c);
      if (!p) return at(i, j) + " colour " + Hex(c) + " is not a pattern pixel";
      if (p->phase != 0) return at(i, j) + " shows an old snapshot";
      if (!src.Contains(p->x, p->y)) {
        return at(i, j) + " shows (" + std::to_string(p->x) + "," + std::to_string(p->y) + "), outside " +
               std::to_string(src.x) + "," + std::to_string(src.y) + " " + std::to_string(src.width) + "x" +
               std::to_string(src.height);
      }
      if (colX[i] == -1) colX[i] = p->x;
      if (rowY[j] == -1) rowY[j] = p->y;
      if (colX[i] != p->x || rowY[j] != p->y) return at(i, j) + " breaks its row or column";
    }
  }
  if (!anyPicture) return {};
  // The rows checked hold every column of the picture.
  int prev = src.x - 1;
  for (int i = 0; i < w; ++i) {
    if (colX[i] == -1) return "lens column " + std::to_string(i) + " shows nothing";
    if (i == 0 && colX[0] != src.x) return "lens column 0 does not show the first source column";
    if (colX[i] != prev && colX[i] != prev + 1) return "lens column " + std::to_string(i) + " out of order or after a gap";
    prev = colX[i];
  }
  if (prev != src.x + src.width - 1) return "the last source column is not shown";
  prev = -1;
  for (int j = firstRow; j <= lastRow; ++j) {
    if (rowY[j] == -1) continue;
    if (prev == -1 && firstRow == 0 && rowY[j] != src.y) return "the first lens row does not show the first source row";
    if (prev != -1 && rowY[j] != prev && rowY[j] != prev + 1) {
      return "lens row " + std::to_string(j) + " out of order or after a gap";
    }
    prev = rowY[j];
  }
  return {};
}


TEST_F(SkinE2E, RoundSkinGivesThePictureSizeAndOutlineAndComesBack) {
  app_.CopyFromBuild(L"round.vsk");
  app_.CopyFromBuild(L"skins");
  app_.WriteFile(L"Ocural.ini", "[OcuralSetting]\r\nLastSkin=round.vsk\r\n" + PlaceAt(200, 100));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WaitFor([&] { return app_.WindowRect().top == 100; }, 5000));
  const RECT wr = app_.WindowRect();
  EXPECT_GT(wr.right - wr.left, 201) << "the round loupe's picture is larger than the designed look";
  // The corner is cut away: the pattern behind shows through there.
  EXPECT_TRUE(WaitFor(
      [&] {
        std::optional<ScreenShot> shot;
        return ShotAtRest(app_, wr.left, 100, &shot, 1000) && ShowsThrough(*shot, wr.left + 1, 100 + 1);
      },
      5000));
  Close(app_);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=round.vsk\r\n"), std::string::npos);
}

// A body 237 x 221 (odd sizes: padded BMP rows) whose top-left colour also
// fills a hole in the middle, and a lens picture 121 x 81 with white corners,
// set at (20, 40): the lens box is 121 x 121 and its lower part is cut away.
struct ShapedSkin {
  Picture base{237, 221, kBody};
  Picture lens{121, 81, kLensInk};
  POINT lensAt{20, 40};
  ShapedSkin() {
    base.Fill(0, 0, 24, 24, kMagenta);      // the corner
    base.Fill(170, 60, 209, 99, kMagenta);  // the hole, not joined to the corner
    base.Fill(20, 125, 140, 160, kUnderLens);
    for (int x : {0, 115}) {
      for (int y : {0, 75}) lens.Fill(x, y, x + 5, y + 5, kWhite);
    }
  }
  void WriteTo(const OcuralApp& app) const {
    CreateDirectoryW(app.PathOf(L"shaped").c_str(), nullptr);
    app.WriteFile(L"shaped\\body.bmp", Bmp24(base));
    app.WriteFile(L"shaped\\lens.bmp", Bmp24(lens));
    app.WriteFile(L"shaped.vsk", SkinText({{"name", "Shaped"},
                                           {"author", "tests"},
                                           {"base", "shaped\\body.bmp"},
                                           {"lens", "shaped\\lens.bmp"},
                                           {"lensoffsetx", "20"},
                                           {"lensoffsety", "40"},
                                           {"inbuttonvisible", "1"},
                                           {"inrectx1", "30"},
                                           {"inrectx2", "50"},
                                           {"inrecty1", "180"},
                                           {"inrecty2", "200"},
                                           {"outbuttonvisible", "1"},
                                           {"outrectx1", "60"},
                                           {"outrectx2", "80"},
                                           {"outrecty1", "180"},
                                           {"outrecty2", "200"}}));
  }
};

TEST_F(SkinE2E, TopLeftColourIsCutEverywhereAndTheLensIsSquaredAndCutByItsWhite) {
  const ShapedSkin skin;
  skin.WriteTo(app_);
  app_.WriteFile(L"Ocural.ini", SettingsWith("shaped.vsk"));

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run == 1 ? "first start" : "second start, the skin comes back by itself");
    ASSERT_TRUE(app_.Start());
    ASSERT_TRUE(app_.WaitForMainWindow());
    ASSERT_TRUE(WindowAt(300, 200));
    RECT wr{}, lr{};
    ASSERT_TRUE(ReadAtRest(app_, 300, 200, [&] {
      wr = app_.WindowRect();
      lr = app_.LensRect();
    }));
    EXPECT_EQ(wr.right - wr.left, 237);
    EXPECT_EQ(wr.bottom - wr.top, 221);
    EXPECT_EQ(lr.left - wr.left, 20);
    EXPECT_EQ(lr.top - wr.top, 40);
    EXPECT_EQ(lr.right - lr.left, 121) << "the lens box is square";
    EXPECT_EQ(lr.bottom - lr.top, 121) << "the lens box is square";

    // The lens picture's own rows (its white corners cut away), then the rows
    // the square adds below it, which are white and cut away too; the corner
    // and the hole show the pattern behind up to their edges, and right beside
    // them, and elsewhere, the body shows.
    const int pictureRows = skin.lens.Height();
    const RECT lens{300 + 20, 200 + 40, 300 + 20 + 121, 200 + 40 + 121};
    std::string pictureError, squareError, outlineError;
    WaitFor(
        [&] {
          std::optional<ScreenShot> at;
          if (!ShotAtRest(app_, 300, 200, &at, 1000)) return false;
          const ScreenShot& shot = *at;
          pictureError = LensBoxShows(shot, lens, 2, skin.lens, skin.base, skin.lensAt, 0, pictureRows - 1);
          squareError = LensBoxShows(shot, lens, 2, skin.lens, skin.base, skin.lensAt, pictureRows, 120);
          outlineError.clear();
          for (POINT p : {POINT{0, 0}, POINT{24, 24}, POINT{0, 24}, POINT{170, 60}, POINT{209, 99},
                          POINT{190, 80}}) {
            if (!ShowsThrough(shot, 300 + p.x, 200 + p.y)) {
              outlineError += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ") hides the pattern;";
            }
          }
          for (POINT p : {POINT{25, 24}, POINT{24, 25}, POINT{169, 80}, POINT{210, 80}, POINT{190, 59},
                          POINT{190, 100}, POINT{236, 0}, POINT{0, 220}, POINT{236, 220}, POINT{200, 150}}) {
            const COLORREF c = shot.At(300 + p.x, 200 + p.y);
            if (c != kBody) {
              outlineError += " (" + std::to_string(p.x) + "," + std::to_string(p.y) + ") shows " + Hex(c) + ";";
            }
          }
          return pictureError.empty() && squareError.empty() && outlineError.empty();
        },
        10000);
    EXPECT_EQ(pictureError, "") << "the lens picture's rows";
    EXPECT_EQ(squareError, "") << "the rows the square adds";
    EXPECT_EQ(outlineError, "") << "window pixels";
    if (!pictureError.empty() || !squareError.empty() || !outlineError.empty()) {
      SaveFailureShot("SkinE2E.Shaped-start" + std::to_string(run));
    }
    Close(app_);
    EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=shaped.vsk\r\n"), std::string::npos);
  }
}

// A body 200 x 200 with a square lens picture 100 x 100 at (10, 10), buttons
// hidden and their areas painted: in 130..169 x 20..59, out 150..189 x 40..79
// (overlapping in 150..169 x 40..59).
void WritePaintedSkin(const OcuralApp& app) {
  Picture base(200, 200, kBody);
  base.Fill(0, 0, 3, 3, kMagenta);
  base.Fill(130, 20, 169, 59, kInArea);
  base.Fill(150, 40, 189, 79, kOutArea);
  app.WriteFile(L"painted_body.bmp", Bmp24(base));
  app.WriteFile(L"painted_lens.bmp", Bmp24(Picture(100, 100, kLensInk)));
  app.WriteFile(L"painted.vsk", SkinText({{"name", "Painted"},
                                          {"base", "painted_body.bmp"},
                                          {"lens", "painted_lens.bmp"},
                                          {"lensoffsetx", "10"},
                                          {"lensoffsety", "10"},
                                          {"inbuttonvisible", "0"},
                                          {"inrectx1", "130"},
                                          {"inrectx2", "169"},
                                          {"inrecty1", "20"},
                                          {"inrecty2", "59"},
                                          {"outbuttonvisible", "0"},
                                          {"outrectx1", "150"},
                                          {"outrectx2", "189"},
                                          {"outrecty1", "40"},
                                          {"outrecty2", "79"}}));
}

TEST_F(SkinE2E, PaintedZoomAreasZoomOnTheirEdgesInWinsTheOverlapAndTheRestOfTheBodyDrags) {
  WritePaintedSkin(app_);
  app_.WriteFile(L"Ocural.ini", SettingsWith("painted.vsk"));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WindowAt(300, 200));
  ASSERT_EQ(app_.WindowRect().right - app_.WindowRect().left, 200);
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  HWND plus = ButtonOf(app_.MainWindow(), L"+");
  HWND minus = ButtonOf(app_.MainWindow(), L"-");
  ASSERT_NE(plus, nullptr);
  ASSERT_NE(minus, nullptr);
  EXPECT_FALSE(IsWindowVisible(plus));
  EXPECT_FALSE(IsWindowVisible(minus));

  struct Press {
    int x, y, zoom;
    const char* where;
  };
  const Press presses[] = {
      {129, 20, 2, "just left of the in area: a drag without moving"},
      {130, 20, 3, "the in area's top-left pixel"},
      {169, 59, 4, "the in area's bottom-right pixel, also in the out area"},
      {160, 50, 5, "inside both areas"},
      {189, 79, 4, "the out area's bottom-right pixel"},
      {170, 40, 3, "the out area, right of the in area"},
      {190, 79, 3, "just right of the out area"},
      {150, 80, 3, "just below the out area"},
  };
  // Each click follows the last at once, as a hand clicks: every press counts
  // on its own, however close in time and place to the one before. A click
  // that changes nothing is shown by the next one that does.
  for (const Press& p : presses) {
    ClickAt(300 + p.x, 200 + p.y);
    EXPECT_EQ(WaitForLens(app_, p.zoom, 0), "") << "after a click on " << p.where;
    EXPECT_TRUE(WindowAt(300, 200)) << "after a click on " << p.where;
  }
  // Three quick clicks on one spot, well within the double-click time.
  QuickClicks(300 + 140, 200 + 30, 3);
  EXPECT_EQ(WaitForLens(app_, 6, 0), "") << "three quick clicks on the in area zoom three steps";

  // A click on the body and at once a drag from the same spot: the second
  // press grabs the window and moves it by the drag distance.
  QuickClicks(400, 350, 1);
  MouseDown();
  for (int k = 1; k <= 8; ++k) MouseTo(400 + 20 * k, 350 + 10 * k);
  MouseUp();
  EXPECT_TRUE(WindowAt(460, 280)) << "it is at " << app_.WindowRect().left << "," << app_.WindowRect().top;
  EXPECT_EQ(WaitForLens(app_, 6, 0), "");
  Close(app_);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastMagnification=6\r\n"), std::string::npos);
}

TEST_F(SkinE2E, PointerIsTheHandOverAPaintedAreaAndTheArrowElsewhere) {
  WritePaintedSkin(app_);
  app_.WriteFile(L"Ocural.ini", SettingsWith("painted.vsk"));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WindowAt(300, 200));
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  // GetCursorInfo gives the cursor the system shows, whichever program set it.
  auto cursorAt = [](int x, int y) {
    MouseTo(x, y);
    MouseTo(x + 1, y);
    MouseTo(x, y);
    Pump(150);
    CURSORINFO ci{};
    ci.cbSize = sizeof(ci);
    return GetCursorInfo(&ci) ? ci.hCursor : nullptr;
  };
  const HCURSOR overBody = cursorAt(300 + 100, 200 + 150);
  const HCURSOR overIn = cursorAt(300 + 130, 200 + 20);
  const HCURSOR overOut = cursorAt(300 + 189, 200 + 79);
  const HCURSOR overInAgain = cursorAt(300 + 140, 200 + 30);
  const HCURSOR backOnBody = cursorAt(300 + 190, 200 + 79);
  ASSERT_NE(overBody, nullptr);
  EXPECT_NE(overIn, overBody) << "the pointer changes over the in area's corner pixel";
  EXPECT_EQ(overOut, overIn) << "the same hand over the out area's corner pixel";
  EXPECT_EQ(overInAgain, overIn);
  EXPECT_EQ(backOnBody, overBody) << "one pixel off the out area the pointer is the body's again";
  // Windows shares the system's cursors between programs, so the body's is the
  // very arrow this program loads; Wine gives every program its own copies,
  // and another program's cursor cannot be read back there to compare.
  if (!UnderWine()) {
    EXPECT_EQ(overBody, LoadCursorW(nullptr, IDC_ARROW));
  }
}

TEST_F(SkinE2E, ShownButtonsLieOnTheirRectanglesAndTakeTheirOwnClicks) {
  Picture base(200, 200, kBody);
  base.Fill(0, 0, 3, 3, kMagenta);
  app_.WriteFile(L"buttons_body.bmp", Bmp24(base));
  app_.WriteFile(L"buttons_lens.bmp", Bmp24(Picture(100, 100, kLensInk)));
  app_.WriteFile(L"buttons.vsk", SkinText({{"name", "Buttons"},
                                           {"base", "buttons_body.bmp"},
                                           {"lens", "buttons_lens.bmp"},
                                           {"lensoffsetx", "10"},
                                           {"lensoffsety", "10"},
                                           {"inbuttonvisible", "1"},
                                           {"inrectx1", "120"},
                                           {"inrectx2", "170"},
                                           {"inrecty1", "130"},
                                           {"inrecty2", "160"},
                                           {"outbuttonvisible", "1"},
                                           {"outrectx1", "20"},
                                           {"outrectx2", "50"},
                                           {"outrecty1", "165"},
                                           {"outrecty2", "190"}}));
  app_.WriteFile(L"Ocural.ini", SettingsWith("buttons.vsk"));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WindowAt(300, 200));
  ASSERT_EQ(WaitForLens(app_, 2, 0), "");
  HWND plus = ButtonOf(app_.MainWindow(), L"+");
  HWND minus = ButtonOf(app_.MainWindow(), L"-");
  ASSERT_NE(plus, nullptr);
  ASSERT_NE(minus, nullptr);
  EXPECT_TRUE(IsWindowVisible(plus));
  EXPECT_TRUE(IsWindowVisible(minus));
  RECT r{}, m{};
  ASSERT_TRUE(ReadAtRest(app_, 300, 200, [&] {
    GetWindowRect(plus, &r);
    GetWindowRect(minus, &m);
  }));
  EXPECT_EQ(r.left - 300, 120);
  EXPECT_EQ(r.top - 200, 130);
  EXPECT_EQ(r.right - r.left, 50);
  EXPECT_EQ(r.bottom - r.top, 30);
  EXPECT_EQ(m.left - 300, 20);
  EXPECT_EQ(m.top - 200, 165);
  EXPECT_EQ(m.right - m.left, 30);
  EXPECT_EQ(m.bottom - m.top, 25);

  ClickAt(300 + 145, 200 + 145);
  EXPECT_EQ(WaitForLens(app_, 3, 0), "") << "a click on +";
  ClickAt(300 + 145, 200 + 145);
  EXPECT_EQ(WaitForLens(app_, 4, 0), "") << "a click on +";
  ClickAt(300 + 35, 200 + 177);
  EXPECT_EQ(WaitForLens(app_, 3, 0), "") << "a click on -";
  // The rectangle's right and bottom edges lie beside the button, on the body:
  // with the button shown, no painted area is there.
  ClickAt(300 + 170, 200 + 145);
  ClickAt(300 + 145, 200 + 160);
  Pump(300);
  EXPECT_EQ(LensShows(app_, 3, 0), "") << "a click beside + does not zoom";
  EXPECT_TRUE(WindowAt(300, 200));
  Close(app_);
}

// A skin that cannot be used: the message it gives.
struct BrokenSkin {
  const char* what;
  std::string vsk;
  const wchar_t* message;
  const wchar_t* names = nullptr;  // the picture the message names on its second line
};

constexpr wchar_t kBaseUnreadable[] = L"ベースファイルを画像として読み込めません";
constexpr wchar_t kLensUnreadable[] = L"レンズファイルを画像として読み込めません";

void ExpectMessageThenDesignedLook(OcuralApp& app, const std::wstring& message) {
  ASSERT_TRUE(app.Start());
  const HWND box = WaitForMessageBox(app);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageText(box), message);
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_EQ(std::wstring(caption), L"Ocural");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(app.WaitForMainWindow());
  EXPECT_TRUE(WaitFor([&] { return app.WindowRect().left == 300 && app.WindowRect().top == 200; }, 3000));
  EXPECT_EQ(MessageBoxOf(app), nullptr) << "one message only";
  RECT client{};
  GetClientRect(app.MainWindow(), &client);
  EXPECT_EQ(client.right, DesignedClient().cx);
  EXPECT_EQ(client.bottom, DesignedClient().cy);
  EXPECT_EQ(WaitForLens(app, 2, 0), "");
  std::optional<ScreenShot> shot;
  ASSERT_TRUE(ShotAtRest(app, 300, 200, &shot));
  EXPECT_EQ(shot->At(300, 200), kDesignedBody) << "no outline: the corner is body";
  EXPECT_EQ(shot->At(300 + 120, 200 + 210), kDesignedBody);
  EXPECT_TRUE(IsWindowVisible(ButtonOf(app.MainWindow(), L"+")));
  EXPECT_TRUE(app.Running());
  PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(app.WaitExit(10000), 0);
  EXPECT_NE(app.ReadFile(L"Ocural.ini").find("LastSkin=\r\n"), std::string::npos);
}

TEST_F(SkinE2E, BrokenSkinsSayWhatIsWrongAndTheDesignedLookStays) {
  const ShapedSkin good;
  const std::string goodBase = Bmp24(good.base);
  const std::string cutBase = goodBase.substr(0, 54 + (goodBase.size() - 54) / 2);
  auto vsk = [](const char* base, const char* lens) {
    std::vector<std::pair<std::string, std::string>> keys{{"name", "Broken"}};
    if (base) keys.emplace_back("base", base);
    if (lens) keys.emplace_back("lens", lens);
    keys.emplace_back("lensoffsetx", "20");
    keys.emplace_back("lensoffsety", "40");
    return SkinText(keys);
  };
  const BrokenSkin cases[] = {
      {"no base key", vsk(nullptr, "lens.bmp"), L"ベースファイルが設定されていません。"},
      {"an empty base", vsk("", "lens.bmp"), L"ベースファイルが設定されていません。"},
      {"a base that is not there", vsk("nothere.bmp", "lens.bmp"), L"ベースファイルがみつかりません"},
      {"a base that is a folder", vsk("folder", "lens.bmp"), L"ベースファイルがみつかりません"},
      {"a cut-off base", vsk("cut.bmp", "lens.bmp"), kBaseUnreadable, L"cut.bmp"},
      {"a base that is text", vsk("text.bmp", "lens.bmp"), kBaseUnreadable, L"text.bmp"},
      {"no lens key", vsk("body.bmp", nullptr), L"レンズファイルが設定されていません。"},
      {"a lens that is not there", vsk("body.bmp", "nothere.bmp"), L"レンズファイルがみつかりません"},
      {"a cut-off lens", vsk("body.bmp", "cut.bmp"), kLensUnreadable, L"cut.bmp"},
      {"a base wider than any skin needs", vsk("wide.bmp", "lens.bmp"), kBaseUnreadable, L"wide.bmp"},
      {"a lens wider than any skin needs", vsk("body.bmp", "wide.bmp"), kLensUnreadable, L"wide.bmp"},
  };
  for (const BrokenSkin& c : cases) {
    SCOPED_TRACE(c.what);
    OcuralApp app;
    app.WriteFile(L"body.bmp", goodBase);
    app.WriteFile(L"lens.bmp", Bmp24(good.lens));
    app.WriteFile(L"cut.bmp", cutBase);
    app.WriteFile(L"text.bmp", "this is not a picture\r\n");
    app.WriteFile(L"wide.bmp", Bmp24(Picture(4097, 2, kBody)));
    CreateDirectoryW(app.PathOf(L"folder").c_str(), nullptr);
    app.WriteFile(L"broken.vsk", c.vsk);
    app.WriteFile(L"Ocural.ini", SettingsWith("broken.vsk"));
    ExpectMessageThenDesignedLook(app, c.names ? c.message + (L"\r\n" + app.PathOf(c.names)) : c.message);
  }
}

// A body of one colour has nothing left once its top-left colour is cut
// away. The window must stay whole, to be seen, dragged and right-clicked,
// or the skin would lock the user out at every start.
TEST_F(SkinE2E, OneColourBodyKeepsItsWholeRectangleAndCanStillBeDragged) {
  ShapedSkin skin;
  skin.base = Picture(150, 120, kBody);
  skin.WriteTo(app_);
  app_.WriteFile(L"Ocural.ini", SettingsWith("shaped.vsk"));
  ASSERT_TRUE(app_.Start());
  ASSERT_TRUE(app_.WaitForMainWindow());
  ASSERT_TRUE(WindowAt(300, 200));
  const RECT wr = app_.WindowRect();
  EXPECT_EQ(wr.right - wr.left, 150);
  EXPECT_EQ(wr.bottom - wr.top, 120);
  std::optional<ScreenShot> shot;
  ASSERT_TRUE(ShotAtRest(app_, 300, 200, &shot));
  for (POINT p : {POINT{0, 0}, POINT{149, 0}, POINT{0, 119}, POINT{149, 119}, POINT{5, 110}}) {
    EXPECT_EQ(Hex(shot->At(300 + p.x, 200 + p.y)), Hex(kBody)) << "body pixel " << p.x << "," << p.y;
  }
  MouseTo(305, 310);
  MouseDown();
  for (int k = 1; k <= 4; ++k) MouseTo(305 + 10 * k, 310 + 5 * k);
  MouseUp();
  EXPECT_TRUE(WindowAt(340, 220)) << "it is at " << app_.WindowRect().left << "," << app_.WindowRect().top;
  Close(app_);
  EXPECT_NE(app_.ReadFile(L"Ocural.ini").find("LastSkin=shaped.vsk\r\n"), std::string::npos);
}

TEST_F(SkinE2E, MissingSkinFileSaysTheBaseIsNotSetAndStartsPlain) {
  app_.WriteFile(L"Ocural.ini", SettingsWith("nothere.vsk"));
  ExpectMessageThenDesignedLook(app_, L"ベースファイルが設定されていません。");
}

// Pictures written by ImageMagick (tests/pictures/make_pictures.sh) as the
// body of a skin, each in the real program: the window shows every pixel as
// ImageMagick decodes the same file, less the top-left colour and the pixels
// of alpha 0, where the pattern behind shows; a copy cut short gives the
// message that names it; one with a wrong size loads or gives that message.
TEST_F(SkinE2E, ToolWrittenPicturesShowAsImageMagickDecodesThemOrNameTheFileTheyCannotBeReadFrom) {
  std::string folder = ocural_test::PictureFolder();
  if (folder.empty()) GTEST_SKIP() << "OCURAL_PICTURES is not set (scripts/test.sh makes the pictures)";
  if (folder[0] == '/') folder = "Z:" + folder;
  const std::vector<ocural_test::PictureVariant> variants = ocural_test::PictureVariants(folder);
  ASSERT_GE(variants.size(), 40u);
  std::vector<std::string> failures;
  int exact = 0;
  for (const auto& v : variants) {
    SCOPED_TRACE(v.name);
    const std::wstring name(v.name.begin(), v.name.end());
    const std::vector<uint8_t> bytes = ocural_test::ReadBytes(folder + "/" + v.name);
    OcuralApp app;
    app.WriteFile(name, std::string(bytes.begin(), bytes.end()));
    app.WriteFile(L"lens.bmp", Bmp24(Picture(1, 1, kLensInk)));
    // The lens lies beyond the window, so the whole body shows.
    app.WriteFile(L"tool.vsk", SkinText({{"base", v.name},
                                         {"lens", "lens.bmp"},
                                         {"lensoffsetx", "3000"},
                                         {"lensoffsety", "3000"},
                                         {"inbuttonvisible", "0"},
                                         {"outbuttonvisible", "0"}}));
    app.WriteFile(L"Ocural.ini", SettingsWith("tool.vsk"));
    ASSERT_TRUE(app.Start());
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return app.MainWindow() || (box = MessageBoxOf(app)) != nullptr; }, 15000));
    if (v.kind == "cut" || v.kind == "bad") {
      if (box || v.kind == "cut") {
        if (!box) box = WaitForMessageBox(app);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageText(box), kBaseUnreadable + (L"\r\n" + app.PathOf(name)));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      ASSERT_TRUE(app.WaitForMainWindow());
      Close(app);
      continue;
    }
    const std::vector<uint8_t> ref = ocural_test::ReadBytes(folder + "/" + v.name + ".rgba");
    ASSERT_EQ(ref.size(), static_cast<size_t>(v.width) * v.height * 4);
    ASSERT_EQ(box, nullptr) << Utf8(MessageText(box));
    ASSERT_TRUE(app.WaitForMainWindow());
    ASSERT_TRUE(WaitFor([&] { return app.WindowRect().left == 300 && app.WindowRect().top == 200; }, 5000));
    RECT client{};
    GetClientRect(app.MainWindow(), &client);
    ASSERT_EQ(client.right, v.width);
    ASSERT_EQ(client.bottom, v.height);
    auto pixel = [&](int x, int y) { return ref.data() + (static_cast<size_t>(y) * v.width + x) * 4; };
    bool anyClear = false, allClear = true;
    for (size_t i = 3; i < ref.size(); i += 4) {
      if (ref[i] == 0) {
        anyClear = true;
      } else {
        allClear = false;
      }
    }
    const bool mask = anyClear && !allClear;  // every pixel clear: taken as opaque
    const bool keyOn = !(mask && pixel(0, 0)[3] == 0);
    auto rgb = [](const uint8_t* p) { return RGB(p[0], p[1], p[2]); };
    // How far a colour may lie from ImageMagick's: 0, or for a "near" picture 48 a channel.
    const int slack = v.kind == "near" ? 48 : 0;
    auto close = [slack](COLORREF a, COLORREF b) {
      return std::abs(GetRValue(a) - GetRValue(b)) <= slack && std::abs(GetGValue(a) - GetGValue(b)) <= slack &&
             std::abs(GetBValue(a) - GetBValue(b)) <= slack;
    };
    auto cutAway = [&](const uint8_t* p) { return (mask && p[3] == 0) || (keyOn && rgb(p) == rgb(pixel(0, 0))); };
    // A body with nothing left keeps its whole rectangle.
    bool anyKept = false;
    for (size_t i = 0; i < ref.size() && !anyKept; i += 4) anyKept = !cutAway(ref.data() + i);
    std::string error;
    WaitFor(
        [&] {
          std::optional<ScreenShot> shot;
          if (!ShotAtRest(app, 300, 200, &shot, 1000)) return false;
          int wrong = 0;
          error.clear();
          for (int y = 0; y < v.height; ++y) {
            for (int x = 0; x < v.width; ++x) {
              const uint8_t* p = pixel(x, y);
              // Where the decoders may disagree on the top-left colour, either is right.
              if (slack && close(rgb(p), rgb(pixel(0, 0)))) continue;
              const bool cut = anyKept && cutAway(p);
              const COLORREF got = shot->At(300 + x, 200 + y);
              if (cut ? ShowsThrough(*shot, 300 + x, 200 + y) : close(got, rgb(p))) continue;
              if (wrong++ == 0) {
                error = "at " + std::to_string(x) + "," + std::to_string(y) + ": " + Hex(got) + " instead of " +
                        (cut ? std::string("the pattern") : Hex(rgb(p)));
              }
            }
          }
          if (wrong) error += " (" + std::to_string(wrong) + " pixels wrong)";
          return wrong == 0;
        },
        4000);
    if (error.empty()) {
      ++exact;
    } else {
      failures.push_back(v.name + ": " + error);
    }
    Close(app);
  }
  std::string all;
  for (const std::string& f : failures) all += "\n  " + f;
  printf("[ pictures ] %d as ImageMagick decodes them, %zu not:%s\n", exact, failures.size(), all.c_str());
  EXPECT_TRUE(failures.empty()) << all;
}

}  // namespace
}  // namespace ocural::e2e
