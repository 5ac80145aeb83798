#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "PipelineHarness.h"
#include "core/Text.h"
#include "settings/SaveFolder.h"

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

TEST_F(SaveWorkerTest, WritesAndPublishes) {
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  const auto file = h.files->FileAt(L"D:\\single\\S_090307_046.png");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->bytes, BytesOfGrab(1));
  EXPECT_EQ(h.state->LastSavedFolder(), L"D:\\single");
  EXPECT_EQ(h.state->LastSaved().profileNo, 0);
  EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 46);
  ASSERT_EQ(h.thumbnail->Pictures().size(), 1u);
  EXPECT_EQ(h.thumbnail->Pictures()[0]->Bits()[0], 1);
  EXPECT_EQ(h.messages->Count(), 0u);
  EXPECT_EQ(h.files->FolderCreations(), 1);  // D:\single was missing
}

// Without the disk cache a file reaches the disk before it gets its final
// name, so a power cut cannot leave a zeroed file under that name; with it,
// the system's cache is trusted and nothing is flushed.
TEST_F(SaveWorkerTest, WithoutTheDiskCacheTheFileIsFlushedBeforeItIsNamed) {
  for (const bool diskCache : {false, true}) {
    SCOPED_TRACE(diskCache ? "disk cache" : "no disk cache");
    PipelineHarness h;
    h.records.save.useDiskCache = diskCache;
    h.controller.SyncWorkerSettings();
    ASSERT_TRUE(h.pool.Apply(1, false));
    ASSERT_TRUE(h.saver.Start());
    h.clock.Advance(1);
    h.controller.TakeSingleShot();
    ASSERT_TRUE(h.Drained());
    const std::wstring path = L"D:\\single\\S_090307_046.png";
    const auto file = h.files->FileAt(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->flushes, diskCache ? 0 : 1);
    const std::vector<std::wstring> events = h.files->Events();
    ASSERT_EQ(events.size(), diskCache ? 2u : 3u);
    const std::wstring temporary = events[0].substr(events[0].find(L' ') + 1);
    if (!diskCache) {
      EXPECT_EQ(events[0], L"flush " + temporary);
    }
    EXPECT_EQ(events[events.size() - 2], L"close " + temporary);
    EXPECT_EQ(events.back(), L"rename " + temporary + L" " + path);
  }
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

// Names the file system would alter or swallow are never "saved" into nothing:
// the picture goes to the default folder under a name made fit for it.
TEST_F(SaveWorkerTest, NamesTheFileSystemWouldAlterGoToTheDefaultFolderMadeFit) {
  Start();
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"NUL", L"_NUL.png"},      {L"con", L"_con.png"},        {L"com1", L"_com1.png"},
      {L"lpt9 ", L"_lpt9 .png"},  {L"shot.", L"shot_"},         {L"a:b", L"a_b.png"},
      {L"sub\\AUX\\x", L"x.png"}, {L"sub \\shot", L"shot.png"}, {L"dir.\\shot", L"shot (2).png"}};
  for (const auto& [pattern, saved] : cases) {
    h.records.shot.singleShot.format = pattern;
    Shoot();
    ASSERT_TRUE(h.Drained());
  }
  int grab = 0;
  for (const auto& [pattern, saved] : cases) {
    const auto file =
        h.files->FileAt(std::wstring(PipelineHarness::kDefaultFolder) + L"\\" + saved);
    ASSERT_TRUE(file) << ToUtf8(pattern);
    EXPECT_EQ(file->bytes, BytesOfGrab(++grab)) << ToUtf8(pattern);
  }
  // Only those files, and nothing under the refused names.
  EXPECT_EQ(h.files->Files().size(), std::size(cases));
  EXPECT_EQ(h.state->saveReports.Untold().savedElsewhere, std::size(cases));
}

