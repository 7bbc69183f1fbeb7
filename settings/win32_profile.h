// The program's ProfileBackend: the Windows profile functions on ANSI text in
// the system code page, and the folder and name of the running executable.
#pragma once

#include <cstddef>
#include <string>

#include "settings/core/ini_access.h"

namespace ocural {

class Win32Profile : public ProfileBackend {
 public:
  // PathFileExistsA.
  bool PathExists(const std::string& path) override;
  // GetPrivateProfileStringA with "" as the default.
  std::size_t GetString(const std::string& section, const std::string& key, char* buffer,
                        std::size_t size, const std::string& file) override;
  // WritePrivateProfileStringA. False for an empty file name, which the
  // profile functions would otherwise take as a file in the Windows folder.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::string& file) override;
  // From GetModuleFileNameA of the running executable.
  std::string AppFolder() override;
  std::string ExeName() override;
  // Through the system code page (CP_ACP).
  std::string ToAnsi(const std::wstring& text) override;
  std::wstring FromAnsi(const std::string& text) override;
};

}  // namespace ocural
