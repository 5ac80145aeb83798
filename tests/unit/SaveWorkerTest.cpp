#include <gtest/gtest.h>

#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "PipelineHarness.h"
#include "core/Text.h"

namespace lorik {
namespace {

using namespace std::chrono_literals;

// The whole pipeline on fakes: single shots go through one conversion worker
// and the save worker. The clock starts at 2018-07-05 09:03:07.045.
class SaveWorkerTest : public ::testing::Test {
 protected:
  void Start() {
    ASSERT_TRUE(h.pool.Apply(1, false));
    ASSERT_TRUE(h.saver.Start());
  }
  // One single shot, the clock having moved `ms` first.
  void Shoot(uint64_t ms = 1) {
    h.clock.Advance(ms);
    h.controller.TakeSingleShot();
  }
  std::vector<uint8_t> BytesOfGrab(int grabNo) {
    return {4, static_cast<uint8_t>(grabNo), 4, 3};  // png of the 4 x 3 test picture
  }

  PipelineHarness h;
};

TEST_F(SaveWorkerTest, WritesCommitsAndPublishes) {
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  const auto file = h.files->FileAt(L"D:\\single\\S_090307_046.png");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->bytes, BytesOfGrab(1));
  EXPECT_EQ(file->commits, 1);
  EXPECT_EQ(h.state->LastSavedFolder(), L"D:\\single");
  EXPECT_EQ(h.state->LastSaved().profileNo, 0);
  EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 46);
  ASSERT_EQ(h.thumbnail->Pictures().size(), 1u);
  EXPECT_EQ(h.thumbnail->Pictures()[0]->Bits()[0], 1);
  EXPECT_EQ(h.messages->Count(), 0u);
  EXPECT_EQ(h.files->FolderCreations(), 1);  // D:\single was missing
}

TEST_F(SaveWorkerTest, WithoutDiskCacheNothingIsCommitted) {
  h.records.save.useDiskCache = false;
  h.controller.SyncWorkerSettings();
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  const auto file = h.files->FileAt(L"D:\\single\\S_090307_046.png");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->commits, 0);
}

TEST_F(SaveWorkerTest, SubfoldersOfThePatternAreCreatedOnFirstUseOnly) {
  h.records.shot.singleShot.format = L"%sdate%\\deep\\s_%ms%";
  Start();
  Shoot();
  Shoot();
  ASSERT_TRUE(h.Drained());
  EXPECT_TRUE(h.files->HasFolder(L"D:\\single\\20180705\\deep"));
  EXPECT_TRUE(h.files->FileAt(L"D:\\single\\20180705\\deep\\s_046.png"));
  EXPECT_TRUE(h.files->FileAt(L"D:\\single\\20180705\\deep\\s_047.png"));
  EXPECT_EQ(h.files->FolderCreations(), 1);
}

TEST_F(SaveWorkerTest, AFrameNeverReplacesAnotherOfTheSameName) {
  h.records.shot.singleShot.format = L"same";
  Start();
  for (int i = 0; i < 3; ++i) Shoot();
  ASSERT_TRUE(h.Drained());
  const std::pair<std::wstring, int> saved[] = {{L"D:\\single\\same.png", 1},
                                                {L"D:\\single\\same (2).png", 2},
                                                {L"D:\\single\\same (3).png", 3}};
  for (const auto& [path, grab] : saved) {
    const auto file = h.files->FileAt(path);
    ASSERT_TRUE(file) << ToUtf8(path);
    EXPECT_EQ(file->bytes, BytesOfGrab(grab));
  }
  EXPECT_EQ(h.files->Files().size(), 3u);  // no temporary file stays
  EXPECT_EQ(h.messages->Count(), 0u);
}

// Folders may be written with either separator, with or without a trailing one.
TEST_F(SaveWorkerTest, FoldersSpeltWithEitherSeparatorAllSave) {
  Start();
  const std::wstring folders[] = {L"D:/shots/", L"D:\\shots/", L"D:/shots", L"D:\\shots\\",
                                  L"D:\\shots"};
  for (const std::wstring& folder : folders) {
    h.records.shot.singleShot.folder = folder;
    h.records.shot.singleShot.format = L"%msnz%";
    Shoot();
  }
  ASSERT_TRUE(h.Drained());
  EXPECT_EQ(h.messages->Count(), 0u);
  for (const char* name : {"46", "47", "48", "49", "50"}) {
    EXPECT_TRUE(h.files->FileAt(L"D:\\shots\\" + std::wstring(name, name + 2) + L".png")) << name;
  }
}

