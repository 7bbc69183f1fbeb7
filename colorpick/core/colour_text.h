// The texts the colour picker copies to the clipboard.
#pragma once

#include <cstdint>
#include <string>

namespace ocural {

// Notations offered by the colour picker.
enum ColourPickMode {
  kColourHtml = 0,     // "#RRGGBB"
  kColourVbHex = 1,    // "&HBBGGRR"
  kColourCHex = 2,     // "0xBBGGRR"
  kColourDecimal = 3,  // "R,G,B"
};

// A colour value 0x00BBGGRR as six upper-case hex digits in red, green, blue
// order ("FF8000" for 0x0080FF). Values outside 0..0xFFFFFF (-1 stands for
// "no colour") are not colours: the result is empty.
std::string ColorToRGBHex(int32_t colour);

// The colour written in the notation `mode` (see ColourPickMode); a mode
// outside 0..3 counts as 0. An empty result means there is nothing to copy,
// which is what a value outside 0..0xFFFFFF gives in every notation.
std::string ColourPickText(int32_t colour, int mode);

}  // namespace ocural
