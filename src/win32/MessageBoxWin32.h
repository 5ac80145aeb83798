#pragma once
#include <atomic>
#include <cstdint>

#include "platform/MessageBox.h"

namespace lorik {

// Message boxes owned by the main window: a box from a worker thread, or one
// shown while another program is active, still stands above Lorik's window
// instead of behind the game. On the user-interface thread a window of its
// own that is active (the settings dialog, say) owns the box instead, so that
// window is disabled while the box is open.
class MessageBoxWin32 final : public MessageBoxPort {
 public:
  int Show(std::wstring_view text, std::wstring_view caption, unsigned style) override;
  void Beep() override;
  void SetOwner(WindowHandle owner) override { owner_.store(owner.value); }

 private:
  std::atomic<uintptr_t> owner_{0};
};

}  // namespace lorik
