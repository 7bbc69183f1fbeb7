// The snapshot path on the display it runs on: a bare full-screen copy next
// to one drag step (snapshot + lens) and its parts, the lens updates during a
// real drag, and start-up to the first lens. Run it in a folder of its own
// beside the bundled skins (scripts/bench.sh does): it loads and saves the
// settings there like the program.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

#include "magnifier/application.h"
#include "bench/bench_input.h"
#include "platform/win/handles.h"

namespace {

using ocural::bench::SendMouse;

double Now() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Handles the messages waiting, without waiting for more.
void Drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(1);
  }
}

// A point of the window's body (window coordinates) that starts a drag: in its
// outline, on no element, outside the zoom areas.
bool FindBodyPoint(ocural::FrmOcural& form, POINT& out) {
  HWND w = form.hWnd();
  RECT wr{};
  GetWindowRect(w, &wr);
  ocural::win::Region rgn(CreateRectRgn(0, 0, 0, 0));
  const bool shaped = GetWindowRgn(w, rgn.get()) != ERROR;
  for (int y = wr.bottom - wr.top - 4; y >= 4; y -= 3) {
    for (int x = 4; x < wr.right - wr.left - 4; x += 3) {
      if (shaped && !PtInRegion(rgn.get(), x, y)) continue;
      const POINT client{x, y};
      if (ChildWindowFromPointEx(w, client, CWP_SKIPINVISIBLE) != w) continue;
      const bool nearIn = x >= form.InRect.x1 - 2 && x <= form.InRect.x2 + 2 && y >= form.InRect.y1 - 2 && y <= form.InRect.y2 + 2;
      const bool nearOut =
          x >= form.OutRect.x1 - 2 && x <= form.OutRect.x2 + 2 && y >= form.OutRect.y1 - 2 && y <= form.OutRect.y2 + 2;
      if (nearIn || nearOut) continue;
      out = client;
      return true;
    }
  }
  return false;
}

// What the hand does and what the lens showed, each with its time.
struct Sample {
  double at;
  POINT place;
  double copy;
};
struct DragLog {
  POINT start{};  // window place at the press
  POINT grab{};   // pointer at the press, screen
  std::vector<Sample> pointer;  // where the pointer puts the window
  std::vector<Sample> lens;     // where the window stood for each snapshot
  std::atomic<bool> done{false};
};
DragLog* g_log = nullptr;
ocural::FrmOcural* g_form = nullptr;
uint32_t g_lastNumber = 0;

LRESULT CALLBACK AfterEachMessage(int code, WPARAM wp, LPARAM lp) {
  const auto& t = g_form->LastSnapshotTimes();
  if (g_log && t.number == g_lastNumber && !g_log->lens.empty()) g_log->lens.back().copy = t.screenCopy;
  if (g_log && t.number != g_lastNumber) {
    g_lastNumber = t.number;
    g_log->lens.push_back(Sample{Now(), t.place, t.screenCopy});
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// 100 moves of a hand that drags at 125 reports a second, a rest, the release.
DWORD WINAPI Hand(void* arg) {
  auto* log = static_cast<DragLog*>(arg);
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, log->grab.x, log->grab.y);
  Sleep(50);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(50);
  for (int i = 1; i <= 100; ++i) {
    const int dx = 3 * i, dy = 2 * i;
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, log->grab.x + dx, log->grab.y + dy);
    log->pointer.push_back(Sample{Now(), POINT{log->start.x + dx, log->start.y + dy}, 0});
    Sleep(8);
  }
  Sleep(150);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Sleep(100);
  log->done = true;
  return 0;
}

