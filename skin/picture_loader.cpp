#include "skin/picture_loader.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

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
  ~ComRef() { reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

 private:
  T* p_ = nullptr;
};

bool SideOk(UINT side) { return side >= 1 && side <= static_cast<UINT>(kMaxPictureSide); }

// The frame shown: the first, or for an icon the one with the most pixels.
HRESULT PickFrame(IWICBitmapDecoder* decoder, IWICBitmapFrameDecode** frame) {
  GUID container{};
  UINT frames = 0;
  if (FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatIco ||
      FAILED(decoder->GetFrameCount(&frames)) || frames < 2) {
    return decoder->GetFrame(0, frame);
  }
  UINT best = 0;
  uint64_t bestPixels = 0;
  for (UINT i = 0; i < frames; ++i) {
    ComRef<IWICBitmapFrameDecode> f;
    UINT w = 0, h = 0;
    if (FAILED(decoder->GetFrame(i, f.put())) || FAILED(f->GetSize(&w, &h))) continue;
    if (uint64_t{w} * h > bestPixels) best = i, bestPixels = uint64_t{w} * h;
  }
  return decoder->GetFrame(best, frame);
}

// Decodes the file's bytes into a DIB section.
std::optional<LoadedPicture> Decode(std::vector<uint8_t>& bytes) {
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  // Through COM, so the codecs are the system's own (System32, as registered).
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.put())))) {
    return std::nullopt;
  }
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put())) ||
      FAILED(PickFrame(decoder.get(), frame.put())) || FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || !SideOk(width) || !SideOk(height)) return std::nullopt;

  LoadedPicture out;
  void* bits = nullptr;
  out.bitmap = win::CreateDib32(static_cast<int>(width), static_cast<int>(height), &bits);
  if (!out.bitmap || !bits) return std::nullopt;
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) return std::nullopt;
  out.widthPx = static_cast<int>(width);
  out.heightPx = static_cast<int>(height);
  auto* px = static_cast<uint32_t*>(bits);
  out.clear = ClearMaskOf(px, out.widthPx, out.heightPx);
  // The outline compares whole 32-bit values: the DIB holds colours alone.
  std::for_each(px, px + static_cast<size_t>(width) * height, [](uint32_t& p) { p &= 0x00FFFFFFu; });
  return out;
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
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(fileSize.QuadPart));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 24));
    if (!ReadFile(file.get(), bytes.data() + got, want, &n, nullptr) || n == 0) break;
    got += n;
  }
  file.reset();
  if (got != bytes.size() || !InspectPicture(bytes.data(), bytes.size())) return std::nullopt;
  return Decode(bytes);
}

}  // namespace ocural
