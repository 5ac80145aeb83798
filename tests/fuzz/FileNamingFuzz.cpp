#include <algorithm>
#include <string>
#include <vector>

#include "core/ImageType.h"
#include "core/Path.h"
#include "fuzz/Fuzz.h"
#include "pipeline/FileNaming.h"
#include "platform/Trace.h"

namespace lorik {
namespace {

using fuzz::Rng;

class NullTrace final : public TracePort {
 public:
  void Write(std::string_view) override {}
};

const std::vector<std::wstring> kRoots = {L"C:\\",      L"d:\\", L"C:", L"\\\\srv\\share\\",
                                          L"\\\\srv\\", L"\\",   L"",   L"//srv/share/",
                                          L"C:/"};
// Names most folders and patterns are made of, and the awkward ones, drawn less
// often so that most names are whole.
const std::vector<std::wstring> kPlainComponents = {L"shots", L"画像",   L"a b",  L"x.y z",
                                                    L".hide", L"%date%", L"NULL", L"COM0",
                                                    L"",      L".",      L"..",   L"sub"};
const std::vector<std::wstring> kAwkwardComponents = {
    L"NUL", L"con.txt", L"Com1",    L"lpt\u00b2", L"aux .", L"x.", L"x ",
    L"x:y", L"CONIN$",  L"conout$", L"prn .x",    L"...",   L"  "};
const std::vector<std::wstring> kPlainPieces = {
    L"%date%", L"%TIME%", L"%ms%", L"%msnz%", L"%sdate%", L"Lk_",  L"\\",   L"/", L"..",
    L".",      L"%",      L"50%",  L"%year",  L" ",       L".png", L"画像", L"a"};
const std::vector<std::wstring> kAwkwardPieces = {L"%week%", L"%%",   L"NUL", L"x:",
                                                  L"com9.",  L"\\\\", L"."};

std::wstring Component(Rng& rng) {
  return rng.OneIn(6) ? rng.Pick(kAwkwardComponents) : rng.Pick(kPlainComponents);
}

std::wstring Folder(Rng& rng) {
  std::wstring folder = rng.Pick(kRoots);
  const int64_t parts = rng.Between(0, 5);
  for (int64_t i = 0; i < parts; ++i) {
    if (i > 0) folder += rng.OneIn(5) ? L"/" : L"\\";
    folder += Component(rng);
  }
  // Long names, to reach the path limit from both sides.
  if (rng.OneIn(4)) folder += L"\\" + std::wstring(static_cast<size_t>(rng.Between(1, 260)), L'f');
  if (rng.OneIn(4)) folder += L"\\";
  return folder;
}

std::wstring Pattern(Rng& rng) {
  std::wstring pattern;
  const int64_t pieces = rng.Between(0, 8);
  for (int64_t i = 0; i < pieces; ++i)
    pattern += rng.OneIn(8) ? rng.Pick(kAwkwardPieces) : rng.Pick(kPlainPieces);
  if (rng.OneIn(6)) pattern += std::wstring(static_cast<size_t>(rng.Between(1, 260)), L'p');
  return pattern;
}

std::wstring CurrentDirectory(Rng& rng) {
  static const std::vector<std::wstring> dirs = {
      L"C:\\work", L"C:\\", L"\\\\srv\\share\\dir", L"E:\\a\\b\\c", L"", L"D:\\x\\..\\y", L"work"};
  std::wstring dir = rng.Pick(dirs);
  if (rng.OneIn(5)) dir += L"\\" + std::wstring(static_cast<size_t>(rng.Between(1, 250)), L'c');
  return dir;
}

SystemTime Time(Rng& rng) {
  auto field = [&](int64_t usual) {
    return static_cast<uint16_t>(rng.OneIn(8) ? rng.Between(0, 65535) : rng.Between(0, usual));
  };
  return SystemTime{field(9999), field(12), field(6),  field(31),
                    field(23),   field(59), field(59), field(999)};
}

std::vector<std::wstring> Components(std::wstring_view path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find(L'\\', start);
    parts.emplace_back(path.substr(start, end == std::wstring_view::npos ? end : end - start));
    if (end == std::wstring_view::npos) return parts;
    start = end + 1;
  }
}

// The platform's own rules for a name it would not keep as given: it drops a
// trailing dot or space, sends a device name (with any extension, before which
// spaces do not count) to the device, and takes a colon as the start of a
// stream name. Written apart from the code under test on purpose.
bool FileSystemAlters(const std::wstring& component) {
  if (component.empty() || component == L"." || component == L"..") return false;
  if (component.back() == L'.' || component.back() == L' ') return true;
  if (component.find(L':') != std::wstring::npos) return true;
  std::wstring base = component.substr(0, component.find(L'.'));
  base.erase(base.find_last_not_of(L' ') + 1);
  std::transform(base.begin(), base.end(), base.begin(), [](wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  });
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (base == device) return true;
  if (base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT")))
    return std::wstring_view(L"123456789\u00b9\u00b2\u00b3").find(base[3]) != std::wstring::npos;
  return false;
}

bool HasDots(std::wstring_view path) {
  const std::vector<std::wstring> parts = Components(path);
  return std::any_of(parts.begin(), parts.end(),
                     [](const std::wstring& p) { return p == L"." || p == L".."; });
}

// Whatever the folder, pattern and times: an Ok name is a whole path that fits
// the platform's buffers, lies in the folder and has no part the file system
// would change; a refusal names such a part; nothing is ever shortened.
TEST(FileNamingFuzz, OkNamesAreWholePathsTheFileSystemKeeps) {
  NullTrace trace;
  uint64_t ok = 0, tooLong = 0, refused = 0;
  const uint64_t done = fuzz::Run("file naming", 100000, 3.0, [&](Rng& rng) {
    ImageNameSource source;
    source.folder = Folder(rng);
    source.pattern = Pattern(rng);
    source.captureTime = Time(rng);
    source.startTime = rng.OneIn(2) ? source.captureTime : Time(rng);
    source.imageType = static_cast<int32_t>(rng.Between(-1, 11));
    source.currentDirectory = CurrentDirectory(rng);
    const ImageFilename name = CreateImageFilename(source, trace);
    const std::wstring& path = name.path;
    SCOPED_TRACE(testing::PrintToString(source.folder) + " " +
                 testing::PrintToString(source.pattern) + " in " +
                 testing::PrintToString(source.currentDirectory) + " -> " +
                 testing::PrintToString(path));

    std::wstring expanded;
    ExpandFileNamePattern(source.pattern, expanded, source.captureTime, source.startTime);
    std::replace(expanded.begin(), expanded.end(), L'/', L'\\');
    std::wstring folder = source.folder;
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    const std::wstring extension = ImageTypeExtension(source.imageType);

    if (name.status == ImageFilenameStatus::TooLong) {
      ++tooLong;
      EXPECT_GE(path.size(), kMaxPathChars);
      return;
    }
    // Everything else has been combined and fits.
    ASSERT_LT(path.size(), kMaxPathChars);
    EXPECT_EQ(path.find(L'/'), std::wstring::npos);
    // The drive of "C:" or "C:x" is no name.
    const std::vector<std::wstring> parts =
        Components(path.size() >= 2 && path[1] == L':' ? std::wstring_view(path).substr(2) : path);
    const bool altered = std::any_of(parts.begin(), parts.end(), FileSystemAlters);
    if (name.status == ImageFilenameStatus::Refused) {
      ++refused;
      const bool noFile = parts.back() == L"" || parts.back() == L"." || parts.back() == L"..";
      EXPECT_TRUE(altered || noFile || PathIsRelative(path))
          << "refused a name the file system keeps";
      return;
    }
    ++ok;
    EXPECT_FALSE(PathIsRelative(path));
    EXPECT_FALSE(altered) << "a part of the name would not be kept";
    EXPECT_TRUE(parts.back() != L"" && parts.back() != L"." && parts.back() != L"..")
        << "no file name";
    // Without navigation the name is the folder's, followed by the expanded pattern.
    if (HasDots(folder) || HasDots(expanded) || HasDots(source.currentDirectory)) return;
    std::wstring whole = folder + expanded;
    if (PathFindExtension(whole).empty()) whole += extension;
    if (PathIsRelative(whole)) {
      std::wstring dir = source.currentDirectory;
      if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
      whole = dir + whole;
    }
    EXPECT_EQ(path, whole);
  });
  std::printf("file naming: %llu ok, %llu too long, %llu refused\n",
              static_cast<unsigned long long>(ok), static_cast<unsigned long long>(tooLong),
              static_cast<unsigned long long>(refused));
  // About a quarter of the names are Ok, one in sixteen too long, the rest refused.
  fuzz::ExpectSeen(done, 256, ok, "Ok names");
  fuzz::ExpectSeen(done, 256, tooLong, "names too long");
  fuzz::ExpectSeen(done, 256, refused, "refused names");
}

}  // namespace
}  // namespace lorik
