#include <algorithm>
#include <string>
#include <vector>

#include "core/Text.h"
#include "fakes/FakeFiles.h"
#include "fuzz/Fuzz.h"
#include "fuzz/HeapCount.h"
#include "settings/IniFile.h"

namespace lorik {
namespace {

using fuzz::Rng;

// Pieces that INI files are made of, the awkward ones included.
const std::vector<std::wstring> kNames = {L"Save",       L"save",  L"MultiShot01", L" Hotkey ",
                                          L"設定",       L"a b",   L"x",           L"Ünï",
                                          L"\U0001F600", L"K\tey", L"0",           L""};
const std::vector<std::wstring> kValues = {
    L"",      L"7",   L"0x1F",   L"-12",       L"4294967297", L" padded ", L"\"quoted\"",
    L"'one'", L"\"",  L"a=b",    L";x",        L"[x]",        L"C:\\画像", L"\u00A0nbsp\u3000",
    L"\x1A",  L"%d%", L"0b101z", L"\U00010000"};
const std::vector<std::wstring> kBreaks = {L"\r\n", L"\n", L"\r", L"\n\r", L"\r\r\n"};

std::wstring Blanks(Rng& rng) {
  static const std::vector<std::wstring> blanks = {L"", L"", L" ", L"\t", L"  ", L"\v", L"\f"};
  return rng.Pick(blanks);
}

// Text with sections, entries, comments and blank lines in any order and spelling.
std::wstring IniText(Rng& rng) {
  std::wstring text;
  const int64_t lines = rng.Between(0, 40);
  for (int64_t i = 0; i < lines; ++i) {
    switch (rng.Between(0, 6)) {
      case 0:
        text += Blanks(rng) + L"[" + rng.Pick(kNames) + L"]" + Blanks(rng);
        break;
      case 1:
        text += L"; " + rng.Pick(kValues);
        break;
      case 2:
        text += Blanks(rng);
        break;
      case 3:
        text += L"[" + rng.Pick(kNames);  // no closing bracket: not a header
        break;
      default:
        text += Blanks(rng) + rng.Pick(kNames) + Blanks(rng) + L"=" + Blanks(rng) +
                rng.Pick(kValues) + Blanks(rng);
    }
    text += rng.Pick(kBreaks);
  }
  if (rng.OneIn(3) && !text.empty()) text.pop_back();
  return text;
}

std::vector<uint8_t> Encode(Rng& rng, const std::wstring& text) {
  std::vector<uint8_t> bytes;
  switch (rng.Between(0, 3)) {
    case 0:
    case 1: {
      const bool big = rng.OneIn(2);
      bytes = big ? std::vector<uint8_t>{0xFE, 0xFF} : std::vector<uint8_t>{0xFF, 0xFE};
      for (char16_t u : ToUtf16(text)) {
        const uint8_t high = static_cast<uint8_t>(u >> 8), low = static_cast<uint8_t>(u & 0xFF);
        bytes.push_back(big ? high : low);
        bytes.push_back(big ? low : high);
      }
      break;
    }
    case 2: {
      const std::string utf8 = (rng.OneIn(2) ? "\xEF\xBB\xBF" : "") + ToUtf8(text);
      bytes.assign(utf8.begin(), utf8.end());
      break;
    }
    default:
      for (wchar_t c : text) bytes.push_back(static_cast<uint8_t>(c));  // 8-bit text
  }
  return bytes;
}

// Flips, drops, repeats and inserts bytes, so that every decoder sees broken input too.
void Mutate(Rng& rng, std::vector<uint8_t>& bytes) {
  const int64_t edits = rng.Between(0, 8);
  for (int64_t i = 0; i < edits; ++i) {
    const size_t at = bytes.empty() ? 0 : static_cast<size_t>(rng.Between(0, bytes.size() - 1));
    switch (rng.Between(0, 3)) {
      case 0:
        if (!bytes.empty()) bytes[at] ^= static_cast<uint8_t>(1u << rng.Between(0, 7));
        break;
      case 1:
        if (!bytes.empty()) bytes.erase(bytes.begin() + static_cast<ptrdiff_t>(at));
        break;
      case 2: {
        const size_t length = std::min<size_t>(bytes.size() - at, rng.Between(0, 16));
        std::vector<uint8_t> chunk(bytes.begin() + static_cast<ptrdiff_t>(at),
                                   bytes.begin() + static_cast<ptrdiff_t>(at + length));
        bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(at), chunk.begin(), chunk.end());
        break;
      }
      default:
        bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(at),
                     static_cast<uint8_t>(rng.Between(0, 255)));
    }
  }
}

