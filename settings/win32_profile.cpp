#include "settings/win32_profile.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "platform/win/program_path.h"
#include "platform/win/text.h"

namespace ocural {
namespace {

// The length of the longest start of `text` that is whole characters and at
// most `limit` bytes.
std::size_t WholeCharacters(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + (IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return end;
}

}  // namespace

bool Win32Profile::PathExists(const std::wstring& path) {
  if (path.empty()) return false;
  return PathFileExistsW(path.c_str()) != FALSE;
}

std::size_t Win32Profile::GetString(const std::string& section, const std::string& key,
                                    char* buffer, std::size_t size, const std::wstring& file) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (file.empty()) return 0;
  // A value that fits in size-1 bytes has at most size-1 characters.
  constexpr std::size_t kLongest = 65536;
  const DWORD capacity = static_cast<DWORD>(size < kLongest ? size : kLongest);
  std::vector<wchar_t> wide(capacity, L'\0');
  const DWORD read = GetPrivateProfileStringW(win::FromAnsi(section).c_str(), win::FromAnsi(key).c_str(), L"",
                                              wide.data(), capacity, file.c_str());
  const std::string value = win::ToAnsi(std::wstring(wide.data(), read < capacity ? read : 0));
  const std::size_t length = WholeCharacters(value, size - 1);
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return length;
}

bool Win32Profile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value, const std::wstring& file) {
  if (file.empty()) return false;
  return WritePrivateProfileStringW(win::FromAnsi(section).c_str(), win::FromAnsi(key).c_str(),
                                    win::FromAnsi(value).c_str(), file.c_str()) != FALSE;
}

std::wstring Win32Profile::AppFolder() { return win::ProgramFolder(); }

std::wstring Win32Profile::ExeName() { return win::ProgramName(); }

std::string Win32Profile::ToAnsi(const std::wstring& text) { return win::ToAnsi(text); }

std::wstring Win32Profile::FromAnsi(const std::string& text) { return win::FromAnsi(text); }

}  // namespace ocural
