// The grab, the encoder and the file store against the real API.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
// GDI+ needs the OLE property and stream types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>
#include <shlwapi.h>
// After the types it relies on.
#include <gdiplus.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/ImageType.h"
#include "support/PumpMessages.h"
#include "win32/DibPicture.h"
#include "win32/FileStoreWin32.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/ScreenGrabWin32.h"

namespace lorik {
namespace {

using ::testing::ElementsAreArray;

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

void PrintTo(const Rgb& c, std::ostream* os) {
  *os << "rgb(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// Four quadrants with distinct colours; swapped channels, flipped rows or a
// shifted origin all show up at the corners.
constexpr Rgb kTopLeft{255, 0, 0};
constexpr Rgb kTopRight{0, 255, 0};
constexpr Rgb kBottomLeft{0, 0, 255};
constexpr Rgb kBottomRight{255, 255, 0};

Rgb QuadrantColour(int x, int y, int width, int height) {
  const bool right = x >= width / 2;
  const bool bottom = y >= height / 2;
  return bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft);
}

Rgb PixelAt(const Picture& picture, int x, int y) {
  const uint8_t* p = picture.TopDownRow(y) + x * (picture.BitsPerPixel() / 8);
  return {p[2], p[1], p[0]};
}

// ---------------------------------------------------------------------------
// Grab

constexpr int kClientWidth = 200;
constexpr int kClientHeight = 120;

LRESULT CALLBACK QuadrantWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (int q = 0; q < 4; ++q) {
      const int x = (q % 2) * kClientWidth / 2;
      const int y = (q / 2) * kClientHeight / 2;
      const Rgb c = QuadrantColour(x, y, kClientWidth, kClientHeight);
      RECT r{x, y, x + kClientWidth / 2, y + kClientHeight / 2};
      HBRUSH brush = CreateSolidBrush(RGB(c.r, c.g, c.b));
      FillRect(dc, &r, brush);
      DeleteObject(brush);
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

using lorik::testing::PumpMessages;

// A framed top-level window whose client area shows the four quadrants.
class GrabTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = QuadrantWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LorikGrabTestWindow";
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
  }

  void SetUp() override {
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOPMOST);
    window_ = CreateWindowExW(WS_EX_TOPMOST, L"LorikGrabTestWindow", L"grab", style, 40, 40,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    PumpMessages();
    RECT client{};
    GetClientRect(window_, &client);
    ASSERT_EQ(client.right, kClientWidth);
    ASSERT_EQ(client.bottom, kClientHeight);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    PumpMessages();
  }

  WindowHandle Source() const { return {reinterpret_cast<uintptr_t>(window_)}; }

  HWND window_ = nullptr;
  ScreenGrabWin32 grab_;
};

class GrabDepthTest : public GrabTest, public ::testing::WithParamInterface<int> {};

TEST_P(GrabDepthTest, WholeClientAreaStartsAtTheClientOrigin) {
  const int bpp = GetParam();
  auto picture = grab_.Grab(Source(), Rect{0, 0, kClientWidth, kClientHeight}, bpp);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), kClientWidth);
  EXPECT_EQ(picture->Height(), kClientHeight);
  EXPECT_EQ(picture->BitsPerPixel(), bpp);
  EXPECT_EQ(picture->Pitch(), kClientWidth * bpp / 8);
  // A grab of the window DC instead of the client DC would see the frame here.
  EXPECT_EQ(PixelAt(*picture, 0, 0), kTopLeft);
  EXPECT_EQ(PixelAt(*picture, kClientWidth - 1, 0), kTopRight);
  EXPECT_EQ(PixelAt(*picture, 0, kClientHeight - 1), kBottomLeft);
  EXPECT_EQ(PixelAt(*picture, kClientWidth - 1, kClientHeight - 1), kBottomRight);
}

