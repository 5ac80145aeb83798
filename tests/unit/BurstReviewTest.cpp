// The review window on fakes: the strip in capture order opened on the press,
// pictures decoded nearest first on the worker, the keys, the Recycle Bin and
// its failures, files that vanished, and a decode that ends after the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "core/Text.h"
#include "fakes/FakeApp.h"
#include "fakes/FakeReviewTemplate.h"
#include "review/BurstReview.h"

namespace lorik {
namespace {

using ui::FakeDialogView;

const SystemTime kPress{2026, 12, 5, 11, 16, 40, 10, 250};

// Frame k of a burst captured every 100 ms, the press between frames before - 1 and before.
ShotFile Frame(int k, int before) {
  const int offset = (k - before) * 100 + 50;
  const int total = 10 * 1000 + 250 + offset;
  SystemTime t = kPress;
  t.second = static_cast<uint16_t>(total / 1000);
  t.milliseconds = static_cast<uint16_t>(total % 1000);
  return {L"C:\\shots\\m" + PaddedDecimal(k, 2) + L".png", t};
}

std::vector<ShotFile> Burst(int before, int after) {
  std::vector<ShotFile> files;
  for (int k = 0; k < before + after; ++k) files.push_back(Frame(k, before));
  return files;
}

class BurstReviewTest : public ::testing::Test {
 protected:
  BurstReviewTest() { AddReviewTemplate(app.host); }
  ~BurstReviewTest() override {
    if (review && review->IsOpen()) Key(vk::kEscape, true);
    app.decoderShared->Release();
  }

  FakeDialogView& Open(std::vector<ShotFile> files, std::vector<ShotFile> onDisk = {}) {
    if (onDisk.empty()) onDisk = files;
    for (const ShotFile& f : onDisk) Put(f.path);
    review = std::make_unique<CBurstReview>(ports, 7, kPress, std::move(files));
    EXPECT_TRUE(app.host.CreateModeless(*review, {}));
    return *app.host.ViewOf(*review);
  }
  void Put(const std::wstring& path) {
    app.store.AddFolder(L"C:\\shots");
    if (!app.store.Exists(path)) app.store.CreateNew(path)->Close();
  }
  // Hands the window what the decode thread posts until every thumbnail and
  // the selected frame's preview are in; false when that takes over 10 s.
  bool Settle() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      for (size_t n = app.posterShared->Take().size(); n > 0; --n)
        app.host.Send(*review, {CBurstReview::kDecodedMessage, 0, 0});
      if (review->ThumbnailsDone() == review->Model().Size() && strip.previewWidth > 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  // A key as the platform routes it: Enter and Esc through the dialog manager,
  // the others to the list view, which has the focus.
  void Key(uint16_t key, bool dialogManager = false) {
    if (dialogManager) {
      app.host.Send(*review, ui::CommandMessage(key == vk::kEscape ? ui::kIdCancel : ui::kIdOk));
    } else {
      app.host.ViewOf(*review)->SendToItem(CBurstReview::kList, {wm::kKeyDown, key, 0});
    }
  }
  std::vector<std::wstring> Labels() const { return strip.Labels(); }
  std::wstring Status() {
    return app.host.LastView(IDD_BURST_REVIEW)->Control(CBurstReview::kStatus).text;
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> texts;
    for (const auto& m : app.messages.Messages()) texts.push_back(m.text);
    return texts;
  }

  FakeApp app;
  FakeFilmstrip& strip = app.filmstrip.strip;
  ReviewPorts ports{app.messages, app.store, app.shell,         app.recycle,     app.filmstrip,
                    app.clock,    app.trace, app.decoderShared, app.posterShared};
  std::unique_ptr<CBurstReview> review;
};

TEST_F(BurstReviewTest, OpensOnThePressAndFillsInNearestFirst) {
  std::vector<ShotFile> files = Burst(3, 3);
  std::rotate(files.begin(), files.begin() + 4, files.end());  // written out of order
  Open(files);
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"-0.3秒", L"-0.2秒", L"押下", L"+0.1秒",
                                                 L"+0.2秒", L"+0.3秒"}));
  EXPECT_EQ(strip.selected, 2);
  ASSERT_TRUE(Settle());
  const std::vector<std::wstring> decoded = app.decoderShared->Decoded();
  // The preview first, then the thumbnails outwards from the press.
  EXPECT_EQ(decoded, (std::vector<std::wstring>{L"C:\\shots\\m02.png", L"C:\\shots\\m02.png",
                                                L"C:\\shots\\m01.png", L"C:\\shots\\m03.png",
                                                L"C:\\shots\\m00.png", L"C:\\shots\\m04.png",
                                                L"C:\\shots\\m05.png"}));
  for (const FakeFilmstrip::Item& item : strip.items)
    EXPECT_EQ(item.thumbnailWidth, CBurstReview::kThumbnailSize.width);
  EXPECT_EQ(strip.previewWidth, strip.PreviewSize().width);
  EXPECT_EQ(Status(), L"6枚中 0枚を残す");
  EXPECT_TRUE(app.messages.Messages().empty());
}

