// Reading the program's own version resource (VS_VERSIONINFO) from its bytes,
// so that the version dialog needs no VERSION.dll: that library is not one the
// system always maps from its own folder, and a file of that name beside the
// program would be loaded in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ocural {

struct ResourceVersion {
  // FILEVERSION a, b, c, d of the resource script.
  int major = 0, minor = 0, build = 0, revision = 0;
  // "ProductName" of the string table that the first translation names (the
  // first table when none matches); empty when there is none.
  std::wstring product;
};

// The version in a VS_VERSIONINFO block as the resource compiler stores it:
// nested blocks of 16-bit length, value length and type, a UTF-16 key and
// 32-bit alignment counted from the start of `data`. Nothing when the bytes
// are not such a block with a valid fixed file information; a broken string
// table only leaves `product` empty. Never reads outside `data`.
std::optional<ResourceVersion> ParseVersionResource(const std::uint8_t* data, std::size_t size);

}  // namespace ocural
