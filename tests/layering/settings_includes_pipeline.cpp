// The settings model sits below the subsystems: it must not find the pipeline.
#include "settings/Settings.h"
#include "pipeline/PipelineState.h"
