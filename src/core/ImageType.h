#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace lorik {

// Output format of saved images. The settings keep it as a plain 32-bit value, so
// a hand-edited file may hold numbers outside this list (6, or anything else).
enum class ImageType : int32_t {
  None = 0,
  Bmp = 1,
  Gif = 2,
  Jpg = 3,
  Png = 4,
  Tif = 5,
  Emf = 7,
  Exif = 8,
  Wmf = 9,
};

// INI text to type, ignoring case: "jpeg" and "tiff" are accepted as aliases.
// Unknown text gives None.
ImageType ImageTypeFromText(std::wstring_view text);

// The text stored in the INI file; empty for None, 6 and any value outside the list.
std::wstring ImageTypeToText(int32_t type);

// File extension with its dot (".png"); empty for a value without one.
std::wstring ImageTypeExtension(int32_t type);

// Whether the image encoder can produce this type (bmp, gif, jpg, png, tif).
bool IsEncodableImageType(int32_t type);

}  // namespace lorik
