#include <gtest/gtest.h>

#include "fakes/FakeSettingPorts.h"
#include "fakes/FakeSettingTemplates.h"
#include "settingsui/SettingMisc.h"

namespace lorik {
namespace {

using ui::FakeControl;
using ui::FakeDialogView;

// An auto radio button: a click ticks it and unticks the others of the group.
void ClickRadio(ui::FakeDialogHost& host, ui::Dialog& page, FakeDialogView& v, int id) {
  for (int radio : kRadios) v.Control(radio).checked = radio == id;
  ASSERT_TRUE(host.Click(page, id));
}

class SettingMiscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes.dialogs.OnCreate(IDD_SETTING_MISC, MiscTemplate);
    page.general.maximumMultiShotNo = 3;
  }
  FakeDialogView& Open() { return fakes.dialogs.Open(page); }

  FakeSettingPorts fakes;
  CSettingMisc page{fakes.Ports()};
};

struct ClampCase {
  int32_t profiles;
  int32_t multiShotNo;
  int32_t folderNo;
  int multiEntry;     // selected entry of list 1068, -1 none
  int folderEntry;    // selected entry of list 1067
  int32_t multiBack;  // handed back
  int32_t folderBack;
};

TEST_F(SettingMiscTest, StoredIndicesAreClampedToTheLists) {
  const ClampCase cases[] = {
      {3, 5, 9, 2, 3, 2, 3},       {3, 1, 2, 1, 2, 1, 2},   {3, 0, 0, 0, 0, 0, 0},
      {3, -1, -2, -1, -1, -1, -1}, {0, 0, 0, -1, 0, -1, 0}, {0, 4, 4, -1, 0, -1, 0},
  };
  for (const ClampCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.profiles << ": " << c.multiShotNo << ", " << c.folderNo);
    CSettingMisc p(fakes.Ports());
    p.general.maximumMultiShotNo = c.profiles;
    p.general.mainButtonMultiShotNo = c.multiShotNo;
    p.general.mainButtonShowFolderNo = c.folderNo;
    FakeDialogView& v = fakes.dialogs.Open(p);
    EXPECT_EQ(v.Control(IDC_COMBO_MULTI_SHOT_NO).selection, c.multiEntry);
    EXPECT_EQ(v.Control(IDC_COMBO_FOLDER_NO).selection, c.folderEntry);
    fakes.dialogs.Close(p);
    EXPECT_EQ(p.general.mainButtonMultiShotNo, c.multiBack);
    EXPECT_EQ(p.general.mainButtonShowFolderNo, c.folderBack);
  }
}

TEST_F(SettingMiscTest, ListsNameTheProfilesInOrder) {
  page.general.mainButtonMultiShotNo = 5;
  page.general.mainButtonShowFolderNo = 9;
  FakeDialogView& v = Open();
  EXPECT_EQ(v.Control(IDC_COMBO_MULTI_SHOT_NO).items,
            (std::vector<std::wstring>{L"マルチ01", L"マルチ02", L"マルチ03"}));
  EXPECT_EQ(v.Control(IDC_COMBO_FOLDER_NO).items,
            (std::vector<std::wstring>{L"シングル", L"マルチ01", L"マルチ02", L"マルチ03"}));
  // The clamped selections are stored back at once.
  EXPECT_EQ(page.general.mainButtonMultiShotNo, 2);
  EXPECT_EQ(page.general.mainButtonShowFolderNo, 3);
}

struct RadioCase {
  int32_t setting;
  int ticked;  // -1: none
  bool multiList;
  bool folderList;
};

