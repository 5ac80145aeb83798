#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Menu.h"

namespace lorik {

// Menus in memory. Load gives a copy of the menu resource `resources` holds;
// Track records the menu as it was shown. `loaded` and `destroyed` list the
// handles that went through Load and Destroy, so tests can match them up.
class FakeMenu final : public MenuPort {
 public:
  struct Item {
    unsigned command = 0;  // 0 for a separator or a submenu
    std::wstring text;
    bool checked = false;
    std::shared_ptr<std::vector<Item>> submenu;
  };
  using Items = std::vector<Item>;

  // Menu 132 as the resource script holds it.
  static Items ContextMenuResource() {
    auto folders = std::make_shared<Items>(Items{{34779, L"最後に保存したフォルダ", false, nullptr},
                                                 {34780, L"シングルショット", false, nullptr}});
    auto popup = std::make_shared<Items>(Items{{0, L"フォルダを開く", false, folders},
                                               {32776, L"サムネイルを表示", false, nullptr},
                                               {32773, L"常に最上位に表示", false, nullptr},
                                               {32771, L"設定...", false, nullptr},
                                               {32777, L"バージョン...", false, nullptr},
                                               {0, L"", false, nullptr},
                                               {32772, L"終了", false, nullptr}});
    return {{0, L"メニュー", false, popup}};
  }

  Menu SubMenu(Menu menu, int position) override {
    Items* items = Find(menu);
    if (items == nullptr || position < 0 || static_cast<size_t>(position) >= items->size())
      return 0;
    auto sub = (*items)[static_cast<size_t>(position)].submenu;
    return sub ? Register(sub) : 0;
  }
  bool InsertItem(Menu menu, unsigned position, unsigned command,
                  const std::wstring& text) override {
    Items* items = Find(menu);
    if (items == nullptr) return false;
    const size_t at = std::min<size_t>(position, items->size());
    items->insert(items->begin() + static_cast<std::ptrdiff_t>(at),
                  Item{command, text, false, nullptr});
    return true;
  }
  void CheckItem(Menu menu, unsigned command, bool checked) override {
    if (Items* items = Find(menu)) Check(*items, command, checked);
  }
  void Track(Menu menu, Point screen, WindowHandle) override {
    if (Items* items = Find(menu)) shown.push_back({DeepCopy(*items), screen});
  }
  Point CursorPos() override { return cursor; }

  struct Shown {
    Items items;
    Point at;
  };
  std::map<int, Items> resources{{132, ContextMenuResource()}};
  std::vector<Shown> shown;
  std::vector<Menu> loaded;
  std::vector<Menu> destroyed;
  Point cursor;

 private:
  Menu LoadHandle(int id) override {
    auto it = resources.find(id);
    if (it == resources.end()) return 0;
    const Menu menu = Register(std::make_shared<Items>(DeepCopy(it->second)));
    loaded.push_back(menu);
    return menu;
  }
  void Destroy(Menu menu) override { destroyed.push_back(menu); }

  static Items DeepCopy(const Items& items) {
    Items copy = items;
    for (Item& item : copy)
      if (item.submenu) item.submenu = std::make_shared<Items>(DeepCopy(*item.submenu));
    return copy;
  }
  static void Check(Items& items, unsigned command, bool checked) {
    for (Item& item : items) {
      if (item.command == command) item.checked = checked;
      if (item.submenu) Check(*item.submenu, command, checked);
    }
  }
  Menu Register(std::shared_ptr<Items> items) {
    handles_.push_back(std::move(items));
    return handles_.size();
  }
  Items* Find(Menu menu) {
    if (menu == 0 || menu > handles_.size()) return nullptr;
    return handles_[menu - 1].get();
  }
  std::vector<std::shared_ptr<Items>> handles_;
};

}  // namespace lorik
