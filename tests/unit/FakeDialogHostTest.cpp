#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "fakes/FakeDialogHost.h"

namespace lorik::ui {
namespace {

constexpr int kTemplate = 100;
constexpr int kButton = 1075;
constexpr int kCheck = 1076;

// Logs to a string the test owns, so the log outlives a dialog that deletes itself.
class Probe : public Dialog {
 public:
  explicit Probe(std::string& log) : Dialog(kTemplate), log_(log) {}
  ~Probe() override { log_ += "deleted;"; }

  std::function<void(Probe&)> onInit;
  std::function<void(Probe&)> onButton;
  bool refuseCancel = false;

 protected:
  MessageMap GetMessageMap() const override {
    static constexpr std::array kMap{
        MapCommand<&Probe::OnButton>(kButton),
        MapCommand<&Probe::OnCheck>(kCheck),
        MapMessage<&Probe::OnDestroy>(wm::kDestroy),
    };
    return kMap;
  }
  bool OnInitDialog() override {
    log_ += "init:" + std::string(view().HasItem(kButton) ? "filled" : "empty") + ";";
    if (onInit) onInit(*this);
    return true;
  }
  void OnCancel() override {
    log_ += "cancel;";
    if (!refuseCancel) EndDialog(kIdCancel);
  }

 private:
  void OnButton() {
    log_ += "button;";
    if (onButton) onButton(*this);
  }
  void OnCheck() { log_ += view().GetCheck(kCheck) ? "checked;" : "unchecked;"; }
  void OnDestroy() { log_ += IsOpen() ? "destroy;" : "destroy-detached;"; }

  std::string& log_;
};

class FakeDialogHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.OnCreate(kTemplate, [](FakeDialogView& view) {
      view.AddControl(kButton).text = L"Go";
      view.AddControl(kCheck).autoCheck = true;
    });
  }
  FakeDialogHost host;
  std::string log;
};

TEST_F(FakeDialogHostTest, ModalRunEndsHowTheDialogEndsIt) {
  struct Case {
    const char* name;
    std::function<void(Probe&)> onInit;
    std::function<void(Probe&)> onButton;
    bool clickWhileOpen;
    bool refuseCancel;
    int result;
    const char* log;
  };
  const auto endWith7 = [](Probe& p) { p.EndDialog(7); };
  const Case cases[] = {
      {"button ends it", {}, endWith7, true, false, 7, "init:filled;button;destroy;"},
      {"left open: Escape", {}, {}, false, false, kIdCancel, "init:filled;cancel;destroy;"},
      {"cancel refused", {}, {}, false, true, kIdCancel, "init:filled;cancel;destroy;"},
      // The while-open callback does not run: the click would be logged.
      {"ended in init", endWith7, {}, true, false, 7, "init:filled;destroy;"},
  };
  for (const Case& c : cases) {
    log.clear();
    host.WhileOpen(kTemplate, [&](Dialog& d, FakeDialogView&) {
      if (c.clickWhileOpen) {
        EXPECT_TRUE(host.Click(d, kButton)) << c.name;
      }
    });
    Probe probe(log);
    probe.onInit = c.onInit;
    probe.onButton = c.onButton;
    probe.refuseCancel = c.refuseCancel;
    EXPECT_EQ(host.RunModal(probe, WindowHandle{0x42}), c.result) << c.name;
    EXPECT_EQ(log, c.log) << c.name;
    EXPECT_FALSE(probe.IsOpen()) << c.name;
    EXPECT_EQ(host.created.back().parent, WindowHandle{0x42}) << c.name;
  }
}

// The host must not touch the object after a handler deleted it; ASan reports it if it does.
TEST_F(FakeDialogHostTest, HandlerMayDeleteItsDialogDuringAModalRun) {
  host.WhileOpen(kTemplate, [&](Dialog& d, FakeDialogView&) { host.Click(d, kButton); });
  auto* probe = new Probe(log);
  probe->onButton = [](Probe& p) {
    p.EndDialog(3);
    delete &p;
  };
  EXPECT_EQ(host.RunModal(*probe, {}), 3);
  EXPECT_EQ(log, "init:filled;button;deleted;");
}

