// Window outlines made with the real GDI and window calls: the region a
// window ends up with, and the one-call region against the per-run one.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/win/handles.h"
#include "platform/win/forms.h"
#include "skin/VBRGN.h"
#include "tests/common/region_per_run.h"

namespace ocural {
namespace {

constexpr uint32_t kMagenta = 0x00FF00FF;  // DIB pixel 0x00RRGGBB
constexpr uint32_t kBody = 0x00204060;
constexpr uint32_t kWhite = 0x00FFFFFF;

// A hidden borderless window whose outer size is the picture's.
class PopupWindow {
 public:
  PopupWindow(int w, int h) {
    static const wchar_t kClass[] = L"OcuralSkinRegionTest";
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kClass;
      registered = RegisterClassW(&wc) != 0;
    }
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~PopupWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  PopupWindow(const PopupWindow&) = delete;
  PopupWindow& operator=(const PopupWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A picture in a DIB section, pixels set top row first.
struct Picture {
  win::DibImage dib;
  Picture(int w, int h, uint32_t fill = kBody) {
    dib.Create(w, h);
    for (int i = 0; i < w * h; ++i) dib.bits()[i] = fill;
  }
  void Set(int x, int y, uint32_t v) { dib.bits()[y * dib.width() + x] = v; }
  uint32_t Get(int x, int y) const { return dib.bits()[y * dib.width() + x]; }
  // The runs as the core finds them in the same pixels, turned bottom-up.
  std::vector<RunRect> Runs(int32_t colour) const {
    const int w = dib.width(), h = dib.height();
    std::vector<uint32_t> up(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) up[static_cast<size_t>(h - 1 - y) * w + x] = Get(x, y);
    }
    return OpaqueRuns(up.data(), w, h, colour);
  }
};

// "" when exactly the pixels other than the key are inside the region.
std::string CompareWithPicture(HRGN region, const Picture& p, uint32_t key) {
  for (int y = 0; y < p.dib.height(); ++y) {
    for (int x = 0; x < p.dib.width(); ++x) {
      const bool inside = PtInRegion(region, x, y) != FALSE;
      if (inside != (p.Get(x, y) != key)) {
        return "pixel " + std::to_string(x) + "," + std::to_string(y) +
               (inside ? " is inside" : " is outside");
      }
    }
  }
  // Nothing outside the picture either.
  RECT box{};
  GetRgnBox(region, &box);
  if (box.left < 0 || box.top < 0 || box.right > p.dib.width() || box.bottom > p.dib.height()) {
    return "region reaches beyond the picture";
  }
  return "";
}

// The window's current region, as a copy the test owns.
win::Region WindowRegion(HWND hwnd) {
  win::Region copy(CreateRectRgn(0, 0, 0, 0));
  if (GetWindowRgn(hwnd, copy.get()) == ERROR) return win::Region();
  return copy;
}

// Rectangles of a region, read back with GetRegionData.
std::vector<RECT> RegionRects(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<uint8_t> data(size);
  if (size == 0 || GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())) != size) {
    return {};
  }
  const auto* rd = reinterpret_cast<const RGNDATA*>(data.data());
  const auto* r = reinterpret_cast<const RECT*>(rd->Buffer);
  return std::vector<RECT>(r, r + rd->rdh.nCount);
}

// A round body with a magenta surround, a magenta hole in the middle and a
// block at the bottom right, so a picture turned over would not match.
void DrawRoundWithHole(Picture& p) {
  const int size = p.dib.width();
  const double c = (size - 1) / 2.0, r = size / 2.0 - 1, hole = size / 8.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double d2 = (x - c) * (x - c) + (y - c) * (y - c);
      const bool ring = d2 <= r * r && d2 > hole * hole;
      const bool handle = x >= size * 3 / 4 && y >= size * 7 / 8;  // makes it lopsided
      p.Set(x, y, ring || handle ? ((x + y) % 5 ? kBody : kWhite) : kMagenta);
    }
  }
}

