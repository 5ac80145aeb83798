#pragma once
#include <string>

#include "app/AppPorts.h"

namespace lorik {

// The application object: points the settings at the INI file beside the
// executable and runs the main window modally for the life of the process.
class CLorikApp {
 public:
  explicit CLorikApp(AppPorts ports) : ports_(ports) {}
  // Returns false: the process ends when the main window has closed.
  bool InitInstance();

  // The settings file of an executable: its folder plus "Lorik.ini".
  static std::wstring IniPathFor(const std::wstring& executablePath);

 private:
  AppPorts ports_;
};

}  // namespace lorik
