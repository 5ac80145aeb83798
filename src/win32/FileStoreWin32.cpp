#include "win32/FileStoreWin32.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string_view>

namespace lorik {
namespace {

// A colon past the drive names an alternate data stream of another file on
// NTFS: the picture would vanish into "name" instead of appearing as a file.
bool NamesAStream(const std::wstring& path) {
  std::wstring_view rest = path;
  if (rest.starts_with(L"\\\\?\\")) rest.remove_prefix(4);
  if (rest.size() >= 2 && rest[1] == L':') rest.remove_prefix(2);
  return rest.find(L':') != std::wstring_view::npos;
}

}  // namespace

HandleWritableFile::~HandleWritableFile() {
  Close();
}

bool HandleWritableFile::WriteAll(std::span<const uint8_t> bytes) {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  // WriteFile may take fewer bytes than offered; keep going until all are in,
  // and give up when it takes none, so a full disk cannot spin here.
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) || written == 0 ||
        written > chunk) {
      return false;
    }
    done += written;
  }
  return true;
}

bool HandleWritableFile::Flush() {
  return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_) != 0;
}

bool HandleWritableFile::Close() {
  if (file_ == INVALID_HANDLE_VALUE) return false;
  const HANDLE file = file_;
  file_ = INVALID_HANDLE_VALUE;
  return CloseHandle(file) != 0;
}

bool FileStoreWin32::Exists(const std::wstring& path) {
  return PathFileExistsW(path.c_str());
}

bool FileStoreWin32::IsFolder(const std::wstring& path) {
  if (NamesAStream(path)) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileStoreWin32::CreateFolder(const std::wstring& path) {
  if (NamesAStream(path)) return false;
  const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
  if (result == ERROR_SUCCESS) return true;
  // Someone else may have made it in the meantime; a file of that name is no folder.
  if (result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  return false;
}

std::unique_ptr<WritableFile> FileStoreWin32::CreateNew(const std::wstring& path) {
  if (NamesAStream(path)) return nullptr;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleWritableFile>(file);
}

bool FileStoreWin32::Rename(const std::wstring& from, const std::wstring& to) {
  if (NamesAStream(to)) return false;
  return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

bool FileStoreWin32::Remove(const std::wstring& path) {
  return DeleteFileW(path.c_str()) != 0;
}

}  // namespace lorik
