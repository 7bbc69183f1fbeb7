// Times the window outline: finding the opaque runs of a picture and building
// the window region from them, in one ExtCreateRegion call against one
// CombineRgn per run. Usage: ocural_bench [repeats] (default 11).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/handles.h"
#include "platform/win/forms.h"
#include "skin/VBRGN.h"
#include "skin/core/region_runs.h"
#include "skin/picture_loader.h"
#include "tests/common/region_per_run.h"

namespace {

using ocural::RunRect;
namespace VBRGN = ocural::VBRGN;

constexpr uint32_t kKey = 0x00FF00FF;
constexpr uint32_t kBody = 0x00806040;

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median time of the call in milliseconds. Stops repeating early once the
// calls have taken longer than budgetMs in all (at least 3 calls then).
double MedianMs(int repeats, double budgetMs, const std::function<void()>& call, int* done) {
  std::vector<double> times;
  const double start = NowMs();
  for (int i = 0; i < repeats; ++i) {
    const double t0 = NowMs();
    call();
    times.push_back(NowMs() - t0);
    if (i >= 2 && NowMs() - start > budgetMs) break;
  }
  std::sort(times.begin(), times.end());
  *done = static_cast<int>(times.size());
  return times[times.size() / 2];
}

// A picture, pixels top row first (as in a top-down DIB), 0x00RRGGBB.
struct Picture {
  std::string name;
  int w = 0;
  int h = 0;
  std::vector<uint32_t> px;
  Picture(std::string n, int width, int height) : name(std::move(n)), w(width), h(height), px(static_cast<size_t>(width) * height, kKey) {}
  uint32_t& at(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  // The same pixels bottom-up, as GetDIBits returns them for the outline.
  std::vector<uint32_t> BottomUp() const {
    std::vector<uint32_t> up(px.size());
    for (int y = 0; y < h; ++y) {
      std::copy(px.begin() + static_cast<ptrdiff_t>(y) * w, px.begin() + static_cast<ptrdiff_t>(y + 1) * w,
                up.begin() + static_cast<ptrdiff_t>(h - 1 - y) * w);
    }
    return up;
  }
};

Picture Alternating(int size) {
  Picture p("alternating " + std::to_string(size) + "x" + std::to_string(size), size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) p.at(x, y) = (x + y) % 2 ? kKey : kBody;
  }
  return p;
}

// A loupe shape like the round skin: a disc, a diagonal handle, a hole in it.
Picture LoupeShape() {
  Picture p("loupe-like 300x300", 300, 300);
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const double dx = x + 0.5 - 112, dy = y + 0.5 - 112;
      const double along = (x + y + 1 - 356) / 1.41421356, across = (x - y) / 1.41421356;
      const bool disc = dx * dx + dy * dy <= 104.0 * 104.0;
      const bool handle = along >= 0 && along <= 139 && across * across <= 19.0 * 19.0;
      const bool hole = along >= 118 && along <= 131 && across * across <= 25.0;
      if ((disc || handle) && !hole) p.at(x, y) = kBody + static_cast<uint32_t>((x ^ y) & 0x0F);
    }
  }
  return p;
}

// A rectangle with rounded corners like the plain skin.
Picture RoundedRect() {
  Picture p("rounded rectangle 252x212", 252, 212);
  const double r = 18;
  for (int y = 0; y < 212; ++y) {
    for (int x = 0; x < 252; ++x) {
      const double qx = std::min(x + 0.5, 252 - x - 0.5), qy = std::min(y + 0.5, 212 - y - 0.5);
      const bool in = qx >= r || qy >= r || (r - qx) * (r - qx) + (r - qy) * (r - qy) <= r * r;
      if (in) p.at(x, y) = kBody;
    }
  }
  return p;
}

// The bundled skin picture beside the program, when it is there.
bool LoadBeside(const wchar_t* relative, Picture* out) {
  wchar_t exe[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring path(exe, n);
  path = path.substr(0, path.find_last_of(L"\\/") + 1) + relative;
  std::optional<ocural::LoadedPicture> loaded = ocural::LoadPicture(path);
  if (!loaded) return false;
  DIBSECTION ds{};
  if (GetObjectW(loaded->bitmap.get(), sizeof(ds), &ds) != sizeof(ds) || !ds.dsBm.bmBits) return false;
  *out = Picture(std::string(relative, relative + wcslen(relative)), loaded->widthPx, loaded->heightPx);
  const auto* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
  std::copy(bits, bits + out->px.size(), out->px.begin());
  return true;
}

class BenchWindow {
 public:
  BenchWindow(int w, int h) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OcuralOutlineBench";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, w, h, nullptr, nullptr,
                            wc.hInstance, nullptr);
  }
  ~BenchWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

