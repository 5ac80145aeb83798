#pragma once
#include <array>

#include "core/WindowHandle.h"
#include "resource.h"
#include "settingsui/SettingCapture.h"
#include "settingsui/SettingHotkey.h"
#include "settingsui/SettingMisc.h"
#include "settingsui/SettingPorts.h"
#include "settingsui/SettingSave.h"
#include "ui/Dialog.h"

namespace lorik {

// The settings dialog: a tab control over four pages, each a child dialog with
// its own working copy. The host owns no settings; the Settings command fills
// the pages' working copies before a run and reads them after it. The pages
// live as long as the host, so a second run starts from what the first left.
class CSetting : public ui::Dialog {
 public:
  explicit CSetting(const SettingPorts& ports);

  // A modal run over `parent`: OK, Cancel, or -1 when the window could not be made.
  int DoModal(WindowHandle parent);

  // The tab (0 capture, 1 hotkey, 2 save, 3 other) the next run opens on.
  void OpenOnPage(int page) { startPage_ = page; }

  void ShowSelectedPage();
  void OnTcnSelchangeTab(const ui::NotifyHeader& header, intptr_t& result);
  void OnDpiChanged(const ui::DpiChange& change);

  CSettingCapture capturePage;
  CSettingHotkey hotkeyPage;
  CSettingSave savePage;
  CSettingMisc miscPage;

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;

 private:
  // In the order of the tabs.
  std::array<ui::Dialog*, 4> Pages() { return {&capturePage, &hotkeyPage, &savePage, &miscPage}; }
  // Every page over the tab control's display area, whose place and size
  // depend on the tab row's font and so on the DPI.
  void PlacePages();

  SettingPorts ports_;
  int startPage_ = -1;
};

}  // namespace lorik
