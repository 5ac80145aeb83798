#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/FileStore.h"
#include "platform/MessageBox.h"
#include "platform/System.h"
#include "settings/Settings.h"

namespace lorik {

// The folders of the shots in use must exist or be made before the settings
// are put into force, so that a folder that cannot be used is found while the
// user can still fix it, not at the moment of a shot.
struct FolderCheck {
  FileStorePort& files;
  std::wstring defaultFolder;     // where an empty "Folder" saves
  std::wstring currentDirectory;  // where a relative folder lies
};

// Where the settings dialog opens again after a refusal, so the user sees the
// value to fix: a tab (kPageHotkey, ...) and, on the hotkey page, the 0-based
// profile to select; -1 where the refusal names neither.
struct CheckFocus {
  int page = -1;
  int profile = -1;
};
inline constexpr int kPageHotkey = 1;

// Caption of every message the settings check shows.
inline constexpr std::wstring_view kSettingsCheckCaption = L"Lorik設定チェック結果";

// Checks a set of records for consistency before they are put into force. Shows
// the message of the first problem found (error icon, OK only) and returns false,
// or returns true when the records are acceptable.
//
// `profileCount` is the main window's own "Maximum multi shot no": the number of
// profiles examined. It is clamped to the length of `multiShots`, so a count that
// disagrees with the list never reads past it. `general` is not examined.
//
// The capture area must have a size and fit one bitmap, and the examined
// profiles' before counts and both buffers, all full of frames of that area,
// must fit in the memory that `system` says is available (not checked when it
// cannot say). With `folders`, the folders in use are then made where
// missing: the single shot's when it has a key or the main button takes
// single shots, and each examined profile's when it has a key or is the main
// button's; one that cannot be made is refused and `focus` tells where.
bool CheckSetting(const CaptureSettings& capture, const MultiShotProfile& singleShot,
                  const std::vector<MultiShotProfile>& multiShots, const SaveSettings& save,
                  const GeneralSettings& general, int32_t profileCount, MessageBoxPort& messages,
                  SystemPort& system, const FolderCheck* folders = nullptr,
                  CheckFocus* focus = nullptr);

// The same check on one set of records, examining as many profiles as its own
// "Maximum multi shot no" (the main window's records at start-up).
bool CheckSetting(const SettingsRecords& records, MessageBoxPort& messages, SystemPort& system,
                  const FolderCheck* folders = nullptr, CheckFocus* focus = nullptr);

// Whether a picture of `area` at `bitDepth` (24 unless 32) can be grabbed at
// all: the area has a size and fits one bitmap. Records that were refused can
// still be in force while the settings dialog is open; they are not grabbed.
bool CaptureAreaGrabbable(const Rect& area, int32_t bitDepth);

}  // namespace lorik