TEST_F(BurstReviewTest, ArrowsMoveAndSpaceMarksAndUnmarks) {
  Open(Burst(2, 2));
  ASSERT_EQ(strip.selected, 1);
  Key(vk::kRight);
  EXPECT_EQ(strip.selected, 2);
  Key(vk::kSpace);
  EXPECT_EQ(Labels()[2], L"★+0.1秒");
  Key(vk::kLeft);
  Key(vk::kLeft);
  Key(vk::kLeft);  // stays on the first
  EXPECT_EQ(strip.selected, 0);
  Key(vk::kSpace);
  EXPECT_EQ(Status().substr(0, 9), L"4枚中 2枚を残す");
  Key(vk::kSpace);
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"-0.2秒", L"押下", L"★+0.1秒", L"+0.2秒"}));
  // The list view's type-ahead never sees the Space.
  EXPECT_EQ(app.host.ViewOf(*review)->SendToItem(CBurstReview::kList, {wm::kChar, L' ', 0}),
            intptr_t{0});
  // The preview shown is the selected frame's, whatever was asked for before.
  ASSERT_TRUE(Settle());
}

TEST_F(BurstReviewTest, UnmarkedGoToTheRecycleBinAfterOneConfirmationWithTheCount) {
  const std::vector<ShotFile> files = Burst(10, 10);
  Open(files);
  for (int k : {4, 9, 11}) {
    while (strip.selected < k) Key(vk::kRight);
    while (strip.selected > k) Key(vk::kLeft);
    Key(vk::kSpace);
  }
  ASSERT_TRUE(app.host.Click(*review, CBurstReview::kRecycleButton));
  ASSERT_EQ(app.messages.Count(), 1u);
  const auto question = app.messages.Messages()[0];
  EXPECT_EQ(question.text, L"未選択の画像17枚をごみ箱へ移動しますか?");
  EXPECT_EQ(question.style, mb::kOkCancel | mb::kIconQuestion);
  ASSERT_EQ(app.recycle.calls.size(), 1u);
  std::vector<std::wstring> expected;
  for (int k = 0; k < 20; ++k)
    if (k != 4 && k != 9 && k != 11) expected.push_back(files[static_cast<size_t>(k)].path);
  EXPECT_EQ(app.recycle.calls[0], expected);
  EXPECT_EQ(app.store.Files().size(), 3u);
  EXPECT_EQ(app.recycle.bin.size(), 17u);
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"★-0.6秒", L"★押下", L"★+0.2秒"}));
  EXPECT_EQ(review->Model().Size(), 3u);
  EXPECT_GE(strip.selected, 0);
  EXPECT_EQ(app.messages.Count(), 1u);  // nothing to report
}

TEST_F(BurstReviewTest, ACancelledConfirmationOrNothingUnmarkedMovesNothing) {
  Open(Burst(1, 1));
  app.messages.SetAnswer(mb::kIdCancel);
  ASSERT_TRUE(app.host.Click(*review, CBurstReview::kRecycleButton));
  EXPECT_TRUE(app.recycle.calls.empty());
  EXPECT_EQ(strip.items.size(), 2u);
  Key(vk::kSpace);
  Key(vk::kRight);
  Key(vk::kSpace);
  ASSERT_TRUE(app.host.Click(*review, CBurstReview::kRecycleButton));
  EXPECT_TRUE(app.recycle.calls.empty());
  EXPECT_EQ(Texts().back(), L"未選択の画像はありません");
}

TEST_F(BurstReviewTest, DeleteRecyclesTheSelectedFrameAndSelectsTheNext) {
  const std::vector<ShotFile> files = Burst(2, 2);
  Open(files);
  Key(vk::kDelete);
  EXPECT_EQ(app.recycle.bin, std::set<std::wstring>{files[1].path});
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"-0.2秒", L"+0.1秒", L"+0.2秒"}));
  EXPECT_EQ(strip.selected, 1);
  Key(vk::kRight);
  Key(vk::kDelete);  // the last one: the one before it takes the selection
  EXPECT_EQ(strip.selected, 1);
  EXPECT_TRUE(app.messages.Messages().empty());
}

