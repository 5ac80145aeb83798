#include "win32/TraceWin32.h"

#include <windows.h>

#include <string>

namespace lorik {

void TraceWin32::Write(std::string_view line) {
  OutputDebugStringA(std::string(line).c_str());
}

}  // namespace lorik
