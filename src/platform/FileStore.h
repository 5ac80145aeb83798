#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace lorik {

// An open file that is being written. Destroying it without Close closes it
// too, but then nobody learns whether that worked.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes all bytes; false when not all of them reached the file.
  virtual bool WriteAll(std::span<const uint8_t> bytes) = 0;
  // Writes the data through the system's cache to the disk, so that a power
  // cut after the file gets its final name cannot leave it empty or zeroed.
  virtual bool Flush() = 0;
  // Closes the file; false when the platform could not confirm that every
  // byte written is in it.
  virtual bool Close() = 0;
};

// Folders and image files of the save worker; called from the save thread.
class FileStorePort {
 public:
  virtual ~FileStorePort() = default;
  virtual bool Exists(const std::wstring& path) = 0;
  // True only for a folder: a file of that name is no place to save into.
  virtual bool IsFolder(const std::wstring& path) = 0;
  // Creates the folder and any missing parents; true on success.
  virtual bool CreateFolder(const std::wstring& path) = 0;
  // Creates a new file; nothing when a file or folder of that name exists or
  // it cannot be created. Never replaces anything.
  virtual std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) = 0;
  // Gives the closed file `from` the name `to` in the same folder; false when
  // `to` exists or the move fails. Never replaces anything.
  virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
  // Deletes a file; false when it could not.
  virtual bool Remove(const std::wstring& path) = 0;
};

}  // namespace lorik