// An odd-sized area straddling the quadrant corner: checks the offset to the
// pixel, the padded pitch and the bottom-up row order.
TEST_P(GrabDepthTest, AreaAroundTheCornerIsOffsetExactly) {
  const int bpp = GetParam();
  const Rect area{95, 55, 106, 66};  // corner at (100, 60) → picture (5, 5)
  auto picture = grab_.Grab(Source(), area, bpp);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 11);
  EXPECT_EQ(picture->Height(), 11);
  EXPECT_EQ(picture->Pitch(), bpp == 24 ? 36 : 44);
  EXPECT_EQ(PixelAt(*picture, 4, 4), kTopLeft);
  EXPECT_EQ(PixelAt(*picture, 5, 4), kTopRight);
  EXPECT_EQ(PixelAt(*picture, 4, 5), kBottomLeft);
  EXPECT_EQ(PixelAt(*picture, 5, 5), kBottomRight);
  // The bottom row is the first in memory.
  const uint8_t* bottom = picture->Bits();
  EXPECT_EQ((Rgb{bottom[2], bottom[1], bottom[0]}), kBottomLeft);
}

TEST_P(GrabDepthTest, DesktopSourceGrabsTheScreen) {
  const int bpp = GetParam();
  POINT origin{0, 0};
  ClientToScreen(window_, &origin);
  const Rect area = Rect::FromXywh(origin.x + 95, origin.y + 55, 11, 11);
  auto picture = grab_.Grab({reinterpret_cast<uintptr_t>(GetDesktopWindow())}, area, bpp);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(PixelAt(*picture, 4, 4), kTopLeft);
  EXPECT_EQ(PixelAt(*picture, 5, 4), kTopRight);
  EXPECT_EQ(PixelAt(*picture, 4, 5), kBottomLeft);
  EXPECT_EQ(PixelAt(*picture, 5, 5), kBottomRight);
}

INSTANTIATE_TEST_SUITE_P(Depths, GrabDepthTest, ::testing::Values(24, 32));

TEST_F(GrabTest, TellsLiveAndShownWindows) {
  EXPECT_TRUE(grab_.IsWindow(Source()));
  EXPECT_TRUE(grab_.IsWindowVisible(Source()));
  ShowWindow(window_, SW_HIDE);
  EXPECT_TRUE(grab_.IsWindow(Source()));
  EXPECT_FALSE(grab_.IsWindowVisible(Source()));
  DestroyWindow(window_);
  EXPECT_FALSE(grab_.IsWindow(Source()));
  EXPECT_FALSE(grab_.IsWindowVisible(Source()));
  window_ = nullptr;
  EXPECT_FALSE(grab_.IsWindow({}));
}

TEST_F(GrabTest, RefusesWhatCannotBeGrabbed) {
  struct Case {
    const char* name;
    WindowHandle source;
    Rect area;
    int bpp;
  };
  const WindowHandle gone{0x7ffe1234};  // no such window
  const Case cases[] = {
      {"null source", {}, {0, 0, 10, 10}, 24},
      {"no such window", gone, {0, 0, 10, 10}, 24},
      {"zero width", Source(), {5, 0, 5, 10}, 24},
      {"zero height", Source(), {0, 5, 10, 5}, 32},
      {"negative width", Source(), {10, 0, 0, 10}, 24},
      {"16 bits", Source(), {0, 0, 10, 10}, 16},
      {"8 bits", Source(), {0, 0, 10, 10}, 8},
  };
  for (const Case& c : cases) EXPECT_EQ(grab_.Grab(c.source, c.area, c.bpp), nullptr) << c.name;
}

// Where the process's GDI objects can be counted, the count must not grow.
// Wine counts none; there a leak of a DC or a bitmap per grab shows as its
// handle table (64K entries) running full long before the last round.
TEST_F(GrabTest, LeavesNoGdiObjectsBehind) {
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const int rounds = before != 0 ? 300 : 70000;
  for (int i = 0; i < rounds; ++i) {
    ASSERT_NE(grab_.Grab(Source(), Rect{0, 0, 4, 4}, i % 2 ? 24 : 32), nullptr) << "round " << i;
    ASSERT_EQ(grab_.Grab(WindowHandle{0x7ffe1234}, Rect{0, 0, 4, 4}, 24), nullptr);
    ASSERT_EQ(grab_.Grab(Source(), Rect{0, 0, 4, 4}, 16), nullptr);
  }
  if (before != 0) {
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
  }
}

