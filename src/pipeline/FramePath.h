#pragma once
#include <cstdint>
#include <string>

#include "pipeline/CapturedFrame.h"
#include "pipeline/FileNaming.h"

namespace lorik {

class PipelineState;

// The file name of a frame, built with the image type current now and the
// process's current directory at this moment.
ImageFilename FramePath(const PipelineState& state, const CapturedFrame& frame, int32_t imageType);

// The folder part of a path: everything before its last backslash, empty when
// it has none.
std::wstring FolderOfPath(const std::wstring& path);

}  // namespace lorik
