#include "platform/win/program_path.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

namespace ocural::win {
namespace {

// A path of up to 32767 characters.
constexpr size_t kLongestPath = 32768;

// GetModuleFileNameW into a buffer that grows until the path fits. A cut path
// fills the whole buffer (with or without the NUL, depending on the Windows
// version).
std::wstring ModuleFileName() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameW(nullptr, &buffer[0], size);
    if (length == 0) return std::wstring();
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= kLongestPath) return std::wstring();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::wstring ModulePath() { return ModuleFileName(); }

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return std::wstring();
  // "C:\" and "\" are roots: without their backslash they would name the
  // current folder instead.
  if (separator == 0 || path[separator - 1] == L':') return path.substr(0, separator + 1);
  return path.substr(0, separator);
}

std::wstring StemOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/");
  const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot == std::wstring::npos || dot == 0) return name;
  return name.substr(0, dot);
}

std::wstring ProgramFolder() { return FolderOf(ModulePath()); }
std::wstring ProgramName() { return StemOf(ModulePath()); }

std::wstring WithBackslash(const std::wstring& path) {
  wchar_t buf[MAX_PATH] = {};
  if (path.size() >= MAX_PATH) return L"";
  std::wmemcpy(buf, path.data(), path.size());
  if (PathAddBackslashW(buf) == nullptr) return L"";
  return buf;
}

}  // namespace ocural::win
