// Compiled as part of the pipeline, this must not find the application layer.
#include "app/LorikDlg.h"
#include "pipeline/CaptureController.h"
