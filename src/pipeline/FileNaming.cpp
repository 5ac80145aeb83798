#include "pipeline/FileNaming.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/ImageType.h"
#include "core/Path.h"
#include "core/Text.h"

namespace lorik {
namespace {

enum class Value {
  Year,
  Month,
  MonthNz,
  Day,
  DayNz,
  Date,
  Hour,
  HourNz,
  Min,
  MinNz,
  Sec,
  SecNz,
  Time,
  Ms,
  MsNz
};

struct MetaCharacter {
  std::wstring_view name;
  bool start;  // from the start time rather than the capture time
  Value value;
};

// In the order a token is compared with them.
constexpr std::array<MetaCharacter, 30> kMetaCharacters = {{
    {L"%year%", false, Value::Year},   {L"%syear%", true, Value::Year},
    {L"%month%", false, Value::Month}, {L"%monthnz%", false, Value::MonthNz},
    {L"%smonth%", true, Value::Month}, {L"%smonthnz%", true, Value::MonthNz},
    {L"%day%", false, Value::Day},     {L"%daynz%", false, Value::DayNz},
    {L"%sday%", true, Value::Day},     {L"%sdaynz%", true, Value::DayNz},
    {L"%date%", false, Value::Date},   {L"%sdate%", true, Value::Date},
    {L"%hour%", false, Value::Hour},   {L"%hournz%", false, Value::HourNz},
    {L"%shour%", true, Value::Hour},   {L"%shournz%", true, Value::HourNz},
    {L"%min%", false, Value::Min},     {L"%minnz%", false, Value::MinNz},
    {L"%smin%", true, Value::Min},     {L"%sminnz%", true, Value::MinNz},
    {L"%sec%", false, Value::Sec},     {L"%secnz%", false, Value::SecNz},
    {L"%ssec%", true, Value::Sec},     {L"%ssecnz%", true, Value::SecNz},
    {L"%time%", false, Value::Time},   {L"%stime%", true, Value::Time},
    {L"%ms%", false, Value::Ms},       {L"%msnz%", false, Value::MsNz},
    {L"%sms%", true, Value::Ms},       {L"%smsnz%", true, Value::MsNz},
}};

std::wstring Format(Value value, const SystemTime& t) {
  switch (value) {
    case Value::Year:
      return DecimalText(t.year);
    case Value::Month:
      return PaddedDecimal(t.month, 2);
    case Value::MonthNz:
      return DecimalText(t.month);
    case Value::Day:
      return PaddedDecimal(t.day, 2);
    case Value::DayNz:
      return DecimalText(t.day);
    case Value::Date:
      return DecimalText(t.year) + PaddedDecimal(t.month, 2) + PaddedDecimal(t.day, 2);
    case Value::Hour:
      return PaddedDecimal(t.hour, 2);
    case Value::HourNz:
      return DecimalText(t.hour);
    case Value::Min:
      return PaddedDecimal(t.minute, 2);
    case Value::MinNz:
      return DecimalText(t.minute);
    case Value::Sec:
      return PaddedDecimal(t.second, 2);
    case Value::SecNz:
      return DecimalText(t.second);
    case Value::Time:
      return PaddedDecimal(t.hour, 2) + PaddedDecimal(t.minute, 2) + PaddedDecimal(t.second, 2);
    case Value::Ms:
      return PaddedDecimal(t.milliseconds, 3);
    case Value::MsNz:
      return DecimalText(t.milliseconds);
  }
  return {};
}

}  // namespace

bool ExpandFileNamePattern(std::wstring pattern, std::wstring& output,
                           const SystemTime& captureTime, const SystemTime& startTime) {
  std::wstring_view rest = pattern;
  while (!rest.empty()) {
    const std::size_t open = rest.find(L'%');
    if (open == std::wstring_view::npos) {
      output += rest;
      return true;
    }
    output += rest.substr(0, open);
    rest.remove_prefix(open);
    const std::size_t close = rest.find(L'%', 1);
    if (close == std::wstring_view::npos) {
      output += rest;
      return true;
    }
    const std::wstring token = AsciiLower(rest.substr(0, close + 1));
    rest.remove_prefix(close + 1);
    bool known = false;
    for (const MetaCharacter& meta : kMetaCharacters) {
      if (token == meta.name) {
        output += Format(meta.value, meta.start ? startTime : captureTime);
        known = true;
        break;
      }
    }
    if (!known) {
      output += L"不明なパラメータです:" + token;
      return false;
    }
  }
  return true;
}

ImageFilename CreateImageFilename(const ImageNameSource& source, TracePort& trace) {
  std::wstring name;
  // An unknown meta-character keeps its message in the name; the save then fails visibly.
  ExpandFileNamePattern(source.pattern, name, source.captureTime, source.startTime);

  std::wstring path = source.folder;
  // One separator only: a folder picked as "D:\" must not give "D:\\name".
  if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += L'\\';
  path += name;
  // The platform takes "/" as a separator too; one spelling keeps the folder part
  // of "D:/shots/" from being read as empty.
  std::replace(path.begin(), path.end(), L'/', L'\\');

  if (PathFindExtension(path).empty()) {
    const std::wstring extension = ImageTypeExtension(source.imageType);
    if (extension.empty())
      trace.Write("Unknown type given to CreateImageFilename\n");
    else
      path += extension;
  }

  if (PathIsRelative(path)) {
    std::optional<std::wstring> combined = PathCombine(source.currentDirectory, path);
    if (!combined) {
      std::wstring refused = source.currentDirectory;
      if (!refused.empty() && refused.back() != L'\\') refused += L'\\';
      return {ImageFilenameStatus::TooLong, refused + path};
    }
    path = std::move(*combined);
  }

  if (path.size() >= kMaxPathChars) return {ImageFilenameStatus::TooLong, std::move(path)};
  // Without a current directory to put it in, a relative path would go wherever the
  // directory is when the file is written, and name no folder to report.
  if (PathIsRelative(path)) return {ImageFilenameStatus::Refused, std::move(path)};
  // A pattern that ends in a separator, "." or ".." names a folder, not a file.
  const std::wstring_view fileName = std::wstring_view(path).substr(path.rfind(L'\\') + 1);
  if (fileName.empty() || fileName == L"." || fileName == L"..")
    return {ImageFilenameStatus::Refused, std::move(path)};
  if (!PathComponentsAreKept(path)) return {ImageFilenameStatus::Refused, std::move(path)};
  return {ImageFilenameStatus::Ok, std::move(path)};
}

}  // namespace lorik
