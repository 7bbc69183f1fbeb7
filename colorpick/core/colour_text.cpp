#include "colorpick/core/colour_text.h"

namespace ocural {
namespace {

constexpr int32_t kMaxColour = 0xFFFFFF;

bool IsColour(int32_t colour) { return colour >= 0 && colour <= kMaxColour; }

// Six upper-case hex digits of a value already known to be 0..0xFFFFFF.
std::string Hex6(int32_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(6, '0');
  for (int i = 5; i >= 0; --i) {
    text[static_cast<size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

}  // namespace

std::string ColorToRGBHex(int32_t colour) {
  if (!IsColour(colour)) return std::string();
  const std::string h = Hex6(colour);  // BBGGRR
  return h.substr(4, 2) + h.substr(2, 2) + h.substr(0, 2);
}

std::string ColourPickText(int32_t colour, int mode) {
  if (!IsColour(colour)) return std::string();
  switch (mode) {
    case kColourVbHex:
      return "&H" + Hex6(colour);
    case kColourCHex:
      return "0x" + Hex6(colour);
    case kColourDecimal:
      return std::to_string(colour & 0xFF) + "," + std::to_string((colour >> 8) & 0xFF) + "," +
             std::to_string((colour >> 16) & 0xFF);
    default:
      return "#" + ColorToRGBHex(colour);
  }
}

}  // namespace ocural
