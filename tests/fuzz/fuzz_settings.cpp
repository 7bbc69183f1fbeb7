// The settings: any bytes as a hand-edited Ocural.ini, loaded, then saved
// with values taken from the input and loaded again.
// - each loaded setting is what its documented rule gives for the text the
//   INI rules find in the file (flags, ranges, rounding halves to even, the
//   locale's separator);
// - what is saved loads back: flags and in-range numbers as they were, the
//   skin name as written, the position within the rounding of its text;
// - everything goes to the program's INI file and its settings section.
// The file itself is held in memory: reading and writing INI files is the
// business of fuzz_ini and fuzz_skin_file, and a file read for every key
// made this target a hundred times slower.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <iterator>
#include <string>

#include "settings/core/app_settings.h"
#include "tests/common/portable_profile.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

using Keys = std::map<std::string, std::string>;

std::string Lower(std::string s) {
  for (char& c : s) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  return s;
}

// The settings section of the program's INI file, keys in lower case.
class MemoryProfile : public ProfileBackend {
 public:
  Keys keys;
  const std::wstring file = L"C:\\Ocural\\Ocural.ini";

  bool PathExists(const std::wstring& path) override { return path == file; }
  size_t GetString(const std::string& section, const std::string& key, char* buffer, size_t size,
                   const std::wstring& path) override {
    FUZZ_CHECK(path == file && fuzz::SameNameAscii(section, "OcuralSetting"));
    FUZZ_CHECK(buffer != nullptr && size > 0);
    const auto found = keys.find(Lower(key));
    const std::string value = found == keys.end() ? std::string() : found->second;
    const size_t n = std::min(value.size(), size - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
  }
  bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                   const std::wstring& path) override {
    FUZZ_CHECK(path == file && fuzz::SameNameAscii(section, "OcuralSetting"));
    keys[Lower(key)] = value;
    return true;
  }
  std::wstring AppFolder() override { return L"C:\\Ocural"; }
  std::wstring ExeName() override { return L"Ocural"; }
  std::string ToAnsi(const std::wstring& text) override { return WideToUtf8(text); }
  std::wstring FromAnsi(const std::string& text) override { return Utf8ToWide(text); }
};

// The text of a key as the program gets it: at most 255 bytes, up to a NUL.
std::string Text(const Keys& file, const std::string& key) {
  const auto found = file.find(Lower(key));
  std::string value = found == file.end() ? std::string() : found->second.substr(0, 255);
  return value.substr(0, value.find('\0'));
}

// The rounded number in the text, if it is one; only ASCII can be a number.
std::optional<double> Rounded(const std::string& text, char sep) {
  for (unsigned char c : text) {
    if (c >= 0x80) return std::nullopt;
  }
  const std::optional<double> v = fuzz::ReferenceFileNumber(text, sep);
  if (!v) return std::nullopt;
  return fuzz::ReferenceRound(*v);
}

int64_t InRange(const std::optional<double>& v, double low, double high, int64_t otherwise) {
  return v && *v >= low && *v <= high ? static_cast<int64_t>(*v) : otherwise;
}

void CheckLoaded(const Keys& file, const AppSettingsRecord& r, char sep) {
  FUZZ_CHECK(r.AlwaysTop == (Text(file, "AlwaysTop") != "0"));
  FUZZ_CHECK(r.ShowTrayIcon == (Text(file, "ShowTrayIcon") != "0"));
  FUZZ_CHECK(r.ColorPicker == (Text(file, "ColorPicker") == "1"));
  FUZZ_CHECK(r.NoLoadSkin == (Text(file, "NoLoadSkin") == "1"));
  FUZZ_CHECK(r.ColorPickMode == InRange(Rounded(Text(file, "ColorPickMode"), sep), 0, 3, 0));
  FUZZ_CHECK(r.LastX == InRange(Rounded(Text(file, "LastX"), sep), -2147483648.0, 2147483647.0, -1));
  FUZZ_CHECK(r.LastY == InRange(Rounded(Text(file, "LastY"), sep), -2147483648.0, 2147483647.0, -1));
  FUZZ_CHECK(r.LastMagnification ==
             InRange(Rounded(Text(file, "LastMagnification"), sep), 1, 32767, 2));
  FUZZ_CHECK(r.LastSkin == Utf8ToWide(Text(file, "LastSkin")));
}

