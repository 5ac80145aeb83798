#pragma once
#include <map>
#include <set>
#include <utility>

#include "platform/Hotkeys.h"
#include "platform/PlatformValues.h"

namespace lorik {

// System-wide hotkeys in memory. Like the platform, a combination already
// held (by this window or, as the test says, by another program) cannot be
// registered; MOD_NOREPEAT does not make a combination different.
class FakeHotkeys final : public HotkeyPort {
 public:
  struct Combination {
    unsigned modifiers = 0;  // as registered, MOD_NOREPEAT included
    unsigned virtualKey = 0;
  };

  static constexpr unsigned kNoRepeat = mod::kNoRepeat;

  bool Register(int id, unsigned modifiers, unsigned virtualKey) override {
    if (registered.contains(id) || IsTaken(modifiers, virtualKey)) return false;
    registered[id] = {modifiers, virtualKey};
    return true;
  }
  bool Unregister(int id) override { return registered.erase(id) != 0; }

  // Another program holds this combination.
  void MarkTaken(unsigned modifiers, unsigned virtualKey) {
    takenElsewhere.insert({modifiers & ~kNoRepeat, virtualKey});
  }
  bool IsRegistered(int id) const { return registered.contains(id); }

  std::map<int, Combination> registered;
  std::set<std::pair<unsigned, unsigned>> takenElsewhere;  // (modifiers without MOD_NOREPEAT, key)

 private:
  bool IsTaken(unsigned modifiers, unsigned virtualKey) const {
    const unsigned mods = modifiers & ~kNoRepeat;
    if (takenElsewhere.contains({mods, virtualKey})) return true;
    for (const auto& [id, c] : registered) {
      if ((c.modifiers & ~kNoRepeat) == mods && c.virtualKey == virtualKey) return true;
    }
    return false;
  }
};

}  // namespace lorik
