#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "core/WorkerThread.h"
#include "platform/Picture.h"

namespace lorik {

class PictureDecoderPort;
class MessagePosterPort;

// A picture to decode for the review window.
struct DecodeJob {
  uint32_t id = 0;  // the frame's
  std::wstring path;
  Size box;
  bool preview = false;  // the large picture rather than a thumbnail
};

struct DecodedPicture {
  uint32_t id = 0;
  bool preview = false;
  std::shared_ptr<const Picture> picture;  // null: the file could not be decoded
};

// Decodes pictures one at a time on a thread of its own, the preview before
// any thumbnail, and hands them to the window: it posts `message` when results
// start waiting, and the window takes them all (`Take`). The thread holds its
// share of the queue and of the ports, so the window may go first: after
// `Stop` nothing is posted, and the thread ends after the decode in hand.
class DecodeWorker {
 public:
  static constexpr std::chrono::milliseconds kStopWait{200};

  DecodeWorker(std::shared_ptr<PictureDecoderPort> decoder,
               std::shared_ptr<MessagePosterPort> poster, WindowHandle window, uint32_t message);
  // Stops and waits up to kStopWait; a thread still decoding is left to end alone.
  ~DecodeWorker();
  DecodeWorker(const DecodeWorker&) = delete;
  DecodeWorker& operator=(const DecodeWorker&) = delete;

  // False when the thread could not be started; nothing is decoded then.
  bool Running() const { return thread_.Started(); }
  // Thumbnails in the order they are wanted; replaces those still waiting.
  void SetThumbnails(std::vector<DecodeJob> jobs);
  // Replaces a preview still waiting.
  void SetPreview(DecodeJob job);
  std::vector<DecodedPicture> Take();
  void Stop();

 private:
  struct Shared;
  static void Run(std::shared_ptr<Shared> shared);

  std::shared_ptr<Shared> shared_;
  WorkerThread thread_;
};

}  // namespace lorik
