#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Path.h"
#include "pipeline/FileNaming.h"
#include "platform/Trace.h"

namespace lorik {
namespace {

// Every field differs between the two times and has a leading zero to drop.
constexpr SystemTime kCapture{2018, 7, 4, 5, 9, 3, 7, 45};
constexpr SystemTime kStart{2019, 1, 3, 2, 3, 4, 5, 6};
// Two- and three-digit values, which the nz forms must keep whole.
constexpr SystemTime kWideCapture{2020, 10, 2, 20, 10, 30, 50, 100};
constexpr SystemTime kWideStart{2021, 11, 4, 21, 11, 31, 51, 210};

struct ExpandCase {
  std::wstring pattern;
  std::wstring narrow;  // with kCapture and kStart
  std::wstring wide;    // with kWideCapture and kWideStart
};

TEST(ExpandFileNamePatternTest, EveryMetaCharacterTakesItsTimeAndFormat) {
  const ExpandCase cases[] = {
      {L"%year%", L"2018", L"2020"},
      {L"%syear%", L"2019", L"2021"},
      {L"%month%", L"07", L"10"},
      {L"%monthnz%", L"7", L"10"},
      {L"%smonth%", L"01", L"11"},
      {L"%smonthnz%", L"1", L"11"},
      {L"%day%", L"05", L"20"},
      {L"%daynz%", L"5", L"20"},
      {L"%sday%", L"02", L"21"},
      {L"%sdaynz%", L"2", L"21"},
      {L"%date%", L"20180705", L"20201020"},
      {L"%sdate%", L"20190102", L"20211121"},
      {L"%hour%", L"09", L"10"},
      {L"%hournz%", L"9", L"10"},
      {L"%shour%", L"03", L"11"},
      {L"%shournz%", L"3", L"11"},
      {L"%min%", L"03", L"30"},
      {L"%minnz%", L"3", L"30"},
      {L"%smin%", L"04", L"31"},
      {L"%sminnz%", L"4", L"31"},
      {L"%sec%", L"07", L"50"},
      {L"%secnz%", L"7", L"50"},
      {L"%ssec%", L"05", L"51"},
      {L"%ssecnz%", L"5", L"51"},
      {L"%time%", L"090307", L"103050"},
      {L"%stime%", L"030405", L"113151"},
      {L"%ms%", L"045", L"100"},
      {L"%msnz%", L"45", L"100"},
      {L"%sms%", L"006", L"210"},
      {L"%smsnz%", L"6", L"210"},
  };
  for (const ExpandCase& c : cases) {
    std::wstring narrow;
    EXPECT_TRUE(ExpandFileNamePattern(c.pattern, narrow, kCapture, kStart));
    EXPECT_EQ(narrow, c.narrow) << testing::PrintToString(c.pattern);
    std::wstring wide;
    EXPECT_TRUE(ExpandFileNamePattern(c.pattern, wide, kWideCapture, kWideStart));
    EXPECT_EQ(wide, c.wide) << testing::PrintToString(c.pattern);
  }
}

TEST(ExpandFileNamePatternTest, SmallValuesArePaddedAndYearsAreNot) {
  const SystemTime early{987, 1, 0, 1, 0, 0, 0, 0};
  std::wstring out;
  EXPECT_TRUE(ExpandFileNamePattern(L"%date%_%time%_%ms%_%msnz%_%hournz%", out, early, early));
  EXPECT_EQ(out, L"9870101_000000_000_0_0");
}

struct TextCase {
  std::wstring pattern;
  std::wstring output;
  bool complete;
};

TEST(ExpandFileNamePatternTest, TextCaseAndPercentSigns) {
  const TextCase cases[] = {
      {L"", L"", true},
      {L"Lk_%date%_%time%_%ms%", L"Lk_20180705_090307_045", true},
      {L"%DATE%", L"20180705", true},
      {L"%Year%", L"2018", true},
      {L"%sMsNz%-%TiMe%", L"6-090307", true},
      {L"%sdate%\\shot_%time%", L"20190102\\shot_090307", true},
      {L"\u753B\u50CF_%ms%", L"\u753B\u50CF_045", true},
      {L"50%", L"50%", true},
      {L"%year", L"%year", true},
      {L"a%date%b%", L"a20180705b%", true},
      {L"%date%%time%", L"20180705090307", true},
      // No escape for a percent sign: "%%" is an unknown name, and so is "%_%".
      {L"100%%", L"100\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%%", false},
      {L"%week%", L"\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%week%", false},
      // The token is shown lowered and the rest of the pattern is dropped.
      {L"a%Date%b%WEEK%c%time%",
       L"a20180705b\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%week%", false},
      {L"1%_%date%", L"1\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%_%", false},
      {L"% date%", L"\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:% date%", false},
      {L"%dates%", L"\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%dates%", false},
  };
  for (const TextCase& c : cases) {
    std::wstring out;
    EXPECT_EQ(ExpandFileNamePattern(c.pattern, out, kCapture, kStart), c.complete)
        << testing::PrintToString(c.pattern);
    EXPECT_EQ(out, c.output) << testing::PrintToString(c.pattern);
  }
}

TEST(ExpandFileNamePatternTest, AppendsToTheOutput) {
  std::wstring out = L"preview: ";
  EXPECT_TRUE(ExpandFileNamePattern(L"%ms%", out, kCapture, kStart));
  EXPECT_EQ(out, L"preview: 045");
  EXPECT_FALSE(ExpandFileNamePattern(L"%x%", out, kCapture, kStart));
  EXPECT_EQ(out, L"preview: 045\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%x%");
}

class RecordingTrace final : public TracePort {
 public:
  void Write(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

struct NameCase {
  std::wstring folder;
  std::wstring pattern;
  int32_t type;
  std::wstring path;
};

class CreateImageFilenameTest : public testing::Test {
 protected:
  ImageFilename Create(std::wstring folder, std::wstring pattern, int32_t type = 4,
                       std::wstring currentDirectory = L"C:\\work\\run") {
    return CreateImageFilename({std::move(folder), std::move(pattern), kCapture, kStart, type,
                                std::move(currentDirectory)},
                               trace_);
  }
  RecordingTrace trace_;
};

TEST_F(CreateImageFilenameTest, FolderNameAndExtension) {
  const NameCase cases[] = {
      {L"D:\\shots", L"Lk_%date%_%time%_%ms%", 4, L"D:\\shots\\Lk_20180705_090307_045.png"},
      {L"D:\\shots\\", L"Lk_%ms%", 4, L"D:\\shots\\Lk_045.png"},
      {L"D:\\shots/", L"Lk_%ms%", 4, L"D:\\shots\\Lk_045.png"},
      {L"D:/shots/", L"Lk_%ms%", 4, L"D:\\shots\\Lk_045.png"},
      {L"D:/shots", L"Lk_%ms%", 4, L"D:\\shots\\Lk_045.png"},
      {L"D:\\", L"Lk_%ms%", 4, L"D:\\Lk_045.png"},
      {L"D:", L"Lk_%ms%", 4, L"D:\\Lk_045.png"},
      {L"\\\\srv\\share", L"%ms%", 4, L"\\\\srv\\share\\045.png"},
      {L"D:\\shots", L"%sdate%\\shot_%time%", 4, L"D:\\shots\\20190102\\shot_090307.png"},
      {L"D:\\shots", L"%sdate%/shot_%time%", 4, L"D:\\shots\\20190102\\shot_090307.png"},
      // Each type's extension, the current one deciding.
      {L"D:\\s", L"%ms%", 1, L"D:\\s\\045.bmp"},
      {L"D:\\s", L"%ms%", 2, L"D:\\s\\045.gif"},
      {L"D:\\s", L"%ms%", 3, L"D:\\s\\045.jpg"},
      {L"D:\\s", L"%ms%", 5, L"D:\\s\\045.tif"},
      {L"D:\\s", L"%ms%", 7, L"D:\\s\\045.emf"},
      {L"D:\\s", L"%ms%", 8, L"D:\\s\\045.exif"},
      {L"D:\\s", L"%ms%", 9, L"D:\\s\\045.wmf"},
      // A name that has an extension keeps it alone.
      {L"D:\\shots", L"%time%.bmp", 4, L"D:\\shots\\090307.bmp"},
      {L"D:\\shots", L"shot.%ms%", 4, L"D:\\shots\\shot.045"},
      {L"D:\\shots", L".%ms%", 4, L"D:\\shots\\.045"},
      // A dot elsewhere does not.
      {L"D:\\my.shots", L"%time%", 4, L"D:\\my.shots\\090307.png"},
      {L"D:\\shots", L"%sdate%.d\\%time%", 4, L"D:\\shots\\20190102.d\\090307.png"},
      {L"D:\\shots", L"a.b c", 4, L"D:\\shots\\a.b c.png"},
      // Relative folders go under the current directory, canonicalised.
      {L"shots", L"%ms%", 4, L"C:\\work\\run\\shots\\045.png"},
      {L".\\shots", L"%ms%", 4, L"C:\\work\\run\\shots\\045.png"},
      {L"..\\out", L"%ms%", 4, L"C:\\work\\out\\045.png"},
      {L"shots", L"..\\%ms%", 4, L"C:\\work\\run\\045.png"},
      // Rooted and drive paths are left as they are.
      {L"\\shots", L"%ms%", 4, L"\\shots\\045.png"},
      {L"D:shots", L"%ms%", 4, L"D:shots\\045.png"},
      {L"D:\\a\\..\\b", L"%ms%", 4, L"D:\\a\\..\\b\\045.png"},
      // An empty folder leaves a rooted path with an empty folder part.
      {L"", L"Lk_%ms%", 4, L"\\Lk_045.png"},
  };
  for (const NameCase& c : cases) {
    const ImageFilename name = Create(c.folder, c.pattern, c.type);
    EXPECT_EQ(name.status, ImageFilenameStatus::Ok) << testing::PrintToString(c.folder);
    EXPECT_EQ(name.path, c.path) << testing::PrintToString(c.folder) << " "
                                 << testing::PrintToString(c.pattern);
  }
  EXPECT_TRUE(trace_.lines.empty());
}

// Names that the file system would alter or swallow are refused whole.
TEST_F(CreateImageFilenameTest, NamesTheFileSystemWouldAlterAreRefused) {
  const NameCase refused[] = {
      {L"D:\\shots", L"NUL", 4, L"D:\\shots\\NUL.png"},
      {L"D:\\shots", L"con.txt", 4, L"D:\\shots\\con.txt"},
      {L"D:\\shots", L"Com7", 4, L"D:\\shots\\Com7.png"},
      {L"D:\\shots", L"lpt1 ", 4, L"D:\\shots\\lpt1 .png"},
      {L"D:\\shots", L"prn\\x", 4, L"D:\\shots\\prn\\x.png"},
      {L"D:\\aux", L"x", 4, L"D:\\aux\\x.png"},
      {L"D:\\shots", L"x.", 4, L"D:\\shots\\x."},
      {L"D:\\shots.", L"x", 4, L"D:\\shots.\\x.png"},
      {L"D:\\shots ", L"x", 4, L"D:\\shots \\x.png"},
      // A colon starts a stream name: the file would be "shot". An unknown name keeps
      // its message, so the save fails on the message's colon.
      {L"D:\\shots", L"shot:x", 4, L"D:\\shots\\shot:x.png"},
      {L"D:\\shots", L"x%week%y", 4,
       L"D:\\shots\\x\u4E0D\u660E\u306A\u30D1\u30E9\u30E1\u30FC\u30BF\u3067\u3059:%week%.png"},
      {L"shots:x", L"a", 4, L"C:\\work\\run\\shots:x\\a.png"},
      // Names of a folder, not of a file.
      {L"D:\\shots", L"x\\", 0, L"D:\\shots\\x\\"},
      {L"D:\\shots", L"x\\.", 4, L"D:\\shots\\x\\."},
      {L"D:\\shots", L"..", 4, L"D:\\shots\\.."},
  };
  for (const NameCase& c : refused) {
    const ImageFilename name = Create(c.folder, c.pattern, c.type);
    EXPECT_EQ(name.status, ImageFilenameStatus::Refused) << testing::PrintToString(c.pattern);
    EXPECT_EQ(name.path, c.path);
  }
  // Close relatives of device names are plain names.
  for (const wchar_t* kept : {L"NULL", L"con1", L"COM0", L"COM10", L"LPT", L"x.y z", L"..\\x"}) {
    EXPECT_EQ(Create(L"D:\\shots", kept, 4).status, ImageFilenameStatus::Ok)
        << testing::PrintToString(std::wstring(kept));
  }
}

TEST_F(CreateImageFilenameTest, TypeWithoutExtensionAddsNothingAndTraces) {
  for (int32_t type : {0, 6, 10, -1}) {
    trace_.lines.clear();
    const ImageFilename name = Create(L"D:\\shots", L"Lk_%ms%", type);
    EXPECT_EQ(name.status, ImageFilenameStatus::Ok);
    EXPECT_EQ(name.path, L"D:\\shots\\Lk_045") << type;
    EXPECT_EQ(trace_.lines, std::vector<std::string>{"Unknown type given to CreateImageFilename\n"})
        << type;
  }
  // No trace when the name brings its own extension.
  trace_.lines.clear();
  EXPECT_EQ(Create(L"D:\\shots", L"a.bmp", 0).path, L"D:\\shots\\a.bmp");
  EXPECT_TRUE(trace_.lines.empty());
}

TEST_F(CreateImageFilenameTest, TheCurrentDirectoryIsReadForRelativePathsOnly) {
  EXPECT_EQ(Create(L"shots", L"a", 4, L"E:\\other").path, L"E:\\other\\shots\\a.png");
  EXPECT_EQ(Create(L"shots", L"a", 4, L"E:\\").path, L"E:\\shots\\a.png");
  EXPECT_EQ(Create(L"shots", L"a", 4, L"\\\\srv\\share\\dir").path,
            L"\\\\srv\\share\\dir\\shots\\a.png");
  EXPECT_EQ(Create(L"D:\\shots", L"a", 4, L"E:\\other").path, L"D:\\shots\\a.png");
  // A current directory that could not be read, or one that is itself relative,
  // leaves no whole path to write to.
  for (const wchar_t* unknown : {L"", L"run"}) {
    const ImageFilename name = Create(L"shots", L"a", 4, unknown);
    EXPECT_EQ(name.status, ImageFilenameStatus::Refused) << testing::PrintToString(unknown);
    EXPECT_EQ(name.path, std::wstring(*unknown ? L"run\\" : L"") + L"shots\\a.png");
  }
}

TEST_F(CreateImageFilenameTest, PathsBeyondTheLimitAreRefusedWhole) {
  // "D:\" + folder + "\" + name + ".png": 259 characters fit, 260 do not.
  const std::wstring folder = L"D:\\" + std::wstring(200, L'f');
  const std::wstring name(259 - folder.size() - 1 - 4, L'n');
  const ImageFilename fits = Create(folder, name);
  EXPECT_EQ(fits.status, ImageFilenameStatus::Ok);
  EXPECT_EQ(fits.path.size(), kMaxPathChars - 1);

  const ImageFilename over = Create(folder, name + L"n");
  EXPECT_EQ(over.status, ImageFilenameStatus::TooLong);
  EXPECT_EQ(over.path, folder + L"\\" + name + L"n.png");  // nothing cut off

  // Meta-characters count by their expansion: "%date%" is six characters, its value eight.
  const std::wstring almost(259 - folder.size() - 1 - 4 - 8, L'n');
  EXPECT_EQ(Create(folder, almost + L"%date%").status, ImageFilenameStatus::Ok);
  EXPECT_EQ(Create(folder, almost + L"n%date%").status, ImageFilenameStatus::TooLong);
}

TEST_F(CreateImageFilenameTest, RelativePathsCountWithTheCurrentDirectory) {
  const std::wstring cwd = L"C:\\" + std::wstring(200, L'c');
  // The relative part alone is short; joined to the directory it is 260 characters.
  const std::wstring pattern(260 - cwd.size() - 1 - std::wstring(L"shots\\").size() - 4, L'n');
  const ImageFilename over = Create(L"shots", pattern, 4, cwd);
  EXPECT_EQ(over.status, ImageFilenameStatus::TooLong);
  EXPECT_EQ(over.path, cwd + L"\\shots\\" + pattern + L".png");

  const ImageFilename fits = Create(L"shots", pattern.substr(1), 4, cwd);
  EXPECT_EQ(fits.status, ImageFilenameStatus::Ok);
  EXPECT_EQ(fits.path, cwd + L"\\shots\\" + pattern.substr(1) + L".png");
}

}  // namespace
}  // namespace lorik
