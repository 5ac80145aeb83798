#include <gtest/gtest.h>

#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "PipelineHarness.h"

namespace lorik {
namespace {

using namespace std::chrono_literals;

class ConversionPoolTest : public ::testing::Test {
 protected:
  std::vector<CapturedFrame> SaveBufferFrames() {
    std::vector<CapturedFrame> frames;
    std::lock_guard lock(h.state->saveLock);
    while (!h.state->saveBuffer.empty()) frames.push_back(h.state->saveBuffer.pop_front());
    h.state->saveCount.store(0);
    return frames;
  }
  bool SaveBufferHolds(uint32_t n) {
    return PipelineHarness::WaitUntil([&] { return h.state->saveCount.load() == n; });
  }

  PipelineHarness h;
};

TEST_F(ConversionPoolTest, StartsRestartsOnlyOnAChangedCountAndStops) {
  ASSERT_TRUE(h.pool.Apply(2, false));
  EXPECT_EQ(h.pool.Size(), 2u);
  ASSERT_TRUE(
      PipelineHarness::WaitUntil([&] { return h.trace->Count("Convert thread started.\n") == 2; }));
  std::vector<std::string> lines = h.trace->Lines();
  EXPECT_EQ(lines.front(), "Starting convert thread...\n");
  EXPECT_EQ(h.trace->Count("All convert thread has started successfully.\n"), 1u);

  h.trace->Clear();
  ASSERT_TRUE(h.pool.Apply(2, false));
  EXPECT_TRUE(h.trace->Lines().empty());

  ASSERT_TRUE(h.pool.Apply(3, false));
  EXPECT_EQ(h.pool.Size(), 3u);
  lines = h.trace->Lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Stopping convert threads...\n");
  EXPECT_EQ(h.trace->Count("Conv thread stopped.\n"), 2u);  // both ended within their wait
  EXPECT_EQ(h.trace->Count("All convert thread stopped.\n"), 1u);
  EXPECT_EQ(h.messages->Count(), 0u);

  h.trace->Clear();
  h.pool.Stop();
  lines = h.trace->Lines();
  EXPECT_EQ(lines.front(), "Stopping convert thread...\n");
  EXPECT_EQ(lines.back(), "All convert thread stopped.\n");
  EXPECT_EQ(h.trace->Count("Conv thread stopped.\n"), 3u);
  h.trace->Clear();
  h.pool.Stop();  // nothing registered any more
  EXPECT_TRUE(h.trace->Lines().empty());
}

TEST_F(ConversionPoolTest, NewWorkersTakeFramesQueuedBeforeTheyStarted) {
  for (int i = 0; i < 5; ++i) h.controller.TakeSingleShot();
  ASSERT_TRUE(h.pool.Apply(2, false));
  EXPECT_TRUE(SaveBufferHolds(5));
}

TEST_F(ConversionPoolTest, RestartWhileFramesWaitKeepsEveryFrame) {
  h.encoder->cost = 5ms;
  ASSERT_TRUE(h.pool.Apply(2, false));
  for (int i = 0; i < 20; ++i) h.controller.TakeSingleShot();
  ASSERT_TRUE(h.pool.Apply(3, false));
  EXPECT_TRUE(SaveBufferHolds(20));
  EXPECT_EQ(h.state->conversionCount.load(), 0u);
}

TEST_F(ConversionPoolTest, ImageTypeIsReadPerFrame) {
  ASSERT_TRUE(h.pool.Apply(1, false));
  h.controller.TakeSingleShot();
  ASSERT_TRUE(SaveBufferHolds(1));
  h.records.save.imageType = 3;  // the settings dialog replaced the record
  h.controller.TakeSingleShot();
  ASSERT_TRUE(SaveBufferHolds(2));
  const std::vector<CapturedFrame> frames = SaveBufferFrames();
  EXPECT_EQ(frames[0].encoded->image->bytes[0], 4);
  EXPECT_EQ(frames[1].encoded->image->bytes[0], 3);
}

struct EncodeFailureCase {
  const char* name;
  int32_t imageType;
  bool encoderFails;
  std::vector<std::wstring> texts;
};

class EncodeFailureTest : public ConversionPoolTest,
                          public ::testing::WithParamInterface<EncodeFailureCase> {};

TEST_P(EncodeFailureTest, ReportsAndDropsOnlyThatFrame) {
  const EncodeFailureCase& c = GetParam();
  h.records.save.imageType = c.imageType;
  if (c.encoderFails) {
    h.encoder->SetFailIf([](const Picture& p) { return p.Bits()[0] == 1; });
  }
  ASSERT_TRUE(h.pool.Apply(1, false));
  h.controller.TakeSingleShot();  // 09:03:07.045, grab 1
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() == c.texts.size(); }));
  std::vector<std::wstring> texts;
  for (const auto& m : h.messages->Messages()) {
    texts.push_back(m.text);
    EXPECT_EQ(m.caption, L"");
    EXPECT_EQ(m.style, mb::kIconError);
  }
  EXPECT_EQ(texts, c.texts);

  if (c.encoderFails) {  // the next frame goes through
    h.controller.TakeSingleShot();
    ASSERT_TRUE(SaveBufferHolds(1));
    EXPECT_EQ(SaveBufferFrames()[0].picture->Bits()[0], 2);
  }
  EXPECT_EQ(h.state->conversionCount.load(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, EncodeFailureTest,
    ::testing::Values(
        EncodeFailureCase{
            "EncoderFails", 4, true, {L"画像の生成に失敗しました: D:\\single\\S_090307_045.png"}},
        EncodeFailureCase{"NamedOnlyType",
                          7,
                          false,
                          {L"不明な型で保存しようとしました",
                           L"画像の生成に失敗しました: D:\\single\\S_090307_045.emf"}},
        EncodeFailureCase{"UnknownType",
                          6,
                          false,
                          {L"不明な型で保存しようとしました",
                           L"画像の生成に失敗しました: D:\\single\\S_090307_045"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionPoolTest, NoPictureFailsLikeTheEncoder) {
  h.grab.failPicture = true;
  ASSERT_TRUE(h.pool.Apply(1, false));
  h.controller.TakeSingleShot();
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() == 1; }));
  EXPECT_EQ(h.messages->Messages()[0].text,
            L"画像の生成に失敗しました: D:\\single\\S_090307_045.png");
  EXPECT_EQ(h.encoder->Calls(), 0);
}

// A worker held by an open error message cannot stop in time: it is reported,
// abandoned, and ends by itself once the message closes, without disturbing
// the workers that replaced it.
struct StuckCase {
  bool suppress;
  size_t stopMessages;
};

class StuckWorkerTest : public ConversionPoolTest,
                        public ::testing::WithParamInterface<StuckCase> {};

TEST_P(StuckWorkerTest, IsReportedAbandonedAndEndsOnItsOwn) {
  std::promise<void> close;
  std::shared_future<void> closed = close.get_future().share();
  std::atomic<bool> held{false};
  h.messages->SetWhileOpen([&](const FakeMessageBox::Shown& m) {
    if (m.text.starts_with(L"画像の生成")) {
      held = true;
      closed.wait();
    }
  });
  h.encoder->SetFailIf([](const Picture& p) { return p.Bits()[0] == 1; });
  h.pool.restartWait = 50ms;
  ASSERT_TRUE(h.pool.Apply(1, false));
  h.controller.TakeSingleShot();
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return held.load(); }));

  ASSERT_TRUE(h.pool.Apply(2, GetParam().suppress));
  size_t stopMessages = 0;
  for (const auto& m : h.messages->Messages()) {
    if (m.text == L"変換スレッドの停止に失敗しました。変換スレッドを強制再起動します。") {
      EXPECT_EQ(m.caption, L"Lorik");
      EXPECT_EQ(m.style, mb::kIconExclamation);
      ++stopMessages;
    }
  }
  EXPECT_EQ(stopMessages, GetParam().stopMessages);
  EXPECT_EQ(h.trace->Count("Conv thread stopped.\n"), 0u);

  h.controller.TakeSingleShot();  // the new workers run
  ASSERT_TRUE(SaveBufferHolds(1));
  close.set_value();
  ASSERT_TRUE(
      PipelineHarness::WaitUntil([&] { return h.trace->Count("Conv thread stopped.\n") == 1; }));
  // The two new workers are still there and still work.
  h.controller.TakeSingleShot();
  EXPECT_TRUE(SaveBufferHolds(2));
  EXPECT_EQ(h.pool.Size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Suppression, StuckWorkerTest,
                         ::testing::Values(StuckCase{false, 1}, StuckCase{true, 0}));

