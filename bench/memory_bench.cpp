// Peak private bytes of Ocural.exe, with its skin loaded and after a drag,
// next to those of the smallest window program under the same system. Run in
// the folder that holds Ocural.exe, its skins and empty_window.exe.
#include <windows.h>
#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "bench/bench_input.h"

namespace {

using ocural::bench::SendMouse;

std::wstring Folder() {
  wchar_t buf[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring p(buf);
  return p.substr(0, p.find_last_of(L'\\'));
}

struct Find {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND w, LPARAM lp) {
  auto* f = reinterpret_cast<Find*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == f->pid && IsWindowVisible(w)) {
    f->found = w;
    return FALSE;
  }
  return TRUE;
}

struct Program {
  PROCESS_INFORMATION pi{};
  bool Start(const std::wstring& exe) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + Folder() + L"\\" + exe + L"\"";
    return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, Folder().c_str(), &si, &pi) != 0;
  }
  HWND Window(DWORD timeoutMs) const {
    Find f{pi.dwProcessId, nullptr};
    const DWORD start = GetTickCount();
    while (!f.found && GetTickCount() - start < timeoutMs) {
      EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&f));
      if (!f.found) Sleep(50);
    }
    return f.found;
  }
  // Peak and current private bytes, in MiB.
  bool Memory(double& peak, double& now) const {
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof(m);
    if (!GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof(m))) return false;
    peak = static_cast<double>(m.PeakPagefileUsage) / (1024.0 * 1024.0);
    now = static_cast<double>(m.PrivateUsage) / (1024.0 * 1024.0);
    return true;
  }
  // Committed memory by kind, in MiB: private (heaps, stacks, the
  // program's own allocations), the writable parts of loaded modules (their
  // data), and mapped views (fonts, shared sections).
  struct Kinds {
    double privateMiB = 0, moduleDataMiB = 0, mappedMiB = 0;
    int modules = 0;
  };
  Kinds Breakdown() const {
    Kinds k;
    MEMORY_BASIC_INFORMATION m{};
    const void* base = nullptr;
    const void* lastModule = nullptr;
    for (const char* p = nullptr; VirtualQueryEx(pi.hProcess, p, &m, sizeof(m)) == sizeof(m);
         p = static_cast<const char*>(m.BaseAddress) + m.RegionSize) {
      if (m.State == MEM_COMMIT) {
        const double mib = static_cast<double>(m.RegionSize) / (1024.0 * 1024.0);
        const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (m.Type == MEM_PRIVATE) k.privateMiB += mib;
        if (m.Type == MEM_MAPPED) k.mappedMiB += mib;
        if (m.Type == MEM_IMAGE && (m.Protect & writable)) k.moduleDataMiB += mib;
        if (m.Type == MEM_IMAGE && m.AllocationBase != lastModule) {
          lastModule = m.AllocationBase;
          ++k.modules;
        }
      }
      if (static_cast<const char*>(m.BaseAddress) + m.RegionSize <= static_cast<const char*>(base)) break;
      base = static_cast<const char*>(m.BaseAddress) + m.RegionSize;
    }
    return k;
  }
  void Close(HWND w) {
    if (w) PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
};

// Drags the window by a point of its outline that no element covers, from
// the top down (the ring of a loupe, not the zoom areas on its handle).
bool Drag(HWND w) {
  RECT wr{};
  GetWindowRect(w, &wr);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  const bool shaped = GetWindowRgn(w, rgn) != ERROR;
  POINT grab{-1, -1};
  for (int y = 4; y < wr.bottom - wr.top && grab.x < 0; y += 2) {
    for (int x = 4; x < wr.right - wr.left; x += 2) {
      if (shaped && !PtInRegion(rgn, x, y)) continue;
      if (ChildWindowFromPointEx(w, POINT{x, y}, CWP_SKIPINVISIBLE) != w) continue;
      grab = POINT{wr.left + x, wr.top + y};
      break;
    }
  }
  DeleteObject(rgn);
  if (grab.x < 0) return false;
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, grab.x, grab.y);
  Sleep(100);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(100);
  for (int i = 1; i <= 40; ++i) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, grab.x + 4 * i, grab.y + 3 * i);
    Sleep(15);
  }
  Sleep(200);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Sleep(500);
  RECT after{};
  GetWindowRect(w, &after);
  return after.left == wr.left + 160 && after.top == wr.top + 120;
}

}  // namespace

int main() {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  Program empty;
  if (!empty.Start(L"empty_window.exe") || !empty.Window(15000)) {
    std::printf("  memory: empty_window.exe did not start\n");
    return 1;
  }
  Sleep(1000);
  double emptyPeak = 0, emptyNow = 0;
  const bool emptyRead = empty.Memory(emptyPeak, emptyNow);
  const Program::Kinds emptyKinds = empty.Breakdown();
  empty.Close(empty.Window(100));

  Program ocural;
  HWND main = nullptr;
  if (!ocural.Start(L"Ocural.exe") || !(main = ocural.Window(15000))) {
    std::printf("  memory: Ocural.exe did not start\n");
    return 1;
  }
  Sleep(1500);
  double startPeak = 0, startNow = 0;
  ocural.Memory(startPeak, startNow);
  SetWindowPos(main, nullptr, w / 4, h / 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Sleep(500);
  const bool dragged = Drag(main);
  double peak = 0, now = 0;
  const bool read = ocural.Memory(peak, now);
  const Program::Kinds kinds = ocural.Breakdown();

  ocural.Close(main);
  if (!read || !emptyRead) {
    std::printf("  memory: the system gives no counters of another process\n");
    return 1;
  }
  std::printf("  peak private bytes           %8.1f MiB Ocural.exe (skin loaded, %s), %.1f MiB now\n", peak,
              dragged ? "after a drag" : "the drag did not move it", now);
  std::printf("                               %8.1f MiB Ocural.exe before the drag\n", startPeak);
  std::printf("                               %8.1f MiB an empty window program, %.1f MiB now\n", emptyPeak, emptyNow);
  std::printf("    committed now, Ocural.exe / empty program: private %.1f / %.1f MiB, module data %.1f / %.1f MiB"
              " (%d / %d modules), mapped %.1f / %.1f MiB\n",
              kinds.privateMiB, emptyKinds.privateMiB, kinds.moduleDataMiB, emptyKinds.moduleDataMiB, kinds.modules,
              emptyKinds.modules, kinds.mappedMiB, emptyKinds.mappedMiB);
  // The snapshot holds only the area under the window, so the budget does
  // not grow with the screen.
  std::printf("    difference                 %8.1f MiB; budget 5.0 MiB at any screen size: %s\n", peak - emptyPeak,
              peak - emptyPeak <= 5.0 ? "within" : "OVER");
  return 0;
}
