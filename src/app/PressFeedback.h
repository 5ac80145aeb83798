#pragma once

namespace lorik {

// The picture sets of the main button.
enum class ButtonSet { SingleShot = 0, MultiShot = 1, Folder = 2 };

// The press feedback of the main button, given by the main window.
class PressFeedbackPort {
 public:
  virtual ~PressFeedbackPort() = default;
  virtual void PressFeedback(ButtonSet set) = 0;
};

}  // namespace lorik