TEST(DibPictureTest, RowsArePaddedToFourBytes) {
  struct Case {
    int width, bpp, pitch;
  };
  for (const Case c : {Case{1, 24, 4}, Case{3, 24, 12}, Case{5, 24, 16}, Case{101, 24, 304},
                       Case{1, 32, 4}, Case{101, 32, 404}}) {
    auto picture = DibPicture::Create(c.width, 3, c.bpp);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Pitch(), c.pitch) << c.width << "x" << c.bpp;
    EXPECT_NE(picture->Bitmap(), nullptr);
    EXPECT_EQ(picture->Bits(), picture->MutableBits());
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(picture->Bitmap(), sizeof(section), &section), int(sizeof(section)));
    EXPECT_GT(section.dsBmih.biHeight, 0) << "bottom-up";
    EXPECT_EQ(section.dsBm.bmBits, picture->Bits());
  }
  EXPECT_EQ(DibPicture::Create(0, 3, 24), nullptr);
  EXPECT_EQ(DibPicture::Create(3, -1, 24), nullptr);
  EXPECT_EQ(DibPicture::Create(3, 3, 16), nullptr);
}

// ---------------------------------------------------------------------------
// Encoder

// 61 by 37: an odd width pads every 24-bit row, so a wrong stride skews the image.
constexpr int kPictureWidth = 61;
constexpr int kPictureHeight = 37;

std::shared_ptr<DibPicture> QuadrantPicture(int bpp) {
  auto picture = DibPicture::Create(kPictureWidth, kPictureHeight, bpp);
  if (picture == nullptr) return nullptr;
  const int bytes = bpp / 8;
  for (int y = 0; y < kPictureHeight; ++y) {
    uint8_t* row = picture->MutableBits() + (kPictureHeight - 1 - y) * picture->Pitch();
    for (int x = 0; x < kPictureWidth; ++x) {
      const Rgb c = QuadrantColour(x, y, kPictureWidth, kPictureHeight);
      row[x * bytes + 0] = c.b;
      row[x * bytes + 1] = c.g;
      row[x * bytes + 2] = c.r;
      if (bytes == 4) row[x * bytes + 3] = 0;  // as a grab leaves it
    }
  }
  return picture;
}

struct Format {
  ImageType type;
  const GUID* formatId;
  std::vector<uint8_t> magic;
  bool lossless;
};

