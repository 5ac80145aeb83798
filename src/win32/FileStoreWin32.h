#pragma once
#include <windows.h>

#include "platform/FileStore.h"

namespace lorik {

// A file opened with CreateFileW; closes its handle on destruction.
class HandleWritableFile final : public WritableFile {
 public:
  explicit HandleWritableFile(HANDLE file) : file_(file) {}
  ~HandleWritableFile() override;
  HandleWritableFile(const HandleWritableFile&) = delete;
  HandleWritableFile& operator=(const HandleWritableFile&) = delete;

  bool WriteAll(std::span<const uint8_t> bytes) override;
  // The data of WriteFile is in the system's disk cache already; what is left
  // is to ask whether the file system took it, which Close does.
  bool Flush() override;
  bool Close() override;

 private:
  HANDLE file_;
};

// Folders through the shell, files through CreateFileW, always new, renamed
// with MoveFileExW without replacing.
class FileStoreWin32 final : public FileStorePort {
 public:
  bool Exists(const std::wstring& path) override;
  bool IsFolder(const std::wstring& path) override;
  bool CreateFolder(const std::wstring& path) override;
  std::unique_ptr<WritableFile> CreateNew(const std::wstring& path) override;
  bool Rename(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
};

}  // namespace lorik
