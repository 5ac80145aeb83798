// The review window stands apart from the settings: it must not find them.
#include "review/BurstModel.h"
#include "settings/Settings.h"
