#include <gtest/gtest.h>

#include "core/Text.h"

namespace lorik {
namespace {

TEST(DecimalValueTest, ReadsTheLeadingNumberOfAField) {
  const std::pair<const wchar_t*, int32_t> cases[] = {
      {L"42", 42},
      {L"", 0},
      {L"abc", 0},
      {L"  \t7", 7},
      {L"-12", -12},
      {L"+5", 5},
      {L"12ab3", 12},
      {L"- 3", 0},
      {L"007", 7},
      {L"2147483647", 2147483647},
      {L"99999999999", 2147483647},
      {L"-2147483648", -2147483647 - 1},
      {L"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(DecimalValue(text), value) << text;
}

}  // namespace
}  // namespace lorik
