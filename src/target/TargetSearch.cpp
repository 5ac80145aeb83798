#include "target/TargetSearch.h"

#include <optional>
#include <set>
#include <vector>

#include "core/AppName.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"
#include "platform/WindowSystem.h"

namespace lorik {

namespace {

constexpr wchar_t kNoApplicationInfo[] = L"アプリケーション情報を取得できませんでした";
constexpr wchar_t kEnumFailed[] = L"Failed to enum windows";

}  // namespace

TargetSearch::TargetSearch(WindowSystemPort& windows, ProcessTablePort& processes,
                           MessageBoxPort& messages, TracePort& trace)
    : windows_(windows), processes_(processes), trace_(trace), errors_(messages) {}

void TargetSearch::ShowError(std::wstring_view text) {
  errors_.Show(text, kAppName, mb::kIconError);
}

bool TargetSearch::BuildProcessTable(ProcessTable& table) {
  ProcessTablePort::Result snapshot = processes_.ReadSnapshot();
  switch (snapshot.status) {
    case ProcessTablePort::Status::kOk:
      break;
    case ProcessTablePort::Status::kSnapshotFailed:
      trace_.Write("Failed to take snapshot of process\n");
      ShowError(kNoApplicationInfo);
      return false;
    case ProcessTablePort::Status::kFirstEntryFailed:
      trace_.Write("Failed to process process's snapshot\n");
      ShowError(kNoApplicationInfo);
      return false;
  }
  // A later entry with the same id overwrites the earlier name.
  for (ProcessTablePort::Entry& entry : snapshot.entries) {
    table[entry.processId] = std::move(entry.exeFile);
  }
  return true;
}

WindowHandle TargetSearch::FindTargetWindow(CaptureSettings description) {
  ProcessTable processes;
  if (!BuildProcessTable(processes)) return {};

  // Keyed by handle, so windows are visited in ascending handle order rather
  // than in the platform's z-order.
  std::map<WindowHandle, uint32_t> topLevel;
  {
    std::optional<std::vector<WindowHandle>> windows = windows_.TopLevelWindows();
    if (!windows) {
      ShowError(kEnumFailed);
      return {};
    }
    for (WindowHandle window : *windows) topLevel[window] = windows_.ProcessId(window);
  }

  auto classAndIdMatch = [&](WindowHandle window) {
    return windows_.ClassName(window) == description.className &&
           windows_.ControlId(window) == description.controlId;
  };

  std::vector<WindowHandle> titleMatches;
  for (const auto& [window, processId] : topLevel) {
    auto process = processes.find(processId);
    const std::wstring noName;
    const std::wstring& exeFile = process == processes.end() ? noName : process->second;
    if (exeFile != description.appName) continue;

    if (classAndIdMatch(window)) return window;
    if (windows_.Title(window) != description.title) continue;
    titleMatches.push_back(window);

    // Descendants are examined whichever process owns them.
    const std::vector<WindowHandle> found = windows_.DescendantWindows(window);
    const std::set<WindowHandle> children(found.begin(), found.end());
    for (WindowHandle child : children) {
      if (classAndIdMatch(child)) return child;
      if (windows_.Title(child) == description.title) titleMatches.push_back(child);
    }
  }

  for (WindowHandle candidate : titleMatches) {
    const Rect client = windows_.ClientRect(candidate);
    if (client.right == description.targetWidth && client.bottom == description.targetHeight) {
      trace_.Write("size matched\n");
      return candidate;
    }
  }
  if (!titleMatches.empty()) {
    trace_.Write("Size not matched, but title matched\n");
    return titleMatches.front();
  }
  return {};
}

}  // namespace lorik
