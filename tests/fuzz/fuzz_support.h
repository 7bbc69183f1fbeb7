// What the fuzz targets share: a check that stops the run where a promise is
// broken, a scratch file for the code that reads files, and small reference
// readers written straight from the documented rules (not from the code), so
// a target can compare the two.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

// Stops the run with the failed condition; libFuzzer then keeps the input.
#define FUZZ_CHECK(cond)                                                             \
  do {                                                                               \
    if (!(cond)) {                                                                   \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
      std::fflush(stderr);                                                           \
      __builtin_trap();                                                              \
    }                                                                                \
  } while (0)

namespace fuzz {

// A folder of this process under /dev/shm (memory, so file-based targets stay
// fast) or the temp folder, removed when the run ends normally.
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* bases[] = {"/dev/shm", std::getenv("TMPDIR"), "/tmp"};
    for (const char* base : bases) {
      if (!base) continue;
      std::string path = std::string(base) + "/ocural_fuzz_" + std::to_string(getpid());
      if (access(base, W_OK) == 0 && (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)) {
        static std::string removeAtExit;
        removeAtExit = path;
        std::atexit([] {
          std::error_code error;
          std::filesystem::remove_all(removeAtExit, error);
        });
        return path;
      }
    }
    std::fprintf(stderr, "no scratch folder\n");
    std::abort();
  }();
  return folder;
}

inline void PutFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good());
}

inline std::string GetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

inline bool SameNameAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (low(a[i]) != low(b[i])) return false;
  }
  return true;
}

// The value of key in section as the profile functions give it: the first
// section of that name (any case), its lines up to the next section header,
// the first line whose name before "=" matches, blanks around the value and
// one pair of matching quotes dropped. Nothing when the section or key is
// missing. Lines end with CR LF, LF or CR; a UTF-8 BOM is skipped.
inline std::optional<std::string> ReferenceIniValue(const std::string& file,
                                                    const std::string& section,
                                                    const std::string& key) {
  size_t pos = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  bool inSection = false;
  while (pos < file.size()) {
    size_t end = pos;
    while (end < file.size() && file[end] != '\r' && file[end] != '\n') ++end;
    const std::string line = TrimBlanks(file.substr(pos, end - pos));
    pos = end;
    if (pos < file.size() && file[pos] == '\r') ++pos;
    if (pos < file.size() && file[pos] == '\n') ++pos;
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (inSection) return std::nullopt;
      const size_t close = line.find(']');
      inSection = SameNameAscii(TrimBlanks(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find('=');
    if (!SameNameAscii(TrimBlanks(line.substr(0, eq)), key)) continue;
    std::string value = eq == std::string::npos ? std::string() : TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
      value = value.substr(1, value.size() - 2);
    }
    return value;
  }
  return std::nullopt;
}

// Every key of the section with its value as ReferenceIniValue gives it,
// names in lower case: one pass over the file for targets that read many keys.
inline std::map<std::string, std::string> ReferenceIniSection(const std::string& file,
                                                              const std::string& section) {
  std::map<std::string, std::string> keys;
  size_t pos = file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  bool inSection = false;
  while (pos < file.size()) {
    size_t end = pos;
    while (end < file.size() && file[end] != '\r' && file[end] != '\n') ++end;
    const std::string line = TrimBlanks(file.substr(pos, end - pos));
    pos = end;
    if (pos < file.size() && file[pos] == '\r') ++pos;
    if (pos < file.size() && file[pos] == '\n') ++pos;
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (inSection) break;
      const size_t close = line.find(']');
      inSection = SameNameAscii(TrimBlanks(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    const size_t eq = line.find('=');
    std::string name = TrimBlanks(line.substr(0, eq));
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    std::string value = eq == std::string::npos ? std::string() : TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
      value = value.substr(1, value.size() - 2);
    }
    keys.emplace(name, value);  // the first line of a name counts
  }
  return keys;
}

// A plain decimal number as the C library reads it, for text that holds only
// digits, signs, exponent letters and the given decimal separator (which
// keeps out hexadecimal, "inf" and "nan"). Blanks around it are allowed.
inline std::optional<double> ReferenceNumber(const std::string& text, char separator) {
  std::string s = TrimBlanks(text);
  if (s.empty()) return std::nullopt;
  for (char& c : s) {
    if (c == separator) {
      c = '.';
    } else if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == 'e' || c == 'E')) {
      return std::nullopt;
    }
  }
  char* end = nullptr;
  const double value = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size()) return std::nullopt;
  return value;
}

// What the program's file-number rules give: "." always, else the locale's.
inline std::optional<double> ReferenceFileNumber(const std::string& text, char localeSeparator) {
  if (auto v = ReferenceNumber(text, '.')) return v;
  if (localeSeparator == '.') return std::nullopt;
  return ReferenceNumber(text, localeSeparator);
}

// Rounding to nearest with halves to even, by the floating-point unit.
inline double ReferenceRound(double v) { return __builtin_rint(v); }

}  // namespace fuzz
