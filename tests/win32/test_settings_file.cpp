// The settings file against the platform: what we write, the profile functions
// read back; what they write, we read; files are replaced atomically on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/ImageType.h"
#include "settings/IniFile.h"
#include "settings/SettingsIo.h"
#include "win32/FilesWin32.h"

namespace lorik {
namespace {

const std::wstring kJapaneseFolder = L"C:\\画像\\ゲーム";

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16Le(std::wstring_view text) {
  std::vector<uint8_t> out = {0xFF, 0xFE};
  for (wchar_t c : text) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

std::wstring ProfileString(const std::wstring& path, const std::wstring& section,
                           const std::wstring& key) {
  std::vector<wchar_t> buffer(4096);
  GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<absent>", buffer.data(),
                           static_cast<DWORD>(buffer.size()), path.c_str());
  return buffer.data();
}

int32_t ProfileInt(const std::wstring& path, const std::wstring& section, const std::wstring& key) {
  return static_cast<int32_t>(
      GetPrivateProfileIntW(section.c_str(), key.c_str(), -77, path.c_str()));
}

std::vector<std::wstring> ProfileSectionNames(const std::wstring& path) {
  std::vector<wchar_t> buffer(65536);
  GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
  std::vector<std::wstring> names;
  for (const wchar_t* p = buffer.data(); *p; p += names.back().size() + 1) names.emplace_back(p);
  return names;
}

// Every file name in a folder, so that leftover temporary files show.
std::vector<std::wstring> FolderContents(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder_ = std::wstring(temp) + L"lorik_設定_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
              std::to_wstring(GetTickCount64());
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    path_ = folder_ + L"\\Lorik.ini";
  }
  void TearDown() override {
    for (const std::wstring& name : FolderContents(folder_)) {
      std::wstring file = folder_ + L"\\" + name;
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(file.c_str());
    }
    RemoveDirectoryW(folder_.c_str());
  }

  std::vector<uint8_t> Content() { return files_.ReadAll(path_).value_or(std::vector<uint8_t>{}); }

  // Our reader and the platform's agree on every key of the file, as text and as
  // integers, and on the sections.
  void ExpectPlatformAgrees(const IniFile& ours) {
    EXPECT_EQ(ProfileSectionNames(path_), ours.SectionNames());
    for (const std::wstring& section : ours.SectionNames()) {
      for (const std::wstring& key : ours.KeyNames(section)) {
        SCOPED_TRACE(::testing::PrintToString(section + L"/" + key));
        EXPECT_EQ(ProfileString(path_, section, key), ours.GetString(section, key, L"<absent>"));
        EXPECT_EQ(ProfileInt(path_, section, key), ours.GetInt(section, key, -77));
      }
    }
  }