TEST_F(BurstReviewTest, WhatCannotBeMovedOrIsGoneIsToldOnceAndTheStripFollowsTheDisk) {
  const std::vector<ShotFile> files = Burst(3, 3);
  Open(files);
  app.recycle.refusing = {files[0].path, files[5].path};
  app.store.Remove(files[3].path);  // deleted by hand meanwhile
  Key(vk::kSpace);                  // keeps the press frame
  ASSERT_TRUE(app.host.Click(*review, CBurstReview::kRecycleButton));
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                         L"未選択の画像5枚をごみ箱へ移動しますか?",
                         L"ファイルが見つからないため一覧から外しました：C:\\shots\\m03.png",
                         L"ごみ箱へ移動できませんでした：C:\\shots\\m00.png\n(ほか1枚)"}));
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"-0.3秒", L"★押下", L"+0.3秒"}));
  for (const auto& f : {files[0], files[2], files[5]}) EXPECT_TRUE(app.store.Exists(f.path));
}

TEST_F(BurstReviewTest, FilesGoneBeforeItOpensAreLeftOutWithOneMessage) {
  const std::vector<ShotFile> files = Burst(2, 2);
  Open(files, {files[1], files[2]});
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"押下", L"+0.1秒"}));
  EXPECT_EQ(Texts(),
            std::vector<std::wstring>{
                L"ファイルが見つからないため一覧から外しました：C:\\shots\\m00.png\n(ほか1枚)"});
  EXPECT_EQ(strip.selected, 0);
}

TEST_F(BurstReviewTest, EnterOpensTheSelectedFileInTheUsersViewer) {
  const std::vector<ShotFile> files = Burst(2, 2);
  Open(files);
  Key(vk::kReturn, true);
  EXPECT_EQ(app.shell.opened, std::vector<std::wstring>{files[1].path});
  app.shell.openWorks = false;
  Key(vk::kReturn, true);
  EXPECT_EQ(Texts(), std::vector<std::wstring>{L"ファイルを開けませんでした：C:\\shots\\m01.png"});
  app.store.Remove(files[1].path);
  Key(vk::kReturn, true);
  EXPECT_EQ(app.shell.opened.size(), 2u);
  EXPECT_EQ(strip.items.size(), 3u);
  EXPECT_TRUE(review->IsOpen());
}

TEST_F(BurstReviewTest, LaterFilesOfTheShotJoinWithoutMovingTheSelection) {
  const std::vector<ShotFile> files = Burst(2, 3);
  Open({files[1], files[3]});
  Key(vk::kSpace);
  for (const ShotFile& f : files) Put(f.path);
  review->AddFiles(files);
  EXPECT_EQ(Labels(),
            (std::vector<std::wstring>{L"-0.2秒", L"★押下", L"+0.1秒", L"+0.2秒", L"+0.3秒"}));
  EXPECT_EQ(strip.selected, 1);
  ASSERT_TRUE(Settle());
}

TEST_F(BurstReviewTest, EscClosesAndADecodeThatEndsAfterTheWindowPostsNothing) {
  app.decoderShared->Hold();
  Open(Burst(5, 5));
  app.decoderShared->WaitStarted(1);
  Key(vk::kEscape, true);
  EXPECT_FALSE(review->IsOpen());
  EXPECT_EQ(app.filmstrip.detached, 1);
  app.decoderShared->Release();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(app.posterShared->Count(), 0u);
  EXPECT_EQ(app.decoderShared->Decoded().size(), 1u);  // nothing after the one in hand
  review.reset();
}

TEST_F(BurstReviewTest, AFileThatCannotBeDecodedAndIsGoneLeavesTheStrip) {
  const std::vector<ShotFile> files = Burst(2, 2);
  app.decoderShared->undecodable = {files[0].path, files[3].path};
  Open(files);
  app.store.Remove(files[3].path);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Labels(), (std::vector<std::wstring>{L"-0.2秒", L"押下", L"+0.1秒"}));
  EXPECT_EQ(strip.items[0].thumbnailWidth, 0);  // still there, no picture
  EXPECT_EQ(Texts(), std::vector<std::wstring>{
                         L"ファイルが見つからないため一覧から外しました：C:\\shots\\m03.png"});
}

}  // namespace
}  // namespace lorik