void RealDrag(ocural::FrmOcural& form) {
  POINT body{};
  if (!FindBodyPoint(form, body)) {
    std::printf("  real drag                    no body point to press\n");
    return;
  }
  DragLog log;
  RECT wr{};
  GetWindowRect(form.hWnd(), &wr);
  log.start = POINT{wr.left, wr.top};
  log.grab = POINT{wr.left + body.x, wr.top + body.y};
  log.pointer.reserve(128);
  log.lens.reserve(1024);
  g_log = &log;
  g_lastNumber = form.LastSnapshotTimes().number;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &AfterEachMessage, nullptr, GetCurrentThreadId());
  HANDLE hand = CreateThread(nullptr, 0, &Hand, &log, 0, nullptr);
  while (!log.done) Pump(5);
  WaitForSingleObject(hand, INFINITE);
  CloseHandle(hand);
  UnhookWindowsHookEx(hook);
  g_log = nullptr;
  if (log.pointer.size() < 2) return;

  // Updates while the hand moves, and how far behind the lens is at each of
  // the hand's reports (the last snapshot done by then).
  const double first = log.pointer.front().at, last = log.pointer.back().at;
  int updates = 0;
  for (const auto& s : log.lens) updates += s.at >= first && s.at <= last + 8 ? 1 : 0;
  std::vector<double> behind;
  size_t k = 0;
  POINT shown = log.start;
  for (const auto& p : log.pointer) {
    while (k < log.lens.size() && log.lens[k].at <= p.at) shown = log.lens[k++].place;
    behind.push_back(std::hypot(p.place.x - shown.x, p.place.y - shown.y));
  }
  std::vector<double> copies;
  for (const auto& s : log.lens) copies.push_back(s.copy);
  POINT final = log.start;
  for (const auto& s : log.lens) final = s.place;
  const POINT target = log.pointer.back().place;
  std::printf("  real drag, 100 moves         %8.1f lens updates/s (%d in %.0f ms)\n",
              updates * 1000.0 / (last - first + 8), updates, last - first + 8);
  std::printf("    lens behind the pointer    %8.1f px median, %.1f px at most\n", Median(behind),
              *std::max_element(behind.begin(), behind.end()));
  std::printf("    when the hand stops        %8.1f px\n",
              std::hypot(target.x - final.x, target.y - final.y));
  std::printf("    copy of the area           %8.2f ms median during the drag\n", Median(copies));
}

}  // namespace

int main() {
  const int runs = 25;
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  std::printf("screen %dx%d, medians of %d\n", w, h, runs);

  ocural::Application app;
  auto& form = app.Main();
  g_form = &form;
  const double startAt = Now();
  form.Show();
  while (form.LastSnapshotTimes().number == 0 && Now() - startAt < 10000) Pump(1);
  const double startup = Now() - startAt;
  Pump(300);
  // Away from the corner, so that drags have room.
  SetWindowPos(form.hWnd(), nullptr, w / 4, h / 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump(300);

  // Bare copies from one desktop DC kept for the run, as the program keeps
  // one: in 256 KB bands, and in one piece as the snapshot makes it. The
  // one-piece copies come last: under Wine their big buffers leave the
  // process's heap in a state that slows what follows.
  ocural::win::DibImage target(w, h);
  ocural::win::WindowDC screen(GetDesktopWindow());
  auto bareCopies = [&](bool inBands) {
    std::vector<double> v;
    const int rows = inBands ? std::max(1, (1 << 18) / (4 * w)) : h;
    for (int i = 0; i < runs; ++i) {
      const double a = Now();
      for (int y = 0; y < h; y += rows) BitBlt(target.dc(), 0, y, w, std::min(rows, h - y), screen.get(), 0, y, SRCCOPY);
      GdiFlush();
      v.push_back(Now() - a);
      Drain();
    }
    return Median(v);
  };
  const double bareBands = bareCopies(true);
  std::vector<double> step, own, away, walk, copy, wait, back, lens, rereads;
  for (int i = 0; i < runs; ++i) {
    const double a = Now();
    form.WMSizeOrMove();
    step.push_back(Now() - a);
    const auto& t = form.LastSnapshotTimes();
    own.push_back(t.ownPixels);
    away.push_back(t.moveAway);
    walk.push_back(t.repaintWalk);
    copy.push_back(t.screenCopy);
    wait.push_back(t.waitReady);
    rereads.push_back(t.rereads);
    back.push_back(t.moveBack);
    lens.push_back(t.lens);
    Drain();
  }
  const double bareOne = bareCopies(false);
  // The ratio is taken to the faster of the two bare copies.
  const double mb = std::min(bareOne, bareBands), ms = Median(step);
  std::printf("  bare full-screen copy        %8.2f ms in one piece, %.2f ms in bands\n", bareOne, bareBands);
  std::printf("  drag step (snapshot + lens)  %8.2f ms\n", ms);
  std::printf("  ratio                        %8.2f (to the faster bare copy)\n", mb > 0 ? ms / mb : 0.0);
  std::printf("  the step's parts:\n");
  std::printf("    own pixels read            %8.2f ms\n", Median(own));
  std::printf("    move above the screen      %8.2f ms\n", Median(away));
  std::printf("    other windows repaint      %8.2f ms\n", Median(walk));
  std::printf("    copy of the area           %8.2f ms\n", Median(copy));
  std::printf("    stale check and re-reads   %8.2f ms (%.0f re-reads)\n", Median(wait), Median(rereads));
  std::printf("    move back and repaint      %8.2f ms\n", Median(back));
  std::printf("    lens                       %8.2f ms\n", Median(lens));
  RealDrag(form);
  std::printf("  start-up to the first lens   %8.2f ms (window load and show, in process)\n", startup);
  form.Unload();
  return 0;
}
