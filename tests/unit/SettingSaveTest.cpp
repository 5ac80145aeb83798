#include <gtest/gtest.h>

#include "fakes/FakeSettingPorts.h"
#include "fakes/FakeSettingTemplates.h"
#include "platform/MessageBox.h"
#include "settingsui/SettingSave.h"

namespace lorik {
namespace {

using ui::FakeControl;
using ui::FakeDialogView;

constexpr wchar_t kDepthMessage[] = L"ビット深度として不正な値が渡されました";

SaveSettings Stored(int32_t type, int32_t depth, int32_t conv = 100, int32_t save = 100) {
  SaveSettings s;
  s.imageType = type;
  s.imageBitDepth = depth;
  s.conversionBuffSize = conv;
  s.saveBuffSize = save;
  s.conversionThreadNumber = 3;
  s.previewImage = true;
  s.useDiskCache = false;
  s.previewWidth = 320;
  s.previewHeight = 240;
  return s;
}

class SettingSaveTest : public ::testing::Test {
 protected:
  void SetUp() override { fakes.dialogs.OnCreate(IDD_SETTING_SAVE, SaveTemplate); }

  FakeDialogView& Open(const SaveSettings& stored) {
    page.save = stored;
    return fakes.dialogs.Open(page);
  }

  FakeSettingPorts fakes;
  CSettingSave page{fakes.Ports()};
};

struct MemCase {
  int32_t type;
  int32_t depth;
  int32_t convFrames;
  int32_t saveFrames;
  const wchar_t* convEstimate;
  const wchar_t* saveEstimate;
};

// The estimates in single precision: 10 bmp frames at 32 bits are 32.93, not 33.
TEST_F(SettingSaveTest, EstimatesFollowTypeDepthAndCount) {
  const MemCase cases[] = {
      {1, 24, 100, 30, L"247", L"74"},   {1, 32, 10, 0, L"32", L"0"},
      {4, 32, 100, 100, L"160", L"160"}, {3, 24, 100, 3, L"20", L"0"},
      {2, 32, 100, 10, L"57", L"5"},     {5, 24, 10, 100, L"12", L"120"},
  };
  for (const MemCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << "/" << c.depth << " x" << c.convFrames);
    CSettingSave p(fakes.Ports());
    p.save = Stored(c.type, c.depth, c.convFrames, c.saveFrames);
    FakeDialogView& v = fakes.dialogs.Open(p);
    EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, c.convEstimate);
    EXPECT_EQ(v.Control(IDC_EDIT_SAVE_MEMORY).text, c.saveEstimate);
    fakes.dialogs.Close(p);
  }
  EXPECT_EQ(fakes.messages.Count(), 0u);
}

TEST_F(SettingSaveTest, OpensWithTheStoredValues) {
  FakeDialogView& v = Open(Stored(1, 32, 40, 60));
  EXPECT_EQ(v.Control(IDC_COMBO_IMAGETYPE).items,
            (std::vector<std::wstring>{L"bmp", L"gif", L"jpg", L"png", L"tif"}));
  EXPECT_EQ(v.Control(IDC_COMBO_BITDEPTH).items, (std::vector<std::wstring>{L"24", L"32"}));
  EXPECT_EQ(v.Control(IDC_COMBO_IMAGETYPE).selection, 0);
  EXPECT_EQ(v.Control(IDC_COMBO_BITDEPTH).selection, 1);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_BUFF).text, L"40");
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_BUFF).text, L"60");
  EXPECT_EQ(v.Control(IDC_EDIT_THREAD_NUMBER).text, L"3");
  EXPECT_TRUE(v.Control(IDC_CHECK_PREVIEW).checked);
  EXPECT_FALSE(v.Control(IDC_CHECK_DISK_CACHE).checked);
  EXPECT_TRUE(v.Control(IDC_COMBO_BITDEPTH).enabled);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"131");
  EXPECT_EQ(fakes.messages.Count(), 0u);
}

struct OpeningCase {
  int32_t storedType;
  int32_t storedDepth;
  int typeEntry;      // selected entry of the type list
  int depthEntry;     // -1: none
  int32_t typeAfter;  // working copy after opening
  bool depthMessage;
  const wchar_t* estimate;
};

