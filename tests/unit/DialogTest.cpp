#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ui/Dialog.h"

namespace lorik::ui {
namespace {

// Records which handler ran, in order.
class Recorder : public Dialog {
 public:
  Recorder() : Dialog(999) {}
  std::string log;

  void OnButton() { log += "button;"; }
  void OnButtonDouble() { log += "double;"; }
  void OnDestroy() { log += "destroy;"; }
  void OnTimer(uintptr_t id) { log += "timer" + std::to_string(id) + ";"; }
  void OnHotKey(int id, unsigned mods, unsigned vk) {
    log +=
        "hotkey" + std::to_string(id) + "/" + std::to_string(mods) + "/" + std::to_string(vk) + ";";
  }
  void OnListChanged(const NotifyHeader& h, intptr_t& result) {
    log += "notify" + std::to_string(h.code) + ";";
    result = 7;
  }
  bool OnSysCommand(unsigned command, intptr_t) {
    log += "sys" + std::to_string(command) + ";";
    return command == 0x10;
  }
  void OnOK() override { log += "ok;"; }
  void OnCancel() override { log += "cancel;"; }

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommand<&Recorder::OnButton>(1073, 0),
        MapCommand<&Recorder::OnButtonDouble>(1073, 1),
        MapMessage<&Recorder::OnDestroy>(wm::kDestroy),
        MapTimer<&Recorder::OnTimer>(),
        MapHotKey<&Recorder::OnHotKey>(),
        MapNotify<&Recorder::OnListChanged>(1057, 100),
        MapSysCommand<&Recorder::OnSysCommand>(),
    };
    return kMap;
  }
};

TEST(DialogMessageMap, RoutesMessagesToTypedHandlers) {
  Recorder d;
  intptr_t result = 0;
  NotifyHeader header{0, 1057, 100};
  NotifyHeader otherCode{0, 1057, 101};
  struct Case {
    Message message;
    bool handled;
    const char* log;
  };
  const Case cases[] = {
      {CommandMessage(1073, 0), true, "button;"},
      {CommandMessage(1073, 1), true, "double;"},
      {CommandMessage(1074, 0), false, ""},
      {CommandMessage(kIdOk, 0), true, "ok;"},
      {CommandMessage(kIdCancel, 0), true, "cancel;"},
      {{wm::kDestroy, 0, 0}, true, "destroy;"},
      {{wm::kTimer, 15612, 0}, true, "timer15612;"},
      {{wm::kHotKey, 16996, (83 << 16) | 3}, true, "hotkey16996/3/83;"},
      {{wm::kNotify, 1057, reinterpret_cast<intptr_t>(&header)}, true, "notify100;"},
      {{wm::kNotify, 1057, reinterpret_cast<intptr_t>(&otherCode)}, false, ""},
      {{wm::kSysCommand, 0x10, 0}, true, "sys16;"},
      {{wm::kSysCommand, 0xF060, 0}, false, "sys61536;"},
      {{wm::kPaint, 0, 0}, false, ""},
  };
  for (const Case& c : cases) {
    d.log.clear();
    EXPECT_EQ(d.HandleMessage(c.message, result), c.handled) << c.log;
    EXPECT_EQ(d.log, c.log);
  }
}

TEST(DialogMessageMap, NotifyResultReachesTheHost) {
  Recorder d;
  NotifyHeader header{0, 1057, 100};
  intptr_t result = 0;
  ASSERT_TRUE(d.HandleMessage({wm::kNotify, 1057, reinterpret_cast<intptr_t>(&header)}, result));
  EXPECT_EQ(result, 7);
}

// Entries for items numbered at run time and handlers that decline.
class Decliner : public Dialog {
 public:
  Decliner() : Dialog(998) {}
  std::string log;
  unsigned profilesInUse = 3;
  bool minimized = false;