// What a reader of the file sees: every section's keys with their string and
// integer readings, in order.
std::vector<std::wstring> Content(const IniFile& ini) {
  std::vector<std::wstring> seen;
  for (const std::wstring& section : ini.SectionNames()) {
    seen.push_back(L"[" + section + L"]");
    for (const std::wstring& key : ini.KeyNames(section))
      seen.push_back(key + L"=" + ini.GetString(section, key, L"<none>") + L"|" +
                     std::to_wstring(ini.GetInt(section, key, -77)));
  }
  return seen;
}

// Whatever the bytes, writing the content and reading it back changes nothing
// a reader sees, and the text stays as it was written.
TEST(IniFileFuzz, WrittenContentReadsBackTheSame) {
  uint64_t withKeys = 0;
  const uint64_t done = fuzz::Run("ini round trip", 20000, 3.0, [&](Rng& rng) {
    std::vector<uint8_t> bytes = Encode(rng, IniText(rng));
    if (rng.OneIn(2)) Mutate(rng, bytes);
    const IniFile ini = IniFile::Parse(bytes);
    const IniFile again = IniFile::Parse(ini.Serialize());
    EXPECT_TRUE(again.Lossless());
    EXPECT_EQ(again.Text(), ini.Text());
    const std::vector<std::wstring> content = Content(ini);
    EXPECT_EQ(Content(again), content);
    // An empty reading on both sides would compare equal whatever the parser did.
    withKeys += std::any_of(content.begin(), content.end(),
                            [](const std::wstring& line) { return !line.starts_with(L"["); });
    // A value is never read longer than the profile buffer allows.
    for (const std::wstring& section : ini.SectionNames())
      for (const std::wstring& key : ini.KeyNames(section))
        EXPECT_LE(ini.GetString(section, key, L"").size(), IniFile::kMaxValueLength);
  });
  fuzz::ExpectSeen(done, 64, withKeys, "files with a key");
}

// Keys written into any file read back as given, once written and read again,
// and the other keys keep their readings.
TEST(IniFileFuzz, SetValuesReadBackAsGiven) {
  // Names of sections and keys that a file can hold: no line breaks, no '=' in a
  // key, no brackets, no leading ';', not blank.
  const std::vector<std::wstring> names = {L"Save", L"MultiShot01", L"キー", L"a b", L"X", L"k.1"};
  fuzz::Run("ini set", 20000, 3.0, [&](Rng& rng) {
    std::vector<uint8_t> bytes = Encode(rng, IniText(rng));
    if (rng.OneIn(3)) Mutate(rng, bytes);
    IniFile ini = IniFile::Parse(bytes);
    struct Written {
      std::wstring section, key, value;
    };
    std::vector<Written> written;
    const int64_t sets = rng.Between(1, 6);
    for (int64_t i = 0; i < sets; ++i) {
      Written w{rng.Pick(names), rng.Pick(names), L""};
      const int64_t parts = rng.Between(0, 4);
      for (int64_t p = 0; p < parts; ++p)
        w.value += rng.OneIn(4)   ? rng.Pick(kBreaks)
                   : rng.OneIn(2) ? Blanks(rng)
                                  : rng.Pick(kValues);
      if (rng.OneIn(50)) w.value.append(static_cast<size_t>(rng.Between(4000, 5000)), L'v');
      ini.Set(w.section, w.key, w.value);
      std::erase_if(written, [&](const Written& old) {
        return AsciiLower(old.section) == AsciiLower(w.section) &&
               AsciiLower(old.key) == AsciiLower(w.key);
      });
      written.push_back(w);
    }
    const IniFile again = IniFile::Parse(ini.Serialize());
    EXPECT_EQ(Content(again), Content(ini));
    for (const Written& w : written) {
      std::wstring expected = w.value;
      std::replace(expected.begin(), expected.end(), L'\r', L' ');
      std::replace(expected.begin(), expected.end(), L'\n', L' ');
      expected.resize(std::min(expected.size(), IniFile::kMaxValueLength));
      EXPECT_EQ(again.GetString(w.section, w.key, L"<none>"), expected)
          << testing::PrintToString(w.section) << " " << testing::PrintToString(w.key);
    }
  });
}

