#pragma once
#include "app/PressFeedback.h"

namespace lorik {

// The display scales the main button's pictures are drawn for, as DPI.
inline constexpr int kPictureDpis[] = {96, 120, 144, 192};

// The bitmap resource of the main button for a picture set, normal or
// pressed, at a window's DPI: the one drawn for that scale, or for the
// largest scale below it, so that a picture is never enlarged and never
// larger than the button the template makes at that DPI.
int MainButtonPicture(ButtonSet set, bool pressed, int dpi);

}  // namespace lorik