  void OnItem(unsigned id) { log += "item" + std::to_string(id) + ";"; }
  bool OnProfile(unsigned id) {
    if (id - 200 >= profilesInUse) return false;
    log += "profile" + std::to_string(id - 200) + ";";
    return true;
  }
  void OnSpare() { log += "spare;"; }
  bool OnCursor(uintptr_t wParam, intptr_t lParam) {
    log += "cursor" + std::to_string(wParam) + "/" +
           std::to_string(HighWord(static_cast<uintptr_t>(lParam))) + ";";
    return false;
  }
  bool OnPaint() {
    log += "paint;";
    return minimized;
  }
  bool OnAnyNotify(const NotifyHeader& h, intptr_t& result) {
    if (h.idFrom != 1057) return false;
    result = 3;
    log += "list;";
    return true;
  }
  void OnOtherNotify(const NotifyHeader& h, intptr_t& result) {
    result = 4;
    log += "other" + std::to_string(h.idFrom) + ";";
  }
  void OnOK() override { log += "ok;"; }

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommandRange<&Decliner::OnItem>(100, 109),
        MapCommandRange<&Decliner::OnProfile>(200, kMaxCommandId),
        MapCommand<&Decliner::OnSpare>(205),
        MapMessage<&Decliner::OnCursor>(wm::kSetCursor),
        MapMessage<&Decliner::OnPaint>(wm::kPaint),
        MapNotify<&Decliner::OnAnyNotify>(kAnyId, 100),
        MapNotify<&Decliner::OnOtherNotify>(kAnyId, kAnyCode),
    };
    return kMap;
  }
};

TEST(DialogMessageMap, RangesPassTheIdAndDeclinedMessagesGoOn) {
  NotifyHeader list{0, 1057, 100};
  NotifyHeader other{0, 1058, 100};
  struct Case {
    Message message;
    bool minimized;
    bool handled;
    intptr_t result;
    const char* log;
  };
  const Case cases[] = {
      {CommandMessage(100), false, true, 0, "item100;"},
      {CommandMessage(109), false, true, 0, "item109;"},
      {CommandMessage(110), false, false, 0, ""},
      {CommandMessage(99), false, false, 0, ""},
      // The range is for menu items: another notification code is no choice.
      {CommandMessage(105, 1), false, false, 0, ""},
      {CommandMessage(200), false, true, 0, "profile0;"},
      {CommandMessage(202), false, true, 0, "profile2;"},
      // Beyond the profiles in use: the later entry, or nobody.
      {CommandMessage(205), false, true, 0, "spare;"},
      {CommandMessage(206), false, false, 0, ""},
      {CommandMessage(kMaxCommandId), false, false, 0, ""},
      // Outside every range the default's OK still answers.
      {CommandMessage(kIdOk), false, true, 0, "ok;"},
      {{wm::kSetCursor, 77, static_cast<intptr_t>(wm::kRButtonUp << 16 | 1)},
       false,
       false,
       0,
       "cursor77/517;"},
      {{wm::kPaint, 0, 0}, false, false, 0, "paint;"},
      {{wm::kPaint, 0, 0}, true, true, 0, "paint;"},
      {{wm::kNotify, 1057, reinterpret_cast<intptr_t>(&list)}, false, true, 3, "list;"},
      {{wm::kNotify, 1058, reinterpret_cast<intptr_t>(&other)}, false, true, 4, "other1058;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.message.msg << " " << c.message.wParam);
    Decliner d;
    d.minimized = c.minimized;
    intptr_t result = -1;
    EXPECT_EQ(d.HandleMessage(c.message, result), c.handled);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(d.log, c.log);
  }
}

TEST(DialogMessageMap, ARangeFollowsTheItemsInUse) {
  Decliner d;
  intptr_t result = 0;
  d.profilesInUse = 12;
  EXPECT_TRUE(d.HandleMessage(CommandMessage(211), result));
  d.profilesInUse = 11;
  EXPECT_FALSE(d.HandleMessage(CommandMessage(211), result));
  EXPECT_EQ(d.log, "profile11;");
}

TEST(DialogLifeToken, ExpiresWithTheObject) {
  std::weak_ptr<const void> token;
  {
    Recorder d;
    token = d.LifeToken();
    EXPECT_FALSE(token.expired());
  }
  EXPECT_TRUE(token.expired());
}

TEST(DynamicLayout, MovesAndSizesByPercentages) {
  const Rect r{12, 48, 69, 60};
  struct Case {
    LayoutItem item;
    Size delta;
    Rect expected;
  };
  const Case cases[] = {
      {{1031, 0, 100, 100, 0}, {30, 20}, {12, 68, 99, 80}},
      {{1032, 0, 0, 100, 100}, {30, 20}, {12, 48, 99, 80}},
      {{1073, 0, 100, 0, 0}, {30, 20}, {12, 68, 69, 80}},
      {{1, 50, 50, 50, 50}, {10, 10}, {17, 53, 79, 70}},
      {{1032, 0, 0, 100, 100}, {-100, -100}, {12, 48, 12, 48}},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplyLayout(r, c.delta, c.item), c.expected);
}

}  // namespace
}  // namespace lorik::ui
