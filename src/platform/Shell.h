#pragma once
#include <optional>
#include <string>

#include "core/WindowHandle.h"

namespace lorik {

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // Opens an explorer window on `folder`; false when the shell could not.
  virtual bool Explore(WindowHandle owner, const std::wstring& folder) = 0;
  // Opens a file in the program the user chose for its type; false when the
  // shell could not.
  virtual bool Open(WindowHandle owner, const std::wstring& file) = 0;
  // The process's current directory.
  virtual std::wstring CurrentDirectory() = 0;
  // Lets the user choose a folder in the platform's folder picker, without an owner
  // window; nullopt when the user cancelled or the picker could not be shown.
  virtual std::optional<std::wstring> PickFolder() = 0;
  // The user's Pictures folder; nullopt when the system knows none.
  virtual std::optional<std::wstring> PicturesFolder() = 0;
};

}  // namespace lorik
