#include "settings/SaveFolder.h"

#include <algorithm>

#include "core/Path.h"
#include "core/Text.h"

namespace lorik {
namespace {

std::wstring Normalised(std::wstring_view folder) {
  std::wstring path(folder);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  // "C:\" keeps its separator: without it the drive's current folder is meant.
  while (path.size() > 1 && path.back() == L'\\' && !(path.size() == 3 && path[1] == L':'))
    path.pop_back();
  return path;
}

}  // namespace

std::wstring DefaultSaveFolder(const std::optional<std::wstring>& picturesFolder,
                               std::wstring_view executablePath) {
  if (picturesFolder && !picturesFolder->empty()) {
    std::wstring folder = Normalised(*picturesFolder);
    if (folder.back() != L'\\') folder += L'\\';
    return folder + L"Lorik";
  }
  const size_t slash = executablePath.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? std::wstring()
                                          : Normalised(executablePath.substr(0, slash + 1));
}

std::wstring EffectiveFolder(const std::wstring& folder, const std::wstring& defaultFolder) {
  return folder.empty() ? defaultFolder : folder;
}

bool SameFolder(std::wstring_view a, std::wstring_view b) {
  return AsciiLower(Normalised(a)) == AsciiLower(Normalised(b));
}

FixedFolder FixedSaveFolder(const std::wstring& folder, std::wstring_view pattern,
                            const std::wstring& defaultFolder, std::wstring_view currentDirectory) {
  std::wstring path = Normalised(EffectiveFolder(folder, defaultFolder));
  // The pattern's last component is the file name; the ones before it are
  // subfolders, fixed up to the first that a meta-character names.
  std::wstring names(pattern);
  std::replace(names.begin(), names.end(), L'/', L'\\');
  const size_t lastSlash = names.rfind(L'\\');
  if (lastSlash != std::wstring::npos) {
    for (size_t start = 0; start < lastSlash;) {
      const size_t end = std::min(names.find(L'\\', start), lastSlash);
      const std::wstring_view component = std::wstring_view(names).substr(start, end - start);
      if (component.find(L'%') != std::wstring_view::npos) break;
      if (!component.empty()) {
        if (path.empty() || path.back() != L'\\') path += L'\\';
        path += component;
      }
      start = end + 1;
    }
  }
  if (PathIsRelative(path)) {
    std::optional<std::wstring> combined = PathCombine(currentDirectory, path);
    if (!combined)
      return {FixedFolderStatus::TooLong, std::wstring(currentDirectory) + L"\\" + path};
    path = Normalised(*combined);
  }
  if (path.size() >= kMaxPathChars) return {FixedFolderStatus::TooLong, std::move(path)};
  if (PathIsRelative(path)) return {FixedFolderStatus::Refused, std::move(path)};
  if (!PathComponentsAreKept(path)) return {FixedFolderStatus::Refused, std::move(path)};
  return {FixedFolderStatus::Ok, std::move(path)};
}

}  // namespace lorik
