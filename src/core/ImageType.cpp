#include "core/ImageType.h"

#include <array>

#include "core/Text.h"

namespace lorik {
namespace {

struct TypeName {
  ImageType type;
  const wchar_t* text;
};

// The names written to the file, one per named type.
constexpr std::array<TypeName, 8> kNames = {{
    {ImageType::Bmp, L"bmp"},
    {ImageType::Gif, L"gif"},
    {ImageType::Jpg, L"jpg"},
    {ImageType::Png, L"png"},
    {ImageType::Tif, L"tif"},
    {ImageType::Emf, L"emf"},
    {ImageType::Exif, L"exif"},
    {ImageType::Wmf, L"wmf"},
}};

}  // namespace

ImageType ImageTypeFromText(std::wstring_view text) {
  const std::wstring lower = AsciiLower(text);
  if (lower == L"jpeg") return ImageType::Jpg;
  if (lower == L"tiff") return ImageType::Tif;
  for (const TypeName& name : kNames)
    if (lower == name.text) return name.type;
  return ImageType::None;
}

std::wstring ImageTypeToText(int32_t type) {
  for (const TypeName& name : kNames)
    if (static_cast<int32_t>(name.type) == type) return name.text;
  return {};
}

std::wstring ImageTypeExtension(int32_t type) {
  std::wstring text = ImageTypeToText(type);
  return text.empty() ? text : L"." + text;
}

bool IsEncodableImageType(int32_t type) {
  return type >= static_cast<int32_t>(ImageType::Bmp) &&
         type <= static_cast<int32_t>(ImageType::Tif);
}

}  // namespace lorik