// Encoder failures cost the frame, with the conversion worker's message; the
// next frame is written and the last-saved values stay at the last success.
TEST_F(SaveWorkerTest, AnEncoderFailureDropsOnlyItsFrame) {
  enum class Way { Fails, Throws, ThrowsOther };
  for (const Way way : {Way::Fails, Way::Throws, Way::ThrowsOther}) {
    SCOPED_TRACE(static_cast<int>(way));
    PipelineHarness h;
    ASSERT_TRUE(h.pool.Apply(1, false));
    ASSERT_TRUE(h.saver.Start());
    h.encoder->throws = way != Way::Fails;
    h.encoder->throwsOther = way == Way::ThrowsOther;
    h.encoder->SetFailIf([](const Picture& p) { return p.Bits()[0] == 2; });
    for (int i = 0; i < 3; ++i) {
      h.clock.Advance(1);
      h.controller.TakeSingleShot();
      ASSERT_TRUE(h.Drained());
      if (i == 1) {
        EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 46);
        EXPECT_EQ(h.thumbnail->Pictures().size(), 1u);
      }
    }
    EXPECT_TRUE(h.files->FileAt(L"D:\\single\\S_090307_046.png"));
    EXPECT_FALSE(h.files->FileAt(L"D:\\single\\S_090307_047.png"));
    EXPECT_TRUE(h.files->FileAt(L"D:\\single\\S_090307_048.png"));
    EXPECT_EQ(h.state->LastSaved().captureTime.milliseconds, 48);
    EXPECT_EQ(
        h.messages->Messages(),
        (std::vector<FakeMessageBox::Shown>{
            {L"画像の生成に失敗しました: D:\\single\\S_090307_047.png", L"", mb::kIconError}}));
  }
}

// Whatever a write throws, std::exception or not, costs only that frame,
// which is told as lost; the worker goes on with the next.
TEST_F(SaveWorkerTest, AnythingThrownWhileWritingCostsOnlyThatFrame) {
  std::atomic<bool> throwing{true};
  h.files->SetOnWrite([&](const std::wstring&) {
    if (throwing.exchange(false)) throw 42;
  });
  Start();
  Shoot();
  ASSERT_TRUE(h.Drained());
  Shoot();
  ASSERT_TRUE(h.Drained());
  EXPECT_FALSE(h.files->FileAt(L"D:\\single\\S_090307_046.png"));
  EXPECT_TRUE(h.files->FileAt(L"D:\\single\\S_090307_047.png"));
  EXPECT_EQ(h.state->saveReports.Untold().lost, 1u);
  EXPECT_EQ(h.state->Unsettled(), 0u);
}

// A burst of four single shots into a folder that fails, as the user meets it:
// where each frame ends, that each is accounted for once, and which messages
// open. The first failing frame opens one message; the frames that fail while
// it is open (the window's thread gets the worker's posts inside the box's
// loop) open nothing and are counted in one follow-up when it closes.
struct FallbackCase {
  const char* name;
  std::wstring folder;  // the single shot's folder field
  std::wstring format;  // its pattern
  std::function<void(PipelineHarness&)> arrange;
  std::wstring causeLine;  // the first line of both messages; empty: no message
  int writtenInPlace;      // frames written where they were asked
};

class FallbackTest : public SaveWorkerTest,
                     public ::testing::WithParamInterface<std::tuple<FallbackCase, bool>> {};

