#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace lorik {

// Where a shot whose "Folder" is empty saves: the user's Pictures folder with
// "\Lorik" after it, or the program's own folder when there is no Pictures
// folder. The settings keep the empty value, so a stored file means the same
// wherever it is used.
std::wstring DefaultSaveFolder(const std::optional<std::wstring>& picturesFolder,
                               std::wstring_view executablePath);

// The folder a shot of `folder` saves into: `defaultFolder` when it is empty.
std::wstring EffectiveFolder(const std::wstring& folder, const std::wstring& defaultFolder);

// Whether two folder spellings name the same folder: either separator, a
// trailing one or none, and letters of either case.
bool SameFolder(std::wstring_view a, std::wstring_view b);

enum class FixedFolderStatus { Ok, TooLong, Refused };

struct FixedFolder {
  FixedFolderStatus status = FixedFolderStatus::Ok;
  std::wstring path;  // the absolute folder, or what was refused
};

// The folder a shot writes into as far as it is known before the shot: the
// effective folder and the leading subfolders of `pattern` that hold no
// meta-character, placed under `currentDirectory` when relative. Subfolders
// named by meta-characters only exist at shot time and are left out.
FixedFolder FixedSaveFolder(const std::wstring& folder, std::wstring_view pattern,
                            const std::wstring& defaultFolder, std::wstring_view currentDirectory);

}  // namespace lorik
