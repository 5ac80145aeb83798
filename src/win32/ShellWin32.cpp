#include "win32/ShellWin32.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "win32/ComRef.h"

namespace lorik {

bool ShellWin32::Explore(WindowHandle owner, const std::wstring& folder) {
  const HINSTANCE result = ::ShellExecuteW(reinterpret_cast<HWND>(owner.value), L"explore",
                                           folder.c_str(), nullptr, nullptr, SW_SHOW);
  // ShellExecuteW reports failure as a value of 32 or less.
  return reinterpret_cast<intptr_t>(result) > 32;
}

bool ShellWin32::Open(WindowHandle owner, const std::wstring& file) {
  // The default verb: the program the user associated with the file's type.
  const HINSTANCE result = ::ShellExecuteW(reinterpret_cast<HWND>(owner.value), nullptr,
                                           file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<intptr_t>(result) > 32;
}

std::wstring ShellWin32::CurrentDirectory() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return {};
  std::wstring dir(size, L'\0');
  const DWORD n = ::GetCurrentDirectoryW(size, dir.data());
  dir.resize(n < size ? n : 0);
  return dir;
}

// The folder picker needs COM on this thread; it is set up for the call only when
// nothing else did.
std::optional<std::wstring> ShellWin32::PickFolder() {
  const win32::ComScope com;
  std::optional<std::wstring> folder;
  {
    win32::ComRef<IFileDialog> dialog;
    if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_PPV_ARGS(&dialog.p)))) {
      FILEOPENDIALOGOPTIONS options = 0;
      if (SUCCEEDED(dialog.p->GetOptions(&options))) {
        dialog.p->SetOptions(options | FOS_PICKFOLDERS);
      }
      win32::ComRef<IShellItem> item;
      wchar_t* path = nullptr;
      if (SUCCEEDED(dialog.p->Show(nullptr)) && SUCCEEDED(dialog.p->GetResult(&item.p)) &&
          SUCCEEDED(item.p->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        folder = std::wstring(path);
        ::CoTaskMemFree(path);
      }
    }
  }
  return folder;
}

std::optional<std::wstring> ShellWin32::PicturesFolder() {
  wchar_t* path = nullptr;
  std::optional<std::wstring> folder;
  // KF_FLAG_DONT_VERIFY: the folder may have been removed; it is created at the first save.
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_DONT_VERIFY, nullptr, &path)) &&
      path != nullptr && path[0] != L'\0') {
    folder = std::wstring(path);
  }
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace lorik
