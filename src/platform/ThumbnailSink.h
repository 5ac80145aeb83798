#pragma once
#include <memory>

#include "platform/Picture.h"

namespace lorik {

// Receives the picture of every frame the save worker has written; the
// thumbnail control implements it. Called from the save worker thread.
class ThumbnailSink {
 public:
  virtual ~ThumbnailSink() = default;
  virtual void SetPicture(std::shared_ptr<const Picture> picture) = 0;
};

}  // namespace lorik
