#pragma once
#include <string>

#include "platform/System.h"

namespace lorik {

class SystemWin32 final : public SystemPort {
 public:
  // Looks up version.dll's functions; throws win32::MissingSystemFunction
  // when one is missing.
  SystemWin32();
  int ProcessorCount() override;
  std::wstring ExecutablePath() override;
  std::optional<std::array<uint16_t, 4>> FileVersion() override;
  std::optional<uint64_t> AvailableMemory() override;
  [[noreturn]] void ExitProcess(int code) override;
};

// The named mutex "Lorik.exe.mivo", created not owned; held until destruction once taken.
class InstanceGuardWin32 final : public InstanceGuardPort {
 public:
  explicit InstanceGuardWin32(const wchar_t* name);
  ~InstanceGuardWin32() override;
  InstanceGuardWin32(const InstanceGuardWin32&) = delete;
  InstanceGuardWin32& operator=(const InstanceGuardWin32&) = delete;
  bool TryTake() override;

 private:
  void* mutex_ = nullptr;
  bool taken_ = false;
};

}  // namespace lorik
