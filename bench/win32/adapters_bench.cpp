// The real adapters under the real API: the grab of a window and of the desktop,
// GDI+ encoding per format and depth, and the conversion pool with the GDI+
// encoder. Prints one tab-separated row per figure: "row", what was measured,
// the figure, and what it is compared with. Asserts nothing.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/ImageType.h"
#include "pipeline/ConversionPool.h"
#include "pipeline/PipelineState.h"
#include "platform/FileStore.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/ScreenGrabWin32.h"

namespace lorik {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1200;
constexpr int kHeight = 720;

void Row(const std::string& what, const std::string& figure, const std::string& comparedWith) {
  std::printf("row\t%s\t%s\t%s\n", what.c_str(), figure.c_str(), comparedWith.c_str());
  std::fflush(stdout);
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A page of the kind Lorik captures: a gradient, coloured blocks and text, so
// that the encoders see neither a flat picture nor noise.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    for (int y = 0; y < kHeight; y += 4) {
      RECT band{0, y, kWidth, y + 4};
      HBRUSH brush = CreateSolidBrush(RGB(255 - y / 6, 240 - y / 8, 200 + y / 20));
      FillRect(dc, &band, brush);
      DeleteObject(brush);
    }
    for (int i = 0; i < 24; ++i) {
      RECT block{40 + (i % 6) * 190, 60 + (i / 6) * 160, 200 + (i % 6) * 190, 180 + (i / 6) * 160};
      HBRUSH brush = CreateSolidBrush(RGB((i * 53) & 0xFF, (i * 97) & 0xFF, (i * 29) & 0xFF));
      FillRect(dc, &block, brush);
      DeleteObject(brush);
    }
    SetBkMode(dc, TRANSPARENT);
    for (int line = 0; line < 30; ++line) {
      const std::wstring text = L"Lorik bench line " + std::to_wstring(line) +
                                L": the quick brown fox jumps over the lazy dog 0123456789";
      TextOutW(dc, 10 + (line % 3) * 400, 10 + line * 23, text.c_str(),
               static_cast<int>(text.size()));
    }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Lets the window paint: dispatches its messages for `ms` milliseconds.
void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  MSG msg;
  while (GetTickCount64() < end) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(5);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A borderless top-level window of exactly the benchmark's size at the screen's origin,
// so that the desktop grab of the same rectangle reads the same pixels.
HWND CreatePage() {
  const WNDCLASSW wc{0,
                     PageProc,
                     0,
                     0,
                     GetModuleHandleW(nullptr),
                     nullptr,
                     LoadCursorW(nullptr, IDC_ARROW),
                     nullptr,
                     nullptr,
                     L"LorikBenchPage"};
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"LorikBenchPage", L"Lorik bench page", WS_POPUP, 0,
                                0, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  Pump(300);
  return window;
}

WindowHandle Handle(HWND window) {
  return {reinterpret_cast<uintptr_t>(window)};
}

// Milliseconds per grab, over `frames` grabs after one to warm up.
double GrabMs(ScreenGrabPort& grab, WindowHandle source, const Rect& area, int bits, int frames) {
  grab.Grab(source, area, bits);
  const auto start = Clock::now();
  int failed = 0;
  for (int i = 0; i < frames; ++i)
    if (grab.Grab(source, area, bits) == nullptr) ++failed;
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (failed > 0) std::fprintf(stderr, "adapters_bench: %d grabs failed\n", failed);
  return ms / frames;
}

void BenchGrab(ScreenGrabPort& grab, HWND page) {
  const Rect area{0, 0, kWidth, kHeight};
  const int frames = 40;
  for (int bits : {24, 32}) {
    // Window and desktop alternate within one run, so that both see the same load.
    const double window = GrabMs(grab, Handle(page), area, bits, frames);
    const double desktop = GrabMs(grab, Handle(GetDesktopWindow()), area, bits, frames);
    const std::string size = "1200x720 " + std::to_string(bits) + " bit";
    Row("grab, window client area, " + size, Fixed(window, 2) + " ms/frame",
        "desktop " + Fixed(desktop, 2) + " ms/frame");
    Row("grab, same area of the desktop, " + size, Fixed(desktop, 2) + " ms/frame",
        "window x" + Fixed(desktop / window, 2));
  }
}

// "png" for ImageType::Png: the extension without its dot, in ASCII.
std::string FormatName(ImageType type) {
  std::string name;
  for (wchar_t c : ImageTypeExtension(static_cast<int32_t>(type)))
    if (c != L'.') name += static_cast<char>(c);
  return name;
}

void BenchEncode(ScreenGrabPort& grab, HWND page) {
  ImageEncoderGdiPlus encoder;
  const Rect area{0, 0, kWidth, kHeight};
  const ImageType types[] = {ImageType::Bmp, ImageType::Gif, ImageType::Jpg, ImageType::Png,
                             ImageType::Tif};
  for (int bits : {24, 32}) {
    std::shared_ptr<const Picture> picture = grab.Grab(Handle(page), area, bits);
    if (picture == nullptr) {
      std::fprintf(stderr, "adapters_bench: no %d-bit picture to encode\n", bits);
      continue;
    }
    double bmpMs = 0;
    for (ImageType type : types) {
      // The gif encoder reduces colours first and takes seconds per frame.
      const int frames = type == ImageType::Bmp ? 20 : type == ImageType::Gif ? 2 : 6;
      size_t bytes = 0;
      encoder.Encode(*picture, type);
      const auto start = Clock::now();
      for (int i = 0; i < frames; ++i) {
        auto image = encoder.Encode(*picture, type);
        bytes = image ? image->bytes.size() : 0;
      }
      const double ms =
          std::chrono::duration<double, std::milli>(Clock::now() - start).count() / frames;
      if (type == ImageType::Bmp) bmpMs = ms;
      Row("GDI+ encode 1200x720 " + std::to_string(bits) + " bit, " + FormatName(type),
          Fixed(ms, 1) + " ms/frame",
          std::to_string(bytes / 1024) + " KiB" +
              (type == ImageType::Bmp ? std::string() : ", bmp x" + Fixed(ms / bmpMs, 1)));
    }
  }
}

class NullMessages final : public MessageBoxPort {
 public:
  int Show(std::wstring_view text, std::wstring_view, unsigned) override {
    std::fprintf(stderr, "adapters_bench: message: %ls\n", std::wstring(text).c_str());
    return IDOK;
  }
  void Beep() override {}
};

class NullTrace final : public TracePort {
 public:
  void Write(std::string_view) override {}
};

// The pool never reaches the save worker here: frames stop in the SaveBuffer.
class NoFiles final : public FileStorePort {
 public:
  bool Exists(const std::wstring&) override { return true; }
  bool IsFolder(const std::wstring&) override { return true; }
  bool CreateFolder(const std::wstring&) override { return true; }
  std::unique_ptr<WritableFile> CreateNew(const std::wstring&) override { return nullptr; }
  bool Rename(const std::wstring&, const std::wstring&) override { return false; }
  bool Remove(const std::wstring&) override { return false; }
};

// Frames per second of `workers` conversion workers encoding `frames` png frames.
double PoolFps(const std::shared_ptr<const Picture>& picture, int workers, int frames) {
  auto state = std::make_shared<PipelineState>(
      PipelinePorts{std::make_shared<ImageEncoderGdiPlus>(), std::make_shared<NoFiles>(),
                    std::make_shared<NullMessages>(), std::make_shared<NullTrace>(), nullptr,
                    nullptr, L"", nullptr});
  WorkerSettings settings;
  settings.imageType = static_cast<int32_t>(ImageType::Png);
  settings.supressErrorDialog = true;
  state->PublishSettings(settings);
  ConversionPool pool(state);
  pool.Apply(workers, true);
  Sleep(50);
  const SharedText folder(L"C:\\bench");
  const SharedText pattern(L"b_%time%_%ms%");
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    CapturedFrame frame;
    frame.picture = picture;
    frame.folder = folder;
    frame.pattern = pattern;
    state->AppendForConversion(std::move(frame));
  }
  state->WakeConverters(true);
  while (state->saveCount.load() < static_cast<uint32_t>(frames)) Sleep(1);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  pool.Stop();
  return frames / seconds;
}

