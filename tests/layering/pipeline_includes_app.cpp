// Compiled as part of the pipeline, this must not find the application layer.
#include "pipeline/CaptureController.h"
#include "app/LorikDlg.h"
