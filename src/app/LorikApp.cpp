#include "app/LorikApp.h"

#include <memory>

#include "app/LorikDlg.h"
#include "platform/System.h"
#include "ui/DialogHost.h"

namespace lorik {

std::wstring CLorikApp::IniPathFor(const std::wstring& executablePath) {
  const size_t slash = executablePath.find_last_of(L"\\/");
  std::wstring folder =
      slash == std::wstring::npos ? std::wstring() : executablePath.substr(0, slash);
  // A drive root keeps its backslash, as the platform's path functions do.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder + L"Lorik.ini";
}

bool CLorikApp::InitInstance() {
  const std::wstring iniPath = IniPathFor(ports_.system.ExecutablePath());
  // The main window is large (records, buffers); keep it off the stack.
  auto dialog = std::make_unique<CLorikDlg>(ports_, iniPath);
  ports_.dialogs.RunModal(*dialog, {});
  return false;
}

}  // namespace lorik
