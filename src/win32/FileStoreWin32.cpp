#include "win32/FileStoreWin32.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <string_view>

namespace lorik {
namespace {

constexpr DWORD kCreateMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE | STGM_SIMPLE;
static_assert(kCreateMode == 0x8001012);
constexpr DWORD kCommitToDiskCache = 4;  // STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE

// A colon past the drive names an alternate data stream of another file on
// NTFS: the picture would vanish into "name" instead of appearing as a file.
bool NamesAStream(const std::wstring& path) {
  std::wstring_view rest = path;
  if (rest.starts_with(L"\\\\?\\")) rest.remove_prefix(4);
  if (rest.size() >= 2 && rest[1] == L':') rest.remove_prefix(2);
  return rest.find(L':') != std::wstring_view::npos;
}

}  // namespace

StreamWritableFile::~StreamWritableFile() {
  if (stream_ != nullptr) stream_->Release();
}

bool StreamWritableFile::WriteAll(std::span<const uint8_t> bytes) {
  // A stream may take fewer bytes than offered; keep going until all are in,
  // and give up when it takes none, so a full disk cannot spin here.
  size_t done = 0;
  while (done < bytes.size()) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 30));
    ULONG written = 0;
    const HRESULT hr = stream_->Write(bytes.data() + done, chunk, &written);
    if (FAILED(hr) || written == 0 || written > chunk) return false;
    done += written;
  }
  return true;
}

bool StreamWritableFile::Commit() {
  return SUCCEEDED(stream_->Commit(kCommitToDiskCache));
}

bool FileStoreWin32::Exists(const std::wstring& path) {
  return PathFileExistsW(path.c_str());
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

std::unique_ptr<WritableFile> FileStoreWin32::Create(const std::wstring& path) {
  if (NamesAStream(path)) return nullptr;
  IStream* stream = nullptr;
  const HRESULT hr = SHCreateStreamOnFileEx(path.c_str(), kCreateMode, FILE_ATTRIBUTE_NORMAL, TRUE,
                                            nullptr, &stream);
  if (FAILED(hr) || stream == nullptr) {
    if (stream != nullptr) stream->Release();
    return nullptr;
  }
  return std::make_unique<StreamWritableFile>(stream);
}

}  // namespace lorik
