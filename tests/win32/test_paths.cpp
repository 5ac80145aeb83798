// Our portable path helpers against the platform's own path functions.
#include <windows.h>
// windows.h first: shlwapi.h depends on it.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Path.h"

namespace {

std::wstring PlatformExtension(const std::wstring& path) {
  return PathFindExtensionW(path.c_str());
}

bool PlatformIsRelative(const std::wstring& path) {
  return PathIsRelativeW(path.c_str()) != FALSE;
}

std::optional<std::wstring> PlatformCombine(const std::wstring& dir, const std::wstring& file) {
  wchar_t buffer[MAX_PATH] = {};
  if (!PathCombineW(buffer, dir.c_str(), file.c_str())) return std::nullopt;
  return std::wstring(buffer);
}

std::string Show(const std::wstring& text) {
  return testing::PrintToString(text);
}

const std::vector<std::wstring> kPaths = {
    L"",
    L"a",
    L"a.b",
    L"a.tar.gz",
    L".png",
    L"a.",
    L"..",
    L".",
    L"a.b c",
    L"a b.c",
    L"a.b c.d",
    L"a .b",
    L"C:",
    L"C:.txt",
    L"C:a.b",
    L"C:\\",
    L"C:\\shots\\a.png",
    L"C:\\my.shots\\a",
    L"C:\\shot s\\a.png",
    L"C:\\shots\\a.",
    L"C:\\shots\\.hidden",
    L"D:\\shots\\Lk_20180705_090307_045.png",
    L"D:\\shots\\shot.045",
    L"D:\\shots\\20190102\\shot_090307",
    L"\\",
    L"\\a.b",
    L"\\\\server\\share",
    L"\\\\server\\share.x\\f",
    L"\\\\server\\share\\f.jpg",
    L"shots\\a",
    L".\\a.png",
    L"..\\a",
    L"/shots",
    L"/shots/a.png",
    L"C:/shots/a.png",
    L"1:x",
    L"D:\\\u753B\u50CF\\\u4E0D\u660E.\u5F62",
};

TEST(PathsAgainstShlwapi, FindExtension) {
  for (const std::wstring& path : kPaths)
    EXPECT_EQ(lorik::PathFindExtension(path), PlatformExtension(path)) << Show(path);
}

TEST(PathsAgainstShlwapi, IsRelative) {
  for (const std::wstring& path : kPaths)
    EXPECT_EQ(lorik::PathIsRelative(path), PlatformIsRelative(path)) << Show(path);
}

struct Pair {
  std::wstring dir;
  std::wstring file;
};

const std::vector<Pair> kPairs = {
    {L"C:\\work", L"shots\\a.png"},
    {L"C:\\work\\", L"a.png"},
    {L"C:\\", L"a.png"},
    {L"C:\\work", L""},
    {L"C:\\work\\", L""},
    {L"", L"a.png"},
    {L"", L"C:\\a.png"},
    {L"", L""},
    {L"C:", L"a.png"},
    {L"C:\\work", L"D:\\x\\a.png"},
    {L"C:\\work", L"D:a.png"},
    {L"C:\\work\\run", L"\\x\\a.png"},
    {L"C:\\work\\run", L"\\"},
    {L"\\\\srv\\share\\dir", L"\\x"},
    {L"\\\\srv\\share\\dir", L"a\\b"},
    {L"\\\\srv\\share\\dir", L"..\\a"},
    {L"C:\\work", L"\\\\srv\\share\\a"},
    {L"\\\\srv\\share", L"..\\a"},
    {L"\\\\srv\\share\\", L"..\\a"},
    {L"\\\\srv\\share\\dir", L"..\\..\\a"},
    {L"\\\\srv\\share\\dir", L"..\\..\\..\\a"},
    {L"\\\\srv", L"a"},
    {L"\\work", L"a"},
    {L"\\work", L"\\a"},
    {L"C:\\work\\run", L"..\\out\\a.png"},
    {L"C:\\work\\run", L"..\\..\\a.png"},
    {L"C:\\work", L"..\\..\\..\\a.png"},
    {L"C:\\work", L".\\a.png"},
    {L"C:\\work", L"x\\.\\y\\.\\a"},
    {L"C:\\work", L"x\\.."},
    {L"C:\\work", L"x\\..\\"},
    {L"C:\\work", L".."},
    {L"C:\\", L".."},
    {L"C:\\", L"..\\a"},
    {L"C:\\work", L"a..b\\.c"},
    {L"C:\\work", L"a\\\\b"},
    {L"C:\\work\\.", L"a"},
    {L"C:\\work\\..", L"a"},
    {L"C:\\a\\b\\c", L"..\\..\\d\\..\\e"},
    {L"C:\\work", L"shots/a.png"},
    {L"C:\\work", L"/shots/a.png"},
    {L"D:\\Games\\Lorik", L"\u753B\u50CF\\Lk_045.png"},
    {L"C:\\work\\run", L"shots\\Lk_20180705_090307_045.png"},
    {L"C:\\work\\run", L"\\Lk_045.png"},
};

TEST(PathsAgainstShlwapi, Combine) {
  for (const Pair& p : kPairs)
    EXPECT_EQ(lorik::PathCombine(p.dir, p.file), PlatformCombine(p.dir, p.file))
        << Show(p.dir) << " + " << Show(p.file);
}

// A forward slash ends a component for us; shlwapi looks only for backslashes and spaces,
// so a dot in a folder before a slash would hide the missing extension of the file.
struct ExtensionDifference {
  std::wstring path;
  std::wstring ours;
  std::wstring platform;
};

TEST(PathsAgainstShlwapi, FindExtensionDiffersOnlyAtForwardSlashes) {
  const ExtensionDifference cases[] = {
      {L"C:\\my.shots/a", L"", L".shots/a"},
      {L"D:\\shots\\20190102.d/shot_090307", L"", L".d/shot_090307"},
      {L"C:/my.shots/a.png", L".png", L".png"},
  };
  for (const ExtensionDifference& c : cases) {
    EXPECT_EQ(lorik::PathFindExtension(c.path), c.ours) << Show(c.path);
    EXPECT_EQ(PlatformExtension(c.path), c.platform) << Show(c.path);
  }
}

// Where Wine's canonicalisation departs from Windows, ours follows Windows: a final "."
// goes with its backslash, and "..." is an ordinary name. The platform must give either
// the Windows result or exactly the known Wine one.
struct CombineDifference {
  Pair pair;
  std::wstring windows;
  std::wstring wine;
};

TEST(PathsAgainstShlwapi, CombineFollowsWindowsWhereWineDiffers) {
  const CombineDifference cases[] = {
      {{L"C:\\work", L"x\\."}, L"C:\\work\\x", L"C:\\work\\x\\."},
      {{L"C:\\work", L"."}, L"C:\\work", L"C:\\work\\."},
      {{L"C:\\", L"."}, L"C:\\", L"C:\\."},
      {{L"C:\\work", L"...\\a"}, L"C:\\work\\...\\a", L"C:.\\a"},
  };
  for (const CombineDifference& c : cases) {
    const std::optional<std::wstring> platform = PlatformCombine(c.pair.dir, c.pair.file);
    EXPECT_EQ(lorik::PathCombine(c.pair.dir, c.pair.file), c.windows)
        << Show(c.pair.dir) << " + " << Show(c.pair.file);
    ASSERT_TRUE(platform.has_value());
    EXPECT_TRUE(*platform == c.windows || *platform == c.wine) << Show(*platform);
  }
}

// Lengths around the limit: both refuse a joined path that does not fit.
TEST(PathsAgainstShlwapi, CombineAtTheLimit) {
  const std::wstring dir = L"C:\\" + std::wstring(200, L'd');
  for (std::size_t length = 50; length <= 60; ++length) {
    const std::wstring file(length, L'f');
    EXPECT_EQ(lorik::PathCombine(dir, file), PlatformCombine(dir, file)) << length;
    const std::wstring rooted = L"\\" + file;
    EXPECT_EQ(lorik::PathCombine(dir, rooted), PlatformCombine(dir, rooted)) << length;
  }
}

}  // namespace
