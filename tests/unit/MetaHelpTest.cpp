#include <gtest/gtest.h>

#include <array>

#include "fakes/FakeSettingPorts.h"
#include "settingsui/MetaHelp.h"
#include "settingsui/SettingHotkey.h"

namespace lorik {
namespace {

using ui::FakeControl;
using ui::FakeDialogView;

constexpr Rect kInitialRect{100, 80, 500, 330};

class MetaHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakes.dialogs.OnCreate(IDD_SETTING_HOTKEY, [](FakeDialogView& v) {
      v.AddControl(IDC_BUTTON_META_LIST);
      FakeControl selector;
      selector.sorted = true;
      v.AddControl(IDC_COMBO_MULTI_PROFILE, selector);
    });
    fakes.dialogs.OnCreate(IDD_META_HELP, [this](FakeDialogView& v) {
      v.windowRect = kInitialRect;
      v.AddControl(IDC_LIST_META, listSetup);
    });
  }
  void TearDown() override {
    if (CMetaHelp* help = page.HelpWindow()) fakes.dialogs.Close(*help);
  }

  // Opens the list through the page's button.
  FakeDialogView* OpenList() {
    fakes.dialogs.Open(page);
    fakes.dialogs.Click(page, IDC_BUTTON_META_LIST);
    return page.HelpWindow() != nullptr ? fakes.dialogs.ViewOf(*page.HelpWindow()) : nullptr;
  }

  FakeSettingPorts fakes;
  CSettingHotkey page{fakes.Ports()};
  FakeControl listSetup;
};

TEST_F(MetaHelpTest, ListsTheMetaCharactersWithColumnsSizedToTheirCells) {
  FakeDialogView* v = OpenList();
  ASSERT_NE(v, nullptr);
  const FakeControl& list = v->Control(IDC_LIST_META);
  EXPECT_EQ(list.columns, (std::vector<std::wstring>{L"メタ文字", L"説明", L"例"}));
  ASSERT_EQ(list.rows.size(), 24u);
  EXPECT_EQ(list.rows[0], (std::vector<std::wstring>{L"%year%", L"西暦", L"2018"}));
  EXPECT_EQ(list.rows[5],
            (std::vector<std::wstring>{L"%date%", L"%year%%month%%date%と同等", L"20180102"}));
  EXPECT_EQ(list.rows[20],
            (std::vector<std::wstring>{L"%stime%", L"マルチショット開始時の時刻", L"040506"}));
  EXPECT_EQ(list.rows[23],
            (std::vector<std::wstring>{L"%sms%", L"マルチショット開始時のミリ秒", L"002"}));
  const wchar_t* order[] = {L"%year%",  L"%month%",  L"%monthnz%", L"%day%",   L"%daynz%",
                            L"%date%",  L"%syear%",  L"%smonth%",  L"%sday%",  L"%sdate%",
                            L"%hour%",  L"%hournz%", L"%min%",     L"%minnz%", L"%sec%",
                            L"%secnz%", L"%time%",   L"%shour%",   L"%smin%",  L"%ssec%",
                            L"%stime%", L"%ms%",     L"%msnz%",    L"%sms%"};
  for (size_t i = 0; i < list.rows.size(); ++i) {
    EXPECT_EQ(list.rows[i][0], order[i]) << i;
    EXPECT_EQ(list.rows[i].size(), 3u) << i;
  }
  // Sized after the rows were added: the widest cell, the header not counted.
  EXPECT_EQ(list.columnWidths[0], FakeDialogView::CellWidth(L"%monthnz%"));
  EXPECT_EQ(list.columnWidths[1], FakeDialogView::CellWidth(L"%year%%month%%date%と同等"));
  EXPECT_EQ(list.columnWidths[2], FakeDialogView::CellWidth(L"20180102"));
  EXPECT_EQ(fakes.messages.Count(), 0u);
}

struct FailureCase {
  bool columns;
  bool items;
  bool subItems;
  const wchar_t* message;
  size_t messages;
  size_t rows;
};

TEST_F(MetaHelpTest, ListFailuresAreReportedAndTheWindowStays) {
  const FailureCase cases[] = {
      {true, false, false, L"Failed to add column to list control", 1, 0},
      {false, true, false, L"Failed to add item to list control", 24, 0},
      {false, false, true, L"Failed to set item to list control", 24, 24},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.message);
    fakes.messages.Clear();
    listSetup = {};
    listSetup.failColumns = c.columns;
    listSetup.failItems = c.items;
    listSetup.failSubItems = c.subItems;
    CSettingHotkey p(fakes.Ports());
    fakes.dialogs.Open(p);
    fakes.dialogs.Click(p, IDC_BUTTON_META_LIST);
    ASSERT_NE(p.HelpWindow(), nullptr);
    FakeDialogView* v = fakes.dialogs.ViewOf(*p.HelpWindow());
    EXPECT_EQ(v->Control(IDC_LIST_META).rows.size(), c.rows);
    const auto shown = fakes.messages.Messages();
    ASSERT_EQ(shown.size(), c.messages);
    for (const auto& m : shown) EXPECT_EQ(m, (FakeMessageBox::Shown{c.message, L"", 0}));
    if (c.columns) {
      EXPECT_EQ(v->Control(IDC_LIST_META).columnWidths, (std::vector<int>{}));
    }
    fakes.dialogs.Close(*p.HelpWindow());
    EXPECT_EQ(p.HelpWindow(), nullptr);
  }
}