TEST_F(SettingMiscTest, OpeningTicksTheRadioOfTheSettingAndEnablesItsList) {
  const RadioCase cases[] = {
      {0, IDC_RADIO_SINGLE_SHOT, false, false},
      {1, IDC_RADIO_MULTI_SHOT, true, false},
      {2, IDC_RADIO_LAST_SAVED, false, false},
      {3, IDC_RADIO_SAVE_FOLDER, false, true},
      {7, -1, false, false},
      {-1, -1, false, false},
  };
  for (const RadioCase& c : cases) {
    SCOPED_TRACE(c.setting);
    fakes.trace.Clear();
    CSettingMisc p(fakes.Ports());
    p.general.maximumMultiShotNo = 3;
    p.general.shotButtonType = c.setting;
    FakeDialogView& v = fakes.dialogs.Open(p);
    for (int radio : kRadios) EXPECT_EQ(v.Control(radio).checked, radio == c.ticked) << radio;
    EXPECT_EQ(v.Control(IDC_COMBO_MULTI_SHOT_NO).enabled, c.multiList);
    EXPECT_EQ(v.Control(IDC_COMBO_FOLDER_NO).enabled, c.folderList);
    EXPECT_EQ(fakes.trace.Count("Unknown value given to shotButtonType\n"), c.ticked < 0 ? 1u : 0u);
    fakes.dialogs.Close(p);
    EXPECT_EQ(p.general.shotButtonType, c.setting);
  }
}

TEST_F(SettingMiscTest, RadioButtonsEnableTheirListsAndDecideTheSetting) {
  page.general.mainButtonMultiShotNo = 1;
  page.general.mainButtonShowFolderNo = 2;
  FakeDialogView& v = Open();
  ClickRadio(fakes.dialogs, page, v, IDC_RADIO_MULTI_SHOT);
  EXPECT_TRUE(v.Control(IDC_COMBO_MULTI_SHOT_NO).enabled);
  EXPECT_FALSE(v.Control(IDC_COMBO_FOLDER_NO).enabled);
  ClickRadio(fakes.dialogs, page, v, IDC_RADIO_SAVE_FOLDER);
  EXPECT_FALSE(v.Control(IDC_COMBO_MULTI_SHOT_NO).enabled);
  EXPECT_TRUE(v.Control(IDC_COMBO_FOLDER_NO).enabled);
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_FOLDER_NO, 3));
  ClickRadio(fakes.dialogs, page, v, IDC_RADIO_LAST_SAVED);
  EXPECT_FALSE(v.Control(IDC_COMBO_MULTI_SHOT_NO).enabled);
  EXPECT_FALSE(v.Control(IDC_COMBO_FOLDER_NO).enabled);
  fakes.dialogs.Close(page);
  // Both indices come back, whatever radio is ticked.
  EXPECT_EQ(page.general.shotButtonType, 2);
  EXPECT_EQ(page.general.mainButtonMultiShotNo, 1);
  EXPECT_EQ(page.general.mainButtonShowFolderNo, 3);
}

TEST_F(SettingMiscTest, AnUnknownSettingSurvivesUntilARadioIsTicked) {
  page.general.shotButtonType = 7;
  FakeDialogView& v = Open();
  ClickRadio(fakes.dialogs, page, v, IDC_RADIO_MULTI_SHOT);
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.general.shotButtonType, 1);
}

TEST_F(SettingMiscTest, SwitchesComeBackAsTicked) {
  bool GeneralSettings::*const fields[] = {
      &GeneralSettings::alwaysOnTop,        &GeneralSettings::checkOnExit,
      &GeneralSettings::showSaveBufferInfo, &GeneralSettings::allowMultipleBoot,
      &GeneralSettings::supressErrorDialog, &GeneralSettings::reviewAfterMultiShot};
  for (size_t flipped = 0; flipped < std::size(kBoxes); ++flipped) {
    SCOPED_TRACE(flipped);
    CSettingMisc p(fakes.Ports());
    p.general.maximumMultiShotNo = 3;
    for (size_t i = 0; i < std::size(fields); ++i) p.general.*fields[i] = i % 2 == 0;
    FakeDialogView& v = fakes.dialogs.Open(p);
    for (size_t i = 0; i < std::size(fields); ++i) {
      EXPECT_EQ(v.Control(kBoxes[i]).checked, i % 2 == 0) << i;
    }
    ASSERT_TRUE(fakes.dialogs.Click(p, kBoxes[flipped]));
    fakes.dialogs.Close(p);
    for (size_t i = 0; i < std::size(fields); ++i) {
      EXPECT_EQ(p.general.*fields[i], (i % 2 == 0) != (i == flipped)) << i;
    }
  }
}

}  // namespace
}  // namespace lorik
