#include "pipeline/FramePath.h"

#include "pipeline/PipelineState.h"

namespace lorik {

ImageFilename FramePath(const PipelineState& state, const CapturedFrame& frame, int32_t imageType) {
  ImageNameSource source;
  source.folder = frame.folder.str();
  source.pattern = frame.pattern.str();
  source.captureTime = frame.captureTime;
  source.startTime = frame.startTime;
  source.imageType = imageType;
  if (state.ports.currentDirectory) source.currentDirectory = state.ports.currentDirectory();
  return CreateImageFilename(source, *state.ports.trace);
}

std::wstring FolderOfPath(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace lorik
