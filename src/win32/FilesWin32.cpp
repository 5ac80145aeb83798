#include "win32/FilesWin32.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace lorik {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  bool Close() {
    if (!Valid()) return true;
    bool ok = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE h_;
};

// Larger files are not settings files; refusing them keeps a damaged or wrong
// path from exhausting memory.
constexpr LONGLONG kMaxReadSize = 256LL * 1024 * 1024;

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

// A new temporary file beside `path`. The names are few and fixed, so the
// leftovers of an interrupted save are taken over (deleted and made anew) by
// the next one instead of piling up; a name that another writer holds open
// cannot be deleted and is passed over.
HANDLE CreateTempFor(const std::wstring& path, std::wstring& temp) {
  for (int n = 0; n < 16; ++n) {
    temp = path + L"." + std::to_wstring(n) + L".tmp";
    for (int attempt = 0; attempt < 2; ++attempt) {
      const HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) return file;
      if (GetLastError() != ERROR_FILE_EXISTS || !DeleteFileW(temp.c_str())) break;
    }
  }
  return INVALID_HANDLE_VALUE;
}

bool Present(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool FilesWin32::Exists(const std::wstring& path) {
  return Present(path);
}

std::optional<std::vector<uint8_t>> FilesWin32::ReadAll(const std::wstring& path) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxReadSize) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t filled = 0;
  // Read until the end even if the file changed size since it was measured.
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() >= static_cast<size_t>(kMaxReadSize)) return std::nullopt;
      bytes.resize(bytes.size() + 4096);
    }
    DWORD got = 0;
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - filled, 1u << 30));
    if (!ReadFile(file.Get(), bytes.data() + filled, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    filled += got;
  }
  bytes.resize(filled);
  return bytes;
}

bool FilesWin32::ReplaceAtomically(const std::wstring& path, std::span<const uint8_t> bytes) {
  // The user made it read-only: a rename would replace it all the same on
  // some file systems.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return false;
  std::wstring temp;
  {
    Handle file(CreateTempFor(path, temp));
    if (!file.Valid()) return false;
    bool ok = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
    ok = file.Close() && ok;
    if (!ok) {
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  // A rename within one folder replaces the target in one step. ReplaceFileW is
  // not used: when it fails it can leave its own backup file behind, or the
  // target moved away.
  if (MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp.c_str());
  return false;
}

std::wstring AnsiCodePageToWide(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max()))
    return {};
  const int size = static_cast<int>(bytes.size());
  int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, text.data(), length);
  return text;
}

std::wstring FilesWin32::DecodeAnsi(std::string_view bytes) {
  return AnsiCodePageToWide(bytes);
}

}  // namespace lorik
