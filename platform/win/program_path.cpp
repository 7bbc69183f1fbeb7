#include "platform/win/program_path.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>

#include "platform/win/text.h"

namespace ocural::win {
namespace {

template <typename Char>
bool IsSeparator(Char c) {
  return c == Char('\\') || c == Char('/');
}

// A path of up to 32767 characters; in a double-byte code page up to twice
// as many bytes.
constexpr size_t kLongestPath = 2 * 32768;

// GetModuleFileName into a buffer that grows until the path fits. A cut path
// fills the whole buffer (with or without the NUL, depending on the Windows
// version).
template <typename String, typename Get>
String ModuleFileName(Get get) {
  String buffer(MAX_PATH, typename String::value_type());
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = get(&buffer[0], size);
    if (length == 0) return String();
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= kLongestPath) return String();
    buffer.resize(buffer.size() * 2);
  }
}

// Index of the last character of `path` for which `match` holds, skipping
// the second byte of every double-byte character when `ansi`; npos for none.
template <typename String, typename Match>
size_t FindLast(const String& path, bool ansi, Match match) {
  size_t found = String::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (ansi && IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (match(path[i])) found = i;
  }
  return found;
}

template <typename String>
String FolderPart(const String& path, bool ansi) {
  using Char = typename String::value_type;
  const size_t separator = FindLast(path, ansi, IsSeparator<Char>);
  if (separator == String::npos) return String();
  // "C:\" and "\" are roots: without their backslash they would name the
  // current folder instead.
  if (separator == 0 || path[separator - 1] == Char(':')) return path.substr(0, separator + 1);
  return path.substr(0, separator);
}

template <typename String>
String StemPart(const String& path, bool ansi) {
  using Char = typename String::value_type;
  const size_t separator = FindLast(path, ansi, IsSeparator<Char>);
  const String name = separator == String::npos ? path : path.substr(separator + 1);
  const size_t dot = FindLast(name, ansi, [](Char c) { return c == Char('.'); });
  if (dot == String::npos || dot == 0) return name;
  return name.substr(0, dot);
}

}  // namespace

std::wstring ModulePath() {
  return ModuleFileName<std::wstring>(
      [](wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); });
}

std::string ModulePathAnsi() {
  return ModuleFileName<std::string>(
      [](char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); });
}

std::wstring FolderOf(const std::wstring& path) { return FolderPart(path, false); }
std::wstring StemOf(const std::wstring& path) { return StemPart(path, false); }
std::string AnsiFolderOf(const std::string& path) { return FolderPart(path, true); }
std::string AnsiStemOf(const std::string& path) { return StemPart(path, true); }

std::wstring ProgramFolder() { return FolderOf(ModulePath()); }
std::wstring ProgramName() { return StemOf(ModulePath()); }

std::wstring WithBackslash(const std::wstring& path) {
  const std::string ansi = ToAnsi(path);
  char buf[MAX_PATH] = {};
  if (ansi.size() >= MAX_PATH) return L"";
  std::memcpy(buf, ansi.data(), ansi.size());
  if (PathAddBackslashA(buf) == nullptr) return L"";
  return FromAnsi(buf);
}

}  // namespace ocural::win
