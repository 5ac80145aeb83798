// Lorik.exe as a user meets it: first start, restart, second instance, About.
#include <windows.h>
// windows.h first: commctrl.h depends on it.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "support/LorikProcess.h"

namespace lorik::testing {
namespace {

const wchar_t kMissingIni[] = L"設定ファイルが存在しないため、設定ウィンドウを開きます。";
const wchar_t kAlreadyRunning[] = L"既に起動しています";

// Names of a NUL-separated, double-NUL-terminated list.
std::vector<std::wstring> SplitList(const wchar_t* p) {
  std::vector<std::wstring> items;
  while (*p) {
    items.emplace_back(p);
    p += items.back().size() + 1;
  }
  return items;
}

std::vector<std::wstring> SectionNames(const std::wstring& ini) {
  static wchar_t buffer[65536];
  GetPrivateProfileSectionNamesW(buffer, 65536, ini.c_str());
  return SplitList(buffer);
}

std::vector<std::wstring> KeysOf(const std::wstring& ini, const std::wstring& section) {
  static wchar_t buffer[65536];
  GetPrivateProfileSectionW(section.c_str(), buffer, 65536, ini.c_str());
  std::vector<std::wstring> keys;
  for (const std::wstring& line : SplitList(buffer))
    keys.push_back(line.substr(0, line.find(L'=')));
  return keys;
}

void CloseMainWindow(const LorikProcess& lorik, bool expectQuestion = false) {
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (expectQuestion) {
    // "Check on exit" is on by default: OK in the question ends the program.
    HWND question = lorik.WaitForMessage(L"終了しますか?");
    ASSERT_NE(question, nullptr) << "no exit question";
    Dismiss(question);
  }
  EXPECT_EQ(lorik.WaitForExit(), 0);
}

const std::string kQuietIni =
    "[General]\r\nCheck on exit=0\r\nAllow multiple boot=0\r\n"
    "[Capture]\r\nPeriod between each capture=100\r\n";

TEST(LorikLifecycle, FirstStartWritesEveryKeyInOrderAndARestartKeepsTheFile) {
  LorikFolder folder(L"lorik-first");
  {
    LorikProcess lorik(folder.Exe());
    ASSERT_TRUE(lorik.Started());
    HWND box = lorik.WaitForMessage(kMissingIni);
    ASSERT_NE(box, nullptr) << "no message about the missing settings file";
    Dismiss(box);
    // Then the settings, on their first tab; Cancel leaves the defaults.
    HWND settings = lorik.WaitFor([](HWND w) { return GetDlgItem(w, IDC_TAB_SETTING) != nullptr; });
    ASSERT_NE(settings, nullptr) << "the settings did not open after the message";
    EXPECT_EQ(SendDlgItemMessageW(settings, IDC_TAB_SETTING, TCM_GETCURSEL, 0, 0), 0);
    PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
    CloseMainWindow(lorik, true);
  }
  const std::wstring ini = folder.Ini().wstring();
  ASSERT_TRUE(std::filesystem::exists(folder.Ini()));
  const std::string firstBytes = folder.ReadIniBytes();
  ASSERT_GE(firstBytes.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(firstBytes[0]), 0xFF);  // UTF-16LE BOM
  EXPECT_EQ(static_cast<unsigned char>(firstBytes[1]), 0xFE);

  EXPECT_EQ(SectionNames(ini),
            (std::vector<std::wstring>{L"General", L"SingleShot", L"MultiShot01", L"MultiShot02",
                                       L"MultiShot03", L"Save", L"Capture"}));
  EXPECT_EQ(
      KeysOf(ini, L"General"),
      (std::vector<std::wstring>{
          L"Window pos x", L"Window pos y", L"Window pos width", L"Window pos height",
          L"Always on top", L"Check on exit", L"Main button setting", L"Main button multi shot no",
          L"Main button show folder no", L"Maximum multi shot no", L"Show save buffer info",
          L"Allow multiple boot", L"Supress error dialog", L"Review after multi shot"}));
  EXPECT_EQ(KeysOf(ini, L"SingleShot"),
            (std::vector<std::wstring>{L"ID", L"Virtual key", L"Modifier", L"Folder", L"Format"}));
  for (const wchar_t* profile : {L"MultiShot01", L"MultiShot02", L"MultiShot03"}) {
    EXPECT_EQ(KeysOf(ini, profile),
              (std::vector<std::wstring>{L"ID", L"Virtual key", L"Modifier", L"Folder", L"Format",
                                         L"Number of saved image before hotkey",
                                         L"Number of saved image after hotkey",
                                         L"Number of capture skipped after save"}));
  }
  EXPECT_EQ(
      KeysOf(ini, L"Save"),
      (std::vector<std::wstring>{L"Image type", L"Image bit depth", L"Conversion buff size",
                                 L"Conversion thread number", L"Save buff size", L"Preview image",
                                 L"Preview width", L"Preview height", L"Use disk cache"}));
  EXPECT_EQ(
      KeysOf(ini, L"Capture"),
      (std::vector<std::wstring>{
          L"App name", L"Title", L"Class name", L"Control ID", L"Target width", L"Target height",
          L"Area X", L"Area Y", L"Area width", L"Area height", L"Capture from desktop",
          L"Automatically recapture after lost", L"Search period", L"Show dialog on lost",
          L"Re-target on boot if capture from desktop", L"Period between each capture"}));
  wchar_t text[256] = {};
  GetPrivateProfileStringW(L"Save", L"Image type", L"", text, 256, ini.c_str());
  EXPECT_STREQ(text, L"png");
  EXPECT_EQ(GetPrivateProfileIntW(L"MultiShot02", L"ID", -1, ini.c_str()), 16998);

  // The second start finds the file: no message, and the file comes back unchanged.
  {
    LorikProcess lorik(folder.Exe());
    ASSERT_TRUE(lorik.Started());
    ASSERT_NE(lorik.WaitForMainWindow(), nullptr);
    Sleep(500);
    EXPECT_EQ(lorik.Dialogs().size(), 1u) << "unexpected message at the second start";
    CloseMainWindow(lorik, true);
  }
  EXPECT_EQ(folder.ReadIniBytes(), firstBytes);
}

TEST(LorikLifecycle, SecondInstanceIsRefusedWhileTheFirstRuns) {
  LorikFolder folder(L"lorik-single");
  folder.WriteIni(kQuietIni);
  LorikProcess first(folder.Exe());
  ASSERT_NE(first.WaitForMainWindow(), nullptr);

  LorikProcess second(folder.Exe());
  HWND box = second.WaitForMessage(kAlreadyRunning);
  ASSERT_NE(box, nullptr) << "the second instance did not refuse to run";
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_STREQ(caption, L"Lorik");
  EXPECT_EQ(second.Dialogs().size(), 1u) << "the second instance showed more than the message";
  Dismiss(box);
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_FALSE(first.Exited());
  CloseMainWindow(first);
}

TEST(LorikLifecycle, MultipleBootLetsASecondInstanceRun) {
  LorikFolder folder(L"lorik-multi");
  folder.WriteIni("[General]\r\nCheck on exit=0\r\nAllow multiple boot=1\r\n");
  LorikProcess first(folder.Exe());
  ASSERT_NE(first.WaitForMainWindow(), nullptr);
  LorikProcess second(folder.Exe());
  // The first instance holds the hotkeys: the second says so, once for each.
  for (const wchar_t* text : {L"シングルショット用ホットキーの設定に失敗しました",
                              L"マルチショット01用ホットキーの設定に失敗しました"}) {
    HWND box = second.WaitForMessage(text);
    ASSERT_NE(box, nullptr) << "no hotkey failure message in the second instance";
    Dismiss(box);
  }
  EXPECT_NE(second.WaitForMainWindow(), nullptr);
  EXPECT_EQ(second.WaitForMessage(kAlreadyRunning, 1000), nullptr);
  CloseMainWindow(second);
  CloseMainWindow(first);
}

TEST(LorikLifecycle, AboutShowsTheExecutablesVersion) {
  LorikFolder folder(L"lorik-about");
  folder.WriteIni(kQuietIni);
  const std::wstring exe = folder.Exe().wstring();
  DWORD ignored = 0;
  std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const std::wstring expected = L"Lorik Version " +
                                std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L" build " +
                                std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);

  LorikProcess lorik(folder.Exe());
  HWND main = lorik.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, 0x10, 0);
  HWND about = lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) != nullptr; });
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  wchar_t text[128] = {};
  GetDlgItemTextW(about, 1075, text, 128);
  EXPECT_EQ(std::wstring(text), expected);
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ASSERT_NE(lorik.WaitFor([](HWND w) { return GetDlgItem(w, 1075) == nullptr; }), nullptr);
  CloseMainWindow(lorik);
}

}  // namespace
}  // namespace lorik::testing
