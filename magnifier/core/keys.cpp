#include "magnifier/core/keys.h"

namespace ocural {

KeyAction ActionOfKey(int virtualKey, bool shift, bool ctrl) {
  const int32_t step = shift ? 10 : 1;
  if (!ctrl) {
    switch (virtualKey) {
      case vk::kLeft:
        return {KeyCommand::Move, -step, 0};
      case vk::kRight:
        return {KeyCommand::Move, step, 0};
      case vk::kUp:
        return {KeyCommand::Move, 0, -step};
      case vk::kDown:
        return {KeyCommand::Move, 0, step};
      case vk::kApps:
        return {KeyCommand::Menu};
      case vk::kF10:
        return shift ? KeyAction{KeyCommand::Menu} : KeyAction{};
      default:
        return {};
    }
  }
  return virtualKey == vk::kC && !shift ? KeyAction{KeyCommand::CopyColour} : KeyAction{};
}

KeyCommand ZoomOfCharacter(wchar_t c) {
  if (c == L'+') return KeyCommand::ZoomIn;
  if (c == L'-') return KeyCommand::ZoomOut;
  return KeyCommand::None;
}

int32_t WheelNotches(int32_t& rest, int32_t delta) {
  constexpr int32_t kNotch = 120;
  if ((rest > 0 && delta < 0) || (rest < 0 && delta > 0)) rest = 0;
  // Kept within one notch of zero on either side before adding, so no sum
  // can overflow.
  const int64_t sum = static_cast<int64_t>(rest) + delta;
  const int64_t notches = sum / kNotch;
  rest = static_cast<int32_t>(sum - notches * kNotch);
  return static_cast<int32_t>(notches);
}

}  // namespace ocural
