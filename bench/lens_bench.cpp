// One drag step (screen snapshot + lens) next to a bare full-screen copy on
// the same display. Prints medians of 25 runs and their ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "magnifier/frmOcural.h"
#include "platform/win/handles.h"

namespace {

double Millis(const LARGE_INTEGER& a, const LARGE_INTEGER& b, const LARGE_INTEGER& f) {
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

}  // namespace

int main() {
  const int runs = 25;
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);

  ocural::win::DibImage target(w, h);
  std::vector<double> bare;
  for (int i = 0; i < runs; ++i) {
    ocural::win::WindowDC screen(GetDesktopWindow());
    QueryPerformanceCounter(&a);
    BitBlt(target.dc(), 0, 0, w, h, screen.get(), 0, 0, SRCCOPY);
    GdiFlush();
    QueryPerformanceCounter(&b);
    bare.push_back(Millis(a, b, f));
  }

  auto& form = ocural::frmOcural();
  form.Show();
  Pump(500);
  std::vector<double> step, own, away, walk, copy, wait, back, lens, rr;
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&a);
    form.WMSizeOrMove();
    QueryPerformanceCounter(&b);
    step.push_back(Millis(a, b, f));
    const auto& t = form.LastSnapshotTimes();
    own.push_back(t.ownPixels); away.push_back(t.moveAway); walk.push_back(t.repaintWalk);
    copy.push_back(t.screenCopy); wait.push_back(t.waitReady); back.push_back(t.moveBack); lens.push_back(t.lens); rr.push_back(t.rereads);
    Pump(20);
  }
  std::printf("parts: own %.2f away %.2f walk %.2f copy %.2f wait %.2f (rereads %.0f) back %.2f lens %.2f\n", Median(own), Median(away), Median(walk), Median(copy), Median(wait), Median(rr), Median(back), Median(lens));
  form.Unload();

  const double mb = Median(bare), ms = Median(step);
  std::printf("screen %dx%d, median of %d\n", w, h, runs);
  std::printf("  bare full-screen copy        %8.2f ms\n", mb);
  std::printf("  snapshot + lens (drag step)  %8.2f ms  (includes the 40 ms settle pause)\n", ms);
  std::printf("  ratio                        %8.2f\n", mb > 0 ? ms / mb : 0.0);
  std::printf("  ratio without the pause      %8.2f\n", mb > 0 ? (ms - 40.0) / mb : 0.0);
  return 0;
}
