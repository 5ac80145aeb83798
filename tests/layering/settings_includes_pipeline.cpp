// The settings model sits below the subsystems: it must not find the pipeline.
#include "pipeline/PipelineState.h"
#include "settings/Settings.h"
