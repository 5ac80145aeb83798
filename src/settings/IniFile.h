#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Files.h"

namespace lorik {

// An INI file held in memory, read and changed with the semantics of the
// platform's private-profile functions, and written back with every line it did
// not change kept as it was (unknown sections and keys, comments, order).
//
// Reading accepts UTF-16LE or UTF-16BE with a byte-order mark, UTF-8 with or
// without one, and otherwise bytes of an 8-bit code page. Writing always gives
// UTF-16LE with a byte-order mark and CRLF line ends, which the platform's
// profile functions read and write back in the same encoding.
class IniFile {
 public:
  // Decodes the bytes of a file that is neither UTF-16 nor valid UTF-8.
  using AnsiDecoder = std::function<std::wstring(std::string_view)>;

  // Values longer than this are cut, as by a profile read into 4096 characters.
  static constexpr size_t kMaxValueLength = 4095;
  // Larger files are taken as unreadable.
  static constexpr size_t kMaxFileBytes = 1024 * 1024;

  IniFile() = default;

  // Without a decoder, 8-bit text is taken as Windows-1252: every byte then
  // stands for one character and nothing is dropped.
  static IniFile Parse(std::span<const uint8_t> bytes, const AnsiDecoder& ansi = {});
  static IniFile FromText(std::wstring_view text);
  // Replaces the content with the file's; false, leaving the content empty, when
  // the file cannot be read (it does not exist, or is over kMaxFileBytes).
  bool Load(FilePort& files, const std::wstring& path, const AnsiDecoder& ansi = {});
  // False when the bytes held something that could not be decoded (ill-formed
  // UTF-8 after a byte-order mark, an unpaired surrogate in UTF-16): writing
  // the content back would bake the replacement characters into the file.
  bool Lossless() const { return lossless_; }
  // Replaces the file atomically; false when it could not be stored.
  bool Save(FilePort& files, const std::wstring& path) const;

  // As GetPrivateProfileIntW: absent key or empty value -> `defaultValue`; otherwise
  // an optional sign and the digits that follow ("0x", "0o", "0b" select another
  // base), anything after them ignored, no digits -> 0, wrapping modulo 2^32.
  int32_t GetInt(std::wstring_view section, std::wstring_view key, int32_t defaultValue) const;
  // As GetPrivateProfileStringW: the trimmed value with one pair of matching
  // surrounding quotes removed, at most kMaxValueLength characters.
  std::wstring GetString(std::wstring_view section, std::wstring_view key,
                         std::wstring_view defaultValue) const;
  bool Contains(std::wstring_view section, std::wstring_view key) const;

  // Replaces the value of the key where it stands, or adds the key at the end of
  // its section, or adds the section at the end of the file. A value that the
  // reader would change (surrounding blanks or quotes) is written in quotes so
  // that it reads back as given; line breaks become spaces.
  void Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  // Names as written in the file, in file order, every occurrence.
  std::vector<std::wstring> SectionNames() const;
  // Key names of the section that lookups use (the first of that name), in order.
  std::vector<std::wstring> KeyNames(std::wstring_view section) const;

  // The lines joined with CRLF, each line ended.
  std::wstring Text() const;
  std::vector<uint8_t> Serialize() const;

 private:
  struct Line {
    std::wstring text;      // the line as it stands in the file
    bool isEntry = false;   // a "key=value" line that lookups see
    std::wstring keyLower;  // trimmed, lower-cased key of an entry
    std::wstring value;     // trimmed raw value of an entry
  };
  struct Section {
    bool hasHeader = false;  // false only for the lines before the first header
    std::wstring name;       // trimmed name between the brackets
    std::wstring header;     // the header line as it stands
    std::vector<Line> lines;
  };

  const Section* FindSection(std::wstring_view section) const;
  const Line* FindEntry(std::wstring_view section, std::wstring_view key) const;
  void AddLine(std::wstring_view text);

  std::vector<Section> sections_;
  bool lossless_ = true;
  std::unordered_map<std::wstring, size_t> firstSection_;  // lower-cased name -> index
};

}  // namespace lorik
