#include "fakes/FakeFiles.h"

namespace lorik {

bool FakeFiles::Exists(const std::wstring& path) {
  return files.contains(path);
}

std::optional<std::vector<uint8_t>> FakeFiles::ReadAll(const std::wstring& path) {
  auto it = files.find(path);
  if (it == files.end() || unreadable.contains(path)) return std::nullopt;
  return it->second;
}

bool FakeFiles::ReplaceAtomically(const std::wstring& path, std::span<const uint8_t> bytes) {
  ++writeAttempts;
  if (failWrites) return false;
  files[path].assign(bytes.begin(), bytes.end());
  return true;
}

}  // namespace lorik
