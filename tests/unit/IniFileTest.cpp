#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Text.h"
#include "fakes/FakeFiles.h"
#include "settings/IniFile.h"

namespace lorik {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16Le(std::wstring_view text, bool bom = true) {
  std::vector<uint8_t> out;
  if (bom) out = {0xFF, 0xFE};
  for (char16_t u : ToUtf16(text)) {
    out.push_back(static_cast<uint8_t>(u & 0xFF));
    out.push_back(static_cast<uint8_t>(u >> 8));
  }
  return out;
}

std::vector<uint8_t> Utf16Be(std::wstring_view text) {
  std::vector<uint8_t> out = {0xFE, 0xFF};
  for (char16_t u : ToUtf16(text)) {
    out.push_back(static_cast<uint8_t>(u >> 8));
    out.push_back(static_cast<uint8_t>(u & 0xFF));
  }
  return out;
}

std::vector<uint8_t> Utf8(std::wstring_view text, bool bom) {
  std::string bytes = bom ? "\xEF\xBB\xBF" : "";
  bytes += ToUtf8(text);
  return Bytes(bytes);
}

const std::wstring kJapaneseFolder = L"C:\\画像\\ゲーム";

struct EncodingCase {
  const char* name;
  std::vector<uint8_t> bytes;
  std::wstring folder;
};

TEST(IniFileTest, ReadsEveryEncoding) {
  const std::wstring text = L"[Save]\r\nFolder=" + kJapaneseFolder + L"\r\nCount=7\r\n";
  const EncodingCase cases[] = {
      {"utf-16le", Utf16Le(text), kJapaneseFolder},
      {"utf-16be", Utf16Be(text), kJapaneseFolder},
      {"utf-8 with bom", Utf8(text, true), kJapaneseFolder},
      {"utf-8 without bom", Utf8(text, false), kJapaneseFolder},
      {"utf-16le, non-bmp", Utf16Le(L"[Save]\nFolder=D:\\\U0001F600\nCount=7"), L"D:\\\U0001F600"},
      // Not valid UTF-8: every byte is a Windows-1252 character.
      {"ansi", Bytes("[Save]\r\nFolder=C:\\caf\xE9\\\x80\x81\r\nCount=7\r\n"),
       L"C:\\caf\u00E9\\\u20AC\u0081"},
      {"ansi, overlong utf-8 form", Bytes("[Save]\nFolder=\xC0\xAF\nCount=7\n"), L"\u00C0\u00AF"},
      {"lone cr line ends", Bytes("[Save]\rFolder=x\rCount=7\r"), L"x"},
      {"lf line ends", Bytes("[Save]\nFolder=x\nCount=7"), L"x"},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile file = IniFile::Parse(c.bytes);
    EXPECT_EQ(file.GetString(L"Save", L"Folder", L"?"), c.folder);
    EXPECT_EQ(file.GetInt(L"Save", L"Count", -1), 7);
  }
}

// Bytes that do not decode are never turned into characters they do not stand
// for, and the file says so, so that it is not written back with the loss.
TEST(IniFileTest, IllFormedTextIsReplacedAndMarkedLossy) {
  const EncodingCase lossy[] = {
      {"utf-8 bom, overlong slash", Bytes("\xEF\xBB\xBF[S]\nFolder=a\xC0\xAF\n"), L"a\uFFFD\uFFFD"},
      {"utf-8 bom, surrogate", Bytes("\xEF\xBB\xBF[S]\nFolder=a\xED\xA0\x80\n"),
       L"a\uFFFD\uFFFD\uFFFD"},
      {"utf-8 bom, above U+10FFFF", Bytes("\xEF\xBB\xBF[S]\nFolder=a\xF4\x90\x80\x80\n"),
       L"a\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"utf-8 bom, cut sequence", Bytes("\xEF\xBB\xBF[S]\nFolder=a\xE3\x81\n"), L"a\uFFFD\uFFFD"},
      {"utf-16le, lone high surrogate",
       {0xFF, 0xFE, '[', 0,   'S', 0,   ']', 0,   '\n', 0,   'F', 0,    'o',  0,    'l',
        0,    'd',  0,   'e', 0,   'r', 0,   '=', 0,    'a', 0,   0x00, 0xD8, '\n', 0},
       L"a\uFFFD"},
      {"utf-16le, odd byte count", {0xFF, 0xFE, '[', 0, 'S', 0, ']', 0, 'x'}, L"?"},
  };
  for (const EncodingCase& c : lossy) {
    SCOPED_TRACE(c.name);
    const IniFile file = IniFile::Parse(c.bytes);
    EXPECT_FALSE(file.Lossless());
    EXPECT_EQ(file.GetString(L"S", L"Folder", L"?"), c.folder);
  }
  for (const auto& bytes : {Bytes("[S]\nFolder=caf\xE9"), Bytes("\xEF\xBB\xBF[S]\nF=\xE3\x81\x82"),
                            Utf16Le(L"[S]\nF=\U0001F600")}) {
    EXPECT_TRUE(IniFile::Parse(bytes).Lossless());
  }
}

TEST(IniFileTest, AnsiDecoderIsUsedOnlyForEightBitText) {
  int calls = 0;
  IniFile::AnsiDecoder decoder = [&calls](std::string_view bytes) {
    ++calls;
    return std::wstring(L"[A]\r\nKey=decoded ") + std::to_wstring(bytes.size());
  };
  EXPECT_EQ(IniFile::Parse(Bytes("[A]\nKey=\x82\xA0"), decoder).GetString(L"A", L"Key", L""),
            L"decoded 10");
  EXPECT_EQ(IniFile::Parse(Utf8(L"[A]\nKey=あ", false), decoder).GetString(L"A", L"Key", L""),
            L"あ");
  EXPECT_EQ(calls, 1);
}

struct LookupCase {
  const char* name;
  std::wstring text;
  std::wstring section;
  std::wstring key;
  std::wstring expected;  // "<absent>" when the default comes back
};

TEST(IniFileTest, LooksUpLikeTheProfileFunctions) {
  const LookupCase cases[] = {
      {"plain", L"[S]\nk=v", L"S", L"k", L"v"},
      {"section case", L"[General]\nk=v", L"GENERAL", L"k", L"v"},
      {"key case", L"[S]\nVirtual Key=v", L"S", L"virtual key", L"v"},
      {"blanks around", L"  [ S ]  \n\t k \t=  v w \t", L"S", L"k", L"v w"},
      {"blanks in the query", L"[S]\nk=v", L" S ", L" k ", L"v"},
      {"first key wins", L"[S]\nk=1\nk=2", L"S", L"k", L"1"},
      {"first section wins", L"[S]\na=1\n[S]\nk=2", L"S", L"k", L"<absent>"},
      {"key of another section", L"[S]\n[T]\nk=v", L"S", L"k", L"<absent>"},
      {"before any section", L"k=v\n[S]", L"S", L"k", L"<absent>"},
      {"no equals sign", L"[S]\nk\nk v", L"S", L"k", L"<absent>"},
      {"comment", L"[S]\n;k=v", L"S", L";k", L"<absent>"},
      {"indented comment", L"[S]\n  ;k=v\nk=w", L"S", L"k", L"w"},
      {"second equals sign", L"[S]\nk=a=b", L"S", L"k", L"a=b"},
      {"empty value", L"[S]\nk=", L"S", L"k", L""},
      {"double quotes", L"[S]\nk=\" v \"", L"S", L"k", L" v "},
      {"single quotes", L"[S]\nk='v'", L"S", L"k", L"v"},
      {"only one pair", L"[S]\nk=\"\"v\"\"", L"S", L"k", L"\"v\""},
      {"mismatched quotes", L"[S]\nk=\"v'", L"S", L"k", L"\"v'"},
      {"lone quote", L"[S]\nk=\"", L"S", L"k", L"\""},
      {"empty quotes", L"[S]\nk=\"\"", L"S", L"k", L""},
      {"header without bracket is no header", L"[S]\n[T\nk=v", L"S", L"k", L"v"},
      {"text after the bracket is ignored", L"[S] x\nk=v", L"S", L"k", L"v"},
      {"last bracket closes", L"[a]b]\nk=v", L"a]b", L"k", L"v"},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile file = IniFile::FromText(c.text);
    EXPECT_EQ(file.GetString(c.section, c.key, L"<absent>"), c.expected);
    EXPECT_EQ(file.Contains(c.section, c.key), c.expected != L"<absent>");
  }
}

TEST(IniFileTest, StringsAreCutAt4095Characters) {
  const std::wstring longValue(5000, L'x');
  IniFile file = IniFile::FromText(L"[S]\nk=" + longValue + L"\nq=\"" + longValue + L"\"");
  EXPECT_EQ(file.GetString(L"S", L"k", L""), std::wstring(4095, L'x'));
  EXPECT_EQ(file.GetString(L"S", L"q", L""), std::wstring(4095, L'x'));
  EXPECT_EQ(file.GetString(L"S", L"absent", longValue), std::wstring(4095, L'x'));
  EXPECT_EQ(file.GetString(L"S", L"absent", L"def"), L"def");
}

struct IntCase {
  std::wstring value;  // "<absent>" for no key
  int32_t expected;
};

TEST(IniFileTest, ReadsIntegersLikeGetPrivateProfileInt) {
  const IntCase cases[] = {
      {L"<absent>", -77},
      {L"", -77},  // empty text reads as absent
      {L"\"\"", -77},
      {L"42", 42},
      {L"-5", -5},
      {L"+7", 7},
      {L"007", 7},
      {L"12abc", 12},
      {L"3.9", 3},
      {L"abc", 0},
      {L"-", 0},
      {L"- 5", 0},
      {L"\"8\"", 8},
      {L"0x1F", 31},
      {L"0X1F", 0},  // the base prefixes are lower case only
      {L"0o17", 15},
      {L"0b101", 5},
      {L"0x", 0},
      {L"-0x10", -16},
      {L"65539", 65539},
      {L"2147483647", 2147483647},
      {L"2147483648", INT32_MIN},
      {L"4294967295", -1},
      {L"4294967297", 1},
      {L"-2147483648", INT32_MIN},
      {L"99999999999999999999", 1661992959},  // wraps modulo 2^32
      // Only the first 29 characters are looked at.
      {std::wstring(28, L'0') + L"12", 1},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.value));
    std::wstring text = L"[S]\n";
    if (c.value != L"<absent>") text += L"k=" + c.value;
    EXPECT_EQ(IniFile::FromText(text).GetInt(L"S", L"k", -77), c.expected);
  }
}

