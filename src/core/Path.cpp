#include "core/Path.h"

#include <algorithm>

namespace lorik {
namespace {

bool IsUnc(std::wstring_view path) {
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

// A root that ".." cannot climb above: "\", "X:\", "\\server" and "\\server\share".
bool IsRoot(std::wstring_view path) {
  if (path == L"\\") return true;
  if (path.size() == 3 && path[1] == L':' && path[2] == L'\\') return true;
  if (IsUnc(path)) {
    const std::size_t slash = path.find(L'\\', 2);
    if (slash == std::wstring_view::npos) return true;
    // "\\server\" without a share is no root, nor is a folder below the share.
    return slash + 1 < path.size() && path.find(L'\\', slash + 1) == std::wstring_view::npos;
  }
  return false;
}

// Where ".." stops: a root, or a share path cut back to its server ("\\server\").
bool CannotClimb(std::wstring_view path) {
  if (IsRoot(path)) return true;
  if (!IsUnc(path)) return false;
  const std::size_t slash = path.find(L'\\', 2);
  return slash == std::wstring_view::npos || slash + 1 == path.size();
}

// The root part of `dir` that a rooted file name is placed on.
std::wstring RootOf(std::wstring_view dir) {
  if (IsUnc(dir)) {
    const std::size_t server = dir.find(L'\\', 2);
    if (server == std::wstring_view::npos) return std::wstring(dir);
    const std::size_t share = dir.find(L'\\', server + 1);
    return std::wstring(dir.substr(0, share));
  }
  if (!dir.empty() && dir[0] == L'\\') return L"\\";
  if (dir.size() >= 2 && dir[1] == L':')
    return std::wstring(dir.substr(0, dir.size() >= 3 && dir[2] == L'\\' ? 3 : 2));
  return {};
}

void AddBackslash(std::wstring& path) {
  if (!path.empty() && path.back() != L'\\') path += L'\\';
}

// Works component by component between backslashes; empty components (doubled
// backslashes) are kept as they are.
std::wstring Canonicalize(std::wstring_view path) {
  std::wstring out;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t end = path.find(L'\\', i);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view part = path.substr(i, end - i);
    if (part.empty()) {
      out += L'\\';
      ++i;
    } else if (part == L".") {
      if (end == path.size()) {
        // A final "\." goes with its backslash, unless that backslash ends a root.
        if (!out.empty() && !IsRoot(out)) out.pop_back();
        i = end;
      } else {
        i = end + 1;
      }
    } else if (part == L"..") {
      if (!CannotClimb(out)) {
        // Back to the backslash before the last component; the root "C:" loses its
        // backslash here and gets it back below.
        const std::size_t slash =
            out.size() < 2 ? std::wstring::npos : out.rfind(L'\\', out.size() - 2);
        out.resize(slash == std::wstring::npos ? 0 : slash);
      } else if (end < path.size()) {
        ++i;  // "C:\..\x" must not become "C:\\x"
      }
      i += 2;
    } else {
      out += part;
      i = end;
    }
  }
  if (out.empty()) out = L"\\";
  if (out.size() == 2 && out[1] == L':') out += L'\\';
  return out;
}

}  // namespace

std::wstring PathFindExtension(std::wstring_view path) {
  std::size_t dot = std::wstring_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == L'.')
      dot = i;
    else if (path[i] == L'\\' || path[i] == L'/' || path[i] == L' ')
      dot = std::wstring_view::npos;
  }
  return dot == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(dot));
}

bool PathIsRelative(std::wstring_view path) {
  if (path.empty()) return true;
  return !(path[0] == L'\\' || (path.size() >= 2 && path[1] == L':'));
}

std::optional<std::wstring> PathCombine(std::wstring_view dir, std::wstring_view file) {
  std::wstring joined;
  if (file.empty()) {
    joined = dir;
  } else if (dir.empty() || !PathIsRelative(file)) {
    if (dir.empty() || file[0] != L'\\' || IsUnc(file)) {
      joined = file;
    } else {
      joined = RootOf(dir);
      AddBackslash(joined);
      joined += file.substr(1);
    }
  } else {
    joined = dir;
    AddBackslash(joined);
    joined += file;
  }
  if (joined.size() >= kMaxPathChars) return std::nullopt;
  std::wstring result = Canonicalize(joined);
  if (result.size() >= kMaxPathChars) return std::nullopt;
  return result;
}

bool PathComponentIsKept(std::wstring_view component) {
  if (component.empty() || component == L"." || component == L"..") return true;
  if (component.back() == L'.' || component.back() == L' ') return false;
  // "shot:x.png" would make the file "shot" and write into a stream of it.
  if (component.find(L':') != std::wstring_view::npos) return false;
  std::wstring_view base = component.substr(0, component.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
  std::wstring upper;
  for (wchar_t c : base) upper += (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
  static constexpr std::wstring_view kDevices[] = {L"CON", L"PRN",    L"AUX",
                                                   L"NUL", L"CONIN$", L"CONOUT$"};
  for (std::wstring_view device : kDevices)
    if (upper == device) return false;
  // COM1 to COM9 and LPT1 to LPT9, the superscript digits included.
  if (upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT"))) {
    const wchar_t d = upper[3];
    if ((d >= L'1' && d <= L'9') || d == L'\u00b9' || d == L'\u00b2' || d == L'\u00b3')
      return false;
  }
  return true;
}

bool PathComponentsAreKept(std::wstring_view path) {
  const bool hasDrive = path.size() >= 2 && path[1] == L':';
  for (size_t start = hasDrive ? 2 : 0; start <= path.size();) {
    const size_t end = std::min(path.find(L'\\', start), path.size());
    if (!PathComponentIsKept(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

std::wstring PathWithNumber(std::wstring_view path, int n) {
  const std::wstring extension = PathFindExtension(path);
  std::wstring result(path.substr(0, path.size() - extension.size()));
  result += L" (" + std::to_wstring(n) + L")";
  result += extension;
  return result;
}

}  // namespace lorik
