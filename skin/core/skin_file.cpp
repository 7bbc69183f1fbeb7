#include "skin/core/skin_file.h"

#include <optional>
#include <string>

#include "platform/core/vbmath.h"
#include "platform/core/vbtext.h"

namespace ocural {

const wchar_t kSkinSection[] = L"OcuralSkin";

int32_t SkinNumber(const std::wstring& text, char localeSeparator) {
  const std::optional<double> value = ParseFileNumber(text, localeSeparator);
  return value ? NearestInt32(*value) : 0;
}

bool SkinVisible(const std::wstring& text, char localeSeparator) {
  const std::optional<double> value = ParseFileNumber(text, localeSeparator);
  return value && *value != 0.0;
}

int32_t SkinSpan(int32_t from, int32_t to) {
  const int64_t span = static_cast<int64_t>(to) - static_cast<int64_t>(from);
  if (span < 0 || span > INT32_MAX) return -1;
  return static_cast<int32_t>(span);
}

SkinFile ReadSkinFile(const SkinKeyReader& readKey, char localeSeparator) {
  SkinFile skin;
  if (!readKey) return skin;
  auto number = [&](const wchar_t* key) { return SkinNumber(readKey(key), localeSeparator); };
  auto visible = [&](const wchar_t* key) { return SkinVisible(readKey(key), localeSeparator); };
  skin.name = readKey(L"name");
  skin.author = readKey(L"author");
  skin.description = readKey(L"description");
  skin.base = readKey(L"base");
  skin.lens = readKey(L"lens");
  skin.lensOffsetX = number(L"lensoffsetx");
  skin.lensOffsetY = number(L"lensoffsety");
  skin.inVisible = visible(L"inbuttonvisible");
  skin.inRect.x1 = number(L"inrectx1");
  skin.inRect.x2 = number(L"inrectx2");
  skin.inRect.y1 = number(L"inrecty1");
  skin.inRect.y2 = number(L"inrecty2");
  skin.outVisible = visible(L"outbuttonvisible");
  skin.outRect.x1 = number(L"outrectx1");
  skin.outRect.x2 = number(L"outrectx2");
  skin.outRect.y1 = number(L"outrecty1");
  skin.outRect.y2 = number(L"outrecty2");
  return skin;
}

}  // namespace ocural