// Names the file system would alter or swallow are refused, not "saved" into nothing.
TEST_F(SaveWorkerTest, NamesTheFileSystemWouldAlterAreRefused) {
  Start();
  const std::wstring patterns[] = {L"NUL",   L"con",   L"sub\\AUX\\x", L"com1",
                                   L"lpt9 ", L"shot.", L"sub \\shot",  L"dir.\\shot"};
  for (const std::wstring& pattern : patterns) {
    h.records.shot.singleShot.format = pattern;
    Shoot();
  }
  ASSERT_TRUE(h.Drained());
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() == 8; }));
  for (const auto& shown : h.messages->Messages())
    EXPECT_TRUE(shown.text.starts_with(L"ファイルの保存に失敗しました：D:\\single\\"))
        << ToUtf8(shown.text);
  EXPECT_TRUE(h.files->Files().empty());
}

// Each failure: exactly one message, only that frame dropped, the next one
// written, and the last-saved values left at the previous success. The failing
// frame goes to D:\other, the others to D:\single.
struct WriteFailureCase {
  const char* name;
  std::function<void(PipelineHarness&)> arrange;  // makes frames for D:\other fail
  FakeMessageBox::Shown message;
  bool folderPublished;  // lastSavedFolder moved to D:\other
};

class WriteFailureTest : public SaveWorkerTest,
                         public ::testing::WithParamInterface<WriteFailureCase> {};

TEST_P(WriteFailureTest, DropsOnlyTheFailingFrame) {
  const WriteFailureCase& c = GetParam();
  const std::wstring failingPath = L"D:\\other\\S_090307_047.png";
  Start();
  Shoot();  // 046 is written
  ASSERT_TRUE(h.Drained());

  c.arrange(h);
  h.records.shot.singleShot.folder = L"D:\\other";
  Shoot();  // 047 fails
  h.records.shot.singleShot.folder = L"D:\\single";
  ASSERT_TRUE(h.Drained());
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() >= 1; }));
  EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 46);
  EXPECT_EQ(h.state->LastSavedFolder(), c.folderPublished ? L"D:\\other" : L"D:\\single");
  EXPECT_EQ(h.thumbnail->Pictures().size(), 1u);
  // Nothing stays in the folder: no part of the picture, under any name.
  for (const auto& [path, file] : h.files->Files())
    EXPECT_FALSE(path.starts_with(L"D:\\other\\")) << ToUtf8(path);

  Shoot();  // 048 is written
  ASSERT_TRUE(h.Drained());
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.thumbnail->Pictures().size() == 2; }));
  const auto next = h.files->FileAt(L"D:\\single\\S_090307_048.png");
  ASSERT_TRUE(next);
  EXPECT_EQ(next->bytes, BytesOfGrab(3));
  EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 48);
  EXPECT_EQ(h.messages->Messages(), (std::vector<FakeMessageBox::Shown>{c.message}));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WriteFailureTest,
    ::testing::Values(
        WriteFailureCase{
            "EncoderFails",
            [](PipelineHarness& h) {
              h.encoder->SetFailIf([](const Picture& p) { return p.Bits()[0] == 2; });
            },
            {L"画像の生成に失敗しました: D:\\other\\S_090307_047.png", L"", mb::kIconError},
            false},
        WriteFailureCase{
            "EncoderThrows",
            [](PipelineHarness& h) {
              h.encoder->throws = true;
              h.encoder->SetFailIf([](const Picture& p) { return p.Bits()[0] == 2; });
            },
            {L"画像の生成に失敗しました: D:\\other\\S_090307_047.png", L"", mb::kIconError},
            false},
        WriteFailureCase{"WriteThrows",
                         [](PipelineHarness& h) {
                           h.files->AddFolder(L"D:\\other");
                           h.files->SetOnWrite([](const std::wstring& path) {
                             if (path.starts_with(L"D:\\other\\")) throw std::bad_alloc();
                           });
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true},
        WriteFailureCase{"FolderCannotBeCreated",
                         [](PipelineHarness& h) { h.files->FailFolder(L"D:\\other"); },
                         {L"フォルダの作成に失敗しました：D:\\other", L"Lorik", mb::kIconError},
                         false},
        WriteFailureCase{"FileCannotBeCreated",
                         [](PipelineHarness& h) {
                           h.files->AddFolder(L"D:\\other");
                           h.files->FailCreate(L"D:\\other\\S_090307_047.png");
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true},
        WriteFailureCase{"FolderPartIsAFile",
                         [](PipelineHarness& h) {
                           h.files->CreateNew(L"D:\\other");  // a file where the folder should be
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true},
        WriteFailureCase{"WriteFailsHalfway",
                         [](PipelineHarness& h) {
                           h.files->AddFolder(L"D:\\other");
                           h.files->FailWritesIn(L"D:\\other");
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true},
        WriteFailureCase{"CommitFails",
                         [](PipelineHarness& h) {
                           h.files->AddFolder(L"D:\\other");
                           h.files->FailCommitsIn(L"D:\\other");
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true},
        WriteFailureCase{"CloseFails",
                         [](PipelineHarness& h) {
                           h.files->AddFolder(L"D:\\other");
                           h.files->FailClosesIn(L"D:\\other");
                         },
                         {L"ファイルの保存に失敗しました：D:\\other\\S_090307_047.png", L"Lorik",
                          mb::kIconError},
                         true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveWorkerTest, EmptyFolderIsReportedAsAFolderFailure) {
  h.records.shot.singleShot.folder = L"";
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() == 1; }));
  EXPECT_EQ(h.messages->Messages()[0].text, L"フォルダの作成に失敗しました：");
  EXPECT_TRUE(h.files->Files().empty());
}

TEST_F(SaveWorkerTest, PathTooLongIsRefusedWithItsOwnMessage) {
  h.records.shot.singleShot.folder = L"D:\\" + std::wstring(300, L'a');
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return h.messages->Count() == 1; }));
  const auto shown = h.messages->Messages()[0];
  EXPECT_TRUE(shown.text.starts_with(L"保存先のパスが長すぎます：D:\\aaaa")) << shown.text.size();
  EXPECT_EQ(shown.caption, L"Lorik");
  EXPECT_TRUE(h.files->Files().empty());
  EXPECT_EQ(h.files->FolderCreations(), 0);
}

