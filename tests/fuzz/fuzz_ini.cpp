// The INI reader and writer on plain files, starting from a file of any
// bytes (a hand-edited one) and a run of writes:
// - what was written last under a section and key reads back, names in any case;
// - a write changes no other value and touches no line but its own;
// - the reader agrees with the documented rules on every file the writer makes;
// - INIAccess gives back wide text it wrote, cut to the 255 bytes it reads;
// - the UTF-8 conversions give back what they were given.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/core/ini_access.h"
#include "tests/common/portable_profile.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

const char* const kSections[] = {"OcuralSetting", "ocuralsetting", "OcuralSkin", "S", ""};
const char* const kKeys[] = {"LastX", "LASTX", "LastSkin", "k", "name"};

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return s;
}

// The text without NULs and the characters in `drop`, blanks around it dropped.
std::string Without(const std::string& s, const std::string& drop) {
  std::string out;
  for (char c : s) {
    if (c != '\0' && drop.find(c) == std::string::npos) out += c;
  }
  return fuzz::TrimBlanks(out);
}

bool Quoted(const std::string& v) {
  return v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0];
}

// Names and values the profile functions can hold: no line breaks or NULs,
// no blanks around them, no "]" in a section name, no "=" in a key nor a key
// that would read as a section, no value wrapped in quotes.
std::string SectionName(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return kSections[in.ConsumeIntegralInRange<size_t>(0, 4)];
  return Without(in.ConsumeRandomLengthString(24), "\r\n]");
}

std::string KeyName(FuzzedDataProvider& in) {
  std::string key = in.ConsumeBool() ? kKeys[in.ConsumeIntegralInRange<size_t>(0, 4)]
                                     : Without(in.ConsumeRandomLengthString(24), "\r\n=");
  while (!key.empty() && key[0] == '[') key = fuzz::TrimBlanks(key.substr(1));
  return key;
}

std::string Value(FuzzedDataProvider& in) {
  std::string value = Without(in.ConsumeRandomLengthString(300), "\r\n");
  while (Quoted(value)) value = fuzz::TrimBlanks(value.substr(0, value.size() - 1));
  return value;
}

std::optional<std::string> Read(PortableProfile& profile, const std::string& path,
                                 const std::string& section, const std::string& key) {
  std::vector<char> buffer(2048, 'x');
  const size_t n = profile.GetString(section, key, buffer.data(), buffer.size(), Utf8ToWide(path));
  FUZZ_CHECK(n < buffer.size() && buffer[n] == '\0');
  return std::string(buffer.data(), n);
}

// new = old with one stretch replaced, and that stretch holds no line break.
void CheckOneLineTouched(const std::string& before, const std::string& after) {
  size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::string removed = before.substr(prefix, before.size() - prefix - suffix);
  FUZZ_CHECK(removed.find_first_of("\r\n") == std::string::npos);
}

void CheckUtf8(const std::string& bytes) {
  const std::wstring wide = Utf8ToWide(bytes);
  const std::string again = WideToUtf8(wide);
  FUZZ_CHECK(Utf8ToWide(again) == wide);  // what comes out is valid UTF-8
  if (wide.find(L'\uFFFD') == std::wstring::npos) FUZZ_CHECK(again == bytes);
  FUZZ_CHECK(wide.size() <= bytes.size());
  // Any wide text (each 32-bit value taken as it is) back and forth.
  std::wstring any;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + i, 4);
    any += static_cast<wchar_t>(v % 0x110000 == v ? v : v & 0x1FFFFF);
  }
  const std::wstring back = Utf8ToWide(WideToUtf8(any));
  FUZZ_CHECK(back.size() == any.size());
  for (size_t i = 0; i < any.size(); ++i) {
    const uint32_t c = static_cast<uint32_t>(any[i]);
    const bool valid = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    FUZZ_CHECK(back[i] == (valid ? any[i] : L'\uFFFD'));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
    CheckUtf8(in.ConsumeRemainingBytesAsString());
    return 0;
  }
  static PortableProfile profile(fuzz::ScratchFolder() + "/", "Ocural");
  const std::string path = fuzz::ScratchFolder() + "/\\Ocural.ini";
  std::string file = in.ConsumeRandomLengthString(2000);
  fuzz::PutFile(path, file);

  std::map<std::pair<std::string, std::string>, std::string> written;
  for (int step = 0; step < 3 && in.remaining_bytes() > 0; ++step) {
    const std::string section = SectionName(in);
    const std::string key = KeyName(in);
    const std::string value = Value(in);
    // A name read before and after the write, to see that the write leaves it alone.
    const std::string otherSection = SectionName(in);
    const std::string otherKey = KeyName(in);
    const std::optional<std::string> otherBefore = Read(profile, path, otherSection, otherKey);

    FUZZ_CHECK(profile.WriteString(section, key, value, Utf8ToWide(path)));
    const std::string after = fuzz::GetFile(path);
    CheckOneLineTouched(file, after);
    file = after;
    written[{Lower(section), Lower(key)}] = value;
    FUZZ_CHECK(Read(profile, path, section, key) == value);

    const std::optional<std::string> otherAfter = Read(profile, path, otherSection, otherKey);
    if (Lower(otherSection) != Lower(section) || Lower(otherKey) != Lower(key)) {
      FUZZ_CHECK(otherAfter == otherBefore);
    }
    FUZZ_CHECK(otherAfter == fuzz::ReferenceIniValue(file, otherSection, otherKey).value_or(""));
  }
  // Every name keeps the value written last under it, in whatever case.
  for (const auto& [names, want] : written) {
    FUZZ_CHECK(Read(profile, path, names.first, names.second) == want);
  }

  // Wide text through INIAccess: back as written up to 255 bytes of UTF-8;
  // longer text comes back cut, a character cut in two read as U+FFFD.
  INIAccess ini(profile);
  ini.SetApplicationINI();
  const std::wstring section = Utf8ToWide(SectionName(in));
  const std::wstring key = Utf8ToWide(KeyName(in));
  const std::wstring value = Utf8ToWide(Value(in));
  if (section.empty()) return 0;  // INIAccess needs a section
  FUZZ_CHECK(ini.SetINIData(key, value, section));
  const std::wstring back = ini.GetINIData(key, section);
  const std::string utf8 = WideToUtf8(value);
  if (utf8.size() <= 255) {
    FUZZ_CHECK(back == value);
  } else {
    // The first 255 bytes, a character cut in two read as U+FFFD for each
    // of its bytes that are there.
    FUZZ_CHECK(back == Utf8ToWide(utf8.substr(0, 255)));
    size_t whole = 255;
    while (whole > 0 && (static_cast<unsigned char>(utf8[whole]) & 0xC0) == 0x80) --whole;
    const std::wstring kept = Utf8ToWide(utf8.substr(0, whole));
    FUZZ_CHECK(value.compare(0, kept.size(), kept) == 0 && back.compare(0, kept.size(), kept) == 0);
    FUZZ_CHECK(back.size() - kept.size() == 255 - whole);
  }
  return 0;
}
