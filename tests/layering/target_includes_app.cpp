// Compiled as part of target acquisition, this must not find the application layer.
#include "app/HotkeyControl.h"
#include "target/TargetTracker.h"
