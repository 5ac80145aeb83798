#include "app/ContextMenu.h"

#include "core/Text.h"
#include "platform/Menu.h"
#include "resource.h"

namespace lorik {

std::optional<std::wstring_view> TrackContextMenu(MenuPort& menus,
                                                  const ContextMenuRequest& request) {
  const OwnedMenu menu = menus.Load(IDR_MENU_CONTEXT);
  if (!menu) return L"Failed to load menu";
  const MenuPort::Menu popup = menus.SubMenu(menu.Get(), 0);
  if (popup == 0) return L"Failed to load popup menu";
  const MenuPort::Menu folders = menus.SubMenu(popup, 0);
  if (folders == 0) return L"Failed to load folder menu";

  // Between the last-saved-folder item and the single-shot item; the command
  // of profile k follows the single-shot folder's.
  for (size_t k = 1; k <= request.multiShotProfiles; ++k) {
    menus.InsertItem(folders, static_cast<unsigned>(k),
                     ID_MENU_OPEN_SINGLE_SHOT_FOLDER + static_cast<unsigned>(k),
                     L"マルチショット" + PaddedDecimal(static_cast<long long>(k), 2));
  }
  if (request.alwaysOnTop) menus.CheckItem(popup, ID_MENU_ALWAYS_ON_TOP, true);
  if (request.previewImage) menus.CheckItem(popup, ID_MENU_SHOW_THUMBNAIL, true);
  menus.Track(popup, request.screen, request.owner);
  return std::nullopt;
}

}  // namespace lorik
