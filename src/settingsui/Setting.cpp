#include "settingsui/Setting.h"

#include "ui/DialogHost.h"

namespace lorik {

CSetting::CSetting(const SettingPorts& ports)
    : Dialog(IDD_SETTING),
      capturePage(ports),
      hotkeyPage(ports),
      savePage(ports),
      miscPage(ports),
      ports_(ports) {
  hotkeyPage.previewImageType = &savePage.save.imageType;
}

int CSetting::DoModal(WindowHandle parent) {
  return ports_.dialogs.RunModal(*this, parent);
}

ui::MessageMap CSetting::GetMessageMap() const {
  static constexpr std::array kMap{
      ui::MapNotify<&CSetting::OnTcnSelchangeTab>(IDC_TAB_SETTING, ui::nm::kTabSelChange),
      ui::MapDpiChanged<&CSetting::OnDpiChanged>(),
  };
  return kMap;
}

bool CSetting::OnInitDialog() {
  // Children of the host, not of the tab control, created in this order; each
  // loads its working copy now.
  const WindowHandle host = view().Handle();
  ports_.dialogs.CreateModeless(capturePage, host);
  ports_.dialogs.CreateModeless(hotkeyPage, host);
  ports_.dialogs.CreateModeless(savePage, host);
  ports_.dialogs.CreateModeless(miscPage, host);

  // The tab row exists before the display area is measured below it.
  view().InsertTabItem(IDC_TAB_SETTING, 0, L"キャプチャ");
  view().InsertTabItem(IDC_TAB_SETTING, 1, L"ホットキー");
  view().InsertTabItem(IDC_TAB_SETTING, 2, L"保存");
  view().InsertTabItem(IDC_TAB_SETTING, 3, L"その他");
  PlacePages();
  if (startPage_ >= 0 && startPage_ < static_cast<int>(Pages().size()))
    view().SetTabSelection(IDC_TAB_SETTING, startPage_);
  startPage_ = -1;
  ShowSelectedPage();
  return true;
}

void CSetting::PlacePages() {
  const Rect place = view().TabDisplayRect(IDC_TAB_SETTING);
  for (ui::Dialog* page : Pages()) {
    if (ui::DialogView* pageView = page->View()) {
      pageView->SetWindowPos(std::nullopt, place,
                             ui::swp::kNoZOrder | ui::swp::kNoActivate | ui::swp::kNoRedraw);
    }
  }
}

// The host has scaled the tab control and the pages with their controls; the
// tab row's height changed with its font, so the display area moved.
void CSetting::OnDpiChanged(const ui::DpiChange&) {
  PlacePages();
  capturePage.ShowPickerIcon();
}

void CSetting::ShowSelectedPage() {
  const int selected = view().GetTabSelection(IDC_TAB_SETTING);
  int index = 0;
  for (ui::Dialog* page : Pages()) {
    if (ui::DialogView* pageView = page->View()) pageView->Show(index == selected);
    ++index;
  }
}

void CSetting::OnTcnSelchangeTab(const ui::NotifyHeader&, intptr_t& result) {
  ShowSelectedPage();
  result = 0;
}

}  // namespace lorik
