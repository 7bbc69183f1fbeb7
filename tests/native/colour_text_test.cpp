#include "colorpick/core/colour_text.h"

#include <gtest/gtest.h>

namespace ocural {
namespace {

struct Case {
  int32_t colour;
  const char* html;
  const char* vb;
  const char* c;
  const char* decimal;
};

TEST(ColourPickText, EveryNotation) {
  const Case cases[] = {
      {0, "#000000", "&H000000", "0x000000", "0,0,0"},
      {0xFFFFFF, "#FFFFFF", "&HFFFFFF", "0xFFFFFF", "255,255,255"},
      {255, "#FF0000", "&H0000FF", "0x0000FF", "255,0,0"},
      {16711680, "#0000FF", "&HFF0000", "0xFF0000", "0,0,255"},
      {33023, "#FF8000", "&H0080FF", "0x0080FF", "255,128,0"},
      {0x0A0B0C, "#0C0B0A", "&H0A0B0C", "0x0A0B0C", "12,11,10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colour);
    EXPECT_EQ(ColourPickText(c.colour, kColourHtml), c.html);
    EXPECT_EQ(ColourPickText(c.colour, kColourVbHex), c.vb);
    EXPECT_EQ(ColourPickText(c.colour, kColourCHex), c.c);
    EXPECT_EQ(ColourPickText(c.colour, kColourDecimal), c.decimal);
    EXPECT_EQ("#" + ColorToRGBHex(c.colour), c.html);
  }
}

TEST(ColourPickText, UnknownModeIsHtml) {
  for (int mode : {-1, 4, 100}) {
    EXPECT_EQ(ColourPickText(33023, mode), "#FF8000") << mode;
  }
}

TEST(ColourPickText, NoColourCopiesNothing) {
  for (int32_t colour : {-1, -2, 0x1000000, 0x7FFFFFFF, INT32_MIN}) {
    EXPECT_EQ(ColorToRGBHex(colour), "") << colour;
    for (int mode = 0; mode <= 3; ++mode) {
      EXPECT_EQ(ColourPickText(colour, mode), "") << colour << " mode " << mode;
    }
  }
}

}  // namespace
}  // namespace ocural