TEST(IniFileTest, SetReplacesInPlaceAndKeepsEverythingElse) {
  IniFile file = IniFile::FromText(
      L"; top comment\r\n"
      L"orphan=1\r\n"
      L"[General]\r\n"
      L"  Always On Top = 0\r\n"
      L"Unknown key=keep me\r\n"
      L"junk line\r\n"
      L"Always on top=second\r\n"
      L"\r\n"
      L"; about the next section\r\n"
      L"[Extra]\r\n"
      L"x=y\r\n");
  file.Set(L"general", L"always on top", L"1");
  file.Set(L"General", L"New key", L"n");
  file.Set(L"Capture", L"Area X", L"10");
  file.Set(L"Capture", L"Area Y", L"40");
  EXPECT_EQ(file.Text(),
            L"; top comment\r\n"
            L"orphan=1\r\n"
            L"[General]\r\n"
            L"Always On Top=1\r\n"
            L"Unknown key=keep me\r\n"
            L"junk line\r\n"
            L"Always on top=second\r\n"
            L"New key=n\r\n"
            L"\r\n"
            L"; about the next section\r\n"
            L"[Extra]\r\n"
            L"x=y\r\n"
            L"\r\n"
            L"[Capture]\r\n"
            L"Area X=10\r\n"
            L"Area Y=40\r\n");
}

