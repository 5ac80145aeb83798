// Compiled as part of target acquisition, this must not find the application layer.
#include "target/TargetTracker.h"
#include "app/HotkeyControl.h"
