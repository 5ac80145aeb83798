#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lorik {

// Whole-file access for small files such as the settings file.
class FilePort {
 public:
  virtual ~FilePort() = default;
  virtual bool Exists(const std::wstring& path) = 0;
  // The file's bytes, or nothing when it cannot be read.
  virtual std::optional<std::vector<uint8_t>> ReadAll(const std::wstring& path) = 0;
  // Replaces the file so that a crash at any moment leaves either the old or the
  // new content, never a mix. Returns false when the new content could not be stored.
  virtual bool ReplaceAtomically(const std::wstring& path, std::span<const uint8_t> bytes) = 0;
  // Text of a file in the platform's 8-bit code page (what older tools wrote).
  virtual std::wstring DecodeAnsi(std::string_view bytes) = 0;
};

}  // namespace lorik
