// Reading and writing single values of an INI file. The file system side is a
// ProfileBackend: the Windows profile functions in the program, a portable
// implementation elsewhere and in tests.
//
// Paths are wide text, so that a file in any folder can be reached whatever
// the system's code page. What is in the files (sections, keys and values)
// crosses the backend as bytes in the system's ANSI code page, the encoding
// the files have always had.
#pragma once

#include <cstddef>
#include <string>

namespace ocural {

class ProfileBackend {
 public:
  virtual ~ProfileBackend() = default;

  // True when a file or folder exists at the path.
  virtual bool PathExists(const std::wstring& path) = 0;

  // Like GetPrivateProfileStringA with "" as the default: copies the value
  // (at most size-1 bytes, NUL-terminated) and returns the number of bytes
  // copied without the NUL; "" and 0 when the file, section or key is missing.
  virtual std::size_t GetString(const std::string& section, const std::string& key,
                                char* buffer, std::size_t size,
                                const std::wstring& file) = 0;

  // Like WritePrivateProfileStringA: sets the key, creating the file, the
  // section and the key as needed. False when the file cannot be written.
  virtual bool WriteString(const std::string& section, const std::string& key,
                           const std::string& value, const std::wstring& file) = 0;

  // Folder of the running program, without a trailing backslash except at a
  // drive root ("C:\\").
  virtual std::wstring AppFolder() = 0;

  // Name of the running program without folder and extension.
  virtual std::wstring ExeName() = 0;

  virtual std::string ToAnsi(const std::wstring& text) = 0;
  virtual std::wstring FromAnsi(const std::string& text) = 0;
};

class INIAccess {
 public:
  explicit INIAccess(ProfileBackend& backend) : backend_(backend) {}

  // The file used by GetINIData/SetINIData.
  std::wstring FileName;
  // The section last named in a read or write; used when a call names none.
  std::wstring Section;

  // FileName = program folder + strFileName.
  void SetAppPathFilename(const std::wstring& strFileName);
  // FileName = program folder + program name + ".ini".
  void SetApplicationINI();

  // Writes strData under strKey. A non-empty strSection becomes Section.
  // False when there is no file name or no section, or the write fails.
  bool SetINIData(const std::wstring& strKey, const std::wstring& strData,
                  const std::wstring& strSection);

  // The value of strKey, "" when it cannot be read. A non-empty strSection
  // becomes Section, but only once the file is known to exist.
  std::wstring GetINIData(const std::wstring& strKey, const std::wstring& strSection);

 private:
  bool PathExists(const std::wstring& path);

  ProfileBackend& backend_;
};

}  // namespace ocural
