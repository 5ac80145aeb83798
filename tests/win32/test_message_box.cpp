// Which window owns a message box: the main window, whichever thread shows it.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "win32/MessageBoxWin32.h"

namespace lorik {
namespace {

// Set while a box is shown on this thread: the box's owner, read as it
// activates, and the box closed at once.
thread_local HWND seenOwner = nullptr;
thread_local bool seenBox = false;

LRESULT CALLBACK CloseEveryBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    GetClassNameW(box, cls, 16);
    if (std::wstring(cls) == L"#32770") {
      seenBox = true;
      seenOwner = GetWindow(box, GW_OWNER);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The owner of the box that `messages` shows on the calling thread.
HWND OwnerOfBox(MessageBoxWin32& messages) {
  HHOOK hook = SetWindowsHookExW(WH_CBT, CloseEveryBox, nullptr, GetCurrentThreadId());
  seenOwner = nullptr;
  seenBox = false;
  messages.Show(L"owner test", L"", MB_OK);
  UnhookWindowsHookEx(hook);
  EXPECT_TRUE(seenBox);
  return seenOwner;
}

HWND OwnerOfBoxFromAWorker(MessageBoxWin32& messages) {
  HWND owner = nullptr;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    owner = OwnerOfBox(messages);
    done = true;
  });
  // The main window's thread keeps its messages moving, as the program's loop does.
  while (!done) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(5);
  }
  worker.join();
  return owner;
}

HWND Window(const wchar_t* title, HWND owner) {
  return CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE, 10, 10, 100, 60, owner,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

TEST(MessageBoxOwner, TheMainWindowOwnsBoxesOfWorkersAndOfAnInactiveProgram) {
  MessageBoxWin32 messages;
  HWND main = Window(L"main", nullptr);
  messages.SetOwner(WindowHandle{reinterpret_cast<uintptr_t>(main)});

  EXPECT_EQ(OwnerOfBoxFromAWorker(messages), main);
  // No window of this program active: still the main window, not none.
  SetActiveWindow(nullptr);
  EXPECT_EQ(OwnerOfBox(messages), main);

  // A dialog of the main window that is active owns its own messages.
  HWND dialog = Window(L"settings", main);
  SetActiveWindow(dialog);
  EXPECT_EQ(OwnerOfBox(messages), dialog);

  // Once the main window is gone, boxes have no owner.
  DestroyWindow(dialog);
  DestroyWindow(main);
  EXPECT_EQ(OwnerOfBoxFromAWorker(messages), nullptr);
}

}  // namespace
}  // namespace lorik
