#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/ImageType.h"
#include "core/Text.h"
#include "settings/IniFile.h"
#include "settings/SettingsIo.h"

namespace lorik {
namespace {

using KeyList = std::vector<std::pair<std::wstring, std::wstring>>;

const SettingsDefaults kDefaults{Rect{100, 50, 420, 290}, Rect{0, 0, 300, 169}, 4};

ReadResult Read(std::wstring_view text, const SettingsDefaults& defaults = kDefaults) {
  return ReadSettings(IniFile::FromText(text), defaults);
}

// Every (section, key) of the file, in file order.
KeyList KeysOf(const IniFile& file) {
  KeyList keys;
  for (const std::wstring& section : file.SectionNames())
    for (const std::wstring& key : file.KeyNames(section)) keys.emplace_back(section, key);
  return keys;
}

KeyList TableOrder(int profiles) {
  KeyList keys;
  auto add = [&keys](const std::wstring& section, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) keys.emplace_back(section, name);
  };
  add(L"General",
      {L"Window pos x", L"Window pos y", L"Window pos width", L"Window pos height",
       L"Always on top", L"Check on exit", L"Main button setting", L"Main button multi shot no",
       L"Main button show folder no", L"Maximum multi shot no", L"Show save buffer info",
       L"Allow multiple boot", L"Supress error dialog", L"Review after multi shot"});
  add(L"SingleShot", {L"ID", L"Virtual key", L"Modifier", L"Folder", L"Format"});
  for (int k = 1; k <= profiles; ++k)
    add(L"MultiShot" + PaddedDecimal(k, 2),
        {L"ID", L"Virtual key", L"Modifier", L"Folder", L"Format",
         L"Number of saved image before hotkey", L"Number of saved image after hotkey",
         L"Number of capture skipped after save"});
  add(L"Save", {L"Image type", L"Image bit depth", L"Conversion buff size",
                L"Conversion thread number", L"Save buff size", L"Preview image", L"Preview width",
                L"Preview height", L"Use disk cache"});
  add(L"Capture",
      {L"App name", L"Title", L"Class name", L"Control ID", L"Target width", L"Target height",
       L"Area X", L"Area Y", L"Area width", L"Area height", L"Capture from desktop",
       L"Automatically recapture after lost", L"Search period", L"Show dialog on lost",
       L"Re-target on boot if capture from desktop", L"Period between each capture"});
  return keys;
}

MultiShotProfile Profile(int32_t id, uint16_t virtualKey, uint16_t modifier) {
  MultiShotProfile p;
  p.id = id;
  p.virtualKey = virtualKey;
  p.modifier = modifier;
  p.format = L"Lk_%date%_%time%_%ms%";
  p.numberOfSavedImageBeforeHotkey = 10;
  p.numberOfSavedImageAfterHotkey = 10;
  return p;
}

SettingsRecords DefaultRecords() {
  SettingsRecords r;
  r.general.checkOnExit = true;
  r.general.mainButtonShowFolderNo = 1;
  r.general.maximumMultiShotNo = 3;
  r.shot.singleShot.id = 16996;
  r.shot.singleShot.virtualKey = 83;
  r.shot.singleShot.modifier = 3;
  r.shot.singleShot.format = L"Lk_%date%_%time%_%ms%";
  r.shot.multiShots = {Profile(16997, 49, 3), Profile(16998, 0, 0), Profile(16999, 0, 0)};
  r.save.imageType = static_cast<int32_t>(ImageType::Png);
  r.save.imageBitDepth = 24;
  r.save.conversionBuffSize = 50;
  r.save.conversionThreadNumber = 2;
  r.save.saveBuffSize = 128;
  r.save.previewImage = true;
  r.save.previewWidth = 300;
  r.save.previewHeight = 169;
  r.save.useDiskCache = true;
  r.capture.captureArea = Rect{0, 40, 1200, 760};
  r.capture.automaticallyRecaptureAfterLost = true;
  r.capture.searchPeriod = 1000;
  r.capture.showDialogOnLost = true;
  r.capture.reTargetOnBootIfCaptureFromDesktop = true;
  r.capture.periodBetweenEachCapture = 100;
  return r;
}

TEST(SettingsIoTest, EmptyFileGivesTheDefaults) {
  for (const std::wstring text : {L"", L"; nothing here\r\n[Unrelated]\r\nk=v\r\n"}) {
    ReadResult read = Read(text);
    EXPECT_EQ(read.records, DefaultRecords());
    EXPECT_EQ(read.windowPlacement, kDefaults.windowRect);
  }
}

TEST(SettingsIoTest, FreshFileListsEveryKeyInTableOrder) {
  IniFile file;
  WriteSettings(file, Read(L"").records, Rect{5, 6, 205, 306});
  IniFile written = IniFile::Parse(file.Serialize());
  EXPECT_EQ(KeysOf(written), TableOrder(3));
  EXPECT_EQ(written.GetString(L"General", L"Window pos width", L""), L"200");
  EXPECT_EQ(written.GetString(L"Save", L"Image type", L""), L"png");
  EXPECT_EQ(written.GetString(L"SingleShot", L"Format", L""), L"Lk_%date%_%time%_%ms%");
  EXPECT_EQ(written.GetString(L"MultiShot01", L"ID", L""), L"16997");
  EXPECT_EQ(written.GetString(L"Capture", L"Area height", L""), L"720");
  // What was written reads back as the same records.
  EXPECT_EQ(ReadSettings(written, kDefaults).records, DefaultRecords());
}

TEST(SettingsIoTest, EveryFieldRoundTrips) {
  SettingsRecords r;
  r.general = {true, false, 3, 1, 2, 2, true, true, true};
  r.shot.singleShot = Profile(30000, 0x7B, 6);
  r.shot.singleShot.folder = L"C:\\画像\\ゲーム";
  r.shot.singleShot.format = L"%sdate%\\shot_%time%";
  r.shot.singleShot.numberOfSavedImageBeforeHotkey = 0;
  r.shot.singleShot.numberOfSavedImageAfterHotkey = 0;
  r.shot.multiShots = {Profile(-5, 0xFFFF, 0xFFFF), Profile(0, 0, 0)};
  r.shot.multiShots[0].folder = L" D:\\shots ";
  r.shot.multiShots[0].numberOfSavedImageBeforeHotkey = -1;
  r.shot.multiShots[1].format = L"\"quoted\"";
  r.shot.multiShots[1].numberOfSavedImageAfterHotkey = INT32_MAX;
  r.shot.multiShots[1].numberOfCaptureSkippedAfterSave = INT32_MIN;
  r.save = {static_cast<int32_t>(ImageType::Jpg), 32, 7, 9, 11, true, 640, 360, false};
  r.capture.className = L"Chrome_WidgetWin_1";
  r.capture.appName = L"ブラウザ.exe";
  r.capture.targetWidth = 1280;
  r.capture.targetHeight = -720;
  r.capture.controlId = 1001;
  r.capture.title = L"ゲーム - Browser";
  r.capture.captureArea = Rect{-10, 20, 1190, 740};
  r.capture.captureFromDesktop = true;
  r.capture.searchPeriod = -3;
  r.capture.periodBetweenEachCapture = 4000000000u;

  IniFile file;
  WriteSettings(file, r, Rect{-1920, 0, -1000, 500});
  ReadResult read = ReadSettings(IniFile::Parse(file.Serialize()), kDefaults);
  EXPECT_EQ(read.records, r);
  EXPECT_EQ(read.windowPlacement, (Rect{-1920, 0, -1000, 500}));
}

TEST(SettingsIoTest, UnstoredFieldsAreNeitherReadNorWritten) {
  SettingsRecords r = DefaultRecords();
  r.shot.singleShot.hotkeyText = L"Ctrl + Alt + S";
  r.capture.targetWindow = WindowHandle{0x1234};
  r.capture.trackedWindow = WindowHandle{0x5678};
  r.capture.trackedRect = Rect{1, 2, 3, 4};
  IniFile file;
  WriteSettings(file, r, kDefaults.windowRect);
  EXPECT_EQ(KeysOf(file), TableOrder(3));
  EXPECT_EQ(ReadSettings(file, kDefaults).records, DefaultRecords());
}

TEST(SettingsIoTest, MoreProfilesTakeTheirDefaults) {
  ReadResult read = Read(L"[General]\nMaximum multi shot no=5\n[MultiShot02]\nVirtual key=50\n");
  const std::vector<MultiShotProfile>& shots = read.records.shot.multiShots;
  ASSERT_EQ(shots.size(), 5u);
  EXPECT_EQ(read.records.general.maximumMultiShotNo, 5);
  EXPECT_EQ(shots[0], Profile(16997, 49, 3));
  EXPECT_EQ(shots[1], Profile(16998, 50, 0));
  EXPECT_EQ(shots[2], Profile(16999, 0, 0));
  EXPECT_EQ(shots[3], Profile(17000, 0, 0));
  EXPECT_EQ(shots[4], Profile(17001, 0, 0));

  IniFile file;
  WriteSettings(file, read.records, kDefaults.windowRect);
  EXPECT_EQ(KeysOf(file), TableOrder(5));
}

TEST(SettingsIoTest, FewerProfilesLeaveTheOtherSectionsUntouched) {
  std::wstring text = L"[General]\r\nMaximum multi shot no=2\r\n";
  for (int k = 1; k <= 5; ++k) {
    const std::wstring n = DecimalText(k);
    text += L"[MultiShot0" + n + L"]\r\nID=" + DecimalText(20000 + k) + L"\r\nFolder = D:\\old" +
            n + L"\r\n; note " + n + L"\r\n";
  }
  IniFile file = IniFile::FromText(text);
  ReadResult read = ReadSettings(file, kDefaults);
  ASSERT_EQ(read.records.shot.multiShots.size(), 2u);
  read.records.shot.multiShots[0].folder = L"D:\\new1";
  read.records.shot.multiShots[1].folder = L"D:\\new2";
  WriteSettings(file, read.records, kDefaults.windowRect);

  const std::wstring after = file.Text();
  const std::wstring tail = text.substr(text.find(L"[MultiShot03]"));
  const std::wstring afterTail = after.substr(after.find(L"[MultiShot03]"));
  // Sections 3 to 5 are as they were, followed only by the sections the write added.
  EXPECT_EQ(afterTail.substr(0, tail.size()), tail);
  EXPECT_EQ(file.GetString(L"MultiShot01", L"Folder", L""), L"D:\\new1");
  EXPECT_EQ(file.GetString(L"MultiShot02", L"Folder", L""), L"D:\\new2");
  EXPECT_EQ(file.GetInt(L"MultiShot02", L"ID", 0), 20002);
  EXPECT_EQ(file.GetString(L"MultiShot05", L"Folder", L""), L"D:\\old5");
  EXPECT_NE(after.find(L"; note 1\r\n"), std::wstring::npos);
}

TEST(SettingsIoTest, CountIsKeptWithinWhatTheVectorCanHold) {
  struct Case {
    std::wstring stored;
    int32_t used;
  };
  const Case cases[] = {{L"-1", 0},
                        {L"-2147483648", 0},
                        {L"0", 0},
                        {L"1", 1},
                        {L"2147483647", kMaxMultiShotProfiles}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.stored));
    IniFile file = IniFile::FromText(L"[General]\nMaximum multi shot no=" + c.stored +
                                     L"\n[MultiShot01]\nID=123\n");
    ReadResult read = ReadSettings(file, kDefaults);
    EXPECT_EQ(read.records.general.maximumMultiShotNo, c.used);
    EXPECT_EQ(read.records.shot.multiShots.size(), static_cast<size_t>(c.used));
    if (c.used > 1) continue;
    WriteSettings(file, read.records, kDefaults.windowRect);
    // The file tells the count that was used; an existing profile section stays.
    EXPECT_EQ(file.GetInt(L"General", L"Maximum multi shot no", -99), c.used);
    EXPECT_EQ(file.GetInt(L"MultiShot01", L"ID", 0), 123);
    EXPECT_EQ(file.Contains(L"MultiShot01", L"Format"), c.used == 1);
  }
}