TEST(SkinShapeWindow, WindowTakesTheOutlineOfItsPicture) {
  Picture p(121, 121);
  DrawRoundWithHole(p);
  ASSERT_EQ(p.Get(60, 60), kMagenta);  // the hole is the top-left colour, away from the corner
  PopupWindow window(121, 121);
  ASSERT_NE(window.get(), nullptr);
  HRGN applied = VBRGN::ShapeWindow(window.get(), p.dib.dc(), p.dib.bitmap(), VBRGN::UseTopLeftColor);
  ASSERT_NE(applied, nullptr);
  win::Region now = WindowRegion(window.get());
  ASSERT_TRUE(now);
  EXPECT_EQ(CompareWithPicture(now.get(), p, kMagenta), "");
  win::Region perRun(ocural_test::BuildRegionPerRun(p.Runs(VBRGN::UseTopLeftColor)));
  EXPECT_TRUE(EqualRgn(now.get(), perRun.get()));
  // Every rectangle read back lies on body pixels only.
  const std::vector<RECT> rects = RegionRects(now.get());
  ASSERT_FALSE(rects.empty());
  for (const RECT& r : rects) {
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) ASSERT_NE(p.Get(x, y), kMagenta) << x << "," << y;
    }
  }
}

TEST(SkinShapeWindow, ExplicitColourCutsOnlyThatColour) {
  // White body pixels become holes when white is the colour asked for.
  Picture p(64, 64);
  DrawRoundWithHole(p);
  PopupWindow window(64, 64);
  ASSERT_NE(VBRGN::ShapeWindow(window.get(), p.dib.dc(), p.dib.bitmap(), 0xFFFFFF), nullptr);
  win::Region now = WindowRegion(window.get());
  ASSERT_TRUE(now);
  EXPECT_EQ(CompareWithPicture(now.get(), p, kWhite), "");
  EXPECT_TRUE(PtInRegion(now.get(), 0, 0));  // magenta stays
}

TEST(SkinShapeWindow, AllTransparentAndAllOpaquePictures) {
  PopupWindow window(40, 30);
  Picture clear(40, 30, kMagenta);
  ASSERT_NE(VBRGN::ShapeWindow(window.get(), clear.dib.dc(), clear.dib.bitmap(), VBRGN::UseTopLeftColor),
            nullptr);
  win::Region empty = WindowRegion(window.get());
  ASSERT_TRUE(empty);
  RECT box{};
  EXPECT_EQ(GetRgnBox(empty.get(), &box), NULLREGION);

  Picture solid(40, 30, kBody);
  ASSERT_NE(VBRGN::ShapeWindow(window.get(), solid.dib.dc(), solid.dib.bitmap(), static_cast<int32_t>(kMagenta)),
            nullptr);
  win::Region full = WindowRegion(window.get());
  ASSERT_TRUE(full);
  win::Region whole(CreateRectRgn(0, 0, 40, 30));
  EXPECT_TRUE(EqualRgn(full.get(), whole.get()));
  EXPECT_EQ(CompareWithPicture(full.get(), solid, kMagenta), "");
}

// A body that would be cut away entirely, or a picture that cannot be read,
// must not leave an invisible window: the body keeps its whole rectangle, and
// an unreadable picture changes nothing.
TEST(SkinShapeWindow, EmptyBodyOutlineKeepsTheWindowWholeAndAnUnreadablePictureChangesNothing) {
  PopupWindow window(40, 30);
  Picture shaped(40, 30);
  DrawRoundWithHole(shaped);
  ASSERT_NE(VBRGN::ShapeWindow(window.get(), shaped.dib.dc(), shaped.dib.bitmap(), VBRGN::UseTopLeftColor), nullptr);
  ASSERT_TRUE(WindowRegion(window.get()));

  Picture clear(40, 30, kMagenta);
  EXPECT_EQ(VBRGN::ShapeWindow(window.get(), clear.dib.dc(), clear.dib.bitmap(), VBRGN::UseTopLeftColor,
                               VBRGN::EmptyOutline::KeepWindowWhole),
            nullptr);
  EXPECT_FALSE(WindowRegion(window.get())) << "the window should have no region, so all of it shows";

  for (auto whenEmpty : {VBRGN::EmptyOutline::Apply, VBRGN::EmptyOutline::KeepWindowWhole}) {
    EXPECT_EQ(VBRGN::ShapeWindow(window.get(), clear.dib.dc(), nullptr, VBRGN::UseTopLeftColor, whenEmpty), nullptr);
    EXPECT_FALSE(WindowRegion(window.get())) << "an unreadable picture must not shape the window";
  }
}

TEST(SkinShapeWindow, NoWindowGivesNoRegion) {
  Picture p(8, 8);
  EXPECT_EQ(VBRGN::ShapeWindow(nullptr, p.dib.dc(), p.dib.bitmap(), 0), nullptr);
  PopupWindow window(8, 8);
  HWND gone = window.get();
  DestroyWindow(gone);
  EXPECT_EQ(VBRGN::ShapeWindow(gone, p.dib.dc(), p.dib.bitmap(), 0), nullptr);
}