TEST_F(MetaHelpTest, EnterKeepsTheListOpenAndEscClosesIt) {
  FakeDialogView* v = OpenList();
  ASSERT_NE(v, nullptr);
  CMetaHelp* help = page.HelpWindow();
  fakes.dialogs.Send(*help, ui::CommandMessage(ui::kIdOk));
  EXPECT_EQ(v->endCalls, 0);
  EXPECT_EQ(page.HelpWindow(), help);
  EXPECT_NE(fakes.dialogs.ViewOf(*help), nullptr);
  fakes.dialogs.Send(*help, ui::CommandMessage(ui::kIdCancel));
  EXPECT_EQ(v->endResult, ui::kIdCancel);
  EXPECT_EQ(page.HelpWindow(), nullptr);
}

TEST_F(MetaHelpTest, CannotBeMadeSmallerThanItOpenedAndTheListGrows) {
  FakeDialogView* v = OpenList();
  ASSERT_NE(v, nullptr);
  CMetaHelp* help = page.HelpWindow();
  // The window moved since it opened; the minimum is still its first size.
  v->windowRect = Rect::FromXywh(0, 0, 900, 700);
  ui::MinMaxInfo info{};
  info.minTrackSize = {10, 10};
  ui::Message m{ui::wm::kGetMinMaxInfo, 0, reinterpret_cast<intptr_t>(&info)};
  ASSERT_TRUE(fakes.dialogs.Send(*help, m).has_value());
  EXPECT_EQ(info.minTrackSize, (Point{kInitialRect.Width(), kInitialRect.Height()}));

  const ui::DynamicLayout layout = help->GetDynamicLayout();
  ASSERT_EQ(layout.size(), 1u);
  EXPECT_EQ(layout[0].id, IDC_LIST_META);
  EXPECT_EQ((std::array{layout[0].moveX, layout[0].moveY, layout[0].sizeX, layout[0].sizeY}),
            (std::array{0, 0, 100, 100}));
}

// At a new DPI the list's font has grown: the columns fit their cells again,
// and the smallest size is the first one at the new scale.
TEST_F(MetaHelpTest, DpiChangeSizesTheColumnsAgainAndScalesTheSmallestSize) {
  FakeDialogView* v = OpenList();
  ASSERT_NE(v, nullptr);
  CMetaHelp* help = page.HelpWindow();
  const Rect suggested = Rect::FromXywh(120, 100, 500, 313);
  ASSERT_TRUE(fakes.dialogs.ChangeDpi(*help, 120, suggested));
  EXPECT_EQ(v->windowRect, suggested);
  const FakeControl& list = v->Control(IDC_LIST_META);
  EXPECT_EQ(list.columnWidths[0], ScaleForDpi(FakeDialogView::CellWidth(L"%monthnz%"), 120));
  EXPECT_EQ(list.columnWidths[2], ScaleForDpi(FakeDialogView::CellWidth(L"20180102"), 120));
  ui::MinMaxInfo info{};
  ASSERT_TRUE(
      fakes.dialogs.Send(*help, {ui::wm::kGetMinMaxInfo, 0, reinterpret_cast<intptr_t>(&info)}));
  EXPECT_EQ(info.minTrackSize, (Point{500, 313}));
}

// A host whose windows outlive the page: the list must not reach back into it.
TEST_F(MetaHelpTest, AListOutlivingThePageTellsNobody) {
  FakeSettingPorts other;
  other.dialogs.OnCreate(IDD_SETTING_HOTKEY,
                         [](FakeDialogView& v) { v.AddControl(IDC_BUTTON_META_LIST); });
  other.dialogs.OnCreate(IDD_META_HELP, [](FakeDialogView& v) { v.AddControl(IDC_LIST_META); });
  CMetaHelp* help = nullptr;
  std::weak_ptr<const void> life;
  {
    CSettingHotkey shortLived(other.Ports());
    other.dialogs.Open(shortLived);
    other.dialogs.Click(shortLived, IDC_BUTTON_META_LIST);
    help = shortLived.HelpWindow();
    ASSERT_NE(help, nullptr);
    life = help->LifeToken();
    other.dialogs.Close(shortLived);
  }
  other.dialogs.Close(*help);  // would write into the freed page under ASan otherwise
  EXPECT_TRUE(life.expired());
}

}  // namespace
}  // namespace lorik