  FilesWin32 files_;
  std::wstring folder_;
  std::wstring path_;
};

TEST_F(SettingsFileTest, PlatformReadsBackWhatWeWrite) {
  SettingsRecords r =
      ReadSettings(IniFile(), {Rect{0, 0, 300, 200}, Rect{0, 0, 160, 90}, 8}).records;
  r.shot.singleShot.folder = kJapaneseFolder;
  r.shot.singleShot.modifier = 0xFFFF;
  r.shot.multiShots[0].folder = L" D:\\shots ";  // blanks that a reader would trim
  r.shot.multiShots[1].format = L"\"%date%\"";   // quotes that a reader would strip
  r.shot.multiShots[2].numberOfCaptureSkippedAfterSave = INT32_MIN;
  r.save.imageType = static_cast<int32_t>(ImageType::Jpg);
  r.capture.title = L"ゲーム - ブラウザ";
  r.capture.appName = L"chrome.exe";
  r.capture.captureArea = Rect{-10, 20, 1190, 740};
  r.capture.periodBetweenEachCapture = 4000000000u;

  IniFile ours;
  WriteSettings(ours, r, Rect{10, 20, 330, 260});
  ASSERT_TRUE(ours.Save(files_, path_));

  EXPECT_EQ(ProfileString(path_, L"SingleShot", L"Folder"), kJapaneseFolder);
  EXPECT_EQ(ProfileString(path_, L"MultiShot01", L"Folder"), L" D:\\shots ");
  EXPECT_EQ(ProfileString(path_, L"MultiShot02", L"Format"), L"\"%date%\"");
  EXPECT_EQ(ProfileString(path_, L"Capture", L"Title"), L"ゲーム - ブラウザ");
  EXPECT_EQ(ProfileString(path_, L"Save", L"Image type"), L"jpg");
  EXPECT_EQ(ProfileInt(path_, L"General", L"Window pos width"), 320);
  EXPECT_EQ(ProfileInt(path_, L"Capture", L"Area X"), -10);
  EXPECT_EQ(ProfileInt(path_, L"Capture", L"Area width"), 1200);
  EXPECT_EQ(ProfileInt(path_, L"MultiShot03", L"Number of capture skipped after save"), INT32_MIN);
  EXPECT_EQ(static_cast<uint32_t>(ProfileInt(path_, L"Capture", L"Period between each capture")),
            4000000000u);
  ExpectPlatformAgrees(ours);

  IniFile reread;
  ASSERT_TRUE(reread.Load(files_, path_));
  EXPECT_EQ(ReadSettings(reread, {}).records, r);
}

TEST_F(SettingsFileTest, OurReaderMatchesTheProfileFunctionsOnHandEditedText) {
  const std::wstring text =
      L"orphan=1\r\n"
      L"[General]\r\n"
      L"  Always On Top = 1 \r\n"
      L"always on top=2\r\n"
      L"Number=12abc\r\n"
      L"Hex=0x1F\r\n"
      L"Big=4294967297\r\n"
      L"Negative=-5\r\n"
      L"Plus=+7\r\n"
      L"Word=abc\r\n"
      L"Empty=\r\n"
      L"Quoted=\"8\"\r\n"
      L"Single='x y'\r\n"
      L"Half=\"x\r\n"
      L"Equals=a=b\r\n"
      L"no equals sign\r\n"
      L"; Comment=1\r\n"
      L"[ Spaced ]\r\n"
      L"k=v\r\n"
      L"[general]\r\n"
      L"Second=ignored\r\n"
      L"[Japanese]\r\n"
      L"Folder=" +
      kJapaneseFolder + L"\r\n";
  const std::wstring keys[] = {L"Always on top", L"Number", L"Hex",    L"Big",    L"Negative",
                               L"Plus",          L"Word",   L"Empty",  L"Quoted", L"Single",
                               L"Half",          L"Equals", L"Second", L"Missing"};
  ASSERT_TRUE(files_.ReplaceAtomically(path_, Utf16Le(text)));
  IniFile ours;
  ASSERT_TRUE(ours.Load(files_, path_));
  for (const std::wstring& key : keys) {
    SCOPED_TRACE(::testing::PrintToString(key));
    EXPECT_EQ(ProfileString(path_, L"General", key), ours.GetString(L"General", key, L"<absent>"));
    EXPECT_EQ(ProfileInt(path_, L"General", key), ours.GetInt(L"General", key, -77));
  }
  EXPECT_EQ(ProfileString(path_, L"Spaced", L"k"), ours.GetString(L"Spaced", L"k", L"<absent>"));
  EXPECT_EQ(ProfileString(path_, L"Japanese", L"Folder"), kJapaneseFolder);
  EXPECT_EQ(ours.GetString(L"Japanese", L"Folder", L""), kJapaneseFolder);
}

TEST_F(SettingsFileTest, WeReadWhatWritePrivateProfileStringWrites) {
  // With a byte-order mark in place the platform keeps writing UTF-16.
  ASSERT_TRUE(files_.ReplaceAtomically(path_, Utf16Le(L"")));
  ASSERT_TRUE(
      WritePrivateProfileStringW(L"SingleShot", L"Folder", kJapaneseFolder.c_str(), path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"SingleShot", L"ID", L"16996", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Save", L"Image type", L"TIFF", path_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Capture", L"Area width", L"100", path_.c_str()));
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());  // flush the cache

  IniFile ours;
  ASSERT_TRUE(ours.Load(files_, path_));
  EXPECT_EQ(ours.GetString(L"SingleShot", L"Folder", L""), kJapaneseFolder);
  EXPECT_EQ(ours.GetInt(L"SingleShot", L"ID", 0), 16996);
  ReadResult read = ReadSettings(ours, {});
  EXPECT_EQ(read.records.save.imageType, static_cast<int32_t>(ImageType::Tif));
  EXPECT_EQ(read.records.capture.captureArea, (Rect{0, 40, 100, 760}));

  // Our rewrite of that file keeps what the platform wrote and adds the rest.
  WriteSettings(ours, read.records, Rect{0, 0, 100, 100});
  ASSERT_TRUE(ours.Save(files_, path_));
  EXPECT_EQ(ProfileString(path_, L"SingleShot", L"Folder"), kJapaneseFolder);
  EXPECT_EQ(ProfileString(path_, L"Save", L"Image type"), L"tif");
  ExpectPlatformAgrees(ours);
}

