// The entry point of the Win32 test programs that need nothing of their own
// before the tests run: the common controls registered, as Lorik.exe does.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
