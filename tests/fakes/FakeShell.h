#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace lorik {

// Records every folder and file opened; folders in `failing` cannot be opened.
class FakeShell final : public ShellPort {
 public:
  bool Explore(WindowHandle, const std::wstring& folder) override {
    explored.push_back(folder);
    for (const std::wstring& f : failing)
      if (f == folder) return false;
    return true;
  }
  bool Open(WindowHandle, const std::wstring& file) override {
    opened.push_back(file);
    return openWorks;
  }
  std::wstring CurrentDirectory() override { return currentDirectory; }
  std::optional<std::wstring> PicturesFolder() override { return picturesFolder; }
  std::optional<std::wstring> PickFolder() override {
    ++folderPicks;
    return pickedFolder;
  }

  std::vector<std::wstring> explored;
  std::vector<std::wstring> failing;
  std::vector<std::wstring> opened;  // every file opened
  bool openWorks = true;
  std::wstring currentDirectory = L"C:\\Games\\Lorik";
  std::optional<std::wstring> pickedFolder;  // what the folder picker returns; nullopt: cancelled
  int folderPicks = 0;
  std::optional<std::wstring> picturesFolder = L"C:\\Users\\user\\Pictures";
};

}  // namespace lorik
