#include "settings/IniFile.h"

#include <algorithm>

#include "core/Text.h"

namespace lorik {
namespace {

// The characters the profile reader trims around names and values.
bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
         c == 0x1A;
}

// Blanks that some reader might trim: written values that start or end with one
// are quoted so that they survive.
bool MayBeTrimmed(wchar_t c) {
  return IsBlank(c) || c == 0xA0 || c == 0x3000;
}

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasStrippedQuotes(std::wstring_view value) {
  return value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
         value.back() == value.front();
}

std::wstring_view StripQuotes(std::wstring_view value) {
  if (HasStrippedQuotes(value)) return value.substr(1, value.size() - 2);
  return value;
}

std::wstring EncodeValue(std::wstring_view value) {
  std::wstring out(value);
  // A line break would end the line and let the rest read as further keys.
  std::replace(out.begin(), out.end(), L'\r', L' ');
  std::replace(out.begin(), out.end(), L'\n', L' ');
  if (!out.empty() &&
      (MayBeTrimmed(out.front()) || MayBeTrimmed(out.back()) || HasStrippedQuotes(out)))
    out = L"\"" + out + L"\"";
  return out;
}

// The integer reading of the platform's profile functions: the value goes through
// a 30-character buffer, then an optional sign, a base prefix and the digits of
// that base, accumulated in 32 unsigned bits (so out-of-range text wraps).
int32_t ParseProfileInt(std::wstring_view text) {
  text = text.substr(0, 29);
  size_t i = 0;
  while (i < text.size() && text[i] <= L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == L'0') {
    wchar_t prefix = text[i + 1];
    base = prefix == L'x' ? 16 : prefix == L'o' ? 8 : prefix == L'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < text.size(); ++i) {
    wchar_t c = text[i];
    uint32_t digit = c >= L'0' && c <= L'9'   ? static_cast<uint32_t>(c - L'0')
                     : c >= L'A' && c <= L'Z' ? static_cast<uint32_t>(c - L'A' + 10)
                     : c >= L'a' && c <= L'z' ? static_cast<uint32_t>(c - L'a' + 10)
                                              : 99;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (negative) total = 0u - total;
  return static_cast<int32_t>(total);
}

std::wstring Windows1252(std::string_view bytes) {
  // 0x80 to 0x9F; the five unassigned bytes map to the C1 controls, as the
  // platform's own conversion does.
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::wstring out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<uint8_t>(ch);
    out.push_back(b >= 0x80 && b < 0xA0 ? static_cast<wchar_t>(kHigh[b - 0x80])
                                        : static_cast<wchar_t>(b));
  }
  return out;
}

std::wstring Utf16Bytes(std::span<const uint8_t> bytes, bool bigEndian, bool& lossless) {
  std::u16string units(bytes.size() / 2, u'\0');
  lossless = bytes.size() % 2 == 0;
  for (size_t i = 0; i < units.size(); ++i) {
    uint8_t first = bytes[2 * i], second = bytes[2 * i + 1];
    units[i] = bigEndian ? static_cast<char16_t>(first << 8 | second)
                         : static_cast<char16_t>(second << 8 | first);
  }
  lossless = lossless && IsWellFormedUtf16(units);
  return FromUtf16(units);
}

// `lossless` tells whether every byte became the character it stands for; 8-bit
// text always does.
std::wstring Decode(std::span<const uint8_t> bytes, const IniFile::AnsiDecoder& ansi,
                    bool& lossless) {
  lossless = true;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    return Utf16Bytes(bytes.subspan(2), false, lossless);
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
    return Utf16Bytes(bytes.subspan(2), true, lossless);
  std::string_view chars(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    lossless = IsWellFormedUtf8(chars.substr(3));
    return FromUtf8(chars.substr(3));
  }
  if (IsWellFormedUtf8(chars)) return FromUtf8(chars);
  return ansi ? ansi(chars) : Windows1252(chars);
}

}  // namespace

IniFile IniFile::Parse(std::span<const uint8_t> bytes, const AnsiDecoder& ansi) {
  bool lossless = true;
  IniFile ini = FromText(Decode(bytes, ansi, lossless));
  ini.lossless_ = lossless;
  return ini;
}

IniFile IniFile::FromText(std::wstring_view text) {
  IniFile file;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) end = text.size();
    file.AddLine(text.substr(start, end - start));
    start = end;
    if (start < text.size() && text[start] == L'\r') ++start;
    if (start < text.size() && text[start] == L'\n') ++start;
  }
  return file;
}

void IniFile::AddLine(std::wstring_view text) {
  std::wstring_view content = Trim(text);
  if (!content.empty() && content.front() == L'[') {
    size_t close = content.rfind(L']');
    if (close != std::wstring_view::npos) {
      Section section;
      section.hasHeader = true;
      section.name = Trim(content.substr(1, close - 1));
      section.header = text;
      firstSection_.try_emplace(AsciiLower(section.name), sections_.size());
      sections_.push_back(std::move(section));
      return;
    }
  }
  if (sections_.empty()) sections_.emplace_back();
  Line line;
  line.text = text;
  size_t equals = content.find(L'=');
  // Comments and lines without '=' are kept but never found.
  if (!content.empty() && content.front() != L';' && equals != std::wstring_view::npos) {
    line.isEntry = true;
    line.keyLower = AsciiLower(Trim(content.substr(0, equals)));
    line.value = Trim(content.substr(equals + 1));
  }
  sections_.back().lines.push_back(std::move(line));
}

