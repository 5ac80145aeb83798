#pragma once
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace lorik {

// Records every folder opened; folders in `failing` cannot be opened.
class FakeShell final : public ShellPort {
 public:
  bool Explore(WindowHandle, const std::wstring& folder) override {
    explored.push_back(folder);
    for (const std::wstring& f : failing)
      if (f == folder) return false;
    return true;
  }
  std::wstring CurrentDirectory() override { return currentDirectory; }

  std::vector<std::wstring> explored;
  std::vector<std::wstring> failing;
  std::wstring currentDirectory = L"C:\\Games\\Lorik";
};

}  // namespace lorik
