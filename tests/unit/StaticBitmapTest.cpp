#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "controls/StaticBitmap.h"
#include "fakes/FakeNativeProgressBar.h"
#include "fakes/MemoryPicture.h"

namespace lorik {
namespace {

TEST(StaticBitmapDrawImage, PictureIsScaledToFitAgainstTheRightOrBottomEdge) {
  struct Case {
    const char* name;
    Size client;
    Size image;
    Rect expected;
  };
  const Case cases[] = {
      // 92 wide and 55.2 high: rows 22 to 76 hold it; the last row is lost to truncation.
      {"wide picture", {92, 78}, {1200, 720}, {0, 22, 92, 77}},
      {"same aspect ratio fills", {92, 78}, {184, 156}, {0, 0, 92, 78}},
      {"same size", {92, 78}, {92, 78}, {0, 0, 92, 78}},
      {"small picture is enlarged", {92, 78}, {46, 39}, {0, 0, 92, 78}},
      // s = 0.78: 78 by 78, pushed to the right edge.
      {"square picture", {92, 78}, {100, 100}, {14, 0, 92, 78}},
      // s = 0.195: 19.5 wide at x = 72.5, both truncated.
      {"tall picture", {92, 78}, {100, 400}, {72, 0, 91, 78}},
      {"one pixel", {92, 78}, {1, 1}, {14, 0, 92, 78}},
      {"empty client", {0, 0}, {1200, 720}, {0, 0, 0, 0}},
      {"picture without pixels", {92, 78}, {0, 720}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CStaticBitmap::DrawImage(c.client, c.image), c.expected);
  }
}

// Records each paint; can hold a paint open until told to finish it.
class FakeThumbnailPainter final : public ThumbnailPainter {
 public:
  Size ClientSize() override { return client; }
  void PaintNothing() override { ++nothing; }
  void PaintPicture(const Picture& picture, const Rect& destination) override {
    painted.push_back({&picture, destination});
    // Reads the pixels, so that a picture released under the paint shows.
    for (int y = 0; y < picture.Height(); ++y) checksum += picture.TopDownRow(y)[0];
    if (holdPaint) {
      painting.set_value();
      release.get_future().wait();
    }
  }

  struct Paint {
    const Picture* picture;
    Rect destination;
  };
  Size client{92, 78};
  int nothing = 0;
  std::vector<Paint> painted;
  unsigned checksum = 0;
  bool holdPaint = false;
  std::promise<void> painting;
  std::promise<void> release;
};

TEST(StaticBitmap, PaintsNothingUntilAPictureArrives) {
  CStaticBitmap thumbnail;
  FakeThumbnailPainter painter;
  thumbnail.OnPaint(painter);
  EXPECT_EQ(painter.nothing, 1);
  EXPECT_TRUE(painter.painted.empty());
}

TEST(StaticBitmap, PaintsTheSharedPictureScaledIntoTheClient) {
  CStaticBitmap thumbnail;
  auto picture = MemoryPicture::Filled(1200, 720, 24, 7);
  thumbnail.SetPicture(picture);
  EXPECT_EQ(thumbnail.GetPicture().get(), picture.get()) << "shared, not copied";

  FakeThumbnailPainter painter;
  thumbnail.OnPaint(painter);
  ASSERT_EQ(painter.painted.size(), 1u);
  EXPECT_EQ(painter.painted[0].picture, picture.get());
  EXPECT_EQ(painter.painted[0].destination, (Rect{0, 22, 92, 77}));
  EXPECT_EQ(painter.nothing, 0);
}

TEST(StaticBitmap, NewPictureAsksTheWindowForOneRepaintAndReleasesTheOld) {
  CStaticBitmap thumbnail;
  FakeThumbnailWindow window;
  thumbnail.SetPicture(MemoryPicture::Filled(4, 4, 32, 1));  // before attaching: no window to ask
  thumbnail.Attach(&window);

  auto first = MemoryPicture::Filled(4, 4, 32, 1);
  std::weak_ptr<MemoryPicture> firstAlive = first;
  thumbnail.SetPicture(std::move(first));
  EXPECT_EQ(window.invalidations.load(), 1);
  thumbnail.SetPicture(MemoryPicture::Filled(4, 4, 32, 2));
  EXPECT_EQ(window.invalidations.load(), 2);
  EXPECT_TRUE(firstAlive.expired());

  // Once the window is gone nobody asks it for anything.
  thumbnail.Attach(nullptr);
  thumbnail.SetPicture(MemoryPicture::Filled(4, 4, 32, 3));
  EXPECT_EQ(window.invalidations.load(), 2);
}

TEST(StaticBitmap, PictureArrivingDuringAPaintWaitsForItAndThenRepaints) {
  CStaticBitmap thumbnail;
  FakeThumbnailWindow window;
  thumbnail.Attach(&window);
  auto old = MemoryPicture::Filled(120, 72, 24, 5);
  const Picture* oldAddress = old.get();
  std::weak_ptr<MemoryPicture> oldAlive = old;
  thumbnail.SetPicture(std::move(old));
  window.invalidations = 0;

  FakeThumbnailPainter painter;
  painter.holdPaint = true;
  std::thread ui([&] { thumbnail.OnPaint(painter); });
  painter.painting.get_future().wait();

  std::atomic<bool> swapped{false};
  std::thread saver([&] {
    thumbnail.SetPicture(MemoryPicture::Filled(120, 72, 24, 6));
    swapped = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(swapped.load()) << "the picture was replaced while it was drawn";
  EXPECT_FALSE(oldAlive.expired());
  EXPECT_EQ(window.invalidations.load(), 0);

  painter.release.set_value();
  ui.join();
  saver.join();
  EXPECT_TRUE(swapped.load());
  EXPECT_EQ(window.invalidations.load(), 1);
  ASSERT_EQ(painter.painted.size(), 1u);
  EXPECT_EQ(painter.painted[0].picture, oldAddress);
  EXPECT_TRUE(oldAlive.expired());
}

// Many pictures from a save thread while the user-interface thread paints:
// under the sanitizers a picture freed or swapped under a paint shows.
TEST(StaticBitmap, SaveThreadAndPaintsShareThePictureSafely) {
  CStaticBitmap thumbnail;
  FakeThumbnailWindow window;
  thumbnail.Attach(&window);
  constexpr int kPictures = 500;
  std::thread saver([&] {
    for (int i = 0; i < kPictures; ++i) {
      thumbnail.SetPicture(MemoryPicture::Filled(16 + i % 7, 9 + i % 5, 24, 1));
    }
  });
  FakeThumbnailPainter painter;
  while (window.invalidations.load() < kPictures) {
    thumbnail.OnPaint(painter);
    painter.painted.clear();
  }
  saver.join();
  thumbnail.OnPaint(painter);
  ASSERT_EQ(painter.painted.size(), 1u);
  EXPECT_EQ(painter.painted[0].picture, thumbnail.GetPicture().get());
  EXPECT_EQ(window.invalidations.load(), kPictures);
}

}  // namespace
}  // namespace lorik
