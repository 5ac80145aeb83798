#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace lorik {

// Files in memory, by exact path.
class FakeFiles final : public FilePort {
 public:
  bool Exists(const std::wstring& path) override;
  std::optional<std::vector<uint8_t>> ReadAll(const std::wstring& path) override;
  // Fails, leaving the old content, while `failWrites` is set.
  bool ReplaceAtomically(const std::wstring& path, std::span<const uint8_t> bytes) override;
  // Latin-1, so a test sees which bytes were decoded as ANSI.
  std::wstring DecodeAnsi(std::string_view bytes) override { return {bytes.begin(), bytes.end()}; }

  std::map<std::wstring, std::vector<uint8_t>> files;
  // Present, but ReadAll fails on them, as for a file another program holds.
  std::set<std::wstring> unreadable;
  bool failWrites = false;
  int writeAttempts = 0;
};

}  // namespace lorik
