#pragma once
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace lorik {

class MessageBoxPort;

// Why a frame could not be written where it was asked.
enum class SaveFailure {
  Folder,   // its folder is missing and cannot be created
  File,     // its file cannot be created, written or named
  TooLong,  // its path does not fit the platform's path buffers
};

// Save failures on their way from the save worker to the user. The worker
// adds and never waits; the user-interface thread shows them with at most one
// box open at a time. Failures of one cause for one folder share a message:
// the first opens it, and those that arrive while it is open are counted and
// told in one follow-up when it closes.
class SaveReports {
 public:
  // One frame. `named` is what the message names (the folder or the path),
  // `folder` the folder the frame was meant for, `savedTo` the folder it was
  // written to instead, or empty when it is lost.
  void Add(SaveFailure cause, const std::wstring& named, const std::wstring& folder,
           const std::wstring& savedTo);
  // The next message to show, oldest cause first, with the frames counted
  // since that cause was last told; nothing when all has been told.
  std::optional<std::wstring> Take();
  // Frames added and not yet told: lost ones and ones written elsewhere.
  struct Counts {
    uint32_t lost = 0;
    uint32_t savedElsewhere = 0;
  };
  Counts Untold() const;

  // On the user-interface thread: shows every message waiting, one at a time.
  // A call from inside one of those boxes' message loops returns at once;
  // what arrives meanwhile is shown when the box closes.
  void ShowPending(MessageBoxPort& messages);

 private:
  struct Entry {
    SaveFailure cause;
    std::wstring named;
    std::wstring folder;
    std::wstring savedTo;
    uint32_t saved = 0;  // since last told
    uint32_t lost = 0;   // since last told
    bool told = false;   // its first message has been shown
  };
  mutable std::mutex lock_;
  std::vector<Entry> entries_;  // guarded by lock_
  bool showing_ = false;        // user-interface thread only
};

}  // namespace lorik
