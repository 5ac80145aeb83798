#pragma once
#include <string>

#include "core/WindowHandle.h"

namespace lorik {

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // Opens an explorer window on `folder`; false when the shell could not.
  virtual bool Explore(WindowHandle owner, const std::wstring& folder) = 0;
  // The process's current directory.
  virtual std::wstring CurrentDirectory() = 0;
};

}  // namespace lorik
