#pragma once
#include "platform/Shell.h"

namespace lorik {

class ShellWin32 final : public ShellPort {
 public:
  bool Explore(WindowHandle owner, const std::wstring& folder) override;
  bool Open(WindowHandle owner, const std::wstring& file) override;
  std::wstring CurrentDirectory() override;
  std::optional<std::wstring> PickFolder() override;
  std::optional<std::wstring> PicturesFolder() override;
};

}  // namespace lorik
