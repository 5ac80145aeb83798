#include <gtest/gtest.h>

#include "fakes/FakeSettingPorts.h"
#include "fakes/FakeSettingTemplates.h"
#include "platform/MessageBox.h"
#include "settingsui/MetaHelp.h"
#include "settingsui/SettingHotkey.h"

namespace lorik {
namespace {

using ui::FakeControl;
using ui::FakeDialogView;
namespace hkf = ui::hotkeyf;

constexpr uint16_t Hotkey(uint8_t flags, uint8_t key) {
  return static_cast<uint16_t>(flags << 8 | key);
}

MultiShotProfile Profile(int n) {
  MultiShotProfile p;
  p.id = 100 + n;
  p.modifier = 2;
  p.virtualKey = 'A';
  p.folder = L"C:\\shots\\" + std::to_wstring(n);
  p.format = L"m" + std::to_wstring(n) + L"_%time%";
  p.numberOfSavedImageBeforeHotkey = 10 + n;
  p.numberOfSavedImageAfterHotkey = 20 + n;
  p.numberOfCaptureSkippedAfterSave = n;
  return p;
}

class SettingHotkeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes.dialogs.OnCreate(IDD_SETTING_HOTKEY, HotkeyTemplate);
    page.singleShot.modifier = 4;
    page.singleShot.virtualKey = 'S';
    page.singleShot.folder = L"C:\\single";
    page.singleShot.format = L"s_%date%";
    SetProfiles(3);
  }
  void SetProfiles(int count) {
    page.multiShots.clear();
    for (int i = 0; i < count; ++i) page.multiShots.push_back(Profile(i));
    page.profileCount = count;
  }
  FakeDialogView& Open() { return fakes.dialogs.Open(page); }

  FakeSettingPorts fakes;
  CSettingHotkey page{fakes.Ports()};
};

struct StoredCase {
  uint16_t modifier;
  uint16_t virtualKey;
  uint16_t modifierAfter;
  uint16_t keyAfter;
  const wchar_t* text;
};

// Opening turns each stored hotkey into the control's form and back: only Alt, Ctrl and
// Shift survive, and only the low byte of the key.
TEST_F(SettingHotkeyTest, OpeningRegeneratesModifierAndText) {
  const StoredCase cases[] = {
      {1, 'A', 1, 'A', L"Alt + A"},
      {2, 'A', 2, 'A', L"Ctrl + A"},
      {4, 'A', 4, 'A', L"Shift + A"},
      {7, 'S', 7, 'S', L"Ctrl + Shift + Alt + S"},
      {8 | 2, 'A', 2, 'A', L"Ctrl + A"},
      {8, 'A', 0, 'A', L"A"},
      {0, 0, 0, 0, L""},
      {0, 0x170, 0, 0x70, L"F1"},
  };
  for (const StoredCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.modifier << "/" << c.virtualKey);
    CSettingHotkey p(fakes.Ports());
    p.singleShot.modifier = c.modifier;
    p.singleShot.virtualKey = c.virtualKey;
    p.multiShots = {Profile(0)};
    p.multiShots[0].modifier = c.modifier;
    p.multiShots[0].virtualKey = c.virtualKey;
    p.profileCount = 1;
    FakeDialogView& v = fakes.dialogs.Open(p);
    for (const MultiShotProfile* profile : {&p.singleShot, &p.multiShots[0]}) {
      EXPECT_EQ(profile->modifier, c.modifierAfter);
      EXPECT_EQ(profile->virtualKey, c.keyAfter);
      EXPECT_EQ(profile->hotkeyText, c.text);
    }
    EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_HOTKEY).text, c.text);
    EXPECT_EQ(v.Control(IDC_EDIT_MULTI_HOTKEY).text, c.text);
    EXPECT_EQ(v.Control(IDC_HOTKEY_SINGLE).hotkey, 0);
    EXPECT_EQ(v.Control(IDC_HOTKEY_MULTI).hotkey, 0);
    fakes.dialogs.Close(p);
  }
}

struct CommitCase {
  uint16_t control;
  uint16_t modifier;
  uint16_t virtualKey;
  const wchar_t* text;
};

