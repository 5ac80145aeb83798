#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

namespace lorik::win32 {

// Makes every later DLL load of the process search System32 only, the loads
// that system DLLs make for themselves included: the program's own folder is
// often a downloads folder, where anything may lie under a system DLL's name.
// Where SetDefaultDllDirectories is missing, at least the current folder
// leaves the search. True when the search was restricted to System32.
bool RestrictDllSearchToSystem32();

// A system DLL that did not load, or a function it does not have.
class MissingSystemFunction : public std::runtime_error {
 public:
  MissingSystemFunction(const wchar_t* dll, const char* function);
  // "<dll>: <function>", for the user.
  const std::wstring& Text() const { return text_; }

 private:
  std::wstring text_;
};

// A DLL loaded by name from System32, whatever the process's search order (a
// manifest's redirection still applies: the common controls come in their
// version 6). It stays loaded for the life of the process.
class SystemDll {
 public:
  explicit SystemDll(const wchar_t* name);

  bool Loaded() const { return module_ != nullptr; }
  HMODULE Module() const { return module_; }

  // A function as the pointer type `F`, which the caller takes from the
  // function's declaration (`decltype(&::GetFileVersionInfoW)`), so that its
  // calls are checked against the headers. nullptr when it is missing or the
  // DLL did not load.
  template <typename F>
  F Find(const char* function) const {
    if (module_ == nullptr) return nullptr;
    // Through void*: FARPROC takes no parameters, so a direct cast warns.
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, function)));
  }

  // As Find, for a function the program cannot do without: a missing one
  // throws MissingSystemFunction naming the DLL and the function.
  template <typename F>
  F Require(const char* function) const {
    F found = Find<F>(function);
    if (found == nullptr) throw MissingSystemFunction(name_, function);
    return found;
  }

 private:
  const wchar_t* name_;
  HMODULE module_;
};

}  // namespace lorik::win32
