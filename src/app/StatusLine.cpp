#include "app/StatusLine.h"

#include <algorithm>

#include "controls/InfoProgressCtrl.h"
#include "core/Text.h"

namespace lorik {

StatusLine ComposeStatusLine(const StatusInput& input) {
  if (!input.targetPresent) {
    return {pbst::kError, std::nullopt,
            input.recaptureAfterLost ? L"キャプ対象捜索中" : L"キャプチャ停止"};
  }
  const uint32_t n = input.conversionCount;
  const int32_t c = input.capacity;
  // A capacity below 1 never passes the settings check; should it be in force
  // anyway, the buffer counts as full rather than dividing by zero.
  const double r = c > 0 ? static_cast<double>(n) / c : 1.0;
  StatusLine line;
  line.state = r > 0.9 ? pbst::kError : n != 0 ? pbst::kPaused : pbst::kNormal;
  // Single shots can fill the buffer far beyond its capacity: keep the
  // conversion to an integer defined before taking the low 16 bits.
  const double position = std::max((1.0 - r) * 10000, -2147483648.0);
  line.position = static_cast<int16_t>(static_cast<int32_t>(position));

  const LastSavedShot& last = input.lastSaved;
  const std::wstring prefix =
      last.profileNo != 0 ? L"M" + PaddedDecimal(last.profileNo, 2) : std::wstring(L"S");
  line.text = input.showBufferInfo
                  ? DecimalText(c - static_cast<int64_t>(n)) + L" / " + DecimalText(c) + L" 枚"
                  : prefix + L" " + PaddedDecimal(last.captureTime.hour, 2) + L":" +
                        PaddedDecimal(last.captureTime.minute, 2) + L":" +
                        PaddedDecimal(last.captureTime.second, 2);
  switch (input.grabMethod) {
    case GrabMethod::kWindowDc:
      break;
    case GrabMethod::kPrintWindow:
      line.text += L" (PrintWindow)";
      break;
    case GrabMethod::kScreen:
      line.text += L" (画面)";
      break;
  }
  return line;
}

}  // namespace lorik