TEST_F(SettingHotkeyTest, ChangeCommitsTheControlAndClearsIt) {
  const CommitCase cases[] = {
      {0, 0, 0, L""},
      {Hotkey(hkf::kShift | hkf::kAlt, 'A'), 5, 'A', L"Shift + Alt + A"},
      {Hotkey(hkf::kControl | hkf::kExt, 0x23), 2, 0x23, L"Ctrl + End"},
      {Hotkey(hkf::kControl, 0x23), 2, 0x23, L"Ctrl + Num 1"},
      {Hotkey(0, 0x70), 0, 0x70, L"F1"},
  };
  FakeDialogView& v = Open();
  for (const CommitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control);
    v.SetHotkey(IDC_HOTKEY_SINGLE, c.control);
    ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_SINGLE_CHANGE));
    EXPECT_EQ(page.singleShot.modifier, c.modifier);
    EXPECT_EQ(page.singleShot.virtualKey, c.virtualKey);
    EXPECT_EQ(page.singleShot.hotkeyText, c.text);
    EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_HOTKEY).text, c.text);
    EXPECT_EQ(v.Control(IDC_HOTKEY_SINGLE).hotkey, 0);

    v.SetHotkey(IDC_HOTKEY_MULTI, c.control);
    ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_MULTI_CHANGE));
    EXPECT_EQ(page.multiShots[0].modifier, c.modifier);
    EXPECT_EQ(page.multiShots[0].virtualKey, c.virtualKey);
    EXPECT_EQ(v.Control(IDC_EDIT_MULTI_HOTKEY).text, c.text);
    EXPECT_EQ(v.Control(IDC_HOTKEY_MULTI).hotkey, 0);
  }
  // The extended bit picks the key's name; the modifiers are named without it.
  EXPECT_NE(std::find(fakes.keyNames.asked.begin(), fakes.keyNames.asked.end(),
                      std::pair<unsigned, bool>{0x23, true}),
            fakes.keyNames.asked.end());
  EXPECT_EQ(std::count(fakes.keyNames.asked.begin(), fakes.keyNames.asked.end(),
                       std::pair<unsigned, bool>{0x11, true}),
            0);
  EXPECT_EQ(page.multiShots[1], Profile(1));
}

TEST_F(SettingHotkeyTest, AHotkeyTypedButNotCommittedIsNotTaken) {
  FakeDialogView& v = Open();
  v.SetHotkey(IDC_HOTKEY_SINGLE, Hotkey(hkf::kAlt, 'A'));
  v.SetHotkey(IDC_HOTKEY_MULTI, Hotkey(hkf::kAlt, 'A'));
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.singleShot.modifier, 4);
  EXPECT_EQ(page.singleShot.virtualKey, 'S');
  EXPECT_EQ(page.multiShots[0].modifier, 2);
}

TEST_F(SettingHotkeyTest, OpensOnTheFirstProfileWithTheSingleShotFields) {
  FakeDialogView& v = Open();
  EXPECT_EQ(
      v.Control(IDC_COMBO_MULTI_PROFILE).items,
      (std::vector<std::wstring>{L"マルチショット01", L"マルチショット02", L"マルチショット03"}));
  EXPECT_EQ(v.Control(IDC_COMBO_MULTI_PROFILE).selection, 0);
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_HOTKEY).text, L"Shift + S");
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_FOLDER).text, L"C:\\single");
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_FORMAT).text, L"s_%date%");
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_HOTKEY).text, L"Ctrl + A");
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"C:\\shots\\0");
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FORMAT).text, L"m0_%time%");
  EXPECT_EQ(v.Control(IDC_EDIT_BEFORE).text, L"10");
  EXPECT_EQ(v.Control(IDC_EDIT_AFTER).text, L"20");
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_SPEED).text, L"1");
}

TEST_F(SettingHotkeyTest, SwitchingProfilesKeepsTheEditedValues) {
  FakeDialogView& v = Open();
  v.SetItemText(IDC_EDIT_MULTI_FOLDER, L"D:\\edited");
  v.SetItemText(IDC_EDIT_MULTI_FORMAT, L"e_%ms%");
  v.SetItemText(IDC_EDIT_BEFORE, L"5");
  v.SetItemText(IDC_EDIT_AFTER, L"6");
  v.SetItemText(IDC_EDIT_SAVE_SPEED, L"4");
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_MULTI_PROFILE, 1));
  EXPECT_EQ(page.CurrentProfile(), 1);
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"C:\\shots\\1");
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_SPEED).text, L"2");
  EXPECT_EQ(page.multiShots[0].folder, L"D:\\edited");
  EXPECT_EQ(page.multiShots[0].numberOfCaptureSkippedAfterSave, 3);

  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_MULTI_PROFILE, 0));
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"D:\\edited");
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FORMAT).text, L"e_%ms%");
  EXPECT_EQ(v.Control(IDC_EDIT_BEFORE).text, L"5");
  EXPECT_EQ(v.Control(IDC_EDIT_AFTER).text, L"6");
  EXPECT_EQ(v.Control(IDC_EDIT_SAVE_SPEED).text, L"4");
  // Storing leaves the hotkeys alone; profile 1 was only looked at.
  EXPECT_EQ(page.multiShots[0].modifier, 2);
  EXPECT_EQ(page.multiShots[1].folder, Profile(1).folder);
}

