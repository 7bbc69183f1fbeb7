#include "settings/win32_profile.h"

#include <windows.h>
#include <shlwapi.h>

#include "platform/win/program_path.h"
#include "platform/win/text.h"

namespace ocural {

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

std::string Win32Profile::AppFolder() { return win::AnsiFolderOf(win::ModulePathAnsi()); }

std::string Win32Profile::ExeName() { return win::AnsiStemOf(win::ModulePathAnsi()); }

std::string Win32Profile::ToAnsi(const std::wstring& text) { return win::ToAnsi(text); }

std::wstring Win32Profile::FromAnsi(const std::string& text) { return win::FromAnsi(text); }

}  // namespace ocural
