#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

// The settings records: what the INI file and the settings pages hold. Stored
// fields are named after their INI keys in lowerCamel case (the key is in the
// comment); the few fields that are not stored are marked so. The settings
// dialog copies the records out and assigns them back whole, so the state of
// running work does not belong here: a multi shot's counters live in the
// capture controller. Constructors give zeros and empty strings: the file's
// defaults are applied when the settings are read.
namespace lorik {

// One shot profile: a multi-shot profile, or the single-shot record.
struct MultiShotProfile {
  int32_t id = 0;           // "ID": hotkey identifier for registration and WM_HOTKEY
  uint16_t modifier = 0;    // "Modifier": MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8
  uint16_t virtualKey = 0;  // "Virtual key": virtual-key code; 0 means no hotkey
  std::wstring hotkeyText;  // display text of the hotkey, rebuilt by the hotkey page
  std::wstring folder;      // "Folder": destination folder of the shot's files
  std::wstring format;      // "Format": file-name pattern with meta-characters
  int32_t numberOfSavedImageBeforeHotkey = 0;   // "Number of saved image before hotkey"
  int32_t numberOfSavedImageAfterHotkey = 0;    // "Number of saved image after hotkey"
  int32_t numberOfCaptureSkippedAfterSave = 0;  // "Number of capture skipped after save"
  friend bool operator==(const MultiShotProfile&, const MultiShotProfile&) = default;
};

struct ShotSettings {
  // Section "SingleShot": only "ID", "Virtual key", "Modifier", "Folder" and "Format".
  MultiShotProfile singleShot;
  // Element k - 1 is section "MultiShot%02d" of k. Its length is "Maximum multi shot
  // no", fixed when the settings are read.
  std::vector<MultiShotProfile> multiShots;
  friend bool operator==(const ShotSettings&, const ShotSettings&) = default;
};

// Section "Capture". `targetWindow`, `trackedWindow` and `trackedRect` are not
// stored, yet they stay here: the capture page picks the target and its area
// together, and `trackedRect` only means something next to the `captureArea`
// it was taken with, so the four travel through the dialog as one snapshot.
// One rolled back by the dialog corrects itself: a gone target is dropped at
// the next grab, and a stale `trackedRect` moves the area by the window's
// move since that snapshot.
struct CaptureSettings {
  WindowHandle targetWindow;  // not stored: window the capture reads from; null after reading
  std::wstring className;     // "Class name" of the target window
  std::wstring appName;       // "App name": executable file name of the target's process
  int32_t targetWidth = 0;    // "Target width": expected client width
  int32_t targetHeight = 0;   // "Target height": expected client height
  int32_t controlId = 0;      // "Control ID" of the target window
  std::wstring title;         // "Title" of the target window
  // "Area X" = left, "Area Y" = top, "Area width" = right - left, "Area height" =
  // bottom - top; client coordinates of the source, or screen ones in desktop mode.
  Rect captureArea;
  bool captureFromDesktop = false;                  // "Capture from desktop"
  bool automaticallyRecaptureAfterLost = false;     // "Automatically recapture after lost"
  bool showDialogOnLost = false;                    // "Show dialog on lost"
  bool reTargetOnBootIfCaptureFromDesktop = false;  // "Re-target on boot if capture from desktop"
  int32_t searchPeriod = 0;                         // "Search period": re-search timer, ms
  uint32_t periodBetweenEachCapture = 0;  // "Period between each capture": capture timer, ms
  Rect trackedRect;                       // not stored: last known rectangle of the tracked window
  WindowHandle trackedWindow;             // not stored: window being followed; null after reading
  friend bool operator==(const CaptureSettings&, const CaptureSettings&) = default;
};

// Section "Save".
struct SaveSettings {
  int32_t imageType = 0;               // "Image type": an ImageType value, stored as text
  int32_t imageBitDepth = 0;           // "Image bit depth": 24 or 32
  int32_t conversionBuffSize = 0;      // "Conversion buff size": ConversionBuffer capacity
  int32_t conversionThreadNumber = 0;  // "Conversion thread number": conversion workers
  int32_t saveBuffSize = 0;            // "Save buff size": nominal SaveBuffer capacity
  bool previewImage = false;           // "Preview image": show the last saved picture
  int32_t previewWidth = 0;            // "Preview width" of the thumbnail area, pixels
  int32_t previewHeight = 0;           // "Preview height" of the thumbnail area, pixels
  bool useDiskCache = false;           // "Use disk cache"
  friend bool operator==(const SaveSettings&, const SaveSettings&) = default;
};

// Section "General", without the window placement, which belongs to the window.
struct GeneralSettings {
  bool alwaysOnTop = false;  // "Always on top"
  bool checkOnExit = false;  // "Check on exit": ask before exiting
  // "Main button setting": 0 single shot, 1 multi shot, 2 open the last save
  // folder, 3 open a save folder.
  int32_t shotButtonType = 0;
  int32_t mainButtonMultiShotNo = 0;  // "Main button multi shot no": 0-based profile index
  // "Main button show folder no": 0 the single-shot folder, k >= 1 that of profile k - 1.
  int32_t mainButtonShowFolderNo = 0;
  int32_t maximumMultiShotNo = 0;   // "Maximum multi shot no": number of profiles
  bool showSaveBufferInfo = false;  // "Show save buffer info"
  bool allowMultipleBoot = false;   // "Allow multiple boot"
  bool supressErrorDialog = false;  // "Supress error dialog"
  // "Review after multi shot": open the review window once a multi shot is written.
  bool reviewAfterMultiShot = false;
  friend bool operator==(const GeneralSettings&, const GeneralSettings&) = default;
};

struct SettingsRecords {
  GeneralSettings general;
  ShotSettings shot;
  SaveSettings save;
  CaptureSettings capture;
  friend bool operator==(const SettingsRecords&, const SettingsRecords&) = default;
};

}  // namespace lorik
