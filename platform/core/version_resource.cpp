#include "platform/core/version_resource.h"

#include <vector>

namespace ocural {
namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO

struct Block {
  std::size_t end = 0;  // one past the block's last byte
  std::u16string key;
  bool text = false;
  std::size_t valueBegin = 0, valueSize = 0;
  std::size_t childrenBegin = 0;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : d_(data), size_(size) {}

  std::uint16_t Word(std::size_t at) const { return static_cast<std::uint16_t>(d_[at] | (d_[at + 1] << 8)); }
  std::uint32_t Dword(std::size_t at) const { return Word(at) | (static_cast<std::uint32_t>(Word(at + 2)) << 16); }

  // The block at `at`, which must end by `limit`.
  std::optional<Block> BlockAt(std::size_t at, std::size_t limit) const {
    if (limit > size_ || at > limit || limit - at < 6) return std::nullopt;
    const std::size_t length = Word(at);
    if (length < 6 || length > limit - at) return std::nullopt;
    Block b;
    b.end = at + length;
    const std::size_t valueLength = Word(at + 2);
    b.text = Word(at + 4) == 1;
    std::size_t p = at + 6;
    for (;;) {
      if (b.end - p < 2) return std::nullopt;
      const std::uint16_t c = Word(p);
      p += 2;
      if (c == 0) break;
      b.key.push_back(static_cast<char16_t>(c));
    }
    p = Align(p);
    if (p > b.end) p = b.end;
    // A text value's length counts UTF-16 units; compilers do not agree on
    // whether it includes the NUL, so it is read up to the NUL within the block.
    std::size_t valueBytes = b.text ? valueLength * std::size_t{2} : valueLength;
    if (valueBytes > b.end - p) {
      if (!b.text) return std::nullopt;
      valueBytes = b.end - p;
    }
    b.valueBegin = p;
    b.valueSize = valueBytes;
    b.childrenBegin = Align(p + valueBytes);
    return b;
  }

  std::vector<Block> Children(const Block& parent) const {
    std::vector<Block> out;
    std::size_t at = parent.childrenBegin;
    while (at < parent.end) {
      auto child = BlockAt(at, parent.end);
      if (!child) break;
      at = Align(child->end);
      out.push_back(std::move(*child));
    }
    return out;
  }

  std::optional<Block> Child(const Block& parent, const std::u16string& key) const {
    for (auto& c : Children(parent)) {
      if (c.key == key) return c;
    }
    return std::nullopt;
  }

  std::wstring Text(const Block& b) const {
    std::wstring out;
    for (std::size_t p = b.valueBegin; p + 2 <= b.valueBegin + b.valueSize; p += 2) {
      const std::uint16_t c = Word(p);
      if (c == 0) break;
      out.push_back(static_cast<wchar_t>(c));
    }
    return out;
  }

 private:
  static std::size_t Align(std::size_t n) { return (n + 3) & ~std::size_t{3}; }
  const std::uint8_t* d_;
  std::size_t size_;
};

std::u16string Lower(std::u16string s) {
  for (auto& c : s) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return s;
}

std::u16string Hex4(std::uint16_t v) {
  static const char16_t digits[] = u"0123456789abcdef";
  std::u16string s;
  for (int shift = 12; shift >= 0; shift -= 4) s.push_back(digits[(v >> shift) & 0xF]);
  return s;
}

}  // namespace

std::optional<ResourceVersion> ParseVersionResource(const std::uint8_t* data, std::size_t size) {
  if (!data) return std::nullopt;
  const Reader r(data, size);
  const auto root = r.BlockAt(0, size);
  if (!root || root->key != u"VS_VERSION_INFO" || root->valueSize < kFixedInfoSize ||
      r.Dword(root->valueBegin) != kFixedInfoSignature) {
    return std::nullopt;
  }
  ResourceVersion v;
  const std::uint32_t ms = r.Dword(root->valueBegin + 8);
  const std::uint32_t ls = r.Dword(root->valueBegin + 12);
  v.major = static_cast<int>(ms >> 16);
  v.minor = static_cast<int>(ms & 0xFFFF);
  v.build = static_cast<int>(ls >> 16);
  v.revision = static_cast<int>(ls & 0xFFFF);

  std::u16string wanted;
  if (const auto var = r.Child(*root, u"VarFileInfo")) {
    if (const auto tr = r.Child(*var, u"Translation"); tr && tr->valueSize >= 4) {
      wanted = Hex4(r.Word(tr->valueBegin)) + Hex4(r.Word(tr->valueBegin + 2));
    }
  }
  if (const auto strings = r.Child(*root, u"StringFileInfo")) {
    const auto tables = r.Children(*strings);
    const Block* table = tables.empty() ? nullptr : &tables.front();
    for (const auto& t : tables) {
      if (!wanted.empty() && Lower(t.key) == wanted) {
        table = &t;
        break;
      }
    }
    if (table) {
      if (const auto product = r.Child(*table, u"ProductName"); product && product->text) {
        v.product = r.Text(*product);
      }
    }
  }
  return v;
}

}  // namespace ocural