const std::vector<Format>& Formats() {
  static const std::vector<Format> formats = {
      {ImageType::Bmp, &Gdiplus::ImageFormatBMP, {'B', 'M'}, true},
      {ImageType::Gif, &Gdiplus::ImageFormatGIF, {'G', 'I', 'F', '8'}, true},
      {ImageType::Jpg, &Gdiplus::ImageFormatJPEG, {0xFF, 0xD8, 0xFF}, false},
      {ImageType::Png,
       &Gdiplus::ImageFormatPNG,
       {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
       true},
      {ImageType::Tif, &Gdiplus::ImageFormatTIFF, {'I', 'I', '*', 0}, true},
  };
  return formats;
}

std::string Name(ImageType type) {
  const std::wstring w = ImageTypeToText(static_cast<int32_t>(type));
  return std::string(w.begin(), w.end());
}

// Decodes again with GDI+ for the checks inside this test; the e2e script checks
// the same files with an independent decoder.
class Decoded {
 public:
  explicit Decoded(const std::vector<uint8_t>& bytes) {
    IStream* stream = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
    if (stream == nullptr) return;
    bitmap_ = Gdiplus::Bitmap::FromStream(stream);
    stream->Release();
  }
  ~Decoded() { delete bitmap_; }
  Decoded(const Decoded&) = delete;
  Decoded& operator=(const Decoded&) = delete;

  bool Ok() const { return bitmap_ != nullptr && bitmap_->GetLastStatus() == Gdiplus::Ok; }
  int Width() const { return static_cast<int>(bitmap_->GetWidth()); }
  int Height() const { return static_cast<int>(bitmap_->GetHeight()); }
  GUID RawFormat() const {
    GUID id{};
    bitmap_->GetRawFormat(&id);
    return id;
  }
  // Colour and alpha of one pixel.
  std::pair<Rgb, int> Pixel(int x, int y) const {
    Gdiplus::Color c;
    bitmap_->GetPixel(x, y, &c);
    return {Rgb{c.GetR(), c.GetG(), c.GetB()}, c.GetA()};
  }

 private:
  Gdiplus::Bitmap* bitmap_ = nullptr;
};

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

// Points well inside each quadrant, away from JPEG's blurred edges.
const std::array<std::array<int, 2>, 4> kProbePoints = {{{3, 3},
                                                         {kPictureWidth - 4, 3},
                                                         {3, kPictureHeight - 4},
                                                         {kPictureWidth - 4, kPictureHeight - 4}}};

class EncoderTest : public ::testing::TestWithParam<std::tuple<size_t, int>> {
 protected:
  ImageEncoderGdiPlus encoder_;
};

TEST_P(EncoderTest, DecodesToTheSamePicture) {
  const Format& format = Formats()[std::get<0>(GetParam())];
  const int bpp = std::get<1>(GetParam());
  auto picture = QuadrantPicture(bpp);
  ASSERT_NE(picture, nullptr);
  auto encoded = encoder_.Encode(*picture, format.type);
  ASSERT_TRUE(encoded.has_value());
  ASSERT_GE(encoded->bytes.size(), format.magic.size());
  EXPECT_THAT(
      std::vector<uint8_t>(encoded->bytes.begin(), encoded->bytes.begin() + format.magic.size()),
      ElementsAreArray(format.magic));
  Decoded decoded(encoded->bytes);
  ASSERT_TRUE(decoded.Ok());
  EXPECT_EQ(decoded.Width(), kPictureWidth);
  EXPECT_EQ(decoded.Height(), kPictureHeight);
  EXPECT_TRUE(IsEqualGUID(decoded.RawFormat(), *format.formatId));
  for (const auto& [x, y] : kProbePoints) {
    const Rgb want = QuadrantColour(x, y, kPictureWidth, kPictureHeight);
    const auto [got, alpha] = decoded.Pixel(x, y);
    EXPECT_EQ(alpha, 255) << "at " << x << "," << y;
    if (format.lossless) {
      EXPECT_EQ(got, want) << "at " << x << "," << y;
    } else {
      EXPECT_TRUE(Near(got, want, 40))
          << "at " << x << "," << y << ": " << ::testing::PrintToString(got);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EncoderTest,
                         ::testing::Combine(::testing::Range<size_t>(0, 5),
                                            ::testing::Values(24, 32)),
                         [](const auto& info) {
                           return Name(Formats()[std::get<0>(info.param)].type) +
                                  std::to_string(std::get<1>(info.param));
                         });

// A GIF holds 256 colours at most. Up to that many come through exactly; more
// are reduced to the nearest of a fixed palette.
TEST(GifColoursTest, ExactUpTo256ColoursNearestBeyond) {
  struct Case {
    const char* name;
    int colours;
    int tolerance;
  };
  // Colours off any fixed grid, so a reduction shows up as a difference.
  auto colourOf = [](int i) {
    return Rgb{static_cast<uint8_t>(i * 37 % 251), static_cast<uint8_t>(i * 11 % 241 + 7),
               static_cast<uint8_t>(i % 256)};
  };
  ImageEncoderGdiPlus encoder;
  for (const Case c :
       {Case{"one", 1, 0}, Case{"256", 256, 0}, Case{"257", 257, 43}, Case{"4096", 4096, 43}}) {
    for (int bpp : {24, 32}) {
      const int width = 64;
      const int height = (c.colours + width - 1) / width;
      auto picture = DibPicture::Create(width, height, bpp);
      ASSERT_NE(picture, nullptr);
      for (int y = 0; y < height; ++y) {
        uint8_t* row = picture->MutableBits() + (height - 1 - y) * picture->Pitch();
        for (int x = 0; x < width; ++x) {
          const Rgb colour = colourOf(std::min(y * width + x, c.colours - 1));
          row[x * bpp / 8 + 0] = colour.b;
          row[x * bpp / 8 + 1] = colour.g;
          row[x * bpp / 8 + 2] = colour.r;
        }
      }
      auto encoded = encoder.Encode(*picture, ImageType::Gif);
      ASSERT_TRUE(encoded.has_value()) << c.name << " " << bpp;
      Decoded decoded(encoded->bytes);
      ASSERT_TRUE(decoded.Ok()) << c.name << " " << bpp;
      ASSERT_EQ(decoded.Width(), width);
      ASSERT_EQ(decoded.Height(), height);
      int wrong = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          const Rgb want = colourOf(std::min(y * width + x, c.colours - 1));
          if (!Near(decoded.Pixel(x, y).first, want, c.tolerance)) ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0) << c.name << " " << bpp;
    }
  }
}

TEST(EncoderRefusalTest, TypesWithoutAnEncoder) {
  ImageEncoderGdiPlus encoder;
  auto picture = QuadrantPicture(24);
  ASSERT_NE(picture, nullptr);
  for (int32_t type : {0, 6, 7, 8, 9, -1, 10, 1000})
    EXPECT_FALSE(encoder.Encode(*picture, static_cast<ImageType>(type)).has_value()) << type;
}

// Any picture will do, not only a DIB section; a depth GDI+ is not given is refused.
class VectorPicture final : public Picture {
 public:
  VectorPicture(int width, int height, int bpp)
      : width_(width),
        height_(height),
        bpp_(bpp),
        pitch_((width * bpp + 31) / 32 * 4),
        bits_(static_cast<size_t>(pitch_) * height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPerPixel() const override { return bpp_; }
  int Pitch() const override { return pitch_; }
  const uint8_t* Bits() const override { return bits_.data(); }

 private:
  int width_, height_, bpp_, pitch_;
  std::vector<uint8_t> bits_;
};

TEST(EncoderRefusalTest, PicturesOfOtherDepths) {
  ImageEncoderGdiPlus encoder;
  EXPECT_TRUE(encoder.Encode(VectorPicture(8, 8, 24), ImageType::Png).has_value());
  EXPECT_FALSE(encoder.Encode(VectorPicture(8, 8, 16), ImageType::Png).has_value());
  EXPECT_FALSE(encoder.Encode(VectorPicture(8, 8, 8), ImageType::Bmp).has_value());
}

// Workers encode at the same time; every result must equal the one-at-a-time result.
TEST(EncoderThreadsTest, ConcurrentEncodesMatchSequentialOnes) {
  ImageEncoderGdiPlus encoder;
  auto picture24 = QuadrantPicture(24);
  auto picture32 = QuadrantPicture(32);
  ASSERT_NE(picture24, nullptr);
  ASSERT_NE(picture32, nullptr);
  std::vector<std::vector<uint8_t>> expected;
  for (const Format& f : Formats()) {
    for (const auto* p : {picture24.get(), picture32.get()}) {
      auto e = encoder.Encode(*p, f.type);
      ASSERT_TRUE(e.has_value());
      expected.push_back(e->bytes);
    }
  }
  constexpr int kThreads = 4;
  constexpr int kRounds = 5;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        size_t i = 0;
        for (const Format& f : Formats()) {
          for (const auto* p : {picture24.get(), picture32.get()}) {
            auto e = encoder.Encode(*p, f.type);
            if (!e || e->bytes != expected[i]) ++mismatches[t];
            ++i;
          }
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_THAT(mismatches, ::testing::Each(0));
}

// With LORIK_ENCODED_DIR set, writes picture<bits>.<ext> of every format there
// for tests/e2e/e2e_encoded_formats.sh to check with ImageMagick.
TEST(EncoderFilesTest, WritesEveryFormatForAnIndependentDecoder) {
  const wchar_t* dir = _wgetenv(L"LORIK_ENCODED_DIR");
  if (dir == nullptr || *dir == 0) GTEST_SKIP() << "LORIK_ENCODED_DIR is not set";
  ImageEncoderGdiPlus encoder;
  for (int bpp : {24, 32}) {
    auto picture = QuadrantPicture(bpp);
    ASSERT_NE(picture, nullptr);
    for (const Format& f : Formats()) {
      auto encoded = encoder.Encode(*picture, f.type);
      ASSERT_TRUE(encoded.has_value()) << Name(f.type) << bpp;
      const std::filesystem::path path =
          std::filesystem::path(dir) /
          (L"picture" + std::to_wstring(bpp) + ImageTypeExtension(static_cast<int32_t>(f.type)));
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(encoded->bytes.data()),
                static_cast<std::streamsize>(encoded->bytes.size()));
      ASSERT_TRUE(out.good()) << path;
    }
  }
}

// ---------------------------------------------------------------------------
// File store

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Bytes(size_t count, uint8_t seed) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
  return bytes;
}

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            (L"lorik_filestore_" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::wstring At(const std::wstring& relative) const { return (root_ / relative).wstring(); }

  std::filesystem::path root_;
  FileStoreWin32 store_;
};

TEST_F(FileStoreTest, ExistsForFilesAndFoldersOnly) {
  std::ofstream(root_ / L"file.bin") << "x";
  EXPECT_TRUE(store_.Exists(root_.wstring()));
  EXPECT_TRUE(store_.Exists(At(L"file.bin")));
  EXPECT_FALSE(store_.Exists(At(L"missing")));
  EXPECT_FALSE(store_.Exists(L""));
}

// A file where a folder is expected is no place to save into, though it exists.
TEST_F(FileStoreTest, IsFolderForFoldersOnly) {
  std::ofstream(root_ / L"file.bin") << "x";
  std::filesystem::create_directories(root_ / L"sub");
  const struct {
    std::wstring path;
    bool folder;
  } cases[] = {
      {root_.wstring(), true},
      {At(L"sub"), true},
      {At(L"sub\\"), true},
      {At(L"file.bin"), false},
      {At(L"missing"), false},
      {At(L"file.bin\\sub"), false},
      {At(L"sub:stream"), false},  // a stream of the folder, not the folder
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(store_.IsFolder(c.path), c.folder) << Utf8(c.path);
}

TEST_F(FileStoreTest, CreatesNestedFolders) {
  const std::wstring folder = At(L"a\\b\\c d\\\x65e5\x672c");
  ASSERT_FALSE(store_.Exists(At(L"a")));
  EXPECT_TRUE(store_.CreateFolder(folder));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  // A folder that is already there counts as made.
  EXPECT_TRUE(store_.CreateFolder(folder));
}

TEST_F(FileStoreTest, FoldersThatCannotBeCreated) {
  std::ofstream(root_ / L"plain.txt") << "x";
  const std::wstring cases[] = {
      L"",                    // an empty destination
      At(L"plain.txt"),       // a file of that name
      At(L"plain.txt\\sub"),  // a folder under a file
      At(L"bad|name\\sub"),   // a character no name may hold
      At(L"a:b\\sub"),        // a stream of a folder, not a folder
  };
  for (const std::wstring& path : cases) {
    EXPECT_FALSE(store_.CreateFolder(path)) << Utf8(path);
  }
}

TEST_F(FileStoreTest, WritesBytesThatReadBack) {
  const std::vector<uint8_t> bytes = Bytes(3 * 1024 * 1024 + 17, 1);
  auto file = store_.CreateNew(At(L"shot.png"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->WriteAll(bytes));
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->Close());
  EXPECT_FALSE(file->Close());  // once only
  EXPECT_FALSE(file->WriteAll(bytes));
  file.reset();
  EXPECT_EQ(ReadFile(root_ / L"shot.png"), bytes);
}

// Nothing is ever replaced: neither a new file nor a rename takes a name in use.
TEST_F(FileStoreTest, NeverReplacesAnExistingFile) {
  std::ofstream(root_ / L"shot.bmp", std::ios::binary) << std::string(10000, 'o');
  EXPECT_EQ(store_.CreateNew(At(L"shot.bmp")), nullptr);
  {
    auto file = store_.CreateNew(At(L"part.tmp"));
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->WriteAll(Bytes(100, 9)));
    EXPECT_TRUE(file->Close());
  }
  EXPECT_FALSE(store_.Rename(At(L"part.tmp"), At(L"shot.bmp")));
  EXPECT_EQ(std::filesystem::file_size(root_ / L"shot.bmp"), 10000u);
  EXPECT_TRUE(store_.Rename(At(L"part.tmp"), At(L"shot (2).bmp")));
  EXPECT_EQ(ReadFile(root_ / L"shot (2).bmp"), Bytes(100, 9));
  EXPECT_FALSE(std::filesystem::exists(root_ / L"part.tmp"));
  EXPECT_FALSE(store_.Rename(At(L"part.tmp"), At(L"again.bmp")));  // gone
}

TEST_F(FileStoreTest, RemovesFilesOnly) {
  std::ofstream(root_ / L"left.tmp") << "x";
  std::filesystem::create_directories(root_ / L"folder");
  EXPECT_TRUE(store_.Remove(At(L"left.tmp")));
  EXPECT_FALSE(std::filesystem::exists(root_ / L"left.tmp"));
  EXPECT_FALSE(store_.Remove(At(L"left.tmp")));
  EXPECT_FALSE(store_.Remove(At(L"folder")));
  EXPECT_TRUE(std::filesystem::is_directory(root_ / L"folder"));
}

TEST_F(FileStoreTest, EmptyWriteLeavesAnEmptyFile) {
  {
    auto file = store_.CreateNew(At(L"empty.gif"));
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->WriteAll({}));
    EXPECT_TRUE(file->Close());
  }
  EXPECT_TRUE(std::filesystem::exists(root_ / L"empty.gif"));
  EXPECT_EQ(std::filesystem::file_size(root_ / L"empty.gif"), 0u);
}

TEST_F(FileStoreTest, FilesThatCannotBeCreated) {
  std::ofstream(root_ / L"plain.txt") << "x";
  std::filesystem::create_directories(root_ / L"folder");
  const std::wstring cases[] = {
      At(L"missing\\shot.png"),     // the folder is not there
      At(L"plain.txt\\shot.png"),   // the folder part names a file
      At(L"folder"),                // a folder of that name
      At(L"\x4e0d\x660e:%x%.png"),  // a colon: on NTFS a hidden stream of another file
      At(L"a:b\\shot.png"),         // a colon in the folder part
      At(L"bad|name.png"),          // characters no name may hold
      At(L"bad*name.png"),
      At(L"bad?name.png"),
      L"",
  };
  for (const std::wstring& path : cases) EXPECT_EQ(store_.CreateNew(path), nullptr) << Utf8(path);
  // Nothing named after the part before the colon was left behind either.
  EXPECT_FALSE(std::filesystem::exists(root_ / L"\x4e0d\x660e"));
}

// Only the drive's colon is allowed, also behind the long-path prefix.
TEST_F(FileStoreTest, DriveColonIsNoStream) {
  auto file = store_.CreateNew(L"\\\\?\\" + At(L"long.png"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->WriteAll(Bytes(10, 0)));
  file.reset();
  EXPECT_EQ(ReadFile(root_ / L"long.png"), Bytes(10, 0));
  EXPECT_TRUE(store_.CreateFolder(L"\\\\?\\" + At(L"long\\folder")));
  EXPECT_TRUE(std::filesystem::is_directory(root_ / L"long" / L"folder"));
}

TEST_F(FileStoreTest, FileIsOpenedExclusively) {
  auto first = store_.CreateNew(At(L"shot.jpg"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(store_.CreateNew(At(L"shot.jpg")), nullptr);

  HANDLE held = CreateFileW(At(L"held.jpg").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(store_.CreateNew(At(L"held.jpg")), nullptr);
  CloseHandle(held);
}

}  // namespace
}  // namespace lorik
