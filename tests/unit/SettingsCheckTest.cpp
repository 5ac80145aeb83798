#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Text.h"
#include "fakes/FakeFileStore.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeSystem.h"
#include "settings/SettingsCheck.h"

namespace lorik {
namespace {

constexpr std::wstring_view kCaption = L"Lorik設定チェック結果";
constexpr unsigned kIconHand = 0x10;  // MB_ICONHAND with MB_OK

const std::wstring kNoTarget = L"キャプチャ対象ウィンドウが設定されていません";
const std::wstring kPeriod = L"キャプチャ設定の取込周期は10ms以上としてください";
const std::wstring kSingleFormat =
    L"シングルショット撮影時のファイル名フォーマットを設定してください";
const std::wstring kF12 = L"ショートカットキーにF12を割り当てることはできません";
const std::wstring kMultiFormat =
    L"マルチショット撮影時のファイル名フォーマットをを設定してください";
const std::wstring kConvBuffBefore =
    L"保存設定の変換バッファ枚数は押下前の保存枚数以上にしてください";
const std::wstring kConvBuffOne = L"保存設定の変換バッファ枚数は1以上に設定してください";
const std::wstring kSaveBuffBefore =
    L"保存設定の保存バッファ枚数は押下前の保存枚数以上にしてください";
const std::wstring kSaveBuffOne = L"保存設定の保存バッファ枚数は1以上に設定してください";
const std::wstring kThreads = L"保存設定のスレッド数は1以上としてください";
const std::wstring kImageType = L"保存設定の画像タイプを再設定してください";
const std::wstring kBitDepth = L"保存設定のビット深度を再設定してください";
const std::wstring kNoArea = L"キャプチャ設定の領域の幅と高さは1以上としてください";

std::wstring AreaTooLarge(const std::wstring& width, const std::wstring& height) {
  return L"キャプチャ設定の領域が大きすぎます（幅" + width + L"、高さ" + height + L"）";
}
std::wstring NoMemory(const std::wstring& neededMb, const std::wstring& availableMb) {
  return L"保存設定のバッファに必要なメモリ（" + neededMb + L"MB）が空きメモリ（" + availableMb +
         L"MB）を超えています。バッファ枚数か押下前の保存枚数を減らしてください";
}

std::wstring Collision(const std::wstring& no) {
  return L"マルチショット" + no + L"のショートカットキーが他と重複しています";
}
std::wstring NoFrames(const std::wstring& no) {
  return L"マルチショット設定" + no +
         L"の押下前保存枚数、押下後保存枚数のいずれかは1以上にしてください";
}

MultiShotProfile Profile(uint16_t virtualKey, uint16_t modifier, int32_t before, int32_t after) {
  MultiShotProfile profile;
  profile.virtualKey = virtualKey;
  profile.modifier = modifier;
  profile.format = L"Lk_%date%_%time%_%ms%";
  profile.numberOfSavedImageBeforeHotkey = before;
  profile.numberOfSavedImageAfterHotkey = after;
  return profile;
}

// An accepted set: Ctrl+Alt+S single shot, profile 1 on Ctrl+Alt+1, profiles 2
// and 3 without a hotkey, as a fresh file gives them.
SettingsRecords ValidRecords() {
  SettingsRecords records;
  records.capture.targetWindow = WindowHandle{0x1234};
  records.capture.periodBetweenEachCapture = 100;
  records.capture.captureArea = {0, 0, 1200, 720};
  records.shot.singleShot.virtualKey = 83;
  records.shot.singleShot.modifier = 3;
  records.shot.singleShot.format = L"Lk_%date%_%time%_%ms%";
  records.shot.multiShots = {Profile(49, 3, 10, 10), Profile(0, 0, 10, 10), Profile(0, 0, 10, 10)};
  records.general.maximumMultiShotNo = 3;
  records.save.imageType = 4;
  records.save.imageBitDepth = 24;
  records.save.conversionBuffSize = 50;
  records.save.conversionThreadNumber = 2;
  records.save.saveBuffSize = 128;
  return records;
}

void SetAllBefore(SettingsRecords& r, int32_t before) {
  for (MultiShotProfile& profile : r.shot.multiShots)
    profile.numberOfSavedImageBeforeHotkey = before;
}

struct Case {
  const char* name;
  std::function<void(SettingsRecords&)> change;
  std::optional<std::wstring> expected;  // nullopt: the set is accepted
};

const std::vector<Case>& Cases() {
  using R = SettingsRecords&;
  static const std::vector<Case> cases = {
      {"valid base", [](R) {}, std::nullopt},

      // Target window.
      {"no target, no re-search", [](R r) { r.capture.targetWindow = {}; }, kNoTarget},
      {"no target, re-search on",
       [](R r) {
         r.capture.targetWindow = {};
         r.capture.automaticallyRecaptureAfterLost = true;
       },
       std::nullopt},

      // Capture period, unsigned.
      {"period 9", [](R r) { r.capture.periodBetweenEachCapture = 9; }, kPeriod},
      {"period 0", [](R r) { r.capture.periodBetweenEachCapture = 0; }, kPeriod},
      {"period 10", [](R r) { r.capture.periodBetweenEachCapture = 10; }, std::nullopt},
      {"period -1 from the file reads as the largest unsigned value",
       [](R r) { r.capture.periodBetweenEachCapture = static_cast<uint32_t>(-1); }, std::nullopt},

      // Capture area: it must have a size and fit one bitmap of at most 2 GiB.
      {"area of width 0 takes the target's width", [](R r) { r.capture.captureArea.right = 0; },
       std::nullopt},
      {"area of width 0 without a target",
       [](R r) {
         r.capture.captureArea.right = 0;
         r.capture.targetWindow = {};
         r.capture.automaticallyRecaptureAfterLost = true;
       },
       kNoArea},
      {"area of height 0 without a target",
       [](R r) {
         r.capture.captureArea.bottom = 0;
         r.capture.targetWindow = {};
         r.capture.automaticallyRecaptureAfterLost = true;
       },
       kNoArea},
      {"area of negative height with a target", [](R r) { r.capture.captureArea.bottom = -1; },
       kNoArea},
      {"area of negative width",
       [](R r) {
         r.capture.captureArea = {100, 0, 40, 720};
       },
       kNoArea},
      {"area is checked before the single shot",
       [](R r) {
         r.capture.captureArea = {0, 0, -10, 0};
         r.shot.singleShot.format.clear();
       },
       kNoArea},
      {"edges whose distance overflows 32 bits",
       [](R r) {
         r.capture.captureArea = {-2000000000, 0, 2000000000, 10};
       },
       AreaTooLarge(L"4000000000", L"10")},
      {"area of 50000 by 50000",
       [](R r) {
         r.capture.captureArea = {0, 0, 50000, 50000};
       },
       AreaTooLarge(L"50000", L"50000")},
      // 2^29 pixels in one row: 1.5 GiB at 24 bits, 2 GiB at 32.
      {"row of 2^29 pixels at 32 bits",
       [](R r) {
         r.capture.captureArea = {0, 0, 536870912, 1};
         r.save.imageBitDepth = 32;
       },
       AreaTooLarge(L"536870912", L"1")},
      {"row of 2^29 pixels at 24 bits fits one bitmap but not 208 frames in 8 GiB",
       [](R r) {
         r.capture.captureArea = {0, 0, 536870912, 1};
       },
       NoMemory(L"319488", L"8192")},

      // Single shot.
      {"single shot with a key and no pattern", [](R r) { r.shot.singleShot.format.clear(); },
       kSingleFormat},
      {"single shot without a key and no pattern",
       [](R r) {
         r.shot.singleShot.virtualKey = 0;
         r.shot.singleShot.format.clear();
       },
       std::nullopt},
      {"single shot on bare F12",
       [](R r) {
         r.shot.singleShot.virtualKey = 123;
         r.shot.singleShot.modifier = 0;
       },
       kF12},
      {"single shot on Ctrl+F12",
       [](R r) {
         r.shot.singleShot.virtualKey = 123;
         r.shot.singleShot.modifier = 2;
       },
       std::nullopt},
      {"single shot on bare F11", [](R r) { r.shot.singleShot = Profile(122, 0, 0, 0); },
       std::nullopt},
      {"single-shot pattern is checked before F12",
       [](R r) {
         r.shot.singleShot.virtualKey = 123;
         r.shot.singleShot.modifier = 0;
         r.shot.singleShot.format.clear();
       },
       kSingleFormat},

      // Multi-shot hotkeys.
      {"profile with a key and no pattern", [](R r) { r.shot.multiShots[0].format.clear(); },
       kMultiFormat},
      {"profile without a key and no pattern", [](R r) { r.shot.multiShots[1].format.clear(); },
       std::nullopt},
      {"profile on bare F12", [](R r) { r.shot.multiShots[2] = Profile(123, 0, 1, 1); }, kF12},
      {"profile on Shift+F12", [](R r) { r.shot.multiShots[2] = Profile(123, 4, 1, 1); },
       std::nullopt},
      {"profile pattern is checked before F12",
       [](R r) {
         r.shot.multiShots[2] = Profile(123, 0, 1, 1);
         r.shot.multiShots[2].format.clear();
       },
       kMultiFormat},
      {"profile on the single-shot key with other modifiers",
       [](R r) { r.shot.multiShots[1] = Profile(83, 4, 1, 1); }, Collision(L"02")},
      {"two profiles on one key with different modifiers",
       [](R r) { r.shot.multiShots[2] = Profile(49, 6, 1, 1); }, Collision(L"03")},
      {"bare F12 twice is the F12 message, not the collision",
       [](R r) {
         r.shot.multiShots[1] = Profile(123, 0, 1, 1);
         r.shot.multiShots[2] = Profile(123, 0, 1, 1);
       },
       kF12},
      {"single shot without a key never collides with a profile without one",
       [](R r) { r.shot.singleShot.virtualKey = 0; }, std::nullopt},
      {"distinct keys on every profile",
       [](R r) {
         r.shot.multiShots[1] = Profile(50, 3, 1, 1);
         r.shot.multiShots[2] = Profile(51, 3, 1, 1);
       },
       std::nullopt},
      {"collision of profile 12 is numbered with two digits",
       [](R r) {
         r.shot.multiShots.resize(12);
         r.general.maximumMultiShotNo = 12;
         r.shot.multiShots[11] = Profile(83, 0, 1, 1);
       },
       Collision(L"12")},

      // Buffer sizes against the largest before count (10 in the base set).
      {"conversion buffer 9", [](R r) { r.save.conversionBuffSize = 9; }, kConvBuffBefore},
      {"conversion buffer 10", [](R r) { r.save.conversionBuffSize = 10; }, std::nullopt},
      {"conversion buffer 0 below before 10 is not the zero message",
       [](R r) { r.save.conversionBuffSize = 0; }, kConvBuffBefore},
      {"before count of a profile without a key still counts",
       [](R r) { r.shot.multiShots[2].numberOfSavedImageBeforeHotkey = 51; }, kConvBuffBefore},
      {"before count of a profile without a key at the buffer size",
       [](R r) { r.shot.multiShots[2].numberOfSavedImageBeforeHotkey = 50; }, std::nullopt},
      {"conversion buffer -1 is below 0 (signed)",
       [](R r) {
         SetAllBefore(r, 0);
         r.save.conversionBuffSize = -1;
       },
       kConvBuffBefore},
      {"conversion buffer 0 with all before counts 0",
       [](R r) {
         SetAllBefore(r, 0);
         r.save.conversionBuffSize = 0;
       },
       kConvBuffOne},
      {"negative before counts give a minimum of 0",
       [](R r) {
         SetAllBefore(r, -5);
         r.save.conversionBuffSize = 0;
       },
       kConvBuffOne},
      {"conversion buffer 1 with all before counts 0",
       [](R r) {
         SetAllBefore(r, 0);
         r.save.conversionBuffSize = 1;
         r.save.saveBuffSize = 1;
       },
       std::nullopt},
      {"save buffer 9", [](R r) { r.save.saveBuffSize = 9; }, kSaveBuffBefore},
      {"save buffer 10", [](R r) { r.save.saveBuffSize = 10; }, std::nullopt},
      {"save buffer 0 with before 10", [](R r) { r.save.saveBuffSize = 0; }, kSaveBuffBefore},
      {"save buffer 0 with all before counts 0",
       [](R r) {
         SetAllBefore(r, 0);
         r.save.saveBuffSize = 0;
       },
       kSaveBuffOne},
      {"save buffer -1 is below 0 (signed)",
       [](R r) {
         SetAllBefore(r, 0);
         r.save.saveBuffSize = -1;
       },
       kSaveBuffBefore},

      // Conversion workers, signed.
      {"threads 0", [](R r) { r.save.conversionThreadNumber = 0; }, kThreads},
      {"threads -1", [](R r) { r.save.conversionThreadNumber = -1; }, kThreads},
      {"threads 1", [](R r) { r.save.conversionThreadNumber = 1; }, std::nullopt},

      // Frame counts of hotkey profiles.
      {"profile 1 saves no frame",
       [](R r) {
         r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = 0;
         r.shot.multiShots[0].numberOfSavedImageAfterHotkey = 0;
       },
       NoFrames(L"01")},
      {"profile 3 with a key saves no frame",
       [](R r) { r.shot.multiShots[2] = Profile(51, 3, 0, 0); }, NoFrames(L"03")},
      {"profile without a key saves no frame",
       [](R r) { r.shot.multiShots[1] = Profile(0, 0, 0, 0); }, std::nullopt},
      {"only frames before the press",
       [](R r) { r.shot.multiShots[0].numberOfSavedImageAfterHotkey = 0; }, std::nullopt},
      {"only frames after the press",
       [](R r) { r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = 0; }, std::nullopt},
      {"negative counts save no frame either",
       [](R r) {
         r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = -1;
         r.shot.multiShots[0].numberOfSavedImageAfterHotkey = -1;
       },
       NoFrames(L"01")},
      {"negative before and no after",
       [](R r) {
         r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = -3;
         r.shot.multiShots[0].numberOfSavedImageAfterHotkey = 0;
       },
       NoFrames(L"01")},

      // Image type and bit depth.
      {"no image type", [](R r) { r.save.imageType = 0; }, kImageType},
      {"bmp", [](R r) { r.save.imageType = 1; }, std::nullopt},
      {"tif", [](R r) { r.save.imageType = 5; }, std::nullopt},
      {"type 6", [](R r) { r.save.imageType = 6; }, kImageType},
      {"emf cannot be encoded", [](R r) { r.save.imageType = 7; }, kImageType},
      {"wmf cannot be encoded", [](R r) { r.save.imageType = 9; }, kImageType},
      {"negative type", [](R r) { r.save.imageType = -1; }, kImageType},
      {"bit depth 16", [](R r) { r.save.imageBitDepth = 16; }, kBitDepth},
      {"bit depth 0", [](R r) { r.save.imageBitDepth = 0; }, kBitDepth},
      {"bit depth 32", [](R r) { r.save.imageBitDepth = 32; }, std::nullopt},

      // Two faults: the earlier check speaks.
      {"no target and period 5",
       [](R r) {
         r.capture.targetWindow = {};
         r.capture.periodBetweenEachCapture = 5;
       },
       kNoTarget},
      {"period 5 and single shot without pattern",
       [](R r) {
         r.capture.periodBetweenEachCapture = 5;
         r.shot.singleShot.format.clear();
       },
       kPeriod},
      {"collision of profile 2 before missing pattern of profile 3",
       [](R r) {
         r.shot.multiShots[1] = Profile(49, 0, 1, 1);
         r.shot.multiShots[2] = Profile(52, 0, 1, 1);
         r.shot.multiShots[2].format.clear();
       },
       Collision(L"02")},
      {"collision before buffer sizes",
       [](R r) {
         r.shot.multiShots[1] = Profile(49, 0, 1, 1);
         r.save.conversionBuffSize = 0;
       },
       Collision(L"02")},
      {"conversion buffer before save buffer",
       [](R r) {
         r.save.conversionBuffSize = 0;
         r.save.saveBuffSize = 0;
       },
       kConvBuffBefore},
      {"thread count before the frame counts of profile 1",
       [](R r) {
         r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = 0;
         r.shot.multiShots[0].numberOfSavedImageAfterHotkey = 0;
         r.save.conversionThreadNumber = 0;
       },
       kThreads},
      {"frame counts of profile 3 before the image type",
       [](R r) {
         r.shot.multiShots[2] = Profile(51, 3, 0, 0);
         r.save.imageType = 0;
       },
       NoFrames(L"03")},
      {"image type before bit depth",
       [](R r) {
         r.save.imageType = 0;
         r.save.imageBitDepth = 16;
       },
       kImageType},

      // Profiles examined: "Maximum multi shot no", never past the list.
      {"profile beyond the count is not examined",
       [](R r) {
         r.general.maximumMultiShotNo = 2;
         r.shot.multiShots[2] = Profile(49, 0, 0, 0);
         r.shot.multiShots[2].numberOfSavedImageBeforeHotkey = 500;
       },
       std::nullopt},
      {"count above the list length stops at the list's end",
       [](R r) {
         r.general.maximumMultiShotNo = 1000;
         r.shot.multiShots[2] = Profile(49, 0, 1, 1);
       },
       Collision(L"03")},
      {"negative count examines no profile",
       [](R r) {
         r.general.maximumMultiShotNo = -1;
         r.shot.multiShots[0].format.clear();
         r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = 500;
       },
       std::nullopt},
      {"no profiles at all",
       [](R r) {
         r.general.maximumMultiShotNo = 0;
         r.shot.multiShots.clear();
         r.save.conversionBuffSize = 1;
         r.save.saveBuffSize = 1;
       },
       std::nullopt},
  };
  return cases;
}

TEST(CheckSettingTest, ShowsTheFirstFailingCheckOnly) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    SettingsRecords records = ValidRecords();
    c.change(records);
    FakeMessageBox messages;
    fakes::FakeSystem system;  // 8 GiB available