TEST_F(FakeDialogHostTest, ModelessEndDialogClosesAtOnce) {
  Probe probe(log);
  probe.onButton = [&](Probe& p) {
    p.EndDialog(kIdOk);
    log += p.IsOpen() ? "still open;" : "closed;";
  };
  ASSERT_TRUE(host.CreateModeless(probe, {}));
  EXPECT_NE(host.ViewOf(probe), nullptr);
  EXPECT_TRUE(host.Click(probe, kButton));
  EXPECT_EQ(log, "init:filled;button;destroy;closed;");
  EXPECT_EQ(host.ViewOf(probe), nullptr);
  EXPECT_EQ(host.LastView(kTemplate)->endResult, kIdOk);
  EXPECT_FALSE(host.Click(probe, kButton));
}

TEST_F(FakeDialogHostTest, ModelessDialogMayDeleteItselfAfterEnding) {
  auto* probe = new Probe(log);
  probe->onButton = [](Probe& p) {
    p.EndDialog(kIdOk);
    delete &p;
  };
  ASSERT_TRUE(host.CreateModeless(*probe, {}));
  EXPECT_TRUE(host.Click(*probe, kButton));
  EXPECT_EQ(log, "init:filled;button;destroy;deleted;");
}

TEST_F(FakeDialogHostTest, OpenedDialogStaysUntilClosed) {
  Probe probe(log);
  probe.onButton = [](Probe& p) { p.EndDialog(5); };
  FakeDialogView& view = host.Open(probe);
  host.Click(probe, kButton);
  // Like a modal window, it is still there for the rest of the handler.
  EXPECT_EQ(view.endResult, 5);
  EXPECT_TRUE(probe.IsOpen());
  host.Close(probe);
  EXPECT_EQ(log, "init:filled;button;destroy;");
  EXPECT_FALSE(probe.IsOpen());
}

TEST_F(FakeDialogHostTest, ClicksReachOnlyUsableControls) {
  Probe probe(log);
  FakeDialogView& view = host.Open(probe);
  struct Case {
    const char* name;
    int id;
    bool enabled;
    bool visible;
    bool delivered;
    const char* log;
  };
  const Case cases[] = {
      {"usable", kButton, true, true, true, "button;"},
      {"disabled", kButton, false, true, false, ""},
      {"hidden", kButton, true, false, false, ""},
      {"no such control", 4242, true, true, false, ""},
      {"check box toggles first", kCheck, true, true, true, "checked;"},
      {"and back", kCheck, true, true, true, "unchecked;"},
  };
  for (const Case& c : cases) {
    log.clear();
    if (view.HasItem(c.id)) {
      view.Control(c.id).enabled = c.enabled;
      view.Control(c.id).visible = c.visible;
    }
    EXPECT_EQ(host.Click(probe, c.id), c.delivered) << c.name;
    EXPECT_EQ(log, c.log) << c.name;
  }
  host.Close(probe);
}

TEST_F(FakeDialogHostTest, FailedCreationLeavesTheDialogClosed) {
  host.FailCreation(kTemplate);
  Probe probe(log);
  EXPECT_EQ(host.RunModal(probe, {}), -1);
  EXPECT_FALSE(host.CreateModeless(probe, {}));
  EXPECT_FALSE(probe.IsOpen());
  EXPECT_EQ(log, "");
}

TEST(FakeHotkeys, CombinationsAreHeldOnce) {
  constexpr unsigned kCtrl = 0x2, kShift = 0x4, kNoRepeat = FakeHotkeys::kNoRepeat;
  FakeHotkeys hotkeys;
  hotkeys.MarkTaken(kCtrl, 'P');
  struct Case {
    int id;
    unsigned mods;
    unsigned key;
    bool ok;
  };
  const Case cases[] = {
      {1, kCtrl | kNoRepeat, 'S', true},
      {1, kShift, 'T', false},             // id already registered
      {2, kCtrl, 'S', false},              // same combination without MOD_NOREPEAT
      {2, kCtrl | kShift, 'S', true},      // other modifiers
      {3, kCtrl | kNoRepeat, 'P', false},  // held by another program
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hotkeys.Register(c.id, c.mods, c.key), c.ok) << c.id << "/" << c.mods << "/" << c.key;
  }
  EXPECT_TRUE(hotkeys.Unregister(1));
  EXPECT_FALSE(hotkeys.Unregister(1));
  EXPECT_TRUE(hotkeys.Register(3, kCtrl, 'S'));
}

}  // namespace
}  // namespace lorik::ui