TEST_P(FallbackTest, EveryFrameIsWrittenOrToldOnceWithOneMessageAndOneFollowUp) {
  const auto& [c, defaultWorks] = GetParam();
  const std::wstring defaultFolder = PipelineHarness::kDefaultFolder;
  constexpr int kFrames = 4;
  h.records.shot.singleShot.folder = c.folder;
  h.records.shot.singleShot.format = c.format;
  c.arrange(h);
  if (!defaultWorks) h.files->FailFolder(defaultFolder);
  Start();

  int shot = 0;
  bool boxOpen = false;
  h.messages->SetWhileOpen([&](const FakeMessageBox::Shown&) {
    if (boxOpen) return;
    boxOpen = true;
    // The rest of the burst fails while the first message is open.
    while (shot < kFrames) {
      ++shot;
      Shoot();
      ASSERT_TRUE(h.Drained());
      h.ShowReports();  // the worker's post, dispatched by the box's loop
    }
  });
  while (shot < kFrames) {
    ++shot;
    Shoot();
    ASSERT_TRUE(h.Drained());
    h.ShowReports();
  }

  const int failing = kFrames - c.writtenInPlace;
  int inPlace = 0;
  int inDefault = 0;
  for (const auto& [path, file] : h.files->Files()) {
    EXPECT_EQ(path.find(L"~lorik"), std::wstring::npos) << ToUtf8(path);
    if (path == c.folder) continue;  // the file that stands where the folder should
    ++(path.starts_with(defaultFolder + L"\\") ? inDefault : inPlace);
  }
  // An empty folder asks for the default folder itself.
  const bool asksDefault = c.folder.empty();
  EXPECT_EQ(inPlace, asksDefault ? 0 : c.writtenInPlace);
  EXPECT_EQ(inDefault, !defaultWorks ? 0 : asksDefault ? kFrames : failing);
  EXPECT_EQ(static_cast<int>(h.thumbnail->Pictures().size()), inPlace + inDefault);
  EXPECT_EQ(h.state->Unsettled(), 0u);
  EXPECT_EQ(h.state->saveReports.Untold().lost + h.state->saveReports.Untold().savedElsewhere, 0u);

  if (c.causeLine.empty() && defaultWorks) {
    EXPECT_EQ(h.messages->Count(), 0u);
    return;
  }
  // The empty folder is the default folder: when that fails there is no other.
  const std::wstring causeLine =
      c.causeLine.empty() ? L"フォルダの作成に失敗しました：" + defaultFolder : c.causeLine;
  const int first = 1;
  const int more = failing - first;
  const std::wstring told = defaultWorks
                                ? L"\n画像1枚を既定の保存先に保存しました：" + defaultFolder
                                : std::wstring(L"\n画像1枚は保存できませんでした");
  const std::wstring followUp =
      defaultWorks
          ? L"\nさらに画像" + std::to_wstring(more) + L"枚を" + defaultFolder + L"に保存しました"
          : L"\nさらに画像" + std::to_wstring(more) + L"枚は保存できませんでした";
  std::vector<FakeMessageBox::Shown> expected{{causeLine + told, L"Lorik", mb::kIconError}};
  if (more > 0) expected.push_back({causeLine + followUp, L"Lorik", mb::kIconError});
  EXPECT_EQ(h.messages->Messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, FallbackTest,
    ::testing::
        Combine(::testing::Values(
                    FallbackCase{"EmptyFolder", L"", L"S_%time%_%ms%", [](PipelineHarness&) {}, L"",
                                 0},
                    FallbackCase{"FolderCannotBeCreated", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) { h.files->FailFolder(L"D:\\other"); },
                                 L"フォルダの作成に失敗しました：D:\\other", 0},
                    FallbackCase{"FolderIsAFile", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) { h.files->CreateNew(L"D:\\other"); },
                                 L"フォルダの作成に失敗しました：D:\\other", 0},
                    FallbackCase{"FileCannotBeCreated", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) {
                                   h.files->AddFolder(L"D:\\other");
                                   for (int ms = 46; ms < 50; ++ms)
                                     h.files->FailCreate(L"D:\\other\\S_090307_0" +
                                                         std::to_wstring(ms) + L".png");
                                 },
                                 L"ファイルの保存に失敗しました：D:\\other\\S_090307_046.png", 0},
                    FallbackCase{"HalfWritten", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) {
                                   h.files->AddFolder(L"D:\\other");
                                   h.files->FailWritesIn(L"D:\\other");
                                 },
                                 L"ファイルの保存に失敗しました：D:\\other\\S_090307_046.png", 0},
                    FallbackCase{"DiskFullMidBurst", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) {
                                   h.files->AddFolder(L"D:\\other");
                                   h.files->FailWritesIn(L"D:\\other", 2);
                                 },
                                 L"ファイルの保存に失敗しました：D:\\other\\S_090307_048.png", 2},
                    FallbackCase{"FlushFails", L"D:\\other", L"S_%time%_%ms%",
                                 [](PipelineHarness& h) {
                                   h.records.save.useDiskCache = false;
                                   h.controller.SyncWorkerSettings();
                                   h.files->AddFolder(L"D:\\other");
                                   h.files->FailFlushesIn(L"D:\\other");
                                 },
                                 L"ファイルの保存に失敗しました：D:\\other\\S_090307_046.png", 0},
                    FallbackCase{"RefusedName", L"D:\\other", L"S_%time%:%ms%",
                                 [](PipelineHarness&) {},
                                 L"ファイルの保存に失敗しました：D:\\other\\S_090307:046.png", 0},
                    FallbackCase{"PathTooLong", L"D:\\" + std::wstring(300, L'a'), L"S_%time%_%ms%",
                                 [](PipelineHarness&) {},
                                 L"保存先のパスが長すぎます：D:\\" + std::wstring(300, L'a') +
                                     L"\\S_090307_046.png",
                                 0}),
                ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "_DefaultWorks" : "_DefaultFails");
    });

