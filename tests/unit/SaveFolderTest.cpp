#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/Text.h"
#include "settings/SaveFolder.h"

namespace lorik {
namespace {

TEST(DefaultSaveFolderTest, PicturesFolderWithLorikOrTheProgramsOwnFolder) {
  struct Case {
    std::optional<std::wstring> pictures;
    const wchar_t* executable;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\Users\\aki\\Pictures", L"D:\\dl\\Lorik.exe", L"C:\\Users\\aki\\Pictures\\Lorik"},
      {L"C:\\Users\\aki\\Pictures\\", L"D:\\dl\\Lorik.exe", L"C:\\Users\\aki\\Pictures\\Lorik"},
      {L"E:\\", L"D:\\dl\\Lorik.exe", L"E:\\Lorik"},
      {std::nullopt, L"D:\\dl\\Lorik.exe", L"D:\\dl"},
      {L"", L"D:\\Lorik.exe", L"D:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.executable));
    EXPECT_EQ(DefaultSaveFolder(c.pictures, c.executable), c.expected);
  }
}

TEST(SameFolderTest, SpellingsOfOneFolder) {
  EXPECT_TRUE(SameFolder(L"C:\\Pics\\Lorik", L"c:/pics/lorik/"));
  EXPECT_TRUE(SameFolder(L"C:\\", L"c:/"));
  EXPECT_FALSE(SameFolder(L"C:\\Pics\\Lorik", L"C:\\Pics\\Lorik2"));
  EXPECT_FALSE(SameFolder(L"C:\\", L"C:"));
}

TEST(FixedSaveFolderTest, TheFolderKnownBeforeTheShot) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* pattern;
    FixedFolderStatus status;
    std::wstring path;
  };
  const Case cases[] = {
      {L"", L"Lk_%date%", FixedFolderStatus::Ok, L"P:\\Lorik"},
      {L"D:/shots/", L"Lk", FixedFolderStatus::Ok, L"D:\\shots"},
      {L"D:\\", L"Lk", FixedFolderStatus::Ok, L"D:\\"},
      {L"shots", L"a\\b\\Lk", FixedFolderStatus::Ok, L"C:\\cwd\\shots\\a\\b"},
      {L"D:\\s", L"a/%sdate%/b\\Lk", FixedFolderStatus::Ok, L"D:\\s\\a"},
      {L"D:\\s", L"%sdate%\\Lk", FixedFolderStatus::Ok, L"D:\\s"},
      {L"..\\up", L"Lk", FixedFolderStatus::Ok, L"C:\\up"},
      {L"D:\\s", L"con\\Lk", FixedFolderStatus::Refused, L"D:\\s\\con"},
      {L"D:\\dot.", L"Lk", FixedFolderStatus::Refused, L"D:\\dot."},
      {L"D:\\a:b", L"Lk", FixedFolderStatus::Refused, L"D:\\a:b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(std::wstring(c.folder) + L" | " + c.pattern));
    const FixedFolder fixed = FixedSaveFolder(c.folder, c.pattern, L"P:\\Lorik", L"C:\\cwd");
    EXPECT_EQ(fixed.status, c.status);
    EXPECT_EQ(fixed.path, c.path);
  }
  const FixedFolder long_ =
      FixedSaveFolder(L"D:\\" + std::wstring(300, L'a'), L"Lk", L"P:\\Lorik", L"C:\\cwd");
  EXPECT_EQ(long_.status, FixedFolderStatus::TooLong);
}

}  // namespace
}  // namespace lorik