TEST(SettingsIoTest, ImageTypeIsReadAsTextAndWrittenInItsShortForm) {
  struct Case {
    const wchar_t* stored;
    int32_t type;
    const wchar_t* written;
  };
  const Case cases[] = {{L"JPEG", 3, L"jpg"}, {L"jpeg", 3, L"jpg"}, {L"TIFF", 5, L"tif"},
                        {L"Tif", 5, L"tif"},  {L"BMP", 1, L"bmp"},  {L"exif", 8, L"exif"},
                        {L"webp", 0, L""},    {L"", 0, L""},        {L"\"gif\"", 2, L"gif"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.stored)));
    IniFile file = IniFile::FromText(std::wstring(L"[Save]\nImage type=") + c.stored);
    ReadResult read = ReadSettings(file, kDefaults);
    EXPECT_EQ(read.records.save.imageType, c.type);
    WriteSettings(file, read.records, kDefaults.windowRect);
    EXPECT_EQ(file.GetString(L"Save", L"Image type", L"<absent>"), c.written);
  }
}

TEST(SettingsIoTest, WorkerCountDefaultsToProcessorsLessTwoAtLeastOne) {
  const std::pair<int, int32_t> cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {8, 6}};
  for (auto [processors, workers] : cases) {
    SettingsDefaults defaults = kDefaults;
    defaults.processorCount = processors;
    EXPECT_EQ(Read(L"", defaults).records.save.conversionThreadNumber, workers) << processors;
    EXPECT_EQ(
        Read(L"[Save]\nConversion thread number=3", defaults).records.save.conversionThreadNumber,
        3);
  }
}