TEST_F(SettingHotkeyTest, SkipCountsComeFromSaveSpeed) {
  const std::pair<const wchar_t*, int32_t> cases[] = {
      {L"", 0}, {L"0", 0}, {L"1", 0}, {L"3", 2}, {L"-4", 0}};
  for (const auto& [typed, skip] : cases) {
    SCOPED_TRACE(testing::Message() << skip);
    CSettingHotkey p(fakes.Ports());
    p.multiShots = {Profile(4)};
    p.profileCount = 1;
    FakeDialogView& v = fakes.dialogs.Open(p);
    EXPECT_EQ(v.Control(IDC_EDIT_SAVE_SPEED).text, L"5");
    v.SetItemText(IDC_EDIT_SAVE_SPEED, typed);
    fakes.dialogs.Close(p);
    EXPECT_EQ(p.multiShots[0].numberOfCaptureSkippedAfterSave, skip);
  }
}

TEST_F(SettingHotkeyTest, ClosingWritesTheFieldsBack) {
  FakeDialogView& v = Open();
  v.SetItemText(IDC_EDIT_SINGLE_FOLDER, L"E:\\single");
  v.SetItemText(IDC_EDIT_SINGLE_FORMAT, L"x_%time%");
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_MULTI_PROFILE, 2));
  v.SetItemText(IDC_EDIT_MULTI_FORMAT, L"third");
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.singleShot.folder, L"E:\\single");
  EXPECT_EQ(page.singleShot.format, L"x_%time%");
  EXPECT_EQ(page.multiShots[2].format, L"third");
  EXPECT_EQ(page.multiShots[0].format, Profile(0).format);
}

TEST_F(SettingHotkeyTest, ARunAgainOpensOnTheProfileItLeft) {
  Open();
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_MULTI_PROFILE, 2));
  fakes.dialogs.Close(page);
  FakeDialogView& again = Open();
  EXPECT_EQ(again.Control(IDC_COMBO_MULTI_PROFILE).selection, 2);
  EXPECT_EQ(again.Control(IDC_EDIT_MULTI_FOLDER).text, L"C:\\shots\\2");
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.multiShots[2], [] {
    MultiShotProfile p = Profile(2);
    p.hotkeyText = L"Ctrl + A";
    return p;
  }());
}

// The preview shows the whole path a shot taken now would get: the folder it
// would really go to (the default one for an empty field), the expanded
// pattern at one moment, and the extension of the type the save page shows.
TEST_F(SettingHotkeyTest, PreviewShowsTheFullPathAShotWouldGetNow) {
  int32_t imageType = 3;  // jpg
  page.previewImageType = &imageType;
  FakeDialogView& v = Open();
  v.SetItemText(IDC_EDIT_MULTI_FORMAT, L"%date%_%sdate%");
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_MULTI_PREVIEW));
  v.SetItemText(IDC_EDIT_SINGLE_FOLDER, L"");
  v.SetItemText(IDC_EDIT_SINGLE_FORMAT, L"%time%-%stime%-%bad%x");
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_SINGLE_PREVIEW));
  v.SetItemText(IDC_EDIT_SINGLE_FOLDER, L"rel");
  v.SetItemText(IDC_EDIT_SINGLE_FORMAT, L"%ms%.bmp");
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_SINGLE_PREVIEW));
  EXPECT_EQ(fakes.messages.Messages(), (std::vector<FakeMessageBox::Shown>{
                                           {L"C:\\shots\\0\\20180705_20180705.jpg", L"", mb::kOk},
                                           {std::wstring(FakeSettingPorts::kDefaultFolder) +
                                                L"\\090307-090307-不明なパラメータです:%bad%.jpg",
                                            L"", mb::kOk},
                                           {L"C:\\Games\\Lorik\\rel\\045.bmp", L"", mb::kOk}}));
  // The fields are read, not the working copy.
  EXPECT_EQ(page.multiShots[0].format, Profile(0).format);
  EXPECT_EQ(page.singleShot.folder, L"C:\\single");
}

TEST_F(SettingHotkeyTest, EmptyFolderFieldsShowTheDefaultFolderAsACue) {
  FakeDialogView& v = Open();
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_FOLDER).cue, FakeSettingPorts::kDefaultFolder);
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).cue, FakeSettingPorts::kDefaultFolder);
}

TEST_F(SettingHotkeyTest, SelectProfileOpensThePageOnThatProfile) {
  page.SelectProfile(2);
  FakeDialogView& v = Open();
  EXPECT_EQ(v.Control(IDC_COMBO_MULTI_PROFILE).selection, 2);
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"C:\\shots\\2");
}