bool IniFile::Load(FilePort& files, const std::wstring& path, const AnsiDecoder& ansi) {
  std::optional<std::vector<uint8_t>> bytes = files.ReadAll(path);
  // A settings file is a few kilobytes; far larger ones are not read, so that
  // their lines cannot exhaust memory.
  const bool readable = bytes.has_value() && bytes->size() <= kMaxFileBytes;
  *this = readable ? Parse(*bytes, ansi) : IniFile();
  return readable;
}

bool IniFile::Save(FilePort& files, const std::wstring& path) const {
  return files.ReplaceAtomically(path, Serialize());
}

const IniFile::Section* IniFile::FindSection(std::wstring_view section) const {
  auto it = firstSection_.find(AsciiLower(Trim(section)));
  return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Line* IniFile::FindEntry(std::wstring_view section, std::wstring_view key) const {
  const Section* found = FindSection(section);
  if (!found) return nullptr;
  const std::wstring keyLower = AsciiLower(Trim(key));
  for (const Line& line : found->lines)
    if (line.isEntry && line.keyLower == keyLower) return &line;
  return nullptr;
}

int32_t IniFile::GetInt(std::wstring_view section, std::wstring_view key,
                        int32_t defaultValue) const {
  const Line* line = FindEntry(section, key);
  if (!line) return defaultValue;
  std::wstring_view value = StripQuotes(line->value);
  // The platform reads the text first and takes an empty one as absent.
  if (value.empty()) return defaultValue;
  return ParseProfileInt(value);
}

std::wstring IniFile::GetString(std::wstring_view section, std::wstring_view key,
                                std::wstring_view defaultValue) const {
  const Line* line = FindEntry(section, key);
  std::wstring_view value = line ? StripQuotes(line->value) : defaultValue;
  return std::wstring(value.substr(0, kMaxValueLength));
}

bool IniFile::Contains(std::wstring_view section, std::wstring_view key) const {
  return FindEntry(section, key) != nullptr;
}

void IniFile::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  const std::wstring_view sectionName = Trim(section);
  const std::wstring_view keyName = Trim(key);
  const std::wstring keyLower = AsciiLower(keyName);
  Line entry;
  entry.isEntry = true;
  entry.keyLower = keyLower;
  entry.value = EncodeValue(value);
  entry.text = std::wstring(keyName) + L"=" + entry.value;

  auto it = firstSection_.find(AsciiLower(sectionName));
  if (it == firstSection_.end()) {
    if (!sections_.empty()) {
      std::vector<Line>& last = sections_.back().lines;
      bool endsBlank = last.empty() ? !sections_.back().hasHeader : Trim(last.back().text).empty();
      if (!endsBlank) last.push_back(Line{});
    }
    Section added;
    added.hasHeader = true;
    added.name = sectionName;
    added.header = L"[" + added.name + L"]";
    added.lines.push_back(std::move(entry));
    firstSection_.emplace(AsciiLower(sectionName), sections_.size());
    sections_.push_back(std::move(added));
    return;
  }

  std::vector<Line>& lines = sections_[it->second].lines;
  for (Line& line : lines) {
    if (line.isEntry && line.keyLower == keyLower) {
      // Keep the key as the file spells it.
      std::wstring_view content = Trim(line.text);
      std::wstring_view existingKey = Trim(content.substr(0, content.find(L'=')));
      entry.text = std::wstring(existingKey) + L"=" + entry.value;
      line = std::move(entry);
      return;
    }
  }
  // After the section's last key or other content, so that blank lines and
  // comments that lead into the next section stay in front of it.
  size_t at = lines.size();
  while (at > 0) {
    std::wstring_view content = Trim(lines[at - 1].text);
    if (!content.empty() && content.front() != L';') break;
    --at;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

std::vector<std::wstring> IniFile::SectionNames() const {
  std::vector<std::wstring> names;
  for (const Section& section : sections_)
    if (section.hasHeader) names.push_back(section.name);
  return names;
}

std::vector<std::wstring> IniFile::KeyNames(std::wstring_view section) const {
  std::vector<std::wstring> names;
  if (const Section* found = FindSection(section)) {
    for (const Line& line : found->lines) {
      if (!line.isEntry) continue;
      std::wstring_view content = Trim(line.text);
      names.emplace_back(Trim(content.substr(0, content.find(L'='))));
    }
  }
  return names;
}

std::wstring IniFile::Text() const {
  std::wstring text;
  for (const Section& section : sections_) {
    if (section.hasHeader) text += section.header + L"\r\n";
    for (const Line& line : section.lines) text += line.text + L"\r\n";
  }
  return text;
}

std::vector<uint8_t> IniFile::Serialize() const {
  const std::u16string units = ToUtf16(Text());
  std::vector<uint8_t> bytes;
  bytes.reserve(2 + units.size() * 2);
  bytes.push_back(0xFF);
  bytes.push_back(0xFE);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace lorik
