#include "tests/common/portable_profile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace ocural {

namespace {

const char kBom[] = "\xEF\xBB\xBF";
const std::size_t kBomSize = 3;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text, std::size_t begin, std::size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// One line of the file as offsets into its bytes.
struct Line {
  std::size_t begin = 0;    // first byte
  std::size_t end = 0;      // end of the text, before the line break
  std::size_t next = 0;     // start of the following line
  bool isSection = false;
  bool isBlank = false;
  std::string name;         // section name or key name
  std::size_t valueBegin = 0, valueEnd = 0;  // raw value, for keys with "="
};

// The first `c` in bytes [from, to), or `to`. Searches stop at the end of the
// line so that reading stays linear in the size of the file.
std::size_t FindIn(const std::string& bytes, char c, std::size_t from, std::size_t to) {
  const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(from);
  const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(to);
  return static_cast<std::size_t>(std::find(begin, end, c) - bytes.begin());
}

// Lines end with CR LF, LF or a lone CR, as the profile functions take them.
std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t pos = bytes.compare(0, kBomSize, kBom) == 0 ? kBomSize : 0;
  while (pos < bytes.size()) {
    Line line;
    line.begin = pos;
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    line.end = end;
    line.next = end;
    if (line.next < bytes.size() && bytes[line.next] == '\r') ++line.next;
    if (line.next < bytes.size() && bytes[line.next] == '\n') ++line.next;

    std::size_t first = pos;
    while (first < end && IsBlank(bytes[first])) ++first;
    if (first == end) {
      line.isBlank = true;
    } else if (bytes[first] == '[') {
      line.isSection = true;
      const std::size_t close = FindIn(bytes, ']', first + 1, end);
      line.name = Trim(bytes, first + 1, close);
    } else {
      const std::size_t equals = FindIn(bytes, '=', first, end);
      line.name = Trim(bytes, first, equals);
      line.valueBegin = line.valueEnd = end;
      if (equals < end) line.valueBegin = equals + 1;
    }
    lines.push_back(std::move(line));
    pos = lines.back().next;
  }
  return lines;
}

// Index of the first header of the section, if any.
std::optional<std::size_t> FindSection(const std::vector<Line>& lines, const std::string& section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isSection && SameName(lines[i].name, section)) return i;
  }
  return std::nullopt;
}

// Index of the key within the section starting at header index `header`.
std::optional<std::size_t> FindKey(const std::vector<Line>& lines, std::size_t header,
                                   const std::string& key) {
  for (std::size_t i = header + 1; i < lines.size() && !lines[i].isSection; ++i) {
    if (!lines[i].isBlank && SameName(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(std::filesystem::path(path), error)) return std::nullopt;
  // The stream buffer reports read errors by throwing; a file that cannot be
  // read is simply not there for us.
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendWide(std::wstring& out, unsigned long code) {
  if (sizeof(wchar_t) == 2 && code >= 0x10000) {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  } else {
    out += static_cast<wchar_t>(code);
  }
}

bool IsSurrogate(unsigned long code) { return code >= 0xD800 && code <= 0xDFFF; }

const unsigned long kReplacement = 0xFFFD;

}  // namespace

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  // The code unit as a number: 16 bits on Windows, a whole code point where
  // wchar_t has 32 bits.
  auto unit = [&](std::size_t i) {
    const unsigned long code = static_cast<unsigned long>(text[i]) & 0xFFFFFFFFul;
    return sizeof(wchar_t) == 2 ? code & 0xFFFF : code;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned long code = unit(i);
    // Only 16-bit text has surrogate pairs; where wchar_t holds whole code
    // points, a surrogate is malformed whatever follows it.
    if (sizeof(wchar_t) == 2 && code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
      const unsigned long low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (IsSurrogate(code) || code > 0x10FFFF) code = kReplacement;
    AppendUtf8(out, code);
  }
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned long code = 0;
    unsigned long minimum = 0;
    if (lead < 0x80) {
      length = 1, code = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const unsigned char trail = static_cast<unsigned char>(text[i + k]);
      if ((trail & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (trail & 0x3F);
    }
    if (valid && (code < minimum || code > 0x10FFFF || IsSurrogate(code))) valid = false;
    if (!valid) {
      AppendWide(out, kReplacement);
      ++i;
      continue;
    }
    AppendWide(out, code);
    i += length;
  }
  return out;
}

PortableProfile::PortableProfile(std::string appFolder, std::string exeName)
    : appFolder_(std::move(appFolder)), exeName_(std::move(exeName)) {}

bool PortableProfile::PathExists(const std::wstring& path) {
  if (path.empty()) return false;
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(WideToUtf8(path)), error) && !error;
}

std::size_t PortableProfile::GetString(const std::string& section, const std::string& key,
                                       char* buffer, std::size_t size,
                                       const std::wstring& file) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  const std::optional<std::string> bytes = ReadFile(WideToUtf8(file));
  if (!bytes) return 0;
  const std::vector<Line> lines = SplitLines(*bytes);
  const std::optional<std::size_t> header = FindSection(lines, section);
  if (!header) return 0;
  const std::optional<std::size_t> index = FindKey(lines, *header, key);
  if (!index) return 0;

  const Line& line = lines[*index];
  std::string value = Trim(*bytes, line.valueBegin, line.valueEnd);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  const std::size_t length = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), length);
  buffer[length] = '\0';
  return length;
}

bool PortableProfile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::wstring& wideFile) {
  if (wideFile.empty()) return false;
  const std::string file = WideToUtf8(wideFile);
  std::string bytes;
  if (PathExists(wideFile)) {
    std::optional<std::string> existing = ReadFile(file);
    if (!existing) return false;
    bytes = std::move(*existing);
  }
  const std::string entry = key + "=" + value;
  const std::vector<Line> lines = SplitLines(bytes);
  const std::optional<std::size_t> header = FindSection(lines, section);

  if (!header) {
    const bool bodyEmpty = bytes.empty() || bytes == kBom;
    if (!bodyEmpty && lines.back().next == lines.back().end) bytes += "\r\n";
    bytes += "[" + section + "]\r\n" + entry + "\r\n";
  } else if (const std::optional<std::size_t> index = FindKey(lines, *header, key)) {
    // Keep the key as the file spells it; only the value changes.
    const Line& line = lines[*index];
    bytes.replace(line.begin, line.end - line.begin, line.name + "=" + value);
  } else {
    // After the section's last non-blank line, so blank lines that separate
    // it from the next section stay where they are.
    std::size_t last = *header;
    for (std::size_t i = *header + 1; i < lines.size() && !lines[i].isSection; ++i) {
      if (!lines[i].isBlank) last = i;
    }
    const Line& line = lines[last];
    std::string insert = entry + "\r\n";
    if (line.next == line.end) insert = "\r\n" + insert;  // last line had no break
    bytes.insert(line.next, insert);
  }
  return WriteFile(file, bytes);
}

std::wstring PortableProfile::AppFolder() { return Utf8ToWide(appFolder_); }

std::wstring PortableProfile::ExeName() { return Utf8ToWide(exeName_); }

std::string PortableProfile::ToAnsi(const std::wstring& text) { return WideToUtf8(text); }

std::wstring PortableProfile::FromAnsi(const std::string& text) { return Utf8ToWide(text); }

}  // namespace ocural