TEST(SettingsIoTest, GeometryDefaultsComeFromTheWindowAndThumbnail) {
  const SettingsDefaults defaults{Rect{-50, 30, 350, 530}, Rect{10, 20, 210, 170}, 4};
  ReadResult read = Read(L"[General]\nWindow pos y=77\nWindow pos height=99\n", defaults);
  EXPECT_EQ(read.windowPlacement, (Rect{-50, 77, 350, 176}));
  EXPECT_EQ(read.records.save.previewWidth, 200);
  EXPECT_EQ(read.records.save.previewHeight, 150);
}

TEST(SettingsIoTest, CaptureAreaIsStoredAsPositionAndSize) {
  IniFile file = IniFile::FromText(L"[Capture]\nArea X=10\nArea width=100\n");
  ReadResult read = ReadSettings(file, kDefaults);
  EXPECT_EQ(read.records.capture.captureArea, (Rect{10, 40, 110, 760}));
  WriteSettings(file, read.records, kDefaults.windowRect);
  EXPECT_EQ(file.GetString(L"Capture", L"Area X", L""), L"10");
  EXPECT_EQ(file.GetString(L"Capture", L"Area width", L""), L"100");
  EXPECT_EQ(file.GetString(L"Capture", L"Area height", L""), L"720");

  // Sums past the 32-bit range wrap, and the file still gets back what it held.
  file = IniFile::FromText(L"[Capture]\nArea X=2000000000\nArea width=2000000000\n");
  read = ReadSettings(file, kDefaults);
  WriteSettings(file, read.records, kDefaults.windowRect);
  EXPECT_EQ(file.GetString(L"Capture", L"Area X", L""), L"2000000000");
  EXPECT_EQ(file.GetString(L"Capture", L"Area width", L""), L"2000000000");
}

