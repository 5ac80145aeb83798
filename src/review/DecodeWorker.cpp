#include "review/DecodeWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/PictureDecoder.h"
#include "platform/Poster.h"

namespace lorik {

struct DecodeWorker::Shared {
  std::shared_ptr<PictureDecoderPort> decoder;
  std::shared_ptr<MessagePosterPort> poster;
  uint32_t message = 0;

  std::mutex lock;
  std::condition_variable wake;  // work, or the stop
  WindowHandle window;           // guarded by lock; null once stopped
  bool stop = false;             // guarded by lock
  std::optional<DecodeJob> preview;
  std::deque<DecodeJob> thumbnails;
  std::vector<DecodedPicture> results;
  bool posted = false;  // a message for the results waiting is on its way
};

DecodeWorker::DecodeWorker(std::shared_ptr<PictureDecoderPort> decoder,
                           std::shared_ptr<MessagePosterPort> poster, WindowHandle window,
                           uint32_t message)
    : shared_(std::make_shared<Shared>()) {
  shared_->decoder = std::move(decoder);
  shared_->poster = std::move(poster);
  shared_->window = window;
  shared_->message = message;
  try {
    thread_ = WorkerThread(DefaultThreadLauncher(), [shared = shared_] { Run(shared); });
  } catch (const std::system_error&) {
    // No thread: the window shows its labels without pictures.
  }
}

DecodeWorker::~DecodeWorker() {
  Stop();
  // A thread still decoding holds its share and ends after that decode.
  if (!thread_.WaitFor(kStopWait)) thread_.Abandon();
}

void DecodeWorker::SetThumbnails(std::vector<DecodeJob> jobs) {
  {
    std::lock_guard lock(shared_->lock);
    shared_->thumbnails.assign(std::make_move_iterator(jobs.begin()),
                               std::make_move_iterator(jobs.end()));
  }
  shared_->wake.notify_one();
}

void DecodeWorker::SetPreview(DecodeJob job) {
  job.preview = true;
  {
    std::lock_guard lock(shared_->lock);
    shared_->preview = std::move(job);
  }
  shared_->wake.notify_one();
}

std::vector<DecodedPicture> DecodeWorker::Take() {
  std::lock_guard lock(shared_->lock);
  shared_->posted = false;
  return std::exchange(shared_->results, {});
}

void DecodeWorker::Stop() {
  {
    std::lock_guard lock(shared_->lock);
    shared_->stop = true;
    shared_->window = {};
    shared_->preview.reset();
    shared_->thumbnails.clear();
  }
  shared_->wake.notify_one();
}

void DecodeWorker::Run(std::shared_ptr<Shared> shared) {
  std::unique_lock lock(shared->lock);
  for (;;) {
    shared->wake.wait(
        lock, [&] { return shared->stop || shared->preview || !shared->thumbnails.empty(); });
    if (shared->stop) break;
    DecodeJob job;
    if (shared->preview) {
      job = std::move(*shared->preview);
      shared->preview.reset();
    } else {
      job = std::move(shared->thumbnails.front());
      shared->thumbnails.pop_front();
    }
    lock.unlock();
    std::shared_ptr<const Picture> picture;
    try {
      picture = shared->decoder->DecodeToFit(job.path, job.box);
    } catch (...) {
      // A file that cannot be decoded shows no picture; the others still do.
    }
    lock.lock();
    if (shared->stop) break;
    shared->results.push_back({job.id, job.preview, std::move(picture)});
    // One message while results wait: the window takes them all at once. A
    // post that failed (a full queue) is tried again with the next result.
    if (!shared->posted && shared->window)
      shared->posted = shared->poster->Post(shared->window, shared->message);
  }
  shared->results.clear();
}

}  // namespace lorik
