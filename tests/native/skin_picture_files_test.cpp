// The header checks over pictures written by a real tool (ImageMagick): every
// variant the program must read passes with its size and format, and every
// copy cut short is refused before a decoder sees it.
#include <gtest/gtest.h>

#include <map>

#include "skin/core/picture_header.h"
#include "tests/common/picture_set.h"

namespace ocural {
namespace {

TEST(PictureFiles, ToolWrittenVariantsPassWithTheirSizeAndCutCopiesAreRefused) {
  const std::string folder = ocural_test::PictureFolder();
  if (folder.empty()) GTEST_SKIP() << "OCURAL_PICTURES not set (scripts/test.sh makes the pictures)";
  const std::vector<ocural_test::PictureVariant> variants = ocural_test::PictureVariants(folder);
  ASSERT_GE(variants.size(), 40u) << "the table in " << folder;
  const std::map<std::string, PictureFormat> formats = {{"bmp", PictureFormat::Bmp}, {"gif", PictureFormat::Gif},
                                                        {"jpg", PictureFormat::Jpeg}, {"png", PictureFormat::Png},
                                                        {"tif", PictureFormat::Tiff}, {"ico", PictureFormat::Ico}};
  int readable = 0, cut = 0;
  for (const auto& v : variants) {
    SCOPED_TRACE(v.name);
    const std::vector<uint8_t> bytes = ocural_test::ReadBytes(folder + "/" + v.name);
    ASSERT_FALSE(bytes.empty());
    const std::optional<PictureHeader> header = InspectPicture(bytes.data(), bytes.size());
    if (v.kind == "opaque" || v.kind == "alpha" || v.kind == "near") {
      ++readable;
      ASSERT_TRUE(header.has_value());
      EXPECT_EQ(header->format, formats.at(v.name.substr(v.name.size() - 3)));
      EXPECT_EQ(header->width, v.width);
      EXPECT_EQ(header->height, v.height);
    } else if (v.kind == "cut") {
      ++cut;
      EXPECT_FALSE(header.has_value());
    }
  }
  EXPECT_GE(readable, 35);
  EXPECT_GE(cut, 6);
}

}  // namespace
}  // namespace ocural
