#pragma once
#include <cstddef>
#include <optional>
#include <string_view>

#include "core/Geometry.h"
#include "core/WindowHandle.h"

namespace lorik {

class MenuPort;

// What the main window's context menu shows besides its fixed items.
struct ContextMenuRequest {
  Point screen;                  // where the menu opens
  WindowHandle owner;            // receives the chosen command as WM_COMMAND
  size_t multiShotProfiles = 0;  // one folder item each
  bool alwaysOnTop = false;      // checks the always-on-top item
  bool previewImage = false;     // checks the thumbnail item
};

// Loads the context menu, adds a folder item per multi-shot profile, checks
// the items that are on and tracks it. Returns the message for the user when
// the menu resource is incomplete; the loaded menu is destroyed either way.
std::optional<std::wstring_view> TrackContextMenu(MenuPort& menus,
                                                  const ContextMenuRequest& request);

}  // namespace lorik
