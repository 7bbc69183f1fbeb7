#include "skin/picture_loader.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

#include "skin/core/picture_header.h"

namespace ocural {

namespace {

// COM for the calling thread, for the lifetime of the object. A thread that
// already has COM (in either apartment model) keeps it as it is.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() { return &p_; }
  void** put_void() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

HBITMAP BitmapFromOleHandle(OLE_HANDLE handle) {
  // OLE keeps handles as 32-bit values; widen them as Windows does, with sign.
  return reinterpret_cast<HBITMAP>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

bool SideOk(long side) { return side >= 1 && side <= kMaxPictureSide; }

// Copies the picture into a new 32-bit top-down DIB section.
std::optional<LoadedPicture> ToDib(IPicture* picture) {
  LoadedPicture out;
  OLE_XSIZE_HIMETRIC hmW = 0;
  OLE_YSIZE_HIMETRIC hmH = 0;
  if (FAILED(picture->get_Width(&hmW)) || FAILED(picture->get_Height(&hmH))) return std::nullopt;
  out.himetricW = hmW;
  out.himetricH = hmH;

  SHORT type = PICTYPE_UNINITIALIZED;
  OLE_HANDLE handle = 0;
  if (FAILED(picture->get_Type(&type)) || FAILED(picture->get_Handle(&handle))) return std::nullopt;
  HBITMAP source = type == PICTYPE_BITMAP ? BitmapFromOleHandle(handle) : nullptr;

  long width = 0;
  long height = 0;
  if (source) {
    BITMAP bm{};
    if (GetObjectW(source, sizeof(bm), &bm) != sizeof(bm)) return std::nullopt;
    width = bm.bmWidth;
    height = bm.bmHeight < 0 ? -static_cast<long>(bm.bmHeight) : bm.bmHeight;
  } else {
    // Other kinds of pictures have no pixels of their own: draw them at 96 dpi.
    width = MulDiv(hmW, 96, 2540);
    height = MulDiv(hmH, 96, 2540);
  }
  if (!SideOk(width) || !SideOk(height)) return std::nullopt;

  BITMAPINFO bi = win::TopDownDib32(width, height);
  void* bits = nullptr;
  win::Bitmap dib = win::CreateDib32(width, height, &bits);
  if (!dib || !bits) return std::nullopt;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);

  bool copied = false;
  if (source) {
    win::MemDC dc(CreateCompatibleDC(nullptr));
    if (dc) {
      copied = GetDIBits(dc.get(), source, 0, static_cast<UINT>(height), bits, &bi,
                         DIB_RGB_COLORS) == height;
    }
  }
  if (!copied) {
    win::MemDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return std::nullopt;
    std::memset(bits, 0xFF, count * 4);  // white behind anything drawn with holes
    win::SelectGuard keep(dc.get(), dib.get());
    if (FAILED(picture->Render(dc.get(), 0, 0, width, height, 0, hmH, hmW, -hmH, nullptr))) {
      return std::nullopt;
    }
    GdiFlush();
  }
  auto* px = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < count; ++i) px[i] &= 0x00FFFFFFu;

  out.bitmap = std::move(dib);
  out.widthPx = static_cast<int>(width);
  out.heightPx = static_cast<int>(height);
  return out;
}

// Decodes the file bytes held in movable global memory (locked size bytes).
std::optional<LoadedPicture> Decode(win::GlobalMemory memory, size_t size) {
  ComScope com;
  ComRef<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) return std::nullopt;
  memory.release();  // the stream frees it now
  ComRef<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                            picture.put_void())) ||
      !picture.get()) {
    return std::nullopt;
  }
  return ToDib(picture.get());
}

struct FileCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};

}  // namespace

std::optional<LoadedPicture> LoadPicture(const std::wstring& path) {
  if (path.empty()) return std::nullopt;
  // A folder cannot be opened this way (that would need backup semantics).
  HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
  win::UniqueHandle<HANDLE, FileCloser> file(raw);
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file.get(), &fileSize) || fileSize.QuadPart <= 0 ||
      static_cast<uint64_t>(fileSize.QuadPart) > kMaxPictureFileBytes) {
    return std::nullopt;
  }
  const size_t size = static_cast<size_t>(fileSize.QuadPart);

  win::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) return std::nullopt;
  auto* bytes = static_cast<uint8_t*>(GlobalLock(memory.get()));
  if (!bytes) return std::nullopt;
  size_t got = 0;
  while (got < size) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size - got, 1u << 24));
    if (!ReadFile(file.get(), bytes + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  const bool ok = got == size && InspectPicture(bytes, size).has_value();
  GlobalUnlock(memory.get());
  if (!ok) return std::nullopt;
  file.reset();
  return Decode(std::move(memory), size);
}

}  // namespace ocural