// Several workers late on a restart share one deadline and one message.
TEST_F(ConversionPoolTest, LateWorkersOfARestartAreToldInOneMessage) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> held{0};
  h.encoder->SetFailIf([&](const Picture&) {
    ++held;
    released.wait();
    return false;
  });
  h.pool.restartWait = 50ms;
  ASSERT_TRUE(h.pool.Apply(3, false));
  for (int i = 0; i < 3; ++i) h.controller.TakeSingleShot();
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return held.load() == 3; }));
  ASSERT_TRUE(h.pool.Apply(1, false));
  EXPECT_EQ(h.messages->Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"変換スレッドの停止に失敗しました。変換スレッドを強制再起動します。", L"Lorik",
                 mb::kIconExclamation}}));
  release.set_value();
  ASSERT_TRUE(
      PipelineHarness::WaitUntil([&] { return h.trace->Count("Conv thread stopped.\n") == 3; }));
}

TEST(ConversionPoolStartTest, AWorkerThatCannotStartIsReported) {
  PipelineHarness h;
  int starts = 0;
  ConversionPool pool(h.state, [&](std::function<void()> body) {
    if (++starts == 2)
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(body));
  });
  EXPECT_FALSE(pool.Apply(3, true));
  const auto shown = h.messages->Messages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], (FakeMessageBox::Shown{L"変換スレッドの開始に失敗しました。終了します。",
                                             L"Lorik", mb::kIconError}));
  EXPECT_EQ(h.trace->Count("All convert thread has started successfully.\n"), 0u);
  pool.Stop();
}

}  // namespace
}  // namespace lorik
