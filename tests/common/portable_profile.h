// A ProfileBackend on plain files, for the native tests and the fuzz targets,
// which run without the Windows profile functions. It gives the same
// observable results as GetPrivateProfileStringA/WritePrivateProfileStringA:
// names match without regard to case, blanks around "=" and the value are
// dropped, one pair of matching quotes around a value is removed, a line ends
// with CR LF, LF or a lone CR, and writes touch only the line they change.
// "ANSI" text is UTF-8 here, and so are the paths the file system is given.
#pragma once

#include <string>

#include "settings/core/ini_access.h"

namespace ocural {

class PortableProfile : public ProfileBackend {
 public:
  // The folder and name AppFolder() and ExeName() report, in UTF-8.
  PortableProfile(std::string appFolder, std::string exeName);

  bool PathExists(const std::wstring& path) override;
  std::size_t GetString(const std::string& section, const std::string& key, char* buffer,
                        std::size_t size, const std::wstring& file) override;
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value, const std::wstring& file) override;
  std::wstring AppFolder() override;
  std::wstring ExeName() override;
  std::string ToAnsi(const std::wstring& text) override;
  std::wstring FromAnsi(const std::string& text) override;

 private:
  std::string appFolder_;
  std::string exeName_;
};

// UTF-8 <-> wide text; malformed input becomes U+FFFD.
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

}  // namespace ocural