// A position saved as a single-precision number with 7 digits reads back
// within half a unit of that text, or as -1 when it is not a 32-bit number.
void CheckPosition(double twips, int32_t loaded) {
  const float f = static_cast<float>(twips);
  if (std::isnan(twips) || std::fabs(twips) > 3.0e9) {
    FUZZ_CHECK(loaded == -1);
  } else if (std::fabs(twips) < 2.0e9) {
    FUZZ_CHECK(std::fabs(loaded - static_cast<double>(f)) <= 0.5 + 5.000001e-7 * std::fabs(f));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // The values to save come from the end of the input, the file from the rest.
  AppSettingsRecord saved;
  saved.AlwaysTop = in.ConsumeBool();
  saved.ColorPicker = in.ConsumeBool();
  saved.NoLoadSkin = in.ConsumeBool();
  saved.ShowTrayIcon = in.ConsumeBool();
  saved.ColorPickMode = in.ConsumeIntegral<int16_t>() % 5;
  const int16_t zoom = in.ConsumeIntegral<int16_t>();
  const bool realistic = in.ConsumeBool();
  const double left = realistic ? 15.0 * in.ConsumeIntegral<int16_t>() : in.ConsumeFloatingPoint<double>();
  const double top = realistic ? 15.0 * in.ConsumeIntegral<int16_t>() : in.ConsumeFloatingPoint<double>();
  const char sep = in.ConsumeBool() ? ',' : '.';
  const std::string file = in.ConsumeRemainingBytesAsString();
  // The skin name: the file's first line, as a name the INI file can hold.
  std::string skinName = file.substr(0, std::min(file.find_first_of("\r\n"), size_t{64}));
  skinName = fuzz::TrimBlanks(skinName.substr(0, skinName.find('\0')));
  while (skinName.size() >= 2 && (skinName[0] == '"' || skinName[0] == '\'') && skinName.back() == skinName[0]) {
    skinName = fuzz::TrimBlanks(skinName.substr(0, skinName.size() - 1));
  }
  const std::wstring skin = Utf8ToWide(skinName);

  MemoryProfile profile;
  profile.keys = fuzz::ReferenceIniSection(file, "OcuralSetting");
  INIAccess ini(profile);
  AppSettingsRecord loaded;
  LoadSettings(ini, loaded, sep);
  CheckLoaded(profile.keys, loaded, sep);

  const Keys before = profile.keys;
  SaveSettings(ini, saved, skin, left, top, zoom);
  // The nine settings are written, nothing else is touched.
  static const char* const kNames[] = {"alwaystop", "colorpicker", "noloadskin", "showtrayicon",
                                       "colorpickmode", "lastskin", "lastx", "lasty",
                                       "lastmagnification"};
  auto isSetting = [](const std::string& key) {
    return std::find(std::begin(kNames), std::end(kNames), key) != std::end(kNames);
  };
  for (const char* key : kNames) FUZZ_CHECK(profile.keys.count(key) == 1);
  for (const auto& [key, value] : profile.keys) FUZZ_CHECK(before.count(key) == 1 || isSetting(key));
  for (const auto& [key, value] : before) {
    FUZZ_CHECK(isSetting(key) || profile.keys.at(key) == value);
  }

  INIAccess fresh(profile);
  AppSettingsRecord again;
  LoadSettings(fresh, again, sep);
  CheckLoaded(profile.keys, again, sep);
  FUZZ_CHECK(again.AlwaysTop == saved.AlwaysTop && again.ColorPicker == saved.ColorPicker &&
             again.NoLoadSkin == saved.NoLoadSkin && again.ShowTrayIcon == saved.ShowTrayIcon);
  FUZZ_CHECK(again.ColorPickMode == (saved.ColorPickMode >= 0 && saved.ColorPickMode <= 3 ? saved.ColorPickMode : 0));
  FUZZ_CHECK(again.LastMagnification == (zoom >= 1 ? zoom : 2));
  FUZZ_CHECK(again.LastSkin == skin);
  CheckPosition(left, again.LastX);
  CheckPosition(top, again.LastY);
  return 0;
}
