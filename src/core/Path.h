#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The platform's headers define these three names as macros for their own functions. A
// file that sees both uses ours and calls the platform's by their W names.
#undef PathFindExtension
#undef PathIsRelative
#undef PathCombine

// Path helpers with the platform's rules, so that naming decides the same way on every
// build: "C:" drives, "\\server\share" shares, "\x" rooted paths, backslash separators.
namespace lorik {

// Characters of the platform's path buffers, terminator included: a path may hold one less.
inline constexpr std::size_t kMaxPathChars = 260;

// The extension of the last component with its dot (".png"), or empty when it has none.
// A dot counts when no separator ('\\' or '/') or space follows it, so "my.dir\shot"
// and "shot.tar gz" have none, and a leading-dot name such as ".png" is all extension.
std::wstring PathFindExtension(std::wstring_view path);

// False only for paths that start with a backslash (rooted or UNC) or with a drive
// ("C:\x" and "C:x"); everything else, the empty path included, is relative.
bool PathIsRelative(std::wstring_view path);

// `file` joined to `dir` and canonicalised: "." components are dropped and ".." removes
// the component before it without climbing above a root. A `file` that is not relative
// is taken alone, except that a rooted "\x" goes on the root of `dir`. Nothing when
// the joined or the resulting path would not fit in kMaxPathChars; it never truncates.
std::optional<std::wstring> PathCombine(std::wstring_view dir, std::wstring_view file);

// False for a path component that the file system would alter or swallow: a trailing
// dot or space (dropped when the file is made), a colon (what follows names a stream
// of the file before it), or a device name such as "NUL", "CON" or "COM1", with or
// without an extension (the data goes to the device). "." and ".." are navigation and
// count as kept; the drive "C:" of a path is no component.
bool PathComponentIsKept(std::wstring_view component);

// Whether every backslash-separated component of `path` after its drive is kept.
bool PathComponentsAreKept(std::wstring_view path);

// `path` with " (n)" inserted before the extension of its last component:
// "D:\a\shot.png" and 2 give "D:\a\shot (2).png".
std::wstring PathWithNumber(std::wstring_view path, int n);

}  // namespace lorik
