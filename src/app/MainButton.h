#pragma once
#include "app/PressFeedback.h"

namespace lorik {

// The bitmap resource of the main button for a picture set, normal or pressed.
int MainButtonPicture(ButtonSet set, bool pressed, int dpi);

}  // namespace lorik
