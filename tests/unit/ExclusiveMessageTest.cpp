#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "fakes/FakeMessageBox.h"
#include "platform/ExclusiveMessage.h"

namespace lorik {
namespace {

class ExclusiveMessageTest : public ::testing::Test {
 protected:
  FakeMessageBox box;
  ExclusiveMessage message{box};
};

TEST_F(ExclusiveMessageTest, AShowWhileOneIsOpenIsDroppedAndTheNextAfterItShows) {
  std::vector<std::optional<int>> nested;
  std::vector<bool> openInside;
  box.SetWhileOpen([&](const FakeMessageBox::Shown&) {
    openInside.push_back(message.IsOpen());
    if (nested.empty()) nested.push_back(message.Show(L"again", L"", mb::kOk));
  });
  box.SetAnswer(mb::kIdYes);
  EXPECT_EQ(message.Show(L"first", L"Lorik", mb::kYesNo), std::optional<int>(mb::kIdYes));
  EXPECT_EQ(nested, (std::vector<std::optional<int>>{std::nullopt}));
  EXPECT_EQ(openInside, std::vector<bool>{true});
  EXPECT_FALSE(message.IsOpen());

  EXPECT_EQ(message.Show(L"second", L"", mb::kOk), std::optional<int>(mb::kIdYes));
  EXPECT_EQ(box.Messages(), (std::vector<FakeMessageBox::Shown>{{L"first", L"Lorik", mb::kYesNo},
                                                                {L"second", L"", mb::kOk}}));
}

TEST_F(ExclusiveMessageTest, AShowThatThrowsLeavesTheKindClosed) {
  box.SetWhileOpen([](const FakeMessageBox::Shown&) { throw std::runtime_error("box failed"); });
  EXPECT_THROW(message.Show(L"first", L"", mb::kOk), std::runtime_error);
  EXPECT_FALSE(message.IsOpen());
  box.SetWhileOpen(nullptr);
  EXPECT_TRUE(message.Show(L"second", L"", mb::kOk).has_value());
  EXPECT_EQ(box.Count(), 2u);
}

// An exchange of several boxes is one open message: inside any of its boxes,
// another exchange or show of its kind is dropped.
TEST_F(ExclusiveMessageTest, AnExchangeIsOneOpenMessage) {
  bool nestedRan = true;
  std::optional<int> fromOutside = 0;
  box.SetWhileOpen([&](const FakeMessageBox::Shown& shown) {
    if (shown.text != L"question") return;
    nestedRan = message.Run([] {});
    fromOutside = message.Show(L"outside", L"", mb::kOk);
  });
  const bool ran = message.Run([&] {
    box.Show(L"warning", L"", mb::kOk);
    box.Show(L"question", L"", mb::kYesNo);
  });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(nestedRan);
  EXPECT_EQ(fromOutside, std::nullopt);
  EXPECT_EQ(box.Count(), 2u);
  EXPECT_FALSE(message.IsOpen());
}

TEST_F(ExclusiveMessageTest, AnExchangeThatThrowsLeavesTheKindClosed) {
  EXPECT_THROW(message.Run([] { throw std::runtime_error("recognition failed"); }),
               std::runtime_error);
  EXPECT_FALSE(message.IsOpen());
  EXPECT_TRUE(message.Run([] {}));
}

TEST_F(ExclusiveMessageTest, KindsDoNotBlockEachOther) {
  ExclusiveMessage other{box};
  std::optional<int> otherShown;
  box.SetWhileOpen([&](const FakeMessageBox::Shown& shown) {
    if (shown.text == L"one") otherShown = other.Show(L"other", L"", mb::kOk);
  });
  message.Show(L"one", L"", mb::kOk);
  EXPECT_TRUE(otherShown.has_value());
  EXPECT_EQ(box.Count(), 2u);
}

}  // namespace
}  // namespace lorik
