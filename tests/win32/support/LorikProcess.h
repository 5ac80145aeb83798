#pragma once
// Runs Lorik.exe as a real process in a folder of its own and finds its windows.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace lorik::testing {

// The Lorik.exe of this build: the test programs live in <build>/tests.
inline std::filesystem::path BuiltLorikExe() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path().parent_path() / L"Lorik.exe";
}

// A fresh folder holding a copy of Lorik.exe, removed at the end.
class LorikFolder {
 public:
  explicit LorikFolder(const std::wstring& name) {
    dir_ = std::filesystem::temp_directory_path() / (name + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(BuiltLorikExe(), Exe());
  }
  ~LorikFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::filesystem::path Exe() const { return dir_ / L"Lorik.exe"; }
  std::filesystem::path Ini() const { return dir_ / L"Lorik.ini"; }
  const std::filesystem::path& Dir() const { return dir_; }

  // Writes the settings file as UTF-8 text.
  void WriteIni(const std::string& text) const { std::ofstream(Ini(), std::ios::binary) << text; }
  std::string ReadIniBytes() const {
    std::ifstream in(Ini(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path dir_;
};

class LorikProcess {
 public:
  explicit LorikProcess(const std::filesystem::path& exe) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring command = L"\"" + exe.wstring() + L"\"";
    const std::wstring dir = exe.parent_path().wstring();
    started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              dir.c_str(), &si, &info_) != FALSE;
    if (started_) WaitForInputIdle(info_.hProcess, 10000);
  }
  ~LorikProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  LorikProcess(const LorikProcess&) = delete;
  LorikProcess& operator=(const LorikProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return info_.dwProcessId; }

  // Top-level dialog windows of the process; a message box is told from the
  // main window by its static text (id 0xFFFF) and the main window by its
  // progress bar (1031).
  std::vector<HWND> Dialogs() const {
    struct Search {
      DWORD pid;
      std::vector<HWND> found;
    } search{info_.dwProcessId, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          wchar_t cls[64] = {};
          GetClassNameW(w, cls, 64);
          if (pid == s->pid && std::wstring(cls) == L"#32770" && IsWindowVisible(w))
            s->found.push_back(w);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  static std::wstring MessageText(HWND box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    return text;
  }

  // Waits for a visible window that satisfies `match`; null after the time-out.
  template <class Match>
  HWND WaitFor(Match match, int timeoutMs = 15000) const {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
      for (HWND w : Dialogs())
        if (match(w)) return w;
      if (Exited()) return nullptr;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
  }

  HWND WaitForMainWindow(int timeoutMs = 15000) const {
    return WaitFor([](HWND w) { return GetDlgItem(w, 1031) != nullptr; }, timeoutMs);
  }
  HWND WaitForMessage(const std::wstring& text, int timeoutMs = 15000) const {
    return WaitFor([&](HWND w) { return MessageText(w) == text; }, timeoutMs);
  }

  bool Exited() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; }
  // The exit code once the process has ended, or -1 after the time-out.
  long WaitForExit(int timeoutMs = 15000) const {
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Presses the default button of a message box.
inline void Dismiss(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace lorik::testing
