#pragma once
#include "platform/Poster.h"

namespace lorik {

class PosterWin32 final : public MessagePosterPort {
 public:
  bool Post(WindowHandle window, uint32_t message) override;
};

}  // namespace lorik
