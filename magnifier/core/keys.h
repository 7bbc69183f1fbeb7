// The magnifier's wheel and keys: what each does.
#pragma once

#include <cstdint>

namespace ocural {

enum class KeyCommand : uint8_t { None, Move, ZoomIn, ZoomOut, Menu, CopyColour };

struct KeyAction {
  KeyCommand command = KeyCommand::None;
  int32_t dx = 0, dy = 0;  // for Move, in pixels
};

// Virtual-key codes, as Windows numbers them.
namespace vk {
constexpr int kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
constexpr int kApps = 0x5D, kF10 = 0x79, kC = 'C';
}  // namespace vk

// A key pressed while the magnifier is active: the arrows move it by one
// pixel (ten with Shift), the menu key and Shift+F10 open the menu, Ctrl+C
// copies the colour at the lens's centre. "+" and "-" come as characters
// (ZoomOfCharacter), so both keyboards' keys and the keypad's work alike.
KeyAction ActionOfKey(int virtualKey, bool shift, bool ctrl);
KeyCommand ZoomOfCharacter(wchar_t c);

// Adds a wheel message's delta to what is left over from earlier ones and
// gives the whole notches in it (120 each, up positive); the remainder stays
// for the next message, so a wheel that reports in small steps zooms once a
// notch. A turn the other way first drops what was left over the other way.
int32_t WheelNotches(int32_t& rest, int32_t delta);

}  // namespace ocural
