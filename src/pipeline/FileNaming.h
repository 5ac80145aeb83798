#pragma once
#include <cstdint>
#include <string>

#include "core/SystemTime.h"
#include "platform/Trace.h"

namespace lorik {

// Appends `pattern` to `output` with each meta-character ("%date%", "%stime%", "%msnz%"
// and the rest, ignoring case) replaced by its value from `captureTime` or, for the
// s-forms, `startTime`. Text outside percent signs, a lone "%" and a trailing "%..." pass
// through unchanged. An unknown name appends "不明なパラメータです:" with the lowered token,
// drops the rest of the pattern and returns false; otherwise returns true.
bool ExpandFileNamePattern(std::wstring pattern, std::wstring& output,
                           const SystemTime& captureTime, const SystemTime& startTime);

// What one image file is named from.
struct ImageNameSource {
  std::wstring folder;   // destination folder of the frame; may be relative or empty
  std::wstring pattern;  // file-name pattern of the frame
  SystemTime captureTime;
  SystemTime startTime;           // the press that started the shot
  int32_t imageType = 0;          // the current "Image type" setting, not the frame's encoding
  std::wstring currentDirectory;  // the process's current directory, for a relative path
};

enum class ImageFilenameStatus {
  Ok,
  // The full path would not fit in the platform's path buffers (kMaxPathChars with its
  // terminator). Nothing is shortened: the caller must not write the file.
  TooLong,
  // A component of the path is one the file system would alter or swallow (a device
  // name such as "NUL", a trailing dot or space, a colon), the path names a folder
  // rather than a file, or it is still relative because the current directory is not
  // known: the caller must not write the file.
  Refused,
};

struct ImageFilename {
  ImageFilenameStatus status = ImageFilenameStatus::Ok;
  // Ok: the full path. TooLong, Refused: the whole path that was refused, for the message.
  std::wstring path;
};

// The full path of an image file: folder, one backslash (none added when the folder
// already ends in a separator), the expanded pattern (an unknown meta-character leaves
// its message in the name) and, when that has no extension, the image type's extension.
// A type without one adds nothing and traces "Unknown type given to CreateImageFilename\n".
// Both "/" and "\\" separate components; the result has backslashes only.
// A relative path is combined with the current directory; a path that starts with a
// backslash, such as the one an empty folder gives, is not.
ImageFilename CreateImageFilename(const ImageNameSource& source, TracePort& trace);

}  // namespace lorik