// The worker writes the file and gives it its name outside the lock that the
// capture tick takes for every frame it queues: a rename that hangs (a slow
// network folder) must not hold up the capture or the hotkeys.
TEST_F(SaveWorkerTest, AHangingRenameDoesNotHoldUpTheCapture) {
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> first{true};
  h.files->SetOnRename([&](const std::wstring&) {
    if (first.exchange(false)) {
      entered.set_value();
      released.wait();
    }
  });
  Start();
  Shoot();
  entered.get_future().wait();
  auto queued = std::async(std::launch::async, [&] {
    Shoot();
    h.Tick();
  });
  const bool done = queued.wait_for(5s) == std::future_status::ready;
  release.set_value();
  queued.wait();
  EXPECT_TRUE(done) << "the capture waited for the rename";
  ASSERT_TRUE(h.Drained());
  EXPECT_EQ(h.files->Files().size(), 2u);
}

// The exit waits a little for a frame that is being named, and counts it as
// not saved when the rename outlasts that wait; either way it is counted once.
TEST_F(SaveWorkerTest, AFrameInFlightAtExitIsCountedOnce) {
  for (const bool hangs : {false, true}) {
    SCOPED_TRACE(hangs ? "rename outlasts the exit's wait" : "rename ends in the wait");
    PipelineHarness h;
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    h.files->SetOnRename([&](const std::wstring&) {
      entered.set_value();
      if (hangs) {
        released.wait();
      } else {
        std::this_thread::sleep_for(20ms);
      }
    });
    ASSERT_TRUE(h.pool.Apply(1, false));
    ASSERT_TRUE(h.saver.Start());
    h.clock.Advance(1);
    h.controller.TakeSingleShot();
    entered.get_future().wait();
    const uint32_t counted = h.state->CloseForExit(hangs ? 50ms : 5s);
    if (!hangs) release.set_value();
    EXPECT_EQ(counted, hangs ? 1u : 0u);
    if (hangs) release.set_value();
    ASSERT_TRUE(h.Drained());
    // Whatever became of it, nothing more is said of it.
    EXPECT_EQ(h.state->saveReports.Untold().lost, 0u);
    EXPECT_EQ(h.messages->Count(), 0u);
  }
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

// An exception that escapes a worker's loop never ends the process: it is
// traced each time, said once, and the loop runs again.
TEST(WorkerLoopTest, AnEscapingExceptionIsToldOnceAndTheLoopGoesOn) {
  PipelineHarness h;
  int runs = 0;
  RunWorkerLoop(*h.state, "Save", [&] {
    if (++runs < 3) throw std::runtime_error("lost lock");
  });
  EXPECT_EQ(runs, 3);
  EXPECT_EQ(h.trace->Count("Save thread caught an exception.\n"), 2u);
  EXPECT_EQ(h.messages->Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"保存スレッドで予期しないエラーが発生しました", L"Lorik", mb::kIconError}}));
}

}  // namespace
}  // namespace lorik
