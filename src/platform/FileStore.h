#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace lorik {

// An open file that is being written; closed when destroyed.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all bytes; false when not all of them reached the file.
  virtual bool WriteAll(std::span<const uint8_t> bytes) = 0;
  // Commits the written data to the disk cache.
  virtual bool Commit() = 0;
};

// Folders and image files of the save worker; called from the save thread.
class FileStorePort {
 public:
  virtual ~FileStorePort() = default;
  virtual bool Exists(const std::wstring& path) = 0;
  // Creates the folder and any missing parents; true on success.
  virtual bool CreateFolder(const std::wstring& path) = 0;
  // Creates the file or replaces an existing one; nothing on failure.
  virtual std::unique_ptr<WritableFile> Create(const std::wstring& path) = 0;
};

}  // namespace lorik