void BenchPool(ScreenGrabPort& grab, HWND page) {
  std::shared_ptr<const Picture> picture = grab.Grab(Handle(page), Rect{0, 0, kWidth, kHeight}, 24);
  if (picture == nullptr) return;
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  // The program's default: processors minus two, at least one.
  const int defaultWorkers = std::max(static_cast<int>(info.dwNumberOfProcessors) - 2, 1);
  const int frames = 24;
  const double one = PoolFps(picture, 1, frames);
  Row("conversion pool, GDI+ png 1200x720 24 bit, 1 worker", Fixed(one, 1) + " frames/s",
      "1 x one worker: ratio 1.00");
  std::vector<int> counts{2};
  if (defaultWorkers != 1 && defaultWorkers != 2) counts.push_back(defaultWorkers);
  for (int n : counts) {
    const double fps = PoolFps(picture, n, frames);
    Row("conversion pool, GDI+ png 1200x720 24 bit, " + std::to_string(n) + " workers",
        Fixed(fps, 1) + " frames/s",
        std::to_string(n) + " x one worker " + Fixed(n * one, 1) + ": ratio " +
            Fixed(fps / (n * one), 2));
  }
  Row("conversion pool, default number of workers (" + std::to_string(info.dwNumberOfProcessors) +
          " processors - 2, at least 1)",
      std::to_string(defaultWorkers) + (defaultWorkers == 1 ? " worker" : " workers"),
      "its row is above");
}

}  // namespace
}  // namespace lorik

int wmain() {
  HWND page = lorik::CreatePage();
  if (page == nullptr) {
    std::fprintf(stderr, "adapters_bench: no window\n");
    return 1;
  }
  lorik::ScreenGrabWin32 grab;
  lorik::BenchGrab(grab, page);
  lorik::BenchEncode(grab, page);
  lorik::BenchPool(grab, page);
  DestroyWindow(page);
  return 0;
}
