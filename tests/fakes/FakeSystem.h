#pragma once
#include <stdexcept>

#include "platform/System.h"

namespace lorik::fakes {

// Thrown by FakeSystem::ExitProcess so a test can see where the process would end.
struct ProcessExit : std::runtime_error {
  explicit ProcessExit(int c) : std::runtime_error("process exit"), code(c) {}
  int code;
};

class FakeSystem final : public SystemPort {
 public:
  int processors = 4;
  std::wstring executablePath = L"C:\\Games\\Lorik\\Lorik.exe";
  std::optional<std::array<uint16_t, 4>> version = std::array<uint16_t, 4>{1, 0, 0, 350};
  std::optional<uint64_t> availableMemory = uint64_t{8} << 30;

  int ProcessorCount() override { return processors; }
  std::wstring ExecutablePath() override { return executablePath; }
  std::optional<std::array<uint16_t, 4>> FileVersion() override { return version; }
  std::optional<uint64_t> AvailableMemory() override { return availableMemory; }
  [[noreturn]] void ExitProcess(int code) override { throw ProcessExit(code); }
};

// A mutex that another process may already hold.
class FakeInstanceGuard final : public InstanceGuardPort {
 public:
  bool heldElsewhere = false;
  int attempts = 0;
  bool TryTake() override {
    ++attempts;
    return !heldElsewhere;
  }
};

}  // namespace lorik::fakes
