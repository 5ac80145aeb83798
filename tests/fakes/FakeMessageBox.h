#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBox.h"

namespace lorik {

// Records every message and beep and gives a fixed answer. Thread-safe; the
// hook runs outside the fake's lock on the showing thread, standing for the
// time the modal box is open.
class FakeMessageBox final : public MessageBoxPort {
 public:
  struct Shown {
    std::wstring text;
    std::wstring caption;
    unsigned style = 0;
    friend bool operator==(const Shown&, const Shown&) = default;
  };

  int Show(std::wstring_view text, std::wstring_view caption, unsigned style) override {
    Shown shown{std::wstring(text), std::wstring(caption), style};
    std::function<void(const Shown&)> hook;
    int answer;
    {
      std::lock_guard lock(mutex_);
      shown_.push_back(shown);
      hook = whileOpen_;
      answer = answer_;
    }
    if (hook) hook(shown);
    return answer;
  }
  void Beep() override {
    std::lock_guard lock(mutex_);
    ++beeps_;
  }
  void SetOwner(WindowHandle owner) override {
    std::lock_guard lock(mutex_);
    owner_ = owner;
  }
  WindowHandle Owner() const {
    std::lock_guard lock(mutex_);
    return owner_;
  }

  std::vector<Shown> Messages() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  size_t Count() const {
    std::lock_guard lock(mutex_);
    return shown_.size();
  }
  int Beeps() const {
    std::lock_guard lock(mutex_);
    return beeps_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    shown_.clear();
    beeps_ = 0;
  }
  void SetAnswer(int answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
  }
  // Runs while a message is "open", e.g. to fire timer ticks from its loop.
  void SetWhileOpen(std::function<void(const Shown&)> hook) {
    std::lock_guard lock(mutex_);
    whileOpen_ = std::move(hook);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Shown> shown_;
  int beeps_ = 0;
  WindowHandle owner_;
  int answer_ = mb::kIdOk;
  std::function<void(const Shown&)> whileOpen_;
};

}  // namespace lorik
