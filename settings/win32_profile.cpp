#include "settings/win32_profile.h"

#include <windows.h>
#include <shlwapi.h>

#include "platform/win/text.h"

namespace ocural {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Index of the last byte of `path` for which `match` holds, skipping the
// second byte of every double-byte character; npos when there is none.
template <typename Match>
std::size_t FindLastSingleByte(const std::string& path, Match match) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (match(c)) found = i;
  }
  return found;
}

}  // namespace

std::string AnsiFolderOf(const std::string& path) {
  const std::size_t separator = FindLastSingleByte(path, IsSeparator);
  if (separator == std::string::npos) return std::string();
  // "C:\" and "\" are roots: without their backslash they would name the
  // current folder instead.
  if (separator == 0 || path[separator - 1] == ':') return path.substr(0, separator + 1);
  return path.substr(0, separator);
}

std::string AnsiStemOf(const std::string& path) {
  const std::size_t separator = FindLastSingleByte(path, IsSeparator);
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  const std::size_t dot = FindLastSingleByte(name, [](char c) { return c == '.'; });
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

std::string ModulePathAnsi() {
  // A DBCS path of up to 32767 characters takes up to twice as many bytes.
  const std::size_t kLimit = 2 * 32768;
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetModuleFileNameA(nullptr, &buffer[0], size);
    if (length == 0) return std::string();
    // A cut path fills the whole buffer (with or without the NUL, depending
    // on the Windows version).
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= kLimit) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

bool Win32Profile::PathExists(const std::string& path) {
  if (path.empty()) return false;
  return PathFileExistsA(path.c_str()) != FALSE;
}

std::size_t Win32Profile::GetString(const std::string& section, const std::string& key,
                                    char* buffer, std::size_t size, const std::string& file) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (file.empty()) return 0;
  const DWORD capacity = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
  return GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, capacity, file.c_str());
}

bool Win32Profile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
  if (file.empty()) return false;
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         FALSE;
}

std::string Win32Profile::AppFolder() { return AnsiFolderOf(ModulePathAnsi()); }

std::string Win32Profile::ExeName() { return AnsiStemOf(ModulePathAnsi()); }

std::string Win32Profile::ToAnsi(const std::wstring& text) { return win::ToAnsi(text); }

std::wstring Win32Profile::FromAnsi(const std::string& text) { return win::FromAnsi(text); }

}  // namespace ocural
