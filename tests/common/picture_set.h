// The pictures tests/pictures/make_pictures.sh writes with ImageMagick: one
// table that the native header checks and the end-to-end comparison both
// walk. The folder is named by OCURAL_PICTURES (scripts/test.sh sets it).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace ocural_test {

struct PictureVariant {
  std::string name;
  std::string kind;  // opaque, alpha, near, cut, bad
  int width = 0;
  int height = 0;
};

// The folder, "" when the pictures were not made for this run.
inline std::string PictureFolder() {
  const char* dir = std::getenv("OCURAL_PICTURES");
  return dir ? dir : "";
}

// The table; empty when it cannot be read.
inline std::vector<PictureVariant> PictureVariants(const std::string& folder) {
  std::vector<PictureVariant> out;
  std::ifstream in(folder + "/pictures.txt");
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    PictureVariant v;
    if (fields >> v.name >> v.kind >> v.width >> v.height) out.push_back(v);
  }
  return out;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ocural_test
