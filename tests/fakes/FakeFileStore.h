#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/FileStore.h"

namespace lorik {

// Folders and files in memory, by exact path with backslash separators. A file
// can only be created in an existing folder, as on the platform. Each kind of
// failure can be chosen per path. Thread-safe.
class FakeFileStore final : public FileStorePort {
 public:
  struct File {
    std::vector<uint8_t> bytes;
    int flushes = 0;
    int creations = 0;  // times it was created
    bool open = false;  // created and not closed yet
  };

  bool Exists(const std::wstring& path) override;
  bool IsFolder(const std::wstring& path) override;
  bool CreateFolder(const std::wstring& path) override;
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override;
  bool Rename(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;

  void AddFolder(const std::wstring& path);
  bool HasFolder(const std::wstring& path) const;
  std::optional<File> FileAt(const std::wstring& path) const;
  std::map<std::wstring, File> Files() const;
  int FolderCreations() const;
  // What was done to files, in order: "flush <path>", "close <path>",
  // "rename <from> <to>".
  std::vector<std::wstring> Events() const;

  // Failures; set before the workers run or under no contention.
  void FailFolder(const std::wstring& path);
  // No file of this name can be made, neither new nor by a rename.
  void FailCreate(const std::wstring& path);
  // Writes to files in this folder store half their bytes and report failure,
  // once `writesFirst` writes there have worked (a disk that fills up).
  void FailWritesIn(const std::wstring& folder, int writesFirst = 0);
  // Flushes, or closes, of files in this folder report failure.
  void FailFlushesIn(const std::wstring& folder);
  void FailClosesIn(const std::wstring& folder);
  // Runs at the start of every write, outside the fake's lock.
  void SetOnWrite(std::function<void(const std::wstring& path)> hook);
  // Runs at the start of every rename, outside the fake's lock.
  void SetOnRename(std::function<void(const std::wstring& to)> hook);

 private:
  class OpenFile;
  void Store(const std::wstring& path, std::span<const uint8_t> bytes, bool flush);

  mutable std::mutex mutex_;
  std::set<std::wstring> folders_;
  std::map<std::wstring, File> files_;
  std::set<std::wstring> failFolder_;
  std::set<std::wstring> failCreate_;
  std::map<std::wstring, int> failWrite_;  // folder -> writes that still work
  std::set<std::wstring> failFlush_;
  std::set<std::wstring> failClose_;
  std::function<void(const std::wstring&)> onWrite_;
  std::function<void(const std::wstring&)> onRename_;
  int folderCreations_ = 0;
  std::vector<std::wstring> events_;
};

}  // namespace lorik