    const bool accepted = CheckSetting(records, messages, system);

    if (c.expected) {
      EXPECT_FALSE(accepted);
      const std::vector<FakeMessageBox::Shown> shown = messages.Messages();
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, *c.expected);
      EXPECT_EQ(shown[0].caption, kCaption);
      EXPECT_EQ(shown[0].style, kIconHand);
    } else {
      EXPECT_TRUE(accepted);
      EXPECT_TRUE(messages.Messages().empty());
    }
    EXPECT_EQ(messages.Beeps(), 0);
  }
}

TEST(CheckSettingTest, SuppressedErrorDialogsStillShowCheckMessages) {
  SettingsRecords records = ValidRecords();
  records.general.supressErrorDialog = true;
  records.save.conversionThreadNumber = 0;
  FakeMessageBox messages;
  fakes::FakeSystem system;

  EXPECT_FALSE(CheckSetting(records, messages, system));
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, kThreads);
  EXPECT_EQ(messages.Beeps(), 0);
}

// The memory check: the base set holds 50 + 128 + 3 x 10 = 208 frames of
// 1200 x 720 x 3 bytes, 539136000 bytes (515 MB when rounded up).
TEST(CheckSettingTest, BuffersMustFitInTheAvailableMemory) {
  struct MemoryCase {
    const char* name;
    std::function<void(SettingsRecords&)> change;
    std::optional<uint64_t> available;
    std::optional<std::wstring> expected;
  };
  using R = SettingsRecords&;
  const MemoryCase cases[] = {
      {"exactly enough", [](R) {}, 539136000, std::nullopt},
      {"one byte short", [](R) {}, 539135999, NoMemory(L"515", L"514")},
      {"memory that cannot be told is not checked",
       [](R r) {
         r.save.conversionBuffSize = 1000000;
         r.save.saveBuffSize = 1000000;
       },
       std::nullopt, std::nullopt},
      {"profiles beyond the examined count take no room",
       [](R r) { r.general.maximumMultiShotNo = 1; }, 487296000, std::nullopt},
      {"every examined profile keeps its own history", [](R) {}, 487296000,
       NoMemory(L"515", L"464")},
      {"negative before counts take no room",
       [](R r) {
         r.shot.multiShots[1].numberOfSavedImageBeforeHotkey = -5;
         r.shot.multiShots[2].numberOfSavedImageBeforeHotkey = -5;
       },
       487296000, std::nullopt},
      {"32 bits take four bytes a pixel", [](R r) { r.save.imageBitDepth = 32; }, 539136000,
       NoMemory(L"686", L"514")},
      {"a product beyond 64 bits is refused, not wrapped round",
       [](R r) {
         r.capture.captureArea = {0, 0, 536870912, 1};
         r.shot.multiShots.assign(20, Profile(0, 0, INT32_MAX, 0));
         r.general.maximumMultiShotNo = 20;
         r.save.conversionBuffSize = INT32_MAX;
         r.save.saveBuffSize = INT32_MAX;
       },
       uint64_t{8} << 30, NoMemory(L"17592186044416", L"8192")},
  };
  for (const MemoryCase& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsRecords records = ValidRecords();
    c.change(records);
    FakeMessageBox messages;
    fakes::FakeSystem system;
    system.availableMemory = c.available;

    EXPECT_EQ(CheckSetting(records, messages, system), !c.expected.has_value());
    if (c.expected) {
      ASSERT_EQ(messages.Count(), 1u);
      EXPECT_EQ(messages.Messages()[0].text, *c.expected);
      EXPECT_EQ(messages.Messages()[0].style, kIconHand);
    } else {
      EXPECT_EQ(messages.Count(), 0u);
    }
  }
}

