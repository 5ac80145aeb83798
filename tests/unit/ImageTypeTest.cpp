#include <gtest/gtest.h>

#include <string>

#include "core/ImageType.h"

namespace lorik {
namespace {

struct TextCase {
  std::wstring text;
  ImageType type;
};

TEST(ImageTypeTest, ReadsTextIgnoringCaseWithAliases) {
  const TextCase cases[] = {
      {L"bmp", ImageType::Bmp},       {L"BMP", ImageType::Bmp},   {L"gif", ImageType::Gif},
      {L"jpg", ImageType::Jpg},       {L"jpeg", ImageType::Jpg},  {L"JPEG", ImageType::Jpg},
      {L"JpEg", ImageType::Jpg},      {L"png", ImageType::Png},   {L"Png", ImageType::Png},
      {L"tif", ImageType::Tif},       {L"tiff", ImageType::Tif},  {L"TIFF", ImageType::Tif},
      {L"emf", ImageType::Emf},       {L"exif", ImageType::Exif}, {L"WMF", ImageType::Wmf},
      {L"", ImageType::None},         {L"pn", ImageType::None},   {L"pngx", ImageType::None},
      {L".png", ImageType::None},     {L"6", ImageType::None},    {L"jpe", ImageType::None},
      {L"\uFF50ng", ImageType::None},  // a full-width letter is not "p"
  };
  for (const TextCase& c : cases)
    EXPECT_EQ(ImageTypeFromText(c.text), c.type) << "text: " << testing::PrintToString(c.text);
}

struct ValueCase {
  int32_t value;
  std::wstring text;
  std::wstring extension;
  bool encodable;
};

TEST(ImageTypeTest, TextExtensionAndEncodabilityPerValue) {
  const ValueCase cases[] = {
      {0, L"", L"", false},         {1, L"bmp", L".bmp", true},   {2, L"gif", L".gif", true},
      {3, L"jpg", L".jpg", true},   {4, L"png", L".png", true},   {5, L"tif", L".tif", true},
      {6, L"", L"", false},         {7, L"emf", L".emf", false},  {8, L"exif", L".exif", false},
      {9, L"wmf", L".wmf", false},  {10, L"", L"", false},        {-1, L"", L"", false},
      {INT32_MIN, L"", L"", false}, {INT32_MAX, L"", L"", false}, {0x104, L"", L"", false},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ImageTypeToText(c.value), c.text);
    EXPECT_EQ(ImageTypeExtension(c.value), c.extension);
    EXPECT_EQ(IsEncodableImageType(c.value), c.encodable);
  }
}

TEST(ImageTypeTest, WrittenTextReadsBackAsTheSameType) {
  for (int32_t value = 0; value <= 10; ++value) {
    const std::wstring text = ImageTypeToText(value);
    if (text.empty()) continue;
    EXPECT_EQ(static_cast<int32_t>(ImageTypeFromText(text)), value) << value;
  }
}

}  // namespace
}  // namespace lorik
