#include "win32/SystemWin32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "win32/SystemDll.h"

namespace lorik {
namespace {

struct VersionFunctions {
  decltype(&::GetFileVersionInfoSizeW) infoSize;
  decltype(&::GetFileVersionInfoW) info;
  decltype(&::VerQueryValueW) query;
};

const VersionFunctions& Version() {
  static const VersionFunctions functions = [] {
    const win32::SystemDll dll(L"version.dll");
    return VersionFunctions{
        dll.Require<decltype(&::GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW"),
        dll.Require<decltype(&::GetFileVersionInfoW)>("GetFileVersionInfoW"),
        dll.Require<decltype(&::VerQueryValueW)>("VerQueryValueW")};
  }();
  return functions;
}

}  // namespace

SystemWin32::SystemWin32() {
  Version();
}

int SystemWin32::ProcessorCount() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return static_cast<int>(info.dwNumberOfProcessors);
}

std::wstring SystemWin32::ExecutablePath() {
  // Long paths: grow the buffer until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::optional<std::array<uint16_t, 4>> SystemWin32::FileVersion() {
  const std::wstring path = ExecutablePath();
  DWORD handle = 0;
  const VersionFunctions& version = Version();
  const DWORD size = version.infoSize(path.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<BYTE> buffer(size);
  if (!version.info(path.c_str(), 0, size, buffer.data())) return std::nullopt;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!version.query(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return std::nullopt;
  }
  return std::array<uint16_t, 4>{HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                                 HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
}

std::optional<uint64_t> SystemWin32::AvailableMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return std::min<uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
}

void SystemWin32::ExitProcess(int code) {
  ::ExitProcess(static_cast<UINT>(code));
}

InstanceGuardWin32::InstanceGuardWin32(const wchar_t* name)
    : mutex_(CreateMutexW(nullptr, FALSE, name)) {}

InstanceGuardWin32::~InstanceGuardWin32() {
  if (mutex_ == nullptr) return;
  if (taken_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

bool InstanceGuardWin32::TryTake() {
  if (mutex_ == nullptr) return false;
  if (taken_) return true;
  const DWORD r = WaitForSingleObject(mutex_, 0);
  taken_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
  return taken_;
}

}  // namespace lorik
