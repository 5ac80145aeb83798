#pragma once
#include <cstdint>
#include <string>
#include <string_view>

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

// The file name of `path` made fit for any folder, for a frame written to the
// default folder instead of its own: characters no file name may hold and a
// trailing dot or space become "_", a device name gets "_" in front. Empty
// when `path` ends in a separator.
std::wstring FallbackFileName(std::wstring_view path);

}  // namespace lorik
