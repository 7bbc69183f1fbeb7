// The program's ProfileBackend: the Windows profile functions on wide paths,
// with the files' content in the system code page, and the folder and name of
// the running executable.
#pragma once

#include <cstddef>
#include <string>

#include "settings/core/ini_access.h"

namespace ocural {

class Win32Profile : public ProfileBackend {
 public:
  // PathFileExistsW.
  bool PathExists(const std::wstring& path) override;
  // GetPrivateProfileStringW with "" as the default, the value handed back in
  // the system code page and cut, at a character boundary, to what fits.
  std::size_t GetString(const std::string& section, const std::string& key, char* buffer,
                        std::size_t size, const std::wstring& file) override;
  // WritePrivateProfileStringW. It keeps an existing file's encoding and
  // makes a new file in the system code page, as the ANSI form does. False
  // for an empty file name, which the profile functions would otherwise take
  // as a file in the Windows folder.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::wstring& file) override;
  // From GetModuleFileNameW of the running executable.
  std::wstring AppFolder() override;
  std::wstring ExeName() override;
  // Through the system code page (CP_ACP).
  std::string ToAnsi(const std::wstring& text) override;
  std::wstring FromAnsi(const std::string& text) override;
};

}  // namespace ocural
