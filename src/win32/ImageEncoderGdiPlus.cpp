#include "win32/ImageEncoderGdiPlus.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shlwapi.h>

#include <array>
#include <vector>

#include "pipeline/ColourReduction.h"
#include "win32/GdiPlus.h"

namespace lorik {
namespace {

// The format ids of the encodable types in ImageType order (Bmp = 1 ... Tif =
// 5). The headers define them only in GDI+'s import library, which the program
// does not link: GDI+ is loaded at run time, from System32.
constexpr std::array<GUID, 5> kFormatIds = {
    GUID{0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},
    GUID{0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},
    GUID{0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},
    GUID{0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}},
    GUID{0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}}};

// GDI+ and the encoder class ids by the index of kFormatIds; absent when
// GDI+ has none.
struct GdiPlusLibrary {
  const win32::GdiPlusFunctions& call;
  bool started = false;
  std::array<std::optional<CLSID>, 5> encoders;
};

// Loaded and started once, on first use, and never shut down: workers may
// still be encoding while the process ends.
const GdiPlusLibrary& Library() {
  static const GdiPlusLibrary library = [] {
    const win32::GdiPlusLibrary& gdiplus = win32::GdiPlus();
    GdiPlusLibrary result{gdiplus.call, gdiplus.started, {}};
    if (!result.started) return result;
    UINT count = 0;
    UINT bytes = 0;
    if (result.call.encodersSize(&count, &bytes) != Gdiplus::Ok || count == 0) return result;
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (result.call.encoders(count, bytes, codecs) != Gdiplus::Ok) return result;
    for (size_t i = 0; i < kFormatIds.size(); ++i) {
      for (UINT c = 0; c < count; ++c) {
        if (IsEqualGUID(codecs[c].FormatID, kFormatIds[i])) {
          result.encoders[i] = codecs[c].Clsid;
          break;
        }
      }
    }
    return result;
  }();
  return library;
}

const CLSID* EncoderFor(ImageType type) {
  const int32_t value = static_cast<int32_t>(type);
  if (value < static_cast<int32_t>(ImageType::Bmp) || value > static_cast<int32_t>(ImageType::Tif))
    return nullptr;
  const auto& encoder = Library().encoders[static_cast<size_t>(value - 1)];
  return encoder ? &*encoder : nullptr;
}

// Releases a COM interface on every path out.
template <class T>
class ComPtr {
 public:
  explicit ComPtr(T* p) : p_(p) {}
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_;
};

std::optional<std::vector<uint8_t>> ReadWholeStream(IStream* stream) {
  STATSTG stat{};
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return std::nullopt;
  if (stat.cbSize.QuadPart > 0x7fffffffULL) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return std::nullopt;
  size_t done = 0;
  while (done < bytes.size()) {
    ULONG read = 0;
    const HRESULT hr =
        stream->Read(bytes.data() + done, static_cast<ULONG>(bytes.size() - done), &read);
    if (FAILED(hr) || read == 0) return std::nullopt;
    done += read;
  }
  return bytes;
}

// A GDI+ bitmap over pixels the caller keeps, disposed on every path out.
class Bitmap {
 public:
  Bitmap(int width, int height, int stride, Gdiplus::PixelFormat format, BYTE* pixels) {
    if (Library().call.fromScan0(width, height, stride, format, pixels, &bitmap_) != Gdiplus::Ok) {
      bitmap_ = nullptr;
    }
  }
  ~Bitmap() {
    if (bitmap_ != nullptr) Library().call.dispose(bitmap_);
  }
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  bool SetPalette(const Gdiplus::ColorPalette* palette) {
    return bitmap_ != nullptr && Library().call.setPalette(bitmap_, palette) == Gdiplus::Ok;
  }
  bool SaveTo(IStream* stream, const CLSID* encoder) {
    return bitmap_ != nullptr &&
           Library().call.save(bitmap_, stream, encoder, nullptr) == Gdiplus::Ok;
  }

 private:
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

bool SaveIndexed(const Picture& picture, IStream* stream, const CLSID* encoder) {
  IndexedPicture indexed = ReduceTo256Colours(picture);
  Bitmap bitmap(picture.Width(), picture.Height(), indexed.stride, PixelFormat8bppIndexed,
                indexed.indices.data());
  std::vector<uint8_t> paletteBytes(sizeof(Gdiplus::ColorPalette) +
                                    indexed.palette.size() * sizeof(Gdiplus::ARGB));
  auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
  palette->Flags = 0;
  palette->Count = static_cast<UINT>(indexed.palette.size());
  for (size_t i = 0; i < indexed.palette.size(); ++i) palette->Entries[i] = indexed.palette[i];
  return bitmap.SetPalette(palette) && bitmap.SaveTo(stream, encoder);
}

}  // namespace

ImageEncoderGdiPlus::ImageEncoderGdiPlus() {
  Library();
}

std::optional<EncodedImage> ImageEncoderGdiPlus::Encode(const Picture& picture, ImageType type) {
  const CLSID* encoder = EncoderFor(type);
  if (encoder == nullptr) return std::nullopt;
  Gdiplus::PixelFormat format = 0;
  if (picture.BitsPerPixel() == 24) {
    format = PixelFormat24bppRGB;
  } else if (picture.BitsPerPixel() == 32) {
    format = PixelFormat32bppRGB;  // the fourth byte of a grab is not alpha
  } else {
    return std::nullopt;
  }
  if (picture.Width() <= 0 || picture.Height() <= 0 || picture.Bits() == nullptr)
    return std::nullopt;

  ComPtr<IStream> stream(SHCreateMemStream(nullptr, 0));
  if (stream.Get() == nullptr) return std::nullopt;
  if (type == ImageType::Gif) {
    if (!SaveIndexed(picture, stream.Get(), encoder)) return std::nullopt;
  } else {
    // Each call wraps the picture's rows in a bitmap of its own, top row first
    // with a negative stride, so no pixels are copied and no GDI+ object is shared.
    Bitmap bitmap(picture.Width(), picture.Height(), -picture.Pitch(), format,
                  const_cast<BYTE*>(picture.TopDownRow(0)));
    if (!bitmap.SaveTo(stream.Get(), encoder)) return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> bytes = ReadWholeStream(stream.Get());
  if (!bytes || bytes->empty()) return std::nullopt;
  return EncodedImage{std::move(*bytes)};
}

}  // namespace lorik