struct LargeFile {
  const char* name;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Repeated(std::string_view piece, size_t size) {
  std::vector<uint8_t> bytes;
  bytes.reserve(size);
  while (bytes.size() < size)
    bytes.push_back(static_cast<uint8_t>(piece[bytes.size() % piece.size()]));
  return bytes;
}

// The largest file that is read, of the lines that cost the most memory per
// byte, takes memory in proportion to its size; anything larger is not parsed.
TEST(IniFileFuzz, MemoryStaysInProportionToTheFileCap) {
  constexpr size_t cap = IniFile::kMaxFileBytes;
  std::vector<uint8_t> utf16Breaks = {0xFF, 0xFE};
  while (utf16Breaks.size() < cap) utf16Breaks.insert(utf16Breaks.end(), {'\n', 0});
  std::vector<uint8_t> hugeLine = Repeated("k=", 2);
  hugeLine.resize(cap, 'x');
  const LargeFile read[] = {
      {"empty lines", Repeated("\n", cap)},
      {"empty utf-16 lines", utf16Breaks},
      {"entries", Repeated("a=\n", cap)},
      {"headers", Repeated("[]\n", cap)},
      {"one line", hugeLine},
  };
  // The heap's peak while a file of these bytes is loaded; `ini` is what it read.
  const auto peakOfLoad = [](const LargeFile& file, bool loaded, IniFile& ini) {
    FakeFiles files;
    files.files[L"big.ini"] = file.bytes;
    fuzz::ResetHeapPeak();
    const size_t before = fuzz::HeapInUse();
    EXPECT_EQ(ini.Load(files, L"big.ini"), loaded) << file.name;
    return fuzz::HeapPeak() - before;
  };
  // The per-line cost of a million-line file is the bound to keep; a few hundred
  // bytes a line is what a vector of small records takes.
  constexpr size_t bound = 256 * cap;
  for (const LargeFile& file : read) {
    IniFile ini;
    const size_t used = peakOfLoad(file, true, ini);
    std::printf("ini memory: %s, %zu bytes: peak %zu bytes (%.0f per byte)\n", file.name,
                file.bytes.size(), used, static_cast<double>(used) / file.bytes.size());
    EXPECT_LE(used, bound) << file.name;
    // The port's copy of the bytes alone takes this much: the count is not idle.
    EXPECT_GE(used, file.bytes.size()) << file.name;
  }

  const LargeFile refused[] = {
      {"millions of empty lines", Repeated("\n", 3 * cap)},
      {"one byte over", Repeated("a=\n", cap + 1)},
  };
  for (const LargeFile& file : refused) {
    IniFile ini;
    // Only the copy of the bytes that the port hands over.
    const size_t used = peakOfLoad(file, false, ini);
    EXPECT_LE(used, file.bytes.size() + 4096) << file.name;
    EXPECT_GE(used, file.bytes.size()) << file.name;
    EXPECT_TRUE(ini.SectionNames().empty());
  }
}

}  // namespace
}  // namespace lorik