TEST(IniFileTest, SetOnAnEmptyFileBuildsSectionsInOrder) {
  IniFile file;
  file.Set(L"A", L"one", L"1");
  file.Set(L"B", L"two", L"2");
  file.Set(L"A", L"three", L"3");
  EXPECT_EQ(file.Text(), L"[A]\r\none=1\r\nthree=3\r\n\r\n[B]\r\ntwo=2\r\n");
  EXPECT_EQ(file.SectionNames(), (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_EQ(file.KeyNames(L"a"), (std::vector<std::wstring>{L"one", L"three"}));
}

TEST(IniFileTest, SetValuesReadBackAsGiven) {
  const std::wstring values[] = {
      L"",      L"plain",        L" leading",         L"trailing ", L"   ",
      L"\"q\"", L"'q'",          L"\"half",           L"half\"",    L"a=b;c",
      L"[x]",   kJapaneseFolder, L"\u3000全角\u3000", L"\"",        std::wstring(4095, L'v'),
  };
  for (const std::wstring& value : values) {
    SCOPED_TRACE(testing::PrintToString(value));
    IniFile file;
    file.Set(L"S", L"k", value);
    EXPECT_EQ(file.GetString(L"S", L"k", L"<absent>"), value);
    EXPECT_EQ(IniFile::Parse(file.Serialize()).GetString(L"S", L"k", L"<absent>"), value);
  }
}

TEST(IniFileTest, LineBreaksInValuesCannotAddKeys) {
  IniFile file;
  file.Set(L"S", L"Format", L"a\r\n[T]\nk=v");
  IniFile reread = IniFile::Parse(file.Serialize());
  EXPECT_EQ(reread.GetString(L"S", L"Format", L""), L"a  [T] k=v");
  EXPECT_EQ(reread.SectionNames(), std::vector<std::wstring>{L"S"});
}

TEST(IniFileTest, SerializesUtf16LeWithBomAndCrlf) {
  IniFile file = IniFile::FromText(L"[S]\nk=画\nnoeol");
  const std::vector<uint8_t> expected = {0xFF, 0xFE, '[', 0, 'S',  0,    ']',  0, '\r', 0, '\n', 0,
                                         'k',  0,    '=', 0, 0x3B, 0x75, '\r', 0, '\n', 0, 'n',  0,
                                         'o',  0,    'e', 0, 'o',  0,    'l',  0, '\r', 0, '\n', 0};
  EXPECT_EQ(file.Serialize(), expected);
  EXPECT_EQ(IniFile().Serialize(), (std::vector<uint8_t>{0xFF, 0xFE}));
}

TEST(IniFileTest, RoundTripKeepsTheTextOfAnyFile) {
  const std::wstring text =
      L"stray\r\n;c\r\n[A]\r\n k = v \r\n\r\n[a]\r\ndup=1\r\n[B\r\n=\r\nx\r\n";
  IniFile once = IniFile::Parse(Utf8(text, false));
  IniFile twice = IniFile::Parse(once.Serialize());
  EXPECT_EQ(twice.Text(), once.Text());
  EXPECT_EQ(once.Text(), text);
}

TEST(IniFileTest, LoadAndSaveThroughTheFilePort) {
  FakeFiles files;
  IniFile file = IniFile::FromText(L"[S]\nk=old");
  EXPECT_FALSE(file.Load(files, L"C:\\app\\Lorik.ini"));
  EXPECT_FALSE(file.Contains(L"S", L"k"));  // a failed load leaves nothing behind

  files.files[L"C:\\app\\Lorik.ini"] = Utf8(L"[S]\nk=" + kJapaneseFolder, false);
  ASSERT_TRUE(file.Load(files, L"C:\\app\\Lorik.ini"));
  EXPECT_EQ(file.GetString(L"S", L"k", L""), kJapaneseFolder);

  file.Set(L"S", L"k", L"new");
  ASSERT_TRUE(file.Save(files, L"C:\\app\\Lorik.ini"));
  EXPECT_EQ(files.files[L"C:\\app\\Lorik.ini"], file.Serialize());
}

TEST(IniFileTest, FailedSaveLeavesTheOldFile) {
  FakeFiles files;
  const std::vector<uint8_t> old = Utf16Le(L"[S]\r\nk=old\r\n");
  files.files[L"Lorik.ini"] = old;
  IniFile file;
  ASSERT_TRUE(file.Load(files, L"Lorik.ini"));
  file.Set(L"S", L"k", L"new");
  files.failWrites = true;
  EXPECT_FALSE(file.Save(files, L"Lorik.ini"));
  EXPECT_EQ(files.writeAttempts, 1);
  EXPECT_EQ(files.files[L"Lorik.ini"], old);
}

}  // namespace
}  // namespace lorik