// The settings command checks the dialog's working copies against the main
// window's own profile count, not the one in the general record it passes.
TEST(CheckSettingTest, ExaminesTheGivenProfileCount) {
  SettingsRecords records = ValidRecords();
  records.shot.multiShots[1] = Profile(49, 0, 1, 1);  // collides with profile 1
  FakeMessageBox messages;
  fakes::FakeSystem system;

  EXPECT_TRUE(CheckSetting(records.capture, records.shot.singleShot, records.shot.multiShots,
                           records.save, records.general, 1, messages, system));
  EXPECT_TRUE(messages.Messages().empty());

  records.general.maximumMultiShotNo = 0;
  EXPECT_FALSE(CheckSetting(records.capture, records.shot.singleShot, records.shot.multiShots,
                            records.save, records.general, 2, messages, system));
  ASSERT_EQ(messages.Count(), 1u);
  EXPECT_EQ(messages.Messages()[0].text, Collision(L"02"));
}

// The folders of the shots in use are made before the settings are put into
// force; one that cannot be made is refused while the user can still fix it,
// naming the shot and the folder, and the dialog is told where to open.
struct FolderCase {
  const char* name;
  std::function<void(SettingsRecords&, FakeFileStore&)> change;
  std::vector<std::wstring> made;       // folders there afterwards
  std::vector<std::wstring> notMade;    // folders still missing afterwards
  std::optional<std::wstring> refusal;  // nullopt: accepted
  CheckFocus focus;
};