// Types without an entry (0, and emf, exif, wmf) open as png; a depth other than 24
// and 32 is reported and estimates nothing.
TEST_F(SettingSaveTest, OpeningWithStoredTypesAndDepths) {
  const OpeningCase cases[] = {
      {4, 24, 3, 0, 4, false, L"120"},  {0, 24, 3, 0, 4, false, L"120"},
      {-2, 24, 3, 0, 4, false, L"120"}, {7, 24, 3, 0, 4, false, L"120"},
      {9, 32, 3, 1, 4, false, L"160"},  {4, 16, 3, -1, 4, true, L"0"},
      {1, 16, 0, -1, 1, true, L"0"},
  };
  for (const OpeningCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.storedType << "/" << c.storedDepth);
    fakes.messages.Clear();
    CSettingSave p(fakes.Ports());
    p.save = Stored(c.storedType, c.storedDepth);
    FakeDialogView& v = fakes.dialogs.Open(p);
    EXPECT_EQ(v.Control(IDC_COMBO_IMAGETYPE).selection, c.typeEntry);
    EXPECT_EQ(v.Control(IDC_COMBO_BITDEPTH).selection, c.depthEntry);
    EXPECT_EQ(p.save.imageType, c.typeAfter);
    EXPECT_EQ(p.save.imageBitDepth, c.storedDepth);
    EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, c.estimate);
    EXPECT_EQ(v.Control(IDC_EDIT_SAVE_MEMORY).text, c.estimate);
    if (c.depthMessage) {
      EXPECT_EQ(fakes.messages.Messages(),
                (std::vector<FakeMessageBox::Shown>{{kDepthMessage, L"Lorik", mb::kIconError}}));
    } else {
      EXPECT_EQ(fakes.messages.Count(), 0u);
    }
    fakes.dialogs.Close(p);
  }
}

TEST_F(SettingSaveTest, ChoosingTypeAndDepthUpdatesCopyListAndEstimates) {
  FakeDialogView& v = Open(Stored(1, 24));
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_IMAGETYPE, 1));  // gif
  EXPECT_EQ(page.save.imageType, 2);
  EXPECT_FALSE(v.Control(IDC_COMBO_BITDEPTH).enabled);
  EXPECT_EQ(v.Control(IDC_COMBO_BITDEPTH).selection, 0);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"43");

  // The disabled depth still counts: gif at 32 bits is 0.57333 a frame.
  page.save.imageBitDepth = 32;
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_IMAGETYPE, 2));  // jpg
  EXPECT_FALSE(v.Control(IDC_COMBO_BITDEPTH).enabled);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"26");

  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_IMAGETYPE, 4));  // tif
  EXPECT_TRUE(v.Control(IDC_COMBO_BITDEPTH).enabled);
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_BITDEPTH, 1));
  EXPECT_EQ(page.save.imageType, 5);
  EXPECT_EQ(page.save.imageBitDepth, 32);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"160");
  EXPECT_EQ(fakes.messages.Count(), 0u);
}

TEST_F(SettingSaveTest, ChoosingADepthAfterABadOneStartsTheEstimates) {
  FakeDialogView& v = Open(Stored(4, 16));
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_BITDEPTH, 0));
  EXPECT_EQ(page.save.imageBitDepth, 24);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"120");
}

TEST_F(SettingSaveTest, BufferFieldsFollowEveryChange) {
  FakeDialogView& v = Open(Stored(1, 24, 100, 100));
  v.SetItemText(IDC_EDIT_CONV_BUFF, L"30");
  EXPECT_EQ(page.save.conversionBuffSize, 30);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"74");
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_MEMORY).text, L"247");
  v.SetItemText(IDC_EDIT_CONV_BUFF, L"");
  EXPECT_EQ(page.save.conversionBuffSize, 0);
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"0");
  v.SetItemText(IDC_EDIT_SAVE_BUFF, L"  10x");
  EXPECT_EQ(page.save.saveBuffSize, 10);
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_MEMORY).text, L"24");
}

TEST_F(SettingSaveTest, ThreadsAndBoxesReachTheCopyWhenTheWindowGoes) {
  FakeDialogView& v = Open(Stored(4, 24));
  v.SetItemText(IDC_EDIT_THREAD_NUMBER, L"7");
  fakes.dialogs.Click(page, IDC_CHECK_PREVIEW);
  fakes.dialogs.Click(page, IDC_CHECK_DISK_CACHE);
  EXPECT_EQ(page.save.conversionThreadNumber, 3);
  EXPECT_TRUE(page.save.previewImage);
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.save.conversionThreadNumber, 7);
  EXPECT_FALSE(page.save.previewImage);
  EXPECT_TRUE(page.save.useDiskCache);
  EXPECT_EQ(page.save.previewWidth, 320);
  EXPECT_EQ(page.save.previewHeight, 240);
}

TEST_F(SettingSaveTest, AnEntryThatIsNoTypeIsReportedAsABug) {
  FakeDialogView& v = Open(Stored(4, 24));
  v.AddComboString(IDC_COMBO_IMAGETYPE, L"webp");
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_IMAGETYPE, 5));
  EXPECT_EQ(page.save.imageType, 0);
  EXPECT_EQ(fakes.messages.Messages(),
            (std::vector<FakeMessageBox::Shown>{
                {L"不明なタイプがOnCbnSelChangeComboImagetypeで指定されました", L"バグ",
                 mb::kIconError}}));
  // The estimates of the last valid type stay; a further change asks for one and is refused.
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"120");
  v.SetItemText(IDC_EDIT_CONV_BUFF, L"5");
  EXPECT_EQ(v.Control(IDC_EDIT_CONV_MEMORY).text, L"120");
  ASSERT_EQ(fakes.messages.Count(), 2u);
  EXPECT_EQ(fakes.messages.Messages()[1].text,
            L"不明なタイプがCSettingSave::UpdateMemInfoに渡されました");
}

}  // namespace
}  // namespace lorik
