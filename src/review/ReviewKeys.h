#pragma once
#include <cstdint>
#include <optional>

namespace lorik {

// What a key does in the review window.
enum class ReviewAction {
  Previous,         // ←: the frame captured before
  Next,             // →: the frame captured after
  ToggleMark,       // Space: keep or no longer keep
  RecycleSelected,  // Delete: the selected frame's file to the Recycle Bin
  Open,             // Enter: the selected file in the user's viewer
  Close,            // Esc
};

// The action of a virtual key; nullopt for keys the window leaves alone.
std::optional<ReviewAction> ReviewKeyAction(uint16_t virtualKey);

}  // namespace lorik
