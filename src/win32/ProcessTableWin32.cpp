#include "win32/ProcessTableWin32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cwchar>

namespace lorik {

ProcessTablePort::Result ProcessTableWin32::ReadSnapshot() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return {Status::kSnapshotFailed, {}};

  Result result;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  if (!Process32FirstW(snapshot, &entry)) {
    CloseHandle(snapshot);
    return {Status::kFirstEntryFailed, {}};
  }
  do {
    const size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
    result.entries.push_back({entry.th32ProcessID, std::wstring(entry.szExeFile, length)});
  } while (Process32NextW(snapshot, &entry));
  CloseHandle(snapshot);
  return result;
}

}  // namespace lorik
