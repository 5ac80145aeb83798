#include <gtest/gtest.h>

#include <array>

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
