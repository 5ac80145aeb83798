#include "win32/ImageEncoderGdiPlus.h"

#include <windows.h>
// GDI+ needs the OLE property and stream types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>
#include <shlwapi.h>
// After the types it relies on.
#include <gdiplus.h>

#include <array>
#include <unordered_map>
#include <vector>

namespace lorik {
namespace {

// The encodable types in ImageType order (Bmp = 1 ... Tif = 5).
const std::array<const GUID*, 5> kFormatIds = {&Gdiplus::ImageFormatBMP, &Gdiplus::ImageFormatGIF,
                                               &Gdiplus::ImageFormatJPEG, &Gdiplus::ImageFormatPNG,
                                               &Gdiplus::ImageFormatTIFF};

struct GdiPlusLibrary {
  bool started = false;
  // Encoder class ids by the index of kFormatIds; absent when GDI+ has none.
  std::array<std::optional<CLSID>, 5> encoders;
};

// Started once, on first use, and never shut down: workers may still be
// encoding while the process ends.
const GdiPlusLibrary& Library() {
  static const GdiPlusLibrary library = [] {
    GdiPlusLibrary result;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return result;
    result.started = true;
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0) return result;
    std::vector<uint8_t> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return result;
    for (size_t i = 0; i < kFormatIds.size(); ++i) {
      for (UINT c = 0; c < count; ++c) {
        if (IsEqualGUID(codecs[c].FormatID, *kFormatIds[i])) {
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

// A picture reduced to eight bits per pixel, rows top-down.
struct IndexedPicture {
  int stride = 0;
  std::vector<uint8_t> indices;
  std::vector<Gdiplus::ARGB> palette;
};

// GIF holds at most 256 colours, and handing the GIF encoder true-colour rows
// is not safe: Wine's writes a file without any image data and reports
// success. So the reduction happens here: the exact colours when the picture
// has no more than 256 of them (screens often do), otherwise the nearest of
// 8 red, 8 green and 4 blue levels.
IndexedPicture ToIndexed(const Picture& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  const int bytes = picture.BitsPerPixel() / 8;
  IndexedPicture out;
  out.stride = (width + 3) & ~3;
  out.indices.resize(static_cast<size_t>(out.stride) * height);

  std::unordered_map<uint32_t, uint8_t> exact;
  exact.reserve(512);
  bool fits = true;
  for (int y = 0; y < height && fits; ++y) {
    const uint8_t* row = picture.TopDownRow(y);
    uint8_t* target = out.indices.data() + static_cast<size_t>(y) * out.stride;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + x * bytes;
      const uint32_t rgb = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      const auto [it, added] = exact.try_emplace(rgb, static_cast<uint8_t>(exact.size()));
      if (added) {
        if (exact.size() > 256) {
          fits = false;
          break;
        }
        out.palette.push_back(0xFF000000u | rgb);
      }
      target[x] = it->second;
    }
  }
  if (fits) return out;

  out.palette.clear();
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t r = (i >> 5) * 255 / 7;
    const uint32_t g = ((i >> 2) & 7) * 255 / 7;
    const uint32_t b = (i & 3) * 255 / 3;
    out.palette.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = picture.TopDownRow(y);
    uint8_t* target = out.indices.data() + static_cast<size_t>(y) * out.stride;
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = row + x * bytes;
      const int r = (p[2] * 7 + 127) / 255;
      const int g = (p[1] * 7 + 127) / 255;
      const int b = (p[0] * 3 + 127) / 255;
      target[x] = static_cast<uint8_t>((r << 5) | (g << 2) | b);
    }
  }
  return out;
}

bool SaveTo(Gdiplus::Bitmap& bitmap, IStream* stream, const CLSID* encoder) {
  return bitmap.GetLastStatus() == Gdiplus::Ok &&
         bitmap.Save(stream, encoder, nullptr) == Gdiplus::Ok;
}

bool SaveIndexed(const Picture& picture, IStream* stream, const CLSID* encoder) {
  IndexedPicture indexed = ToIndexed(picture);
  Gdiplus::Bitmap bitmap(picture.Width(), picture.Height(), indexed.stride, PixelFormat8bppIndexed,
                         indexed.indices.data());
  std::vector<uint8_t> paletteBytes(sizeof(Gdiplus::ColorPalette) +
                                    indexed.palette.size() * sizeof(Gdiplus::ARGB));
  auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(paletteBytes.data());
  palette->Flags = 0;
  palette->Count = static_cast<UINT>(indexed.palette.size());
  std::copy(indexed.palette.begin(), indexed.palette.end(), palette->Entries);
  if (bitmap.GetLastStatus() != Gdiplus::Ok || bitmap.SetPalette(palette) != Gdiplus::Ok)
    return false;
  return SaveTo(bitmap, stream, encoder);
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
    Gdiplus::Bitmap bitmap(picture.Width(), picture.Height(), -picture.Pitch(), format,
                           const_cast<BYTE*>(picture.TopDownRow(0)));
    if (!SaveTo(bitmap, stream.Get(), encoder)) return std::nullopt;
  }
  std::optional<std::vector<uint8_t>> bytes = ReadWholeStream(stream.Get());
  if (!bytes || bytes->empty()) return std::nullopt;
  return EncodedImage{std::move(*bytes)};
}

}  // namespace lorik
