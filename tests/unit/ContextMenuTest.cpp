#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "app/ContextMenu.h"
#include "core/Text.h"
#include "fakes/FakeMenu.h"
#include "resource.h"

namespace lorik {
namespace {

TEST(ContextMenuTest, TheLoadedMenuIsDestroyedOnEveryPath) {
  auto noFolders = std::make_shared<FakeMenu::Items>(
      FakeMenu::Items{{ID_MENU_SHOW_THUMBNAIL, L"サムネイルを表示", false, nullptr}});
  struct Case {
    const wchar_t* failure;                   // nullptr: the menu is shown
    std::optional<FakeMenu::Items> resource;  // nullopt: no menu resource at all
  };
  const Case cases[] = {
      {L"Failed to load menu", std::nullopt},
      {L"Failed to load popup menu", FakeMenu::Items{}},
      {L"Failed to load folder menu", FakeMenu::Items{{0, L"メニュー", false, noFolders}}},
      {nullptr, FakeMenu::ContextMenuResource()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failure ? ToUtf8(c.failure) : "shown");
    FakeMenu menus;
    menus.resources.clear();
    if (c.resource) menus.resources[IDR_MENU_CONTEXT] = *c.resource;

    const std::optional<std::wstring_view> failure =
        TrackContextMenu(menus, {{10, 20}, WindowHandle{7}, 3, true, true});

    if (c.failure) {
      EXPECT_EQ(failure, std::wstring_view(c.failure));
      EXPECT_TRUE(menus.shown.empty());
    } else {
      EXPECT_EQ(failure, std::nullopt);
      EXPECT_EQ(menus.shown.size(), 1u);
    }
    EXPECT_EQ(menus.loaded.size(), c.resource ? 1u : 0u);
    // Each loaded menu once, and never one of its borrowed submenus.
    EXPECT_EQ(menus.destroyed, menus.loaded);
  }
}

TEST(ContextMenuTest, OwnershipMovesWithTheMenu) {
  FakeMenu menus;
  {
    OwnedMenu first = menus.Load(IDR_MENU_CONTEXT);
    OwnedMenu second = menus.Load(IDR_MENU_CONTEXT);
    ASSERT_EQ(menus.loaded.size(), 2u);

    OwnedMenu moved = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.Get(), menus.loaded[0]);
    EXPECT_TRUE(menus.destroyed.empty());

    // Taking another menu over lets go of the one held before.
    moved = std::move(second);
    EXPECT_EQ(menus.destroyed, std::vector<MenuPort::Menu>{menus.loaded[0]});
    EXPECT_EQ(moved.Get(), menus.loaded[1]);
  }
  EXPECT_EQ(menus.destroyed, menus.loaded);
}

}  // namespace
}  // namespace lorik
