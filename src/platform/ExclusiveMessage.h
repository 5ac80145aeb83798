#pragma once
#include <optional>
#include <string_view>
#include <utility>

#include "platform/MessageBox.h"

namespace lorik {

// A kind of message of which at most one is open at a time. A modal box runs
// its own message loop, where the timer that opened it keeps firing, and each
// tick would stack another box of the same kind on it; those are dropped. The
// kind counts as open until the box returns, or leaves by an exception, so one
// failure cannot silence every later one. User-interface thread only.
class ExclusiveMessage {
 public:
  explicit ExclusiveMessage(MessageBoxPort& messages) : messages_(messages) {}

  bool IsOpen() const { return open_; }

  // The box's answer, or nothing when one of this kind is open.
  std::optional<int> Show(std::wstring_view text, std::wstring_view caption, unsigned style) {
    std::optional<int> answer;
    Run([&] { answer = messages_.Show(text, caption, style); });
    return answer;
  }

  // Runs `exchange` as one open message of this kind: a row of boxes, or code
  // that may show some. False, without running it, when one is open.
  template <class Exchange>
  bool Run(Exchange&& exchange) {
    if (open_) return false;
    const Opened opened(open_);
    std::forward<Exchange>(exchange)();
    return true;
  }

 private:
  class Opened {
   public:
    explicit Opened(bool& open) : open_(open) { open_ = true; }
    ~Opened() { open_ = false; }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

   private:
    bool& open_;
  };

  MessageBoxPort& messages_;
  bool open_ = false;
};

}  // namespace lorik
