#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "pipeline/PipelineState.h"
#include "platform/ScreenGrab.h"

namespace lorik {

// What the status line is made from, read once per timer message.
struct StatusInput {
  bool targetPresent = false;
  bool recaptureAfterLost = false;  // "Automatically recapture after lost"
  uint32_t conversionCount = 0;     // frames waiting in the ConversionBuffer
  int32_t capacity = 0;             // "Conversion buff size"
  LastSavedShot lastSaved;
  bool showBufferInfo = false;  // "Show save buffer info"
  // How the target is grabbed; named on the line when it is not the window DC.
  GrabMethod grabMethod = GrabMethod::kWindowDc;
};

// What the buffer information bar shows: a pbst state, a position on its
// 0..10000 range (none while the target is lost: the bar keeps its position)
// and the text.
struct StatusLine {
  int state = 0;
  std::optional<int16_t> position;
  std::wstring text;
  friend bool operator==(const StatusLine&, const StatusLine&) = default;
};

StatusLine ComposeStatusLine(const StatusInput& input);

}  // namespace lorik
