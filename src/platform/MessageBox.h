#pragma once
#include <string_view>

namespace lorik {

// Styles and answers use the platform's values so adapters pass them through.
namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// Modal message boxes; callable from any thread. An empty caption means the
// application's default caption ("Lorik").
class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  virtual int Show(std::wstring_view text, std::wstring_view caption, unsigned style) = 0;
  // The error sound, used where error dialogs are suppressed.
  virtual void Beep() = 0;
};

}  // namespace lorik
