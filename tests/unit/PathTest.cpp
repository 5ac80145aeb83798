#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/Path.h"

namespace lorik {
namespace {

struct ExtensionCase {
  std::wstring path;
  std::wstring extension;
};

TEST(PathTest, FindExtensionTakesTheLastComponentOnly) {
  const ExtensionCase cases[] = {
      {L"C:\\shots\\a.png", L".png"},
      {L"C:\\shots\\a.tar.gz", L".gz"},
      {L"a.b", L".b"},
      {L"C:\\shots\\a", L""},
      {L"", L""},
      {L"C:\\my.shots\\a", L""},        // a dot in a folder name does not count
      {L"C:\\my.shots/a", L""},         // nor before a forward slash
      {L"C:\\shots\\a.", L"."},         // a final dot is an empty extension
      {L"C:\\shots\\.png", L".png"},    // a leading-dot name is all extension
      {L"C:\\shots\\..", L"."},         // the last of the dots
      {L"C:\\shots\\a.tar gz", L""},    // a space after the dot ends it
      {L"C:\\shot s\\a.png", L".png"},  // a space before the dot does not
      {L"C:\\a b.c d.e", L".e"},
      {L"C:.txt", L".txt"},
      {L"\\\\server\\share.x\\f", L""},
      {L"D:\\shots\\shot.045", L".045"},
      {L"D:\\shots\\\u4E0D\u660E.\u5F62", L".\u5F62"},
  };
  for (const ExtensionCase& c : cases)
    EXPECT_EQ(PathFindExtension(c.path), c.extension) << testing::PrintToString(c.path);
}

struct RelativeCase {
  std::wstring path;
  bool relative;
};

TEST(PathTest, IsRelativeUnlessRootedOrOnADrive) {
  const RelativeCase cases[] = {
      {L"", true},         {L"shots", true},  {L"shots\\a.png", true},       {L".\\a", true},
      {L"..\\a", true},    {L"/shots", true},  // only a backslash roots a path here
      {L"\\shots", false}, {L"\\", false},    {L"\\\\server\\share", false}, {L"C:\\shots", false},
      {L"C:shots", false},  // drive-relative still names its drive
      {L"C:", false},      {L"z:", false},
  };
  for (const RelativeCase& c : cases)
    EXPECT_EQ(PathIsRelative(c.path), c.relative) << testing::PrintToString(c.path);
}

struct CombineCase {
  std::wstring dir;
  std::wstring file;
  std::optional<std::wstring> result;
};

TEST(PathTest, CombineJoinsAndCanonicalises) {
  const CombineCase cases[] = {
      {L"C:\\work", L"shots\\a.png", L"C:\\work\\shots\\a.png"},
      {L"C:\\work\\", L"a.png", L"C:\\work\\a.png"},
      {L"C:\\", L"a.png", L"C:\\a.png"},
      {L"C:\\work", L"", L"C:\\work"},
      {L"", L"a.png", L"a.png"},
      {L"", L"", L"\\"},
      // Absolute names ignore the folder; a rooted one goes on the folder's drive.
      {L"C:\\work", L"D:\\x\\a.png", L"D:\\x\\a.png"},
      {L"C:\\work", L"D:a.png", L"D:a.png"},
      {L"C:\\work\\run", L"\\x\\a.png", L"C:\\x\\a.png"},
      {L"\\\\srv\\share\\dir", L"\\x", L"\\\\srv\\share\\x"},
      {L"C:\\work", L"\\\\srv\\share\\a", L"\\\\srv\\share\\a"},
      // "." and "..".
      {L"C:\\work\\run", L"..\\out\\a.png", L"C:\\work\\out\\a.png"},
      {L"C:\\work\\run", L"..\\..\\a.png", L"C:\\a.png"},
      {L"C:\\work", L"..\\..\\..\\a.png", L"C:\\a.png"},  // never above the root
      {L"C:\\work", L".\\a.png", L"C:\\work\\a.png"},
      {L"C:\\work", L"x\\.\\y\\.\\a", L"C:\\work\\x\\y\\a"},
      {L"C:\\work", L"x\\.", L"C:\\work\\x"},
      {L"C:\\work", L"x\\..", L"C:\\work"},
      {L"C:\\work", L"..", L"C:\\"},
      {L"C:\\", L".", L"C:\\"},
      {L"\\\\srv\\share\\dir", L"..\\a", L"\\\\srv\\share\\a"},
      {L"\\\\srv\\share\\dir", L"..\\..\\..\\a", L"\\\\srv\\a"},  // never above the server
      {L"C:\\work", L"...\\a", L"C:\\work\\...\\a"},              // three dots are a name
      {L"C:\\work", L"a..b\\.c", L"C:\\work\\a..b\\.c"},
  };
  for (const CombineCase& c : cases)
    EXPECT_EQ(PathCombine(c.dir, c.file), c.result)
        << testing::PrintToString(c.dir) << " + " << testing::PrintToString(c.file);
}

TEST(PathTest, CombineRefusesWhatDoesNotFitInsteadOfTruncating) {
  const std::wstring dir = L"C:\\" + std::wstring(200, L'd');                // 203 characters
  const std::wstring fits = std::wstring(254 - dir.size(), L'f') + L".png";  // 259 in all
  ASSERT_EQ(PathCombine(dir, fits), dir + L"\\" + fits);
  EXPECT_EQ(PathCombine(dir, L"x" + fits), std::nullopt);
  // Each part alone must fit as well.
  const std::wstring longFile = L"C:\\" + std::wstring(kMaxPathChars, L'f');
  EXPECT_EQ(PathCombine(L"C:\\work", longFile), std::nullopt);
  EXPECT_EQ(PathCombine(longFile, L""), std::nullopt);
  // The joined text counts, even when ".." would shorten the result.
  EXPECT_EQ(PathCombine(dir, std::wstring(60, L'x') + L"\\..\\a"), std::nullopt);
}

}  // namespace
}  // namespace lorik
