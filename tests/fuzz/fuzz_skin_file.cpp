// A skin file (.vsk) of any bytes, read the way the program reads one: the
// portable profile reader behind INIAccess, then ReadSkinFile. Every field
// must be what the documented INI and number rules give for the file.
#include <cstdint>
#include <map>
#include <string>

#include "settings/core/ini_access.h"
#include "tests/common/portable_profile.h"
#include "skin/core/skin_file.h"
#include "tests/fuzz/fuzz_support.h"

using namespace ocural;

namespace {

using Keys = std::map<std::string, std::string>;

// The text of a key as the program gets it: at most 255 bytes, up to a NUL.
std::string ExpectedText(const Keys& file, const char* key) {
  const auto found = file.find(key);
  std::string value = found == file.end() ? std::string() : found->second.substr(0, 255);
  return value.substr(0, value.find('\0'));
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

int32_t ExpectedNumber(const Keys& file, const char* key, char sep) {
  const std::string text = ExpectedText(file, key);
  const std::optional<double> v = IsAscii(text) ? fuzz::ReferenceFileNumber(text, sep) : std::nullopt;
  if (!v) return 0;
  const double r = fuzz::ReferenceRound(*v);
  return r >= 2147483647.0 ? INT32_MAX : r <= -2147483648.0 ? INT32_MIN : int32_t(r);
}

bool ExpectedVisible(const Keys& file, const char* key, char sep) {
  const std::string text = ExpectedText(file, key);
  const std::optional<double> v = IsAscii(text) ? fuzz::ReferenceFileNumber(text, sep) : std::nullopt;
  return v && *v != 0.0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const char sep = size > 0 && (data[size / 2] & 1) ? ',' : '.';
  // INIAccess puts "\" after the program folder: with one ending in "/" the
  // file is "\skin.vsk" inside the scratch folder.
  static PortableProfile profile(fuzz::ScratchFolder() + "/", "Ocural");
  fuzz::PutFile(fuzz::ScratchFolder() + "/\\skin.vsk", bytes);

  INIAccess ini(profile);
  ini.SetAppPathFilename(L"skin.vsk");
  ini.Section = kSkinSection;
  const SkinFile skin =
      ReadSkinFile([&](const std::wstring& key) { return ini.GetINIData(key, L""); }, sep);

  const Keys keys = fuzz::ReferenceIniSection(bytes, "OcuralSkin");
  auto text = [&](const char* key) { return Utf8ToWide(ExpectedText(keys, key)); };
  FUZZ_CHECK(skin.name == text("name"));
  FUZZ_CHECK(skin.author == text("author"));
  FUZZ_CHECK(skin.description == text("description"));
  FUZZ_CHECK(skin.base == text("base"));
  FUZZ_CHECK(skin.lens == text("lens"));
  FUZZ_CHECK(skin.lensOffsetX == ExpectedNumber(keys, "lensoffsetx", sep));
  FUZZ_CHECK(skin.lensOffsetY == ExpectedNumber(keys, "lensoffsety", sep));
  FUZZ_CHECK(skin.inVisible == ExpectedVisible(keys, "inbuttonvisible", sep));
  FUZZ_CHECK(skin.outVisible == ExpectedVisible(keys, "outbuttonvisible", sep));
  const SkinRect in{ExpectedNumber(keys, "inrectx1", sep), ExpectedNumber(keys, "inrectx2", sep),
                    ExpectedNumber(keys, "inrecty1", sep), ExpectedNumber(keys, "inrecty2", sep)};
  const SkinRect out{ExpectedNumber(keys, "outrectx1", sep), ExpectedNumber(keys, "outrectx2", sep),
                     ExpectedNumber(keys, "outrecty1", sep), ExpectedNumber(keys, "outrecty2", sep)};
  FUZZ_CHECK(skin.inRect.x1 == in.x1 && skin.inRect.x2 == in.x2 && skin.inRect.y1 == in.y1 &&
             skin.inRect.y2 == in.y2);
  FUZZ_CHECK(skin.outRect.x1 == out.x1 && skin.outRect.x2 == out.x2 &&
             skin.outRect.y1 == out.y1 && skin.outRect.y2 == out.y2);
  return 0;
}
