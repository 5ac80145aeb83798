#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace lorik {

// Facts about the running program and machine.
class SystemPort {
 public:
  virtual ~SystemPort() = default;
  virtual int ProcessorCount() = 0;
  // Full path of the running executable.
  virtual std::wstring ExecutablePath() = 0;
  // The four 16-bit parts of the executable's fixed file version, most significant first.
  virtual std::optional<std::array<uint16_t, 4>> FileVersion() = 0;
  // Bytes this process could still take without paging: the smaller of free
  // physical memory and free address space. Nothing when it cannot be told.
  virtual std::optional<uint64_t> AvailableMemory() = 0;
  // Ends the process at once, without any further clean-up.
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

// The named mutex that keeps a second instance from running.
class InstanceGuardPort {
 public:
  virtual ~InstanceGuardPort() = default;
  // Tries to take the mutex without waiting; an abandoned mutex counts as taken.
  virtual bool TryTake() = 0;
};

}  // namespace lorik