TEST(CheckSettingTest, FoldersInUseAreMadeOrRefusedWithThePlaceToFixThem) {
  static const std::wstring kDefault = L"P:\\Pictures\\Lorik";
  using R = SettingsRecords&;
  using F = FakeFileStore&;
  const FolderCase cases[] = {
      {"empty folders mean the default folder, made once",
       [](R, F) {},
       {kDefault},
       {},
       std::nullopt,
       {}},
      {"given folders, relative ones under the current directory",
       [](R r, F) {
         r.shot.singleShot.folder = L"D:/shots/";
         r.shot.multiShots[0].folder = L"multi";
       },
       {L"D:\\shots", L"C:\\cwd\\multi"},
       {kDefault},
       std::nullopt,
       {}},
      {"fixed subfolders of the pattern are made, those of meta-characters are not",
       [](R r, F) {
         r.shot.singleShot.folder = L"D:\\s";
         r.shot.singleShot.format = L"raw\\%sdate%\\x_%ms%";
         r.shot.multiShots[0].folder = L"D:\\m";
       },
       {L"D:\\s\\raw", L"D:\\m"},
       {L"D:\\s\\raw\\%sdate%"},
       std::nullopt,
       {}},
      {"shots without a key and off the main button are not looked at",
       [](R r, F f) {
         r.shot.singleShot.virtualKey = 0;
         r.general.shotButtonType = 2;
         r.shot.multiShots[0].virtualKey = 0;
         f.FailFolder(kDefault);
       },
       {},
       {kDefault},
       std::nullopt,
       {}},
      {"the single shot's folder cannot be made",
       [](R r, F f) {
         r.shot.singleShot.folder = L"D:\\locked";
         f.FailFolder(L"D:\\locked");
       },
       {},
       {},
       L"シングルショットの保存先フォルダを作成できません：D:\\locked",
       {kPageHotkey, -1}},
      {"a file stands where the main button's profile saves",
       [](R r, F f) {
         r.shot.singleShot.folder = L"D:\\single";
         r.general.shotButtonType = 1;
         r.general.mainButtonMultiShotNo = 2;
         r.shot.multiShots[2].folder = L"D:\\busy";
         f.CreateNew(L"D:\\busy");
       },
       {L"D:\\single", kDefault},
       {},
       L"マルチショット03の保存先フォルダを作成できません：D:\\busy",
       {kPageHotkey, 2}},
      {"a profile's folder with a device name",
       [](R r, F) { r.shot.multiShots[0].folder = L"D:\\NUL\\x"; },
       {},
       {},
       L"マルチショット01の保存先フォルダを作成できません：D:\\NUL\\x",
       {kPageHotkey, 0}},
  };
  for (const FolderCase& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsRecords records = ValidRecords();
    FakeFileStore files;
    files.AddFolder(L"D:");
    c.change(records, files);
    FakeMessageBox messages;
    fakes::FakeSystem system;
    const FolderCheck folders{files, kDefault, L"C:\\cwd"};
    CheckFocus focus;
    EXPECT_EQ(CheckSetting(records, messages, system, &folders, &focus), !c.refusal);
    if (c.refusal) {
      EXPECT_EQ(
          messages.Messages(),
          (std::vector<FakeMessageBox::Shown>{{*c.refusal, std::wstring(kCaption), kIconHand}}));
    } else {
      EXPECT_TRUE(messages.Messages().empty());
    }
    EXPECT_EQ(focus.page, c.focus.page);
    EXPECT_EQ(focus.profile, c.focus.profile);
    for (const std::wstring& folder : c.made)
      EXPECT_TRUE(files.HasFolder(folder)) << ToUtf8(folder);
    for (const std::wstring& folder : c.notMade)
      EXPECT_FALSE(files.HasFolder(folder)) << ToUtf8(folder);
  }
}

// Making folders is the last check: a set refused for another reason makes none.
TEST(CheckSettingTest, ARefusedSetMakesNoFolder) {
  SettingsRecords records = ValidRecords();
  records.save.imageBitDepth = 16;
  FakeFileStore files;
  FakeMessageBox messages;
  fakes::FakeSystem system;
  const FolderCheck folders{files, L"P:\\Pictures\\Lorik", L"C:\\cwd"};
  CheckFocus focus;
  EXPECT_FALSE(CheckSetting(records, messages, system, &folders, &focus));
  EXPECT_EQ(files.FolderCreations(), 0);
  EXPECT_EQ(focus.page, -1);
}

}  // namespace
}  // namespace lorik
