#pragma once
#include "platform/PixelPicture.h"

namespace lorik {

// The tests' pictures are the program's own plain-memory pictures.
using MemoryPicture = PixelPicture;

}  // namespace lorik
