#include "pipeline/FramePath.h"

#include "core/Path.h"
#include "pipeline/PipelineState.h"
#include "settings/SaveFolder.h"

namespace lorik {

ImageFilename FramePath(const PipelineState& state, const CapturedFrame& frame, int32_t imageType) {
  ImageNameSource source;
  source.folder = EffectiveFolder(frame.folder.str(), state.ports.defaultFolder);
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

std::wstring FallbackFileName(std::wstring_view path) {
  const size_t slash = path.rfind(L'\\');
  std::wstring name(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
  // Characters no file name may hold, the colon of a stream among them.
  for (wchar_t& c : name) {
    if (c < 0x20 || std::wstring_view(L"/:*?\"<>|").find(c) != std::wstring_view::npos) c = L'_';
  }
  // A trailing dot or space would be dropped by the file system.
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.back() = L'_';
  if (name.empty()) return name;
  // "NUL.png" would write into the device.
  if (!PathComponentIsKept(name)) name.insert(0, 1, L'_');
  return name;
}

}  // namespace lorik
