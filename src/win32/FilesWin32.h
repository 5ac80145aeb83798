#pragma once
#include <string>
#include <string_view>

#include "platform/Files.h"

namespace lorik {

// Whole files on the local file system.
class FilesWin32 final : public FilePort {
 public:
  // True for an existing file or folder, as PathFileExistsW.
  bool Exists(const std::wstring& path) override;
  std::optional<std::vector<uint8_t>> ReadAll(const std::wstring& path) override;
  // Writes a temporary file beside the target, commits it to the disk and renames
  // it over the target.
  bool ReplaceAtomically(const std::wstring& path, std::span<const uint8_t> bytes) override;
  std::wstring DecodeAnsi(std::string_view bytes) override;
};

// Text in the system's ANSI code page, for settings files written by programs
// that used it (on a Japanese system that is Shift_JIS, not Windows-1252).
std::wstring AnsiCodePageToWide(std::string_view bytes);

}  // namespace lorik
