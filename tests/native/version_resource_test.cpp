#include "platform/core/version_resource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifdef OCURAL_VERSION_RES
#include "version.h"
#endif

namespace ocural {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint32_t Dword(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The RT_VERSION data of a compiled resource file (.res): entries of data
// size, header size, type and name, each padded to 32 bits.
Bytes VersionFromRes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const Bytes res((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t at = 0; at + 12 <= res.size();) {
    const std::uint32_t dataSize = Dword(res, at);
    const std::uint32_t headerSize = Dword(res, at + 4);
    const bool isVersion = res[at + 8] == 0xFF && res[at + 9] == 0xFF && res[at + 10] == 16 && res[at + 11] == 0;
    if (isVersion && at + headerSize + dataSize <= res.size()) {
      return Bytes(res.begin() + static_cast<long>(at + headerSize),
                   res.begin() + static_cast<long>(at + headerSize + dataSize));
    }
    at += (headerSize + dataSize + 3) & ~3u;
    if (headerSize == 0) break;
  }
  return {};
}

// Offset of the block whose key is `key` (the key follows the 6-byte header).
std::size_t BlockOf(const Bytes& b, const std::u16string& key) {
  for (std::size_t at = 6; at + key.size() * 2 <= b.size(); at += 2) {
    bool match = true;
    for (std::size_t i = 0; i < key.size() && match; ++i) {
      match = b[at + 2 * i] == (key[i] & 0xFF) && b[at + 2 * i + 1] == (key[i] >> 8);
    }
    if (match) return at - 6;
  }
  return std::string::npos;
}

// A hand-made block, laid out the way the resource compiler does it.
struct Node {
  std::u16string key;
  Bytes value;
  bool text = false;
  std::vector<Node> children;
};

void Pad(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}

void Emit(Bytes& out, const Node& n) {
  const std::size_t start = out.size();
  out.resize(start + 6);
  for (char16_t c : n.key) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  Pad(out);
  out.insert(out.end(), n.value.begin(), n.value.end());
  for (const auto& c : n.children) {
    Pad(out);
    Emit(out, c);
  }
  PutWord(out, start, static_cast<std::uint16_t>(out.size() - start));
  PutWord(out, start + 2, static_cast<std::uint16_t>(n.text ? n.value.size() / 2 : n.value.size()));
  PutWord(out, start + 4, n.text ? 1 : 0);
}

Node Text(const std::u16string& key, const std::u16string& text) {
  Node n{key, {}, true, {}};
  for (char16_t c : text + u'\0') {
    n.value.push_back(static_cast<std::uint8_t>(c));
    n.value.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return n;
}

Bytes FixedInfo(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  Bytes f(52, 0);
  const std::uint32_t words[] = {0xFEEF04BD, 0x00010000, (std::uint32_t{a} << 16) | b, (std::uint32_t{c} << 16) | d};
  for (int i = 0; i < 4; ++i) {
    for (int k = 0; k < 4; ++k) f[i * 4 + k] = static_cast<std::uint8_t>(words[i] >> (8 * k));
  }
  return f;
}

#ifdef OCURAL_VERSION_RES
Bytes RealResource() { return VersionFromRes(OCURAL_VERSION_RES); }

TEST(VersionResource, TheCompiledResourceCarriesTheProjectVersionAndName) {
  const Bytes real = RealResource();
  ASSERT_FALSE(real.empty()) << "no version resource in " << OCURAL_VERSION_RES;
  const auto v = ParseVersionResource(real.data(), real.size());
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->major, OCURAL_VERSION_MAJOR);
  EXPECT_EQ(v->minor, OCURAL_VERSION_MINOR);
  EXPECT_EQ(v->build, 0);
  EXPECT_EQ(v->revision, OCURAL_VERSION_REVISION);
  EXPECT_EQ(v->product, L"Ocural");
  const std::string project = OCURAL_PROJECT_VERSION;
  EXPECT_EQ(project, std::to_string(v->major) + "." + std::to_string(v->minor) + "." + std::to_string(v->revision));
}

TEST(VersionResource, CutOrBrokenBytesAreNeverReadBeyondAndKeepWhatStillHolds) {
  const Bytes real = RealResource();
  ASSERT_FALSE(real.empty());
  // Cut anywhere: the outer block no longer fits, so there is no version.
  for (std::size_t n = 0; n < real.size(); ++n) {
    EXPECT_FALSE(ParseVersionResource(real.data(), n).has_value()) << "cut at " << n;
  }
  EXPECT_FALSE(ParseVersionResource(nullptr, 0).has_value());

  // A broken header or fixed part: no version at all.
  struct Edit {
    const char* what;
    std::size_t at;
    std::uint16_t value;
  };
  const Edit fatal[] = {
      {"outer length below a header", 0, 5},
      {"outer length beyond the bytes", 0, static_cast<std::uint16_t>(real.size() + 4)},
      {"fixed part shorter than its structure", 2, 51},
      {"key changed", 6 + 2 * 14, u'X'},
      {"signature changed", 0x28, 0x04BE},
  };
  for (const auto& e : fatal) {
    Bytes b = real;
    PutWord(b, e.at, e.value);
    EXPECT_FALSE(ParseVersionResource(b.data(), b.size()).has_value()) << e.what;
  }

  // Any word after the fixed part changed: the numbers are still read.
  const std::size_t afterFixed = BlockOf(real, u"StringFileInfo");
  ASSERT_NE(afterFixed, std::string::npos);
  for (std::size_t at = afterFixed; at + 2 <= real.size(); at += 2) {
    for (std::uint16_t value : {0, 1, 6, 7, 0x7FFF, 0xFFFF}) {
      Bytes b = real;
      PutWord(b, at, value);
      const auto v = ParseVersionResource(b.data(), b.size());
      ASSERT_TRUE(v.has_value()) << "word at " << at << " = " << value;
      EXPECT_EQ(v->minor, OCURAL_VERSION_MINOR);
      EXPECT_EQ(v->revision, OCURAL_VERSION_REVISION);
    }
  }

  // A string table that overruns its parent: numbers kept, no product name.
  Bytes b = real;
  PutWord(b, BlockOf(real, u"041104b0"), 0xFFF0);
  const auto v = ParseVersionResource(b.data(), b.size());
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->revision, OCURAL_VERSION_REVISION);
  EXPECT_EQ(v->product, L"");
}
#endif

// The product name comes from the table that the translation names, matched
// without regard to letter case, and from the first table when none matches.
TEST(VersionResource, ProductNameComesFromTheTableTheTranslationNames) {
  const struct {
    std::uint16_t lang, codePage;
    const wchar_t* product;
  } cases[] = {
      {0x0411, 0x04B0, L"\u30AA\u30AD\u30E5\u30E9\u30EB"},  // matches "041104B0"
      {0x0409, 0x04B0, L"Ocural"},                         // matches "040904b0"
      {0x0407, 0x04E4, L"Ocural"},                         // no table: the first
  };
  for (const auto& c : cases) {
    Node root{u"VS_VERSION_INFO", FixedInfo(3, 14, 0, 1592), false, {}};
    Node strings{u"StringFileInfo", {}, true, {}};
    strings.children.push_back({u"040904b0", {}, true, {Text(u"ProductName", u"Ocural")}});
    strings.children.push_back(
        {u"041104B0", {}, true, {Text(u"FileVersion", u"3.14"), Text(u"ProductName", u"\u30AA\u30AD\u30E5\u30E9\u30EB")}});
    Node var{u"VarFileInfo", {}, true, {}};
    Node tr{u"Translation", {}, false, {}};
    tr.value = {static_cast<std::uint8_t>(c.lang), static_cast<std::uint8_t>(c.lang >> 8),
                static_cast<std::uint8_t>(c.codePage), static_cast<std::uint8_t>(c.codePage >> 8)};
    var.children.push_back(tr);
    root.children = {strings, var};
    Bytes b;
    Emit(b, root);
    const auto v = ParseVersionResource(b.data(), b.size());
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->major, 3);
    EXPECT_EQ(v->minor, 14);
    EXPECT_EQ(v->revision, 1592);
    EXPECT_EQ(v->product, c.product) << std::hex << c.lang;
  }
}

}  // namespace
}  // namespace ocural
