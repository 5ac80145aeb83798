// The review window's adapters against the real API under Wine: the Recycle
// Bin, the GDI+ decoder, the strip on the real template with the decode
// thread, and a decode that ends after the window has gone. With
// LORIK_REVIEW_TIMING set, also prints how long bursts of 1920 x 1080 take to
// fill in.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ImageType.h"
#include "platform/MessageBox.h"
#include "platform/PixelPicture.h"
#include "review/BurstReview.h"
#include "support/PumpMessages.h"
#include "support/RecordedMessages.h"
#include "win32/ClockWin32.h"
#include "win32/DialogHostWin32.h"
#include "win32/FileStoreWin32.h"
#include "win32/FilmstripWin32.h"
#include "win32/ImageEncoderGdiPlus.h"
#include "win32/PictureDecoderGdiPlus.h"
#include "win32/PosterWin32.h"
#include "win32/RecycleWin32.h"
#include "win32/ShellWin32.h"
#include "win32/TraceWin32.h"

namespace lorik {
namespace {

// Counts the posts that reach the window's queue.
class CountingPoster final : public MessagePosterPort {
 public:
  bool Post(WindowHandle window, uint32_t message) override {
    ++posts;
    return inner.Post(window, message);
  }
  PosterWin32 inner;
  std::atomic<int> posts{0};
};

// The real decoder, held at its start while `held` is set.
class HeldDecoder final : public PictureDecoderPort {
 public:
  std::shared_ptr<const Picture> DecodeToFit(const std::wstring& path, Size box) override {
    ++started;
    std::unique_lock lock(mutex);
    released.wait(lock, [&] { return !held; });
    lock.unlock();
    ++finished;
    return real.DecodeToFit(path, box);
  }
  void Release() {
    {
      std::lock_guard lock(mutex);
      held = false;
    }
    released.notify_all();
  }
  PictureDecoderGdiPlus real;
  std::mutex mutex;
  std::condition_variable released;
  bool held = true;
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
};

std::wstring TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name + L"_" + std::to_wstring(GetCurrentProcessId()) +
                        L"_" + std::to_wstring(GetTickCount64());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A png of one colour, given as red, green, blue.
std::vector<uint8_t> PlainPng(int width, int height, std::array<uint8_t, 3> colour) {
  auto picture = PixelPicture::Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture->MutableBits() + static_cast<size_t>(y) * picture->Pitch();
    for (int x = 0; x < width; ++x) {
      row[3 * x + 0] = colour[2];
      row[3 * x + 1] = colour[1];
      row[3 * x + 2] = colour[0];
    }
  }
  ImageEncoderGdiPlus encoder;
  return encoder.Encode(*picture, ImageType::Png).value().bytes;
}

// The colour of frame k of a burst: each frame its own.
std::array<uint8_t, 3> ColourOf(int k) {
  return {static_cast<uint8_t>(40 + 20 * (k % 10)), static_cast<uint8_t>(200 - 15 * (k / 10)),
          static_cast<uint8_t>(k * 37 % 256)};
}

// A png of two halves, red and blue.
std::vector<uint8_t> Png(int width, int height) {
  auto picture = PixelPicture::Create(width, height, 24);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = picture->MutableBits() + static_cast<size_t>(height - 1 - y) * picture->Pitch();
    for (int x = 0; x < width; ++x) {
      const bool red = x < width / 2;
      row[3 * x + 0] = red ? 0 : 255;
      row[3 * x + 1] = 0;
      row[3 * x + 2] = red ? 255 : 0;
    }
  }
  ImageEncoderGdiPlus encoder;
  return encoder.Encode(*picture, ImageType::Png).value().bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// A burst of `count` files, 100 ms apart, the press between the middle two.
std::vector<ShotFile> WriteBurst(const std::wstring& folder, int count, int width, int height,
                                 SystemTime press, bool distinct = false) {
  const std::vector<uint8_t> png = Png(width, height);
  std::vector<ShotFile> files;
  for (int k = 0; k < count; ++k) {
    const int offset = (k - count / 2) * 100 + 50;
    SystemTime t = press;
    const int total = t.second * 1000 + t.milliseconds + offset;
    t.second = static_cast<uint16_t>(total / 1000);
    t.milliseconds = static_cast<uint16_t>(total % 1000);
    const std::wstring path = folder + L"\\frame" + std::to_wstring(100 + k) + L".png";
    WriteBytes(path, distinct ? PlainPng(width, height, ColourOf(k)) : png);
    files.push_back({path, t});
  }
  return files;
}

const SystemTime kPress{2026, 12, 5, 11, 16, 40, 30, 250};

TEST(Recycle, FilesGoToTheRecycleBinAndAMissingOneIsNamed) {
  const std::wstring folder = TempFolder(L"lorik_recycle");
  const std::vector<std::wstring> paths = {folder + L"\\a.png", folder + L"\\b.png",
                                           folder + L"\\gone.png", folder + L"\\c.png"};
  for (const std::wstring& path : {paths[0], paths[1], paths[3]}) WriteBytes(path, {1, 2, 3});
  RecycleWin32 recycle;
  const std::vector<RecycleOutcome> outcomes = recycle.Recycle({paths[0], paths[1], paths[2]});
  EXPECT_EQ(outcomes,
            (std::vector<RecycleOutcome>{RecycleOutcome::Recycled, RecycleOutcome::Recycled,
                                         RecycleOutcome::Missing}));
  EXPECT_FALSE(Exists(paths[0]));
  EXPECT_FALSE(Exists(paths[1]));
  EXPECT_TRUE(Exists(paths[3]));
  // Under Wine the Recycle Bin is the trash of XDG_DATA_HOME: the files are there.
  wchar_t data[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"XDG_DATA_HOME", data, MAX_PATH) > 0 && data[0] == L'/') {
    std::wstring trash = std::wstring(L"Z:") + data + L"/Trash/files/";
    std::replace(trash.begin(), trash.end(), L'/', L'\\');
    EXPECT_TRUE(Exists(trash + L"a.png")) << "not in " << std::string(trash.begin(), trash.end());
    EXPECT_TRUE(Exists(trash + L"b.png"));
  }
  std::printf("recycled through %s\n", recycle.LastMethod() == RecycleWin32::Method::FileOperation
                                           ? "IFileOperation"
                                           : "SHFileOperationW");
  // Nothing to move: the shell is not asked.
  EXPECT_EQ(recycle.Recycle({paths[2]}), std::vector<RecycleOutcome>{RecycleOutcome::Missing});
  EXPECT_EQ(recycle.LastMethod(), RecycleWin32::Method::None);
  DeleteFileW(paths[3].c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST(Decoder, FitsThePictureIntoTheBoxCentredWithItsAspect) {
  const std::wstring folder = TempFolder(L"lorik_decode");
  const std::wstring wide = folder + L"\\wide.png";
  WriteBytes(wide, Png(320, 180));
  const std::wstring square = folder + L"\\square.png";
  WriteBytes(square, Png(200, 200));
  const std::wstring text = folder + L"\\text.png";
  WriteBytes(text, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
  PictureDecoderGdiPlus decoder;

  auto pixel = [](const Picture& p, int x, int y) {
    const uint8_t* row = p.TopDownRow(y) + 3 * x;
    return std::array<int, 3>{row[2], row[1], row[0]};  // red, green, blue
  };
  std::shared_ptr<const Picture> fitted = decoder.DecodeToFit(wide, {128, 72});
  ASSERT_NE(fitted, nullptr);
  EXPECT_EQ(fitted->Width(), 128);
  EXPECT_EQ(fitted->Height(), 72);
  EXPECT_EQ(fitted->BitsPerPixel(), 24);
  EXPECT_GT(pixel(*fitted, 10, 36)[0], 200);   // the red half
  EXPECT_GT(pixel(*fitted, 118, 36)[2], 200);  // the blue half

  // A square in a wide box: bars of the background left and right.
  std::shared_ptr<const Picture> boxed = decoder.DecodeToFit(square, {128, 72});
  ASSERT_NE(boxed, nullptr);
  EXPECT_EQ(pixel(*boxed, 2, 36), (std::array<int, 3>{0x40, 0x40, 0x40}));
  EXPECT_EQ(pixel(*boxed, 125, 36), (std::array<int, 3>{0x40, 0x40, 0x40}));
  EXPECT_GT(pixel(*boxed, 40, 36)[0], 200);

  EXPECT_EQ(decoder.DecodeToFit(text, {128, 72}), nullptr);
  EXPECT_EQ(decoder.DecodeToFit(folder + L"\\missing.png", {128, 72}), nullptr);
  for (const std::wstring& path : {wide, square, text}) DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

class ReviewWindowTest : public ::testing::Test {
 protected:
  ReviewWindowTest() : host(GetModuleHandleW(nullptr)) { folder = TempFolder(L"lorik_review"); }
  ~ReviewWindowTest() override {
    if (review && review->IsOpen()) DestroyWindow(Handle());
    review.reset();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        DeleteFileW((folder + L"\\" + data.cFileName).c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
  }
  HWND Handle() const { return reinterpret_cast<HWND>(review->View()->Handle().value); }
  HWND List() const { return GetDlgItem(Handle(), CBurstReview::kList); }
  void Open(std::vector<ShotFile> files, std::shared_ptr<PictureDecoderPort> decoder) {
    ReviewPorts ports{messages,           store, shell, recycle, filmstrip, clock, trace,
                      std::move(decoder), poster};
    review = std::make_unique<CBurstReview>(ports, 1, kPress, std::move(files));
    ASSERT_TRUE(host.CreateModeless(*review, {}));
    review->View()->Show(true);
  }
  // Pumps this thread's messages until `done` or 30 s.
  template <class F>
  bool PumpUntil(F done) {
    const ULONGLONG until = GetTickCount64() + 30000;
    while (GetTickCount64() < until) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (done()) return true;
      Sleep(1);
    }
    return false;
  }
  std::wstring Label(int item) {
    wchar_t text[64] = {};
    LVITEMW lv{};
    lv.iSubItem = 0;
    lv.pszText = text;
    lv.cchTextMax = 64;
    SendMessageW(List(), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&lv));
    return text;
  }
  int Image(int item) {
    LVITEMW lv{};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.iImage;
  }
  // The colour in the middle of a bitmap, as red, green, blue.
  static std::array<uint8_t, 3> Centre(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, info.bmWidth / 2, info.bmHeight / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
  }
  int Selected() {
    return static_cast<int>(
        SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  std::wstring folder;
  ui::DialogHostWin32 host;
  RecordedMessages messages;
  FileStoreWin32 store;
  ShellWin32 shell;
  RecycleWin32 recycle;
  FilmstripWin32 filmstrip;
  ClockWin32 clock;
  TraceWin32 trace;
  std::shared_ptr<CountingPoster> poster = std::make_shared<CountingPoster>();
  std::unique_ptr<CBurstReview> review;
};

TEST_F(ReviewWindowTest, TheStripFillsWithThumbnailsOnTheRealTemplate) {
  std::vector<ShotFile> files = WriteBurst(folder, 12, 320, 180, kPress, true);
  std::reverse(files.begin(), files.end());  // as written out of order
  Open(files, std::make_shared<PictureDecoderGdiPlus>());
  ASSERT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 12);
  EXPECT_EQ(Selected(), 5);
  EXPECT_EQ(Label(5), L"押下");
  EXPECT_EQ(Label(4), L"-0.2秒");
  EXPECT_EQ(Label(6), L"+0.1秒");
  ASSERT_TRUE(PumpUntil([&] { return review->ThumbnailsDone() == 12; }));
  auto images =
      reinterpret_cast<HIMAGELIST>(SendMessageW(List(), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 13);  // the stand-in and one per frame
  // Each item shows its own frame: written in reverse, item i is frame 11 - i.
  for (int item = 0; item < 12; ++item) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP drawn = CreateCompatibleBitmap(screen, 128, 72);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, drawn);
    ImageList_Draw(images, Image(item), dc, 0, 0, ILD_NORMAL);
    const COLORREF c = GetPixel(dc, 64, 36);
    SelectObject(dc, old);
    DeleteObject(drawn);
    DeleteDC(dc);
    EXPECT_EQ((std::array<uint8_t, 3>{GetRValue(c), GetGValue(c), GetBValue(c)}), ColourOf(item))
        << item;
  }
  ASSERT_TRUE(PumpUntil([&] {
    return SendDlgItemMessageW(Handle(), CBurstReview::kPreview, STM_GETIMAGE, IMAGE_BITMAP, 0) !=
           0;
  }));
  // Keys reach the list, whose subclass takes them: → moves, Space marks.
  auto preview = [&] {
    return SendDlgItemMessageW(Handle(), CBurstReview::kPreview, STM_GETIMAGE, IMAGE_BITMAP, 0);
  };
  const LRESULT pressPreview = preview();
  SendMessageW(List(), WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(Selected(), 6);
  // The preview follows the selection: the colour of frame 6 in its middle.
  EXPECT_TRUE(PumpUntil([&] { return preview() != pressPreview && preview() != 0; }));
  EXPECT_EQ(Centre(reinterpret_cast<HBITMAP>(preview())), ColourOf(6));
  SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(Label(6), L"★+0.1秒");
  // Keys typed faster than the pictures come: the preview ends on the last selected.
  for (WPARAM key : {VK_RIGHT, VK_SPACE, VK_RIGHT, VK_RIGHT, VK_LEFT}) {
    PostMessageW(List(), WM_KEYDOWN, key, 0);
    if (key == VK_SPACE) PostMessageW(List(), WM_CHAR, L' ', 0);
  }
  EXPECT_TRUE(PumpUntil([&] {
    return Selected() == 8 && Centre(reinterpret_cast<HBITMAP>(preview())) == ColourOf(8);
  })) << "selected "
      << Selected();
  testing::PumpMessages();
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ReviewWindowTest, UnmarkedFramesGoToTheRecycleBinAndTheStripFollows) {
  const std::vector<ShotFile> files = WriteBurst(folder, 6, 64, 48, kPress);
  Open(files, std::make_shared<PictureDecoderGdiPlus>());
  SendMessageW(List(), WM_KEYDOWN, VK_SPACE, 0);  // keeps the press frame
  DeleteFileW(files[0].path.c_str());             // gone by hand meanwhile
  SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(CBurstReview::kRecycleButton, BN_CLICKED), 0);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0], L"未選択の画像5枚をごみ箱へ移動しますか?");
  EXPECT_EQ(messages.shown[1], L"ファイルが見つからないため一覧から外しました：" + files[0].path);
  EXPECT_EQ(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(Label(0), L"★押下");
  for (size_t k = 0; k < files.size(); ++k) EXPECT_EQ(Exists(files[k].path), k == 2) << k;
  ASSERT_TRUE(PumpUntil([&] { return review->ThumbnailsDone() >= 1; }));
}

TEST_F(ReviewWindowTest, ADecodeThatEndsAfterTheWindowClosedPostsNothing) {
  const std::vector<ShotFile> files = WriteBurst(folder, 4, 640, 360, kPress);
  auto decoder = std::make_shared<HeldDecoder>();
  Open(files, decoder);
  ASSERT_TRUE(PumpUntil([&] { return decoder->started.load() >= 1; }));
  SendMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);  // Esc
  EXPECT_FALSE(review->IsOpen());
  decoder->Release();
  ASSERT_TRUE(PumpUntil([&] { return decoder->finished.load() >= 1; }));
  testing::PumpMessages();
  EXPECT_EQ(poster->posts.load(), 0);
  EXPECT_EQ(decoder->started.load(), 1);  // nothing more was taken up
  review.reset();
}

// How long bursts take to fill in from the moment the window is asked for, and
// the longest the user-interface thread was busy meanwhile. Figures only.
TEST_F(ReviewWindowTest, TimingOfLargeBursts) {
  if (GetEnvironmentVariableW(L"LORIK_REVIEW_TIMING", nullptr, 0) == 0) GTEST_SKIP();
  for (int count : {20, 100}) {
    const std::wstring burst = folder + L"\\" + std::to_wstring(count);
    CreateDirectoryW(burst.c_str(), nullptr);
    const std::vector<ShotFile> files = WriteBurst(burst, count, 1920, 1080, kPress);
    const auto start = std::chrono::steady_clock::now();
    auto ms = [&](std::chrono::steady_clock::time_point t) {
      return std::chrono::duration<double, std::milli>(t - start).count();
    };
    Open(files, std::make_shared<PictureDecoderGdiPlus>());
    const double opened = ms(std::chrono::steady_clock::now());
    double first = -1;
    double longestStep = 0;
    auto last = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] {
      const auto now = std::chrono::steady_clock::now();
      longestStep =
          std::max(longestStep, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      if (first < 0 && review->ThumbnailsDone() > 0) first = ms(now);
      return review->ThumbnailsDone() == static_cast<size_t>(count);
    }));
    const double all = ms(std::chrono::steady_clock::now());
    std::printf(
        "review of %d frames of 1920x1080 png: window open after %.0f ms, first thumbnail %.0f "
        "ms, all %.0f ms; longest pause of the UI thread %.0f ms\n",
        count, opened, first, all, longestStep);
    DestroyWindow(Handle());
    review.reset();
  }
}

}  // namespace
}  // namespace lorik
