#pragma once
#include <objidl.h>
#include <windows.h>

#include "platform/FileStore.h"

namespace lorik {

// A file opened as a stream; takes over the reference it is given and releases
// it on destruction, which closes the file.
class StreamWritableFile final : public WritableFile {
 public:
  explicit StreamWritableFile(IStream* stream) : stream_(stream) {}
  ~StreamWritableFile() override;
  StreamWritableFile(const StreamWritableFile&) = delete;
  StreamWritableFile& operator=(const StreamWritableFile&) = delete;

  bool WriteAll(std::span<const uint8_t> bytes) override;
  // Commits only to the disk cache (STGC 4).
  bool Commit() override;

 private:
  IStream* stream_;
};

// Folders through the shell, files through SHCreateStreamOnFileEx opened
// exclusively for reading and writing, replacing an existing file.
class FileStoreWin32 final : public FileStorePort {
 public:
  bool Exists(const std::wstring& path) override;
  bool CreateFolder(const std::wstring& path) override;
  std::unique_ptr<WritableFile> Create(const std::wstring& path) override;
};

}  // namespace lorik
