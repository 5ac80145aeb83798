// The loader of System32 DLLs and the restricted DLL search against the real
// loader. The search cases run in a copy of this program in a folder of its
// own, beside a DLL planted under a system DLL's name, with Wine told to prefer
// native DLLs of that name, as Windows does for a DLL that is not a known one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "win32/SystemDll.h"

namespace lorik::win32 {
namespace {

// A name that nothing of this process loads by itself.
constexpr const wchar_t* kPlantedName = L"dwmapi.dll";

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return text;
}

std::filesystem::path ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return Lower(path);
}

std::filesystem::path SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return Lower(folder);
}

std::string Narrow(const std::wstring& text) {
  return std::string(text.begin(), text.end());
}

TEST(SystemDll, FunctionsComeFromSystem32AndWork) {
  const SystemDll version(L"version.dll");
  ASSERT_TRUE(version.Loaded());
  EXPECT_EQ(ModulePath(version.Module()).parent_path(), SystemFolder());
  const auto size =
      version.Require<decltype(&::GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
  const std::wstring self = ModulePath(nullptr).wstring();
  DWORD ignored = 0;
  // This program carries Lorik's version resource.
  EXPECT_GT(size(self.c_str(), &ignored), 0u);
}

TEST(SystemDll, CommonControlsComeFromTheAssemblyTheManifestAsksFor) {
  const SystemDll controls(L"comctl32.dll");
  ASSERT_TRUE(controls.Loaded());
  // The side-by-side assembly of version 6, not System32's version 5.
  EXPECT_NE(ModulePath(controls.Module()).wstring().find(L"\\winsxs\\"), std::wstring::npos)
      << ModulePath(controls.Module());
}

struct Missing {
  const wchar_t* dll;
  const char* function;
};

TEST(SystemDll, AMissingFunctionOrDllIsNamed) {
  for (const Missing& c : {Missing{L"version.dll", "GetFileVersionInfoLorikW"},
                           Missing{L"lorik-no-such.dll", "GetFileVersionInfoW"}}) {
    const SystemDll dll(c.dll);
    EXPECT_EQ(dll.Find<decltype(&::GetFileVersionInfoW)>(c.function), nullptr) << c.function;
    const std::string expected = Narrow(c.dll) + ": " + c.function;
    try {
      dll.Require<decltype(&::GetFileVersionInfoW)>(c.function);
      ADD_FAILURE() << expected << " was found";
    } catch (const MissingSystemFunction& missing) {
      EXPECT_EQ(missing.what(), expected);
      EXPECT_EQ(Narrow(missing.Text()), expected);
    }
  }
}

// The child: loads the planted name after or without the restriction, the
// ordinary way or through SystemDll, and writes the file it got.
int LoadMode(bool restrict, bool throughLoader, const wchar_t* out) {
  if (restrict && !RestrictDllSearchToSystem32()) return 3;
  HMODULE module = throughLoader ? SystemDll(kPlantedName).Module() : LoadLibraryW(kPlantedName);
  std::wofstream(std::filesystem::path(out)) << (module ? ModulePath(module).wstring() : L"-");
  return 0;
}

// This program and the planted DLL in a folder of their own, removed at the end.
class PlantedFolder {
 public:
  PlantedFolder() {
    const std::filesystem::path self = ModulePath(nullptr);
    dir_ = std::filesystem::temp_directory_path() /
           (L"lorik-system-dll-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(self, Exe());
    // The e2e build puts the planted DLLs beside the test programs.
    std::filesystem::copy_file(self.parent_path() / L"planted" / kPlantedName, Planted());
  }
  ~PlantedFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::filesystem::path Exe() const { return dir_ / L"test_system_dll.exe"; }
  std::filesystem::path Planted() const { return Lower((dir_ / kPlantedName).wstring()); }
  std::filesystem::path Marker() const { return dir_ / (std::wstring(kPlantedName) + L".loaded"); }

  // Runs the copy in load mode with native DLLs of the planted name first;
  // returns the file it got.
  std::wstring Load(bool restrict, bool throughLoader) const {
    const std::filesystem::path out = dir_ / L"loaded.txt";
    std::filesystem::remove(out);
    std::filesystem::remove(Marker());
    std::wstring command = L"\"" + Exe().wstring() + L"\" --load " + (restrict ? L"1 " : L"0 ") +
                           (throughLoader ? L"1 \"" : L"0 \"") + out.wstring() + L"\"";
    wchar_t saved[1024] = {};
    const DWORD had = GetEnvironmentVariableW(L"WINEDLLOVERRIDES", saved, 1024);
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;dwmapi=n,b");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const std::wstring folder = dir_.wstring();
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, folder.c_str(), &si, &pi) != FALSE;
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", had > 0 && had < 1024 ? saved : nullptr);
    if (!started) return L"(not started)";
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code != 0) return L"(exit code " + std::to_wstring(code) + L")";
    std::wifstream in(out);
    return {std::istreambuf_iterator<wchar_t>(in), std::istreambuf_iterator<wchar_t>()};
  }

 private:
  std::filesystem::path dir_;
};

struct Search {
  const char* what;
  bool restrict;
  bool throughLoader;
  bool planted;  // whether the planted DLL is the one loaded
};

TEST(DllSearch, OnlyAnOrdinaryLoadWithoutTheRestrictionTakesTheDllBesideTheProgram) {
  const PlantedFolder folder;
  for (const Search& c : {
           // Shows that the planted DLL is taken where nothing prevents it.
           Search{"ordinary load", false, false, true},
           Search{"ordinary load after the restriction", true, false, false},
           Search{"SystemDll", false, true, false},
           Search{"SystemDll after the restriction", true, true, false},
       }) {
    const std::filesystem::path got = folder.Load(c.restrict, c.throughLoader);
    const std::filesystem::path expected =
        c.planted ? folder.Planted() : SystemFolder() / kPlantedName;
    EXPECT_EQ(got, expected) << c.what;
    EXPECT_EQ(std::filesystem::exists(folder.Marker()), c.planted) << c.what;
  }
}

}  // namespace
}  // namespace lorik::win32

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"--load") {
    return lorik::win32::LoadMode(std::wstring(argv[2]) == L"1", std::wstring(argv[3]) == L"1",
                                  argv[4]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