TEST_F(SaveWorkerTest, StartAndStopTrace) {
  Start();
  ASSERT_TRUE(
      PipelineHarness::WaitUntil([&] { return h.trace->Count("Save thread started.\n") == 1; }));
  EXPECT_EQ(h.trace->Count("Starting save thread...\n"), 1u);
  EXPECT_EQ(h.trace->Count("All save thread has started successfully.\n"), 1u);
  h.saver.Stop();
  EXPECT_EQ(h.trace->Count("Stopping save thread...\n"), 1u);
  EXPECT_EQ(h.trace->Count("Save thread stopped.\n"), 1u);
  EXPECT_EQ(h.trace->Lines().back(), "All save thread stopped.\n");
}

TEST(SaveWorkerStartTest, AThreadThatCannotStartIsReported) {
  PipelineHarness h;
  SaveWorker saver(h.state, [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  });
  EXPECT_FALSE(saver.Start());
  EXPECT_EQ(h.messages->Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"保存スレッドの開始に失敗しました。終了します。", L"", mb::kOk}}));
  EXPECT_FALSE(saver.Started());
}

// Closing while frames wait writes the frame being written and nothing after
// it, and every queued picture is released with the last share of the state.
TEST(PipelineShutdownTest, QueuedFramesAreNotWrittenAndAreReleased) {
  std::weak_ptr<PipelineState> state;
  std::vector<std::weak_ptr<const Picture>> pictures;
  std::shared_ptr<FakeFileStore> files;
  {
    PipelineHarness h;
    files = h.files;
    state = h.state;
    h.encoder->cost = 2ms;
    ASSERT_TRUE(h.pool.Apply(2, false));
    ASSERT_TRUE(h.saver.Start());
    std::atomic<int> writes{0};
    h.files->SetOnWrite([&](const std::wstring&) {
      ++writes;
      std::this_thread::sleep_for(5ms);
    });
    for (int i = 0; i < 40; ++i) {
      h.clock.Advance(1);
      h.controller.TakeSingleShot();
      std::lock_guard lock(h.state->conversionLock);
      pictures.push_back(
          h.state->conversionBuffer.empty()
              ? std::weak_ptr<const Picture>()
              : std::weak_ptr<const Picture>(h.state->conversionBuffer.front().picture));
    }
    ASSERT_TRUE(PipelineHarness::WaitUntil([&] { return writes.load() >= 2; }));
    h.pool.Stop();
    h.saver.Stop();
    const size_t written = h.files->Files().size();
    EXPECT_GT(h.state->conversionCount.load() + h.state->saveCount.load(), 0u);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(h.files->Files().size(), written);
    EXPECT_LT(written, 40u);
    EXPECT_EQ(h.trace->Count("Conv thread stopped.\n"), 2u);
    EXPECT_EQ(h.trace->Count("Save thread stopped.\n"), 1u);
    h.files->SetOnWrite(nullptr);
  }
  EXPECT_TRUE(state.expired());
  for (const auto& p : pictures) EXPECT_TRUE(p.expired());
}

}  // namespace
}  // namespace lorik