TEST_F(SettingsFileTest, WeReadAnAnsiFileWrittenByThePlatform) {
  // A new file is written in the ANSI code page; pick a non-ASCII character that
  // the code page can hold.
  std::wstring value = L"C:\\shots";
  for (wchar_t candidate : {L'\u00E9', L'\u753B'}) {
    BOOL lossy = FALSE;
    char bytes[8];
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &candidate, 1, bytes, sizeof bytes,
                                nullptr, &lossy);
    if (n > 0 && !lossy) {
      value += L"\\caf";
      value += candidate;
      break;
    }
  }
  ASSERT_NE(value, L"C:\\shots") << "the code page holds neither candidate";
  ASSERT_TRUE(WritePrivateProfileStringW(L"SingleShot", L"Folder", value.c_str(), path_.c_str()));
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, path_.c_str());
  std::vector<uint8_t> raw = Content();
  ASSERT_FALSE(raw.empty());
  ASSERT_NE(raw[0], 0xFF) << "expected an 8-bit file";

  IniFile ours;
  ASSERT_TRUE(ours.Load(files_, path_, AnsiCodePageToWide));
  EXPECT_EQ(ours.GetString(L"SingleShot", L"Folder", L""), value);
  EXPECT_EQ(ours.GetString(L"SingleShot", L"Folder", L""),
            ProfileString(path_, L"SingleShot", L"Folder"));
}

TEST_F(SettingsFileTest, ReplaceAtomicallyCreatesAndReplacesWithoutLeftovers) {
  EXPECT_FALSE(files_.Exists(path_));
  EXPECT_FALSE(files_.ReadAll(path_).has_value());
  EXPECT_TRUE(files_.Exists(folder_));

  const std::vector<uint8_t> first = Bytes("[A]\r\nk=a long first content\r\n");
  ASSERT_TRUE(files_.ReplaceAtomically(path_, first));
  EXPECT_TRUE(files_.Exists(path_));
  EXPECT_EQ(Content(), first);

  const std::vector<uint8_t> second = Bytes("[A]\r\nk=b\r\n");
  ASSERT_TRUE(files_.ReplaceAtomically(path_, second));
  EXPECT_EQ(Content(), second);

  ASSERT_TRUE(files_.ReplaceAtomically(path_, {}));
  EXPECT_EQ(Content(), std::vector<uint8_t>{});
  EXPECT_EQ(FolderContents(folder_), std::vector<std::wstring>{L"Lorik.ini"});
}

TEST_F(SettingsFileTest, FailedReplaceLeavesTheOldFile) {
  const std::vector<uint8_t> old = Bytes("[A]\r\nk=old\r\n");
  ASSERT_TRUE(files_.ReplaceAtomically(path_, old));

  // The target is held open without sharing by another writer.
  HANDLE held = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files_.ReplaceAtomically(path_, Bytes("[A]\r\nk=new\r\n")));
  CloseHandle(held);
  EXPECT_EQ(Content(), old);
  EXPECT_EQ(FolderContents(folder_), std::vector<std::wstring>{L"Lorik.ini"});

  // A folder that does not exist: nothing is created anywhere.
  const std::wstring missing = folder_ + L"\\missing\\Lorik.ini";
  EXPECT_FALSE(files_.ReplaceAtomically(missing, old));
  EXPECT_FALSE(files_.Exists(missing));
  EXPECT_EQ(FolderContents(folder_), std::vector<std::wstring>{L"Lorik.ini"});
}

// The leftovers of an interrupted save are taken over by the next one, and a
// temporary name that another writer holds is passed over.
TEST_F(SettingsFileTest, LeftoverTemporaryFilesNeitherPileUpNorBlockASave) {
  for (int n = 0; n < 3; ++n) {
    HANDLE left = CreateFileW((path_ + L"." + std::to_wstring(n) + L".tmp").c_str(), GENERIC_WRITE,
                              0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(left, INVALID_HANDLE_VALUE);
    CloseHandle(left);
  }
  HANDLE held = CreateFileW((path_ + L".0.tmp").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::vector<uint8_t> content = Bytes("[A]\r\nk=v\r\n");
  EXPECT_TRUE(files_.ReplaceAtomically(path_, content));
  CloseHandle(held);
  EXPECT_EQ(Content(), content);
  EXPECT_TRUE(files_.ReplaceAtomically(path_, content));
  // The first save passed over the held name and took over the next; the
  // second took over the first name once it was free. Leftovers are bounded
  // by the few fixed names, and each save reuses the lowest free one.
  EXPECT_EQ(FolderContents(folder_), (std::vector<std::wstring>{L"Lorik.ini", L"Lorik.ini.2.tmp"}));
}

}  // namespace
}  // namespace lorik