TEST_F(SettingHotkeyTest, BrowseFillsTheFieldWithTheChosenFolder) {
  FakeDialogView& v = Open();
  fakes.shell.pickedFolder = L"Z:\\picked";
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_MULTI_BROWSE));
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"Z:\\picked");
  EXPECT_TRUE(v.Control(IDC_EDIT_MULTI_FOLDER).textSelected);
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_FOLDER).text, L"C:\\single");

  fakes.shell.pickedFolder.reset();
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_SINGLE_BROWSE));
  EXPECT_EQ(v.Control(IDC_EDIT_SINGLE_FOLDER).text, L"C:\\single");
  EXPECT_EQ(fakes.shell.folderPicks, 2);
}

// Without profiles the multi-shot group has nothing to show: it is disabled and
// nothing outside the list is touched.
TEST_F(SettingHotkeyTest, NoProfilesLeaveTheMultiShotGroupDisabled) {
  page.profileCount = 0;
  FakeDialogView& v = Open();
  EXPECT_TRUE(v.Control(IDC_COMBO_MULTI_PROFILE).items.empty());
  for (int id : {IDC_COMBO_MULTI_PROFILE, IDC_HOTKEY_MULTI, IDC_BUTTON_MULTI_CHANGE,
                 IDC_EDIT_MULTI_FOLDER, IDC_EDIT_BEFORE, IDC_EDIT_SAVE_SPEED}) {
    EXPECT_FALSE(v.Control(id).enabled) << id;
  }
  EXPECT_TRUE(v.Control(IDC_BUTTON_SINGLE_CHANGE).enabled);
  EXPECT_TRUE(v.Control(IDC_BUTTON_META_LIST).enabled);
  // The host delivers a click even to a disabled button through its message.
  fakes.dialogs.Send(page, ui::CommandMessage(IDC_BUTTON_MULTI_CHANGE));
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.multiShots[0], Profile(0));
}

TEST_F(SettingHotkeyTest, ACountBeyondTheListOffersOnlyTheProfilesThere) {
  page.profileCount = 5;
  FakeDialogView& v = Open();
  EXPECT_EQ(v.Control(IDC_COMBO_MULTI_PROFILE).items.size(), 3u);
  fakes.dialogs.Close(page);
  EXPECT_EQ(page.multiShots.size(), 3u);
}

// Three digits from 100 profiles on, so that the sorted selector keeps entry i for profile i.
TEST_F(SettingHotkeyTest, AHundredProfilesKeepEntryIndexEqualToProfileIndex) {
  SetProfiles(120);
  FakeDialogView& v = Open();
  const auto& items = v.Control(IDC_COMBO_MULTI_PROFILE).items;
  ASSERT_EQ(items.size(), 120u);
  EXPECT_EQ(items[0], L"マルチショット001");
  EXPECT_EQ(items[10], L"マルチショット011");
  EXPECT_EQ(items[99], L"マルチショット100");
  ASSERT_TRUE(fakes.dialogs.SelectCombo(page, IDC_COMBO_MULTI_PROFILE, 99));
  EXPECT_EQ(v.Control(IDC_EDIT_MULTI_FOLDER).text, L"C:\\shots\\99");
}

TEST_F(SettingHotkeyTest, MetaListOpensOnceAndIsRaisedAfterwards) {
  FakeDialogView& v = Open();
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_META_LIST));
  CMetaHelp* help = page.HelpWindow();
  ASSERT_NE(help, nullptr);
  ASSERT_EQ(fakes.dialogs.created.size(), 2u);
  EXPECT_EQ(fakes.dialogs.created[1].templateId, IDD_META_HELP);
  EXPECT_FALSE(fakes.dialogs.created[1].modal);
  EXPECT_EQ(fakes.dialogs.created[1].parent, v.Handle());
  FakeDialogView* list = fakes.dialogs.ViewOf(*help);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->visible);

  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_META_LIST));
  EXPECT_EQ(fakes.dialogs.created.size(), 2u);
  EXPECT_EQ(page.HelpWindow(), help);
  EXPECT_EQ(list->raised, 1);
  EXPECT_TRUE(list->windowPosCalls.empty());

  // Closed by its Cancel, the list clears the pointer; the next click opens a new one.
  fakes.dialogs.Send(*help, ui::CommandMessage(ui::kIdCancel));
  EXPECT_EQ(page.HelpWindow(), nullptr);
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_META_LIST));
  EXPECT_EQ(fakes.dialogs.created.size(), 3u);
  ASSERT_NE(page.HelpWindow(), nullptr);
  fakes.dialogs.Send(*page.HelpWindow(), ui::CommandMessage(ui::kIdCancel));
}

TEST_F(SettingHotkeyTest, AListThatCannotBeCreatedLeavesNoPointer) {
  Open();
  fakes.dialogs.FailCreation(IDD_META_HELP);
  ASSERT_TRUE(fakes.dialogs.Click(page, IDC_BUTTON_META_LIST));
  EXPECT_EQ(page.HelpWindow(), nullptr);
}

}  // namespace
}  // namespace lorik
