#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeMessageBox.h"
#include "pipeline/SaveReports.h"

namespace lorik {
namespace {

const std::wstring kDefault = L"P:\\Lorik";

std::vector<std::wstring> Texts(const FakeMessageBox& messages) {
  std::vector<std::wstring> texts;
  for (const auto& m : messages.Messages()) {
    EXPECT_EQ(m.caption, L"Lorik");
    texts.push_back(m.text);
  }
  return texts;
}

// Two causes fail at once: what arrives of the open box's cause is told in one
// follow-up as soon as it closes, the other cause's first message comes next,
// and never are two boxes open at the same time.
TEST(SaveReportsTest, OneBoxAtATimeAFirstMessageAndOneFollowUpPerCause) {
  SaveReports reports;
  FakeMessageBox messages;
  int opened = 0;
  messages.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    if (++opened != 1) return;
    // While the first box is open: more of the same cause, a lost one of
    // another, and the window's own post of them, which must open nothing.
    reports.Add(SaveFailure::Folder, L"D:\\a", L"D:\\a", kDefault);
    reports.Add(SaveFailure::Folder, L"D:\\a", L"d:/A/", kDefault);
    reports.Add(SaveFailure::File, L"E:\\b\\x.png", L"E:\\b", L"");
    const size_t before = messages.Count();
    reports.ShowPending(messages);
    EXPECT_EQ(messages.Count(), before);
  });
  reports.Add(SaveFailure::Folder, L"D:\\a", L"D:\\a", kDefault);
  reports.ShowPending(messages);

  EXPECT_EQ(
      Texts(messages),
      (std::vector<std::wstring>{
          L"フォルダの作成に失敗しました：D:\\a\n画像1枚を既定の保存先に保存しました：P:\\Lorik",
          L"フォルダの作成に失敗しました：D:\\a\nさらに画像2枚をP:\\Lorikに保存しました",
          L"ファイルの保存に失敗しました：E:\\b\\x.png\n画像1枚は保存できませんでした"}));
  EXPECT_EQ(reports.Untold().lost + reports.Untold().savedElsewhere, 0u);
}

// A cause told in full is forgotten: its next failure, much later, opens a
// first message of its own again.
TEST(SaveReportsTest, ACauseToldInFullStartsAfreshLater) {
  SaveReports reports;
  FakeMessageBox messages;
  reports.Add(SaveFailure::Folder, L"D:\\a", L"D:\\a", L"");
  reports.Add(SaveFailure::Folder, L"D:\\a", L"D:\\a", kDefault);
  reports.ShowPending(messages);
  reports.ShowPending(messages);  // nothing new
  reports.Add(SaveFailure::Folder, L"D:\\a", L"D:\\a", L"");
  reports.ShowPending(messages);
  EXPECT_EQ(Texts(messages), (std::vector<std::wstring>{
                                 L"フォルダの作成に失敗しました：D:\\a\n画像1枚を既定の保存先に"
                                 L"保存しました：P:\\Lorik\n画像1枚は保存できませんでした",
                                 L"フォルダの作成に失敗しました：D:\\a\n画像1枚は保存できませんでし"
                                 L"た"}));
}

TEST(SaveReportsTest, UntoldCountsWhatNoBoxHasShownYet) {
  SaveReports reports;
  reports.Add(SaveFailure::TooLong, L"D:\\long", L"D:\\", kDefault);
  reports.Add(SaveFailure::File, L"E:\\x", L"E:\\", L"");
  reports.Add(SaveFailure::File, L"E:\\y", L"E:\\", L"");
  EXPECT_EQ(reports.Untold().savedElsewhere, 1u);
  EXPECT_EQ(reports.Untold().lost, 2u);
  ASSERT_TRUE(reports.Take());
  EXPECT_EQ(reports.Untold().savedElsewhere, 0u);
  EXPECT_EQ(reports.Untold().lost, 2u);
}

}  // namespace
}  // namespace lorik
