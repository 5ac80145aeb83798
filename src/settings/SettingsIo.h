#pragma once
#include <cstdint>

#include "core/Geometry.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"

namespace lorik {

// Where the defaults that are not constants come from.
struct SettingsDefaults {
  Rect windowRect;     // the main window's rectangle before the settings are read
  Rect thumbnailRect;  // client rectangle of the thumbnail control
  int processorCount = 0;
};

struct ReadResult {
  SettingsRecords records;
  // "Window pos x", "Window pos y" as left and top; "Window pos width" and
  // "Window pos height" as the rectangle's width and height.
  Rect windowPlacement;
};

// More profiles than this cannot all get a hotkey identifier below 0xC000, and a
// count from a damaged file must not make the program allocate without bound.
constexpr int32_t kMaxMultiShotProfiles = 0xBFFF - 16996;

// Reads every record from the file, taking the defaults of absent keys.
ReadResult ReadSettings(const IniFile& file, const SettingsDefaults& defaults);

// Writes every stored key, in the order a new file lists them; `currentWindowRect`
// gives the window placement keys. Keys and sections it does not write are kept.
void WriteSettings(IniFile& file, const SettingsRecords& records, Rect currentWindowRect);

}  // namespace lorik
