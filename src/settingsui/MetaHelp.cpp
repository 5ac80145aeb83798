#include "settingsui/MetaHelp.h"

#include <array>

#include "platform/MessageBox.h"
#include "settingsui/SettingHotkey.h"
#include "ui/DialogView.h"

namespace lorik {
namespace {

constexpr uint32_t kNcDestroy = 0x0082;

struct MetaRow {
  const wchar_t* meta;
  const wchar_t* description;
  const wchar_t* example;
};

// Examples for a capture at 2018-01-02 01:02:03.001 of a multi shot started at
// 2019-03-04 04:05:06.002.
constexpr std::array<MetaRow, 24> kRows{{
    {L"%year%", L"西暦", L"2018"},
    {L"%month%", L"月", L"01"},
    {L"%monthnz%", L"月(ゼロ抜き)", L"1"},
    {L"%day%", L"日", L"02"},
    {L"%daynz%", L"日(ゼロ抜き)", L"2"},
    {L"%date%", L"%year%%month%%date%と同等", L"20180102"},
    {L"%syear%", L"マルチショット開始時の西暦", L"2019"},
    {L"%smonth%", L"マルチショット開始時の月", L"03"},
    {L"%sday%", L"マルチショット開始時の日", L"04"},
    {L"%sdate%", L"マルチショット開始時の日付", L"20190304"},
    {L"%hour%", L"時", L"01"},
    {L"%hournz%", L"時(ゼロ抜き)", L"1"},
    {L"%min%", L"分", L"02"},
    {L"%minnz%", L"分(ゼロ抜き)", L"2"},
    {L"%sec%", L"秒", L"03"},
    {L"%secnz%", L"秒(ゼロ抜き)", L"3"},
    {L"%time%", L"%hour%%min%%sec%と同等", L"010203"},
    {L"%shour%", L"マルチショット開始時の時", L"04"},
    {L"%smin%", L"マルチショット開始時の分", L"05"},
    {L"%ssec%", L"マルチショット開始時の秒", L"06"},
    {L"%stime%", L"マルチショット開始時の時刻", L"040506"},
    {L"%ms%", L"ミリ秒", L"001"},
    {L"%msnz%", L"ミリ秒(ゼロ抜き)", L"1"},
    {L"%sms%", L"マルチショット開始時のミリ秒", L"002"},
}};

constexpr std::array<const wchar_t*, 3> kHeaders{L"メタ文字", L"説明", L"例"};

}  // namespace

CMetaHelp::CMetaHelp(const SettingPorts& ports, CSettingHotkey& owner)
    : Dialog(IDD_META_HELP), ports_(ports), owner_(&owner) {}

ui::DynamicLayout CMetaHelp::GetDynamicLayout() const {
  static constexpr ui::LayoutItem kLayout[] = {{IDC_LIST_META, 0, 0, 100, 100}};
  return kLayout;
}

ui::MessageMap CMetaHelp::GetMessageMap() const {
  static constexpr ui::MapEntry kMap[] = {
      ui::MapGetMinMaxInfo<&CMetaHelp::OnGetMinMaxInfo>(),
      ui::MapDpiChanged<&CMetaHelp::OnDpiChanged>(),
      ui::MapMessage<&CMetaHelp::OnNcDestroy>(kNcDestroy),
  };
  return kMap;
}

bool CMetaHelp::OnInitDialog() {
  initialWindowRect_ = view().GetWindowRect();
  dpi_ = view().Dpi();
  FillList();
  return true;
}

void CMetaHelp::FillList() {
  for (int column = 0; column < static_cast<int>(kHeaders.size()); ++column) {
    if (!view().InsertListColumn(IDC_LIST_META, column, kHeaders[static_cast<size_t>(column)])) {
      ports_.messages.Show(L"Failed to add column to list control", L"", mb::kOk);
      return;
    }
  }
  for (const MetaRow& row : kRows) {
    const int item =
        view().InsertListItem(IDC_LIST_META, view().GetListItemCount(IDC_LIST_META), row.meta);
    if (item < 0) {
      ports_.messages.Show(L"Failed to add item to list control", L"", mb::kOk);
      continue;
    }
    if (!view().SetListItemText(IDC_LIST_META, item, 1, row.description) ||
        !view().SetListItemText(IDC_LIST_META, item, 2, row.example)) {
      ports_.messages.Show(L"Failed to set item to list control", L"", mb::kOk);
    }
  }
  SizeColumns();
}

void CMetaHelp::SizeColumns() {
  for (int column = 0; column < static_cast<int>(kHeaders.size()); ++column) {
    view().AutoSizeListColumn(IDC_LIST_META, column);
  }
}

// Smaller than it opened, the columns would no longer show whole.
void CMetaHelp::OnGetMinMaxInfo(ui::MinMaxInfo& info) {
  info.minTrackSize = {initialWindowRect_.Width(), initialWindowRect_.Height()};
}

// The list's font changed with the DPI: the columns fit their cells again, and
// the smallest size follows the scale.
void CMetaHelp::OnDpiChanged(const ui::DpiChange& change) {
  initialWindowRect_ = ui::ScaleForDpi(initialWindowRect_, change.dpi, dpi_);
  dpi_ = change.dpi;
  SizeColumns();
}

// The last message of the window: nothing may touch the object after it.
void CMetaHelp::OnNcDestroy() {
  if (owner_ != nullptr) owner_->OnHelpWindowGone();
  delete this;
}

}  // namespace lorik