void Bench(Picture& p, int repeats, bool perRunToo, HWND window) {
  const std::vector<uint32_t> up = p.BottomUp();
  std::vector<RunRect> runs;
  int n1 = 0, n2 = 0, n3 = 0, n4 = 0;
  const double tRuns = MedianMs(repeats, 60000, [&] { runs = ocural::OpaqueRuns(up.data(), p.w, p.h, VBRGN::UseTopLeftColor); }, &n1);
  const double tOne = MedianMs(repeats, 60000, [&] { ocural::win::Region r(VBRGN::BuildRegion(runs)); }, &n2);

  ocural::win::DibImage dib(p.w, p.h);
  std::copy(p.px.begin(), p.px.end(), dib.bits());
  SetWindowRgn(window, nullptr, FALSE);
  SetWindowPos(window, nullptr, 0, 0, p.w, p.h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  int refused = 0;
  const double tShape = MedianMs(repeats, 60000, [&] {
    if (!VBRGN::ShapeWindow(window, dib.dc(), dib.bitmap(), VBRGN::UseTopLeftColor)) ++refused;
  }, &n3);
  std::string shaped;
  if (refused) {
    shaped = runs.size() > VBRGN::kWineMaxRegionRects && ocural::forms::RunningUnderWine()
                 ? " (refused: too long for Wine)"
                 : " (FAILED)";
  }

  std::printf("%-28s %8s runs | runs %8.2f ms | BuildRegion %8.2f ms | ShapeWindow %8.2f ms%s",
              p.name.c_str(), std::to_string(runs.size()).c_str(), tRuns, tOne, tShape, shaped.c_str());
  if (perRunToo) {
    const double tPer = MedianMs(repeats, 120000, [&] { ocural::win::Region r(ocural_test::BuildRegionPerRun(runs)); }, &n4);
    ocural::win::Region a(VBRGN::BuildRegion(runs));
    ocural::win::Region b(ocural_test::BuildRegionPerRun(runs));
    const bool same = a && b && EqualRgn(a.get(), b.get());
    std::printf(" | per-run CombineRgn %10.2f ms (x%.0f)%s", tPer, tOne > 0 ? tPer / tOne : 0.0,
                same ? "" : " (REGIONS DIFFER)");
  }
  std::printf("\n   medians of %d/%d/%d%s runs\n", n1, n2, n3, perRunToo ? ("/" + std::to_string(n4)).c_str() : "");
  std::fflush(stdout);
}

}  // namespace

// How the region is best put together: one ExtCreateRegion call for lists of
// growing length, and blocks of growing size joined pairwise.
void CompareStrategies(int repeats) {
  Picture alt = Alternating(512);
  const std::vector<uint32_t> up = alt.BottomUp();
  const std::vector<RunRect> all = ocural::OpaqueRuns(up.data(), alt.w, alt.h, VBRGN::UseTopLeftColor);
  for (size_t count : {512u, 1024u, 2048u, 4096u, 8192u, 16384u}) {
    const std::vector<RunRect> part(all.begin(), all.begin() + static_cast<ptrdiff_t>(count));
    int n = 0;
    const double t = MedianMs(repeats, 20000, [&] {
      ocural::win::Region r(VBRGN::BuildRegionInChunks(part, part.size()));
    }, &n);
    std::printf("one ExtCreateRegion, %6s rects: %9.3f ms (median of %d)\n", std::to_string(count).c_str(), t, n);
  }
  for (size_t chunk : {32u, 64u, 128u, 256u, 512u, 1024u, 4096u}) {
    int n = 0;
    const double t = MedianMs(repeats, 20000, [&] {
      ocural::win::Region r(VBRGN::BuildRegionInChunks(all, chunk));
    }, &n);
    std::printf("%s rects in blocks of %4s joined pairwise: %9.3f ms (median of %d)\n",
                std::to_string(all.size()).c_str(), std::to_string(chunk).c_str(), t, n);
  }
  std::fflush(stdout);
}

int RunOutlineBench(int repeats) {
  if (std::getenv("OCURAL_BENCH_STRATEGIES")) CompareStrategies(repeats);
  std::printf("Window outline, median of %d runs (fewer where a case runs past its time budget)\n", repeats);
  BenchWindow window(64, 64);
  Picture round("", 0, 0), plain("", 0, 0);
  if (!LoadBeside(L"skins\\round_base.bmp", &round)) round = LoupeShape();
  if (!LoadBeside(L"skins\\plain_base.bmp", &plain)) plain = RoundedRect();
  Bench(round, repeats, true, window.get());
  Bench(plain, repeats, true, window.get());
  for (int size : {128, 256}) {
    Picture alt = Alternating(size);
    Bench(alt, repeats, true, window.get());
  }
  Picture worst = Alternating(1024);
  Bench(worst, repeats, std::getenv("OCURAL_BENCH_PER_RUN_1024") != nullptr, window.get());
  return 0;
}

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::atoi(argv[1]) : 11;
  if (repeats < 1) repeats = 11;
  return RunOutlineBench(repeats);
}
