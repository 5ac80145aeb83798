#include "win32/RecycleWin32.h"

#include <windows.h>
// After windows.h.
#include <shellapi.h>
#include <shobjidl.h>

#include "win32/ComRef.h"

namespace lorik {
namespace {

constexpr DWORD kFlags =
    FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// True when the shell took the request; what was moved is read from the disk.
// False when IFileOperation cannot delete here, before anything was moved.
bool ThroughFileOperation(const std::vector<std::wstring>& paths) {
  win32::ComRef<IFileOperation> operation;
  if (FAILED(
          ::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&operation.p))))
    return false;
  if (FAILED(operation.p->SetOperationFlags(kFlags | FOFX_RECYCLEONDELETE))) return false;
  bool any = false;
  for (const std::wstring& path : paths) {
    win32::ComRef<IShellItem> item;
    if (FAILED(::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_PPV_ARGS(&item.p))))
      continue;  // stays, and is told as not moved
    if (FAILED(operation.p->DeleteItem(item.p, nullptr))) return false;
    any = true;
  }
  if (any) operation.p->PerformOperations();
  return true;
}

void ThroughShFileOperation(const std::vector<std::wstring>& paths) {
  // A list of names, each ending in a null, the whole in two.
  std::wstring list;
  for (const std::wstring& path : paths) {
    list += path;
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  operation.fFlags = static_cast<FILEOP_FLAGS>(kFlags);
  ::SHFileOperationW(&operation);
}

}  // namespace

std::vector<RecycleOutcome> RecycleWin32::Recycle(const std::vector<std::wstring>& paths) {
  std::vector<RecycleOutcome> outcomes(paths.size(), RecycleOutcome::Failed);
  std::vector<std::wstring> present;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (Exists(paths[i])) {
      present.push_back(paths[i]);
    } else {
      outcomes[i] = RecycleOutcome::Missing;
    }
  }
  lastMethod_ = Method::None;
  if (!present.empty()) {
    const win32::ComScope com;
    if (ThroughFileOperation(present)) {
      lastMethod_ = Method::FileOperation;
    } else {
      ThroughShFileOperation(present);
      lastMethod_ = Method::ShFileOperation;
    }
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    if (outcomes[i] != RecycleOutcome::Missing && !Exists(paths[i]))
      outcomes[i] = RecycleOutcome::Recycled;
  }
  return outcomes;
}

}  // namespace lorik