TEST(SettingsIoTest, HotkeyKeyAndModifierUseTheLow16Bits) {
  const std::wstring keys = L"ID=65539\nModifier=65539\nVirtual key=-65487\n";
  ReadResult read = Read(L"[SingleShot]\n" + keys + L"[MultiShot03]\n" + keys);
  for (const MultiShotProfile* shot :
       {&read.records.shot.singleShot, &read.records.shot.multiShots[2]}) {
    EXPECT_EQ(shot->id, 65539);  // the identifier keeps all 32 bits
    EXPECT_EQ(shot->modifier, 3);
    EXPECT_EQ(shot->virtualKey, 49);
  }
}

TEST(SettingsIoTest, BooleansAndUnsignedPeriodKeepTheirMeaning) {
  IniFile file = IniFile::FromText(
      L"[General]\nAlways on top=2\nCheck on exit=0\nAllow multiple boot=abc\n"
      L"[Capture]\nPeriod between each capture=-1\n");
  ReadResult read = ReadSettings(file, kDefaults);
  EXPECT_TRUE(read.records.general.alwaysOnTop);
  EXPECT_FALSE(read.records.general.checkOnExit);
  EXPECT_FALSE(read.records.general.allowMultipleBoot);  // not a number: 0
  EXPECT_EQ(read.records.capture.periodBetweenEachCapture, 4294967295u);
  WriteSettings(file, read.records, kDefaults.windowRect);
  EXPECT_EQ(file.GetString(L"General", L"Always on top", L""), L"1");
  EXPECT_EQ(file.GetString(L"Capture", L"Period between each capture", L""), L"-1");
}

TEST(SettingsIoTest, UnknownContentSurvivesARoundTrip) {
  const std::wstring text =
      L"; written by hand\r\n"
      L"[General]\r\n"
      L"Window pos x=1\r\n"
      L"Future option=yes\r\n"
      L"\r\n"
      L"[Plugins]\r\n"
      L"; keep\r\n"
      L"Name=外部\r\n"
      L"\r\n"
      L"[Save]\r\n"
      L"Image type=PNG\r\n";
  IniFile file = IniFile::FromText(text);
  WriteSettings(file, ReadSettings(file, kDefaults).records, Rect{1, 2, 3, 4});
  IniFile reread = IniFile::Parse(file.Serialize());
  EXPECT_EQ(reread.GetString(L"General", L"Future option", L""), L"yes");
  EXPECT_EQ(reread.GetString(L"Plugins", L"Name", L""), L"外部");
  const std::wstring out = reread.Text();
  EXPECT_EQ(out.find(L"; written by hand\r\n[General]\r\nWindow pos x=1\r\nFuture option=yes\r\n"),
            0u);
  EXPECT_NE(out.find(L"\r\n[Plugins]\r\n; keep\r\nName=外部\r\n\r\n[Save]\r\nImage type=png\r\n"),
            std::wstring::npos);
  EXPECT_EQ(
      reread.SectionNames(),
      (std::vector<std::wstring>{L"General", L"Plugins", L"Save", L"SingleShot", L"MultiShot01",
                                 L"MultiShot02", L"MultiShot03", L"Capture"}));
}

}  // namespace
}  // namespace lorik