TEST(SkinRegion, OneCallRegionEqualsThePerRunRegion) {
  std::mt19937 random(77);
  for (int round = 0; round < 12; ++round) {
    // The last rounds are long enough to be built from blocks.
    const int w = round < 10 ? 20 + static_cast<int>(random() % 60) : 150;
    const int h = round < 10 ? 10 + static_cast<int>(random() % 50) : 90;
    Picture p(w, h);
    const uint32_t colours[3] = {kMagenta, kBody, kWhite};
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) p.Set(x, y, colours[random() % 3]);
    }
    const std::vector<RunRect> runs = p.Runs(static_cast<int32_t>(kMagenta));
    win::Region one(VBRGN::BuildRegion(runs));
    win::Region perRun(ocural_test::BuildRegionPerRun(runs));
    win::Region chunks(VBRGN::BuildRegionInChunks(runs, 7));
    ASSERT_TRUE(one && perRun && chunks);
    EXPECT_TRUE(EqualRgn(one.get(), perRun.get())) << "round " << round;
    EXPECT_TRUE(EqualRgn(chunks.get(), perRun.get())) << "round " << round;
    EXPECT_EQ(CompareWithPicture(one.get(), p, kMagenta), "") << "round " << round;
  }
}

TEST(SkinRegion, AlternatingPixelsWorstCase) {
  const int w = 97, h = 64;
  Picture p(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) p.Set(x, y, (x + y) % 2 ? kMagenta : kBody);
  }
  const std::vector<RunRect> runs = p.Runs(static_cast<int32_t>(kMagenta));
  ASSERT_EQ(runs.size(), static_cast<size_t>((w * h + 1) / 2));
  win::Region one(VBRGN::BuildRegion(runs));
  win::Region perRun(ocural_test::BuildRegionPerRun(runs));
  ASSERT_TRUE(one && perRun);
  EXPECT_TRUE(EqualRgn(one.get(), perRun.get()));
  EXPECT_EQ(CompareWithPicture(one.get(), p, kMagenta), "");
  EXPECT_EQ(RegionRects(one.get()).size(), runs.size());
}

// Wine sends a window region to X in one request of at most 32767
// rectangles; a longer one would end the program, so it is refused there.
TEST(SkinShapeWindow, OutlinesTooLongForWineAreRefusedOnlyThere) {
  for (int h : {255, 256}) {  // 32640 and 32768 rectangles
    Picture p(256, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < 256; ++x) p.Set(x, y, (x + y) % 2 ? kBody : kMagenta);
    }
    PopupWindow window(256, h);
    HRGN applied = VBRGN::ShapeWindow(window.get(), p.dib.dc(), p.dib.bitmap(), VBRGN::UseTopLeftColor);
    const bool tooLong = static_cast<size_t>(256 * h / 2) > VBRGN::kWineMaxRegionRects;
    if (tooLong && forms::RunningUnderWine()) {
      EXPECT_EQ(applied, nullptr) << h;
      EXPECT_FALSE(WindowRegion(window.get())) << h;  // left without a region
    } else {
      // (Reading a region this long back from the window takes Wine seconds.)
      EXPECT_NE(applied, nullptr) << h;
    }
  }
}

TEST(SkinRegion, EmptyListGivesAnEmptyRegion) {
  win::Region none(VBRGN::BuildRegion({}));
  ASSERT_TRUE(none);
  RECT box{};
  EXPECT_EQ(GetRgnBox(none.get(), &box), NULLREGION);
  win::Region perRun(ocural_test::BuildRegionPerRun({}));
  EXPECT_TRUE(EqualRgn(none.get(), perRun.get()));
  win::Region chunks(VBRGN::BuildRegionInChunks({}, 3));
  EXPECT_EQ(GetRgnBox(chunks.get(), &box), NULLREGION);
}

TEST(SkinRegion, DeleteRegion) {
  EXPECT_EQ(VBRGN::DeleteRegion(nullptr), 0);
  HRGN r = CreateRectRgn(0, 0, 5, 5);
  ASSERT_NE(r, nullptr);
  EXPECT_NE(VBRGN::DeleteRegion(r), 0);
  EXPECT_EQ(GetObjectType(r), 0u);  // gone
}

}  // namespace
}  // namespace ocural
