#include "review/ReviewKeys.h"

#include "platform/PlatformValues.h"

namespace lorik {
namespace {

struct KeyBinding {
  uint16_t key;
  ReviewAction action;
};

constexpr KeyBinding kKeys[] = {
    {vk::kLeft, ReviewAction::Previous},    {vk::kRight, ReviewAction::Next},
    {vk::kSpace, ReviewAction::ToggleMark}, {vk::kDelete, ReviewAction::RecycleSelected},
    {vk::kReturn, ReviewAction::Open},      {vk::kEscape, ReviewAction::Close},
};

}  // namespace

std::optional<ReviewAction> ReviewKeyAction(uint16_t virtualKey) {
  for (const KeyBinding& binding : kKeys)
    if (binding.key == virtualKey) return binding.action;
  return std::nullopt;
}

}  // namespace lorik
