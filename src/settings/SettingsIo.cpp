#include "settings/SettingsIo.h"

#include <algorithm>
#include <string>

#include "core/ImageType.h"
#include "core/Text.h"

namespace lorik {
namespace {

constexpr wchar_t kGeneral[] = L"General";
constexpr wchar_t kSingleShot[] = L"SingleShot";
constexpr wchar_t kSave[] = L"Save";
constexpr wchar_t kCapture[] = L"Capture";
constexpr wchar_t kDefaultFormat[] = L"Lk_%date%_%time%_%ms%";
constexpr int32_t kFirstHotkeyId = 16996;

std::wstring MultiShotSection(size_t k) {
  return L"MultiShot" + PaddedDecimal(static_cast<long long>(k), 2);
}

// A hand-edited file may hold any 32-bit values; positions and sizes are added
// and subtracted with wrapping so that what is read is written back unchanged.
int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t WrappingSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
Rect RectFromXywh(int32_t x, int32_t y, int32_t width, int32_t height) {
  return {x, y, WrappingAdd(x, width), WrappingAdd(y, height)};
}

class Reader {
 public:
  Reader(const IniFile& file, std::wstring section) : file_(file), section_(std::move(section)) {}
  int32_t Int(const wchar_t* key, int32_t def) const { return file_.GetInt(section_, key, def); }
  bool Bool(const wchar_t* key, bool def) const { return Int(key, def ? 1 : 0) != 0; }
  // Only the low 16 bits of a hotkey's key and modifiers are used.
  uint16_t Low16(const wchar_t* key, int32_t def) const {
    return static_cast<uint16_t>(static_cast<uint32_t>(Int(key, def)) & 0xFFFF);
  }
  std::wstring String(const wchar_t* key, const wchar_t* def) const {
    return file_.GetString(section_, key, def);
  }

 private:
  const IniFile& file_;
  std::wstring section_;
};

class Writer {
 public:
  Writer(IniFile& file, std::wstring section) : file_(file), section_(std::move(section)) {}
  void Int(const wchar_t* key, int32_t value) { file_.Set(section_, key, DecimalText(value)); }
  void Bool(const wchar_t* key, bool value) { Int(key, value ? 1 : 0); }
  void String(const wchar_t* key, const std::wstring& value) { file_.Set(section_, key, value); }

 private:
  IniFile& file_;
  std::wstring section_;
};

void ReadHotkey(const Reader& in, MultiShotProfile& shot, int32_t id, int32_t virtualKey,
                int32_t modifier) {
  shot.id = in.Int(L"ID", id);
  shot.virtualKey = in.Low16(L"Virtual key", virtualKey);
  shot.modifier = in.Low16(L"Modifier", modifier);
  shot.folder = in.String(L"Folder", L"");
  shot.format = in.String(L"Format", kDefaultFormat);
}

void WriteHotkey(Writer& out, const MultiShotProfile& shot) {
  out.Int(L"ID", shot.id);
  out.Int(L"Virtual key", shot.virtualKey);
  out.Int(L"Modifier", shot.modifier);
  out.String(L"Folder", shot.folder);
  out.String(L"Format", shot.format);
}

}  // namespace

ReadResult ReadSettings(const IniFile& file, const SettingsDefaults& defaults) {
  ReadResult result;
  SettingsRecords& r = result.records;

  const Reader general(file, kGeneral);
  const Rect& window = defaults.windowRect;
  result.windowPlacement = RectFromXywh(
      general.Int(L"Window pos x", window.left), general.Int(L"Window pos y", window.top),
      general.Int(L"Window pos width", WrappingSub(window.right, window.left)),
      general.Int(L"Window pos height", WrappingSub(window.bottom, window.top)));

  const int32_t defaultWorkers = std::max(defaults.processorCount - 2, 1);

  GeneralSettings& g = r.general;
  g.alwaysOnTop = general.Bool(L"Always on top", false);
  g.checkOnExit = general.Bool(L"Check on exit", true);
  g.shotButtonType = general.Int(L"Main button setting", 0);
  g.mainButtonMultiShotNo = general.Int(L"Main button multi shot no", 0);
  g.mainButtonShowFolderNo = general.Int(L"Main button show folder no", 1);
  // The count sizes the profile vector. A negative count means no profiles, and
  // the record keeps the count actually used, so that it matches the vector and
  // the file written at exit tells how many profiles there were.
  g.maximumMultiShotNo =
      std::clamp(general.Int(L"Maximum multi shot no", 3), 0, kMaxMultiShotProfiles);
  g.showSaveBufferInfo = general.Bool(L"Show save buffer info", false);
  g.allowMultipleBoot = general.Bool(L"Allow multiple boot", false);
  g.supressErrorDialog = general.Bool(L"Supress error dialog", false);
  g.reviewAfterMultiShot = general.Bool(L"Review after multi shot", false);

  ReadHotkey(Reader(file, kSingleShot), r.shot.singleShot, kFirstHotkeyId, 83, 3);

  r.shot.multiShots.resize(static_cast<size_t>(g.maximumMultiShotNo));
  for (size_t k = 1; k <= r.shot.multiShots.size(); ++k) {
    const Reader in(file, MultiShotSection(k));
    MultiShotProfile& shot = r.shot.multiShots[k - 1];
    const bool first = k == 1;
    ReadHotkey(in, shot, kFirstHotkeyId + static_cast<int32_t>(k), first ? 49 : 0, first ? 3 : 0);
    shot.numberOfSavedImageBeforeHotkey = in.Int(L"Number of saved image before hotkey", 10);
    shot.numberOfSavedImageAfterHotkey = in.Int(L"Number of saved image after hotkey", 10);
    shot.numberOfCaptureSkippedAfterSave = in.Int(L"Number of capture skipped after save", 0);
  }

  const Reader save(file, kSave);
  SaveSettings& s = r.save;
  s.imageType = static_cast<int32_t>(ImageTypeFromText(save.String(L"Image type", L"png")));
  s.imageBitDepth = save.Int(L"Image bit depth", 24);
  s.conversionBuffSize = save.Int(L"Conversion buff size", 50);
  s.conversionThreadNumber = save.Int(L"Conversion thread number", defaultWorkers);
  s.saveBuffSize = save.Int(L"Save buff size", 128);
  s.previewImage = save.Bool(L"Preview image", true);
  const Rect& thumbnail = defaults.thumbnailRect;
  s.previewWidth = save.Int(L"Preview width", WrappingSub(thumbnail.right, thumbnail.left));
  s.previewHeight = save.Int(L"Preview height", WrappingSub(thumbnail.bottom, thumbnail.top));
  s.useDiskCache = save.Bool(L"Use disk cache", true);

  const Reader capture(file, kCapture);
  CaptureSettings& c = r.capture;
  c.appName = capture.String(L"App name", L"");
  c.title = capture.String(L"Title", L"");
  c.className = capture.String(L"Class name", L"");
  c.controlId = capture.Int(L"Control ID", 0);
  c.targetWidth = capture.Int(L"Target width", 0);
  c.targetHeight = capture.Int(L"Target height", 0);
  const int32_t areaX = capture.Int(L"Area X", 0);
  const int32_t areaY = capture.Int(L"Area Y", 40);
  const int32_t areaWidth = capture.Int(L"Area width", 1200);
  const int32_t areaHeight = capture.Int(L"Area height", 720);
  c.captureArea = RectFromXywh(areaX, areaY, areaWidth, areaHeight);
  c.captureFromDesktop = capture.Bool(L"Capture from desktop", false);
  c.automaticallyRecaptureAfterLost = capture.Bool(L"Automatically recapture after lost", true);
  c.searchPeriod = capture.Int(L"Search period", 1000);
  c.showDialogOnLost = capture.Bool(L"Show dialog on lost", true);
  c.reTargetOnBootIfCaptureFromDesktop =
      capture.Bool(L"Re-target on boot if capture from desktop", true);
  c.periodBetweenEachCapture =
      static_cast<uint32_t>(capture.Int(L"Period between each capture", 100));
  c.trackedWindow = c.targetWindow;
  return result;
}

void WriteSettings(IniFile& file, const SettingsRecords& records, Rect currentWindowRect) {
  Writer general(file, kGeneral);
  general.Int(L"Window pos x", currentWindowRect.left);
  general.Int(L"Window pos y", currentWindowRect.top);
  general.Int(L"Window pos width", WrappingSub(currentWindowRect.right, currentWindowRect.left));
  general.Int(L"Window pos height", WrappingSub(currentWindowRect.bottom, currentWindowRect.top));
  const GeneralSettings& g = records.general;
  general.Bool(L"Always on top", g.alwaysOnTop);
  general.Bool(L"Check on exit", g.checkOnExit);
  general.Int(L"Main button setting", g.shotButtonType);
  general.Int(L"Main button multi shot no", g.mainButtonMultiShotNo);
  general.Int(L"Main button show folder no", g.mainButtonShowFolderNo);
  general.Int(L"Maximum multi shot no", g.maximumMultiShotNo);
  general.Bool(L"Show save buffer info", g.showSaveBufferInfo);
  general.Bool(L"Allow multiple boot", g.allowMultipleBoot);
  general.Bool(L"Supress error dialog", g.supressErrorDialog);
  general.Bool(L"Review after multi shot", g.reviewAfterMultiShot);

  Writer single(file, kSingleShot);
  WriteHotkey(single, records.shot.singleShot);

  // The count and the vector agree after reading; should they ever differ, only
  // profiles that exist are written.
  const size_t profiles = std::min(static_cast<size_t>(std::max(g.maximumMultiShotNo, 0)),
                                   records.shot.multiShots.size());
  for (size_t k = 1; k <= profiles; ++k) {
    Writer out(file, MultiShotSection(k));
    const MultiShotProfile& shot = records.shot.multiShots[k - 1];
    WriteHotkey(out, shot);
    out.Int(L"Number of saved image before hotkey", shot.numberOfSavedImageBeforeHotkey);
    out.Int(L"Number of saved image after hotkey", shot.numberOfSavedImageAfterHotkey);
    out.Int(L"Number of capture skipped after save", shot.numberOfCaptureSkippedAfterSave);
  }

  Writer save(file, kSave);
  const SaveSettings& s = records.save;
  save.String(L"Image type", ImageTypeToText(s.imageType));
  save.Int(L"Image bit depth", s.imageBitDepth);
  save.Int(L"Conversion buff size", s.conversionBuffSize);
  save.Int(L"Conversion thread number", s.conversionThreadNumber);
  save.Int(L"Save buff size", s.saveBuffSize);
  save.Bool(L"Preview image", s.previewImage);
  save.Int(L"Preview width", s.previewWidth);
  save.Int(L"Preview height", s.previewHeight);
  save.Bool(L"Use disk cache", s.useDiskCache);

  Writer capture(file, kCapture);
  const CaptureSettings& c = records.capture;
  capture.String(L"App name", c.appName);
  capture.String(L"Title", c.title);
  capture.String(L"Class name", c.className);
  capture.Int(L"Control ID", c.controlId);
  capture.Int(L"Target width", c.targetWidth);
  capture.Int(L"Target height", c.targetHeight);
  capture.Int(L"Area X", c.captureArea.left);
  capture.Int(L"Area Y", c.captureArea.top);
  capture.Int(L"Area width", WrappingSub(c.captureArea.right, c.captureArea.left));
  capture.Int(L"Area height", WrappingSub(c.captureArea.bottom, c.captureArea.top));
  capture.Bool(L"Capture from desktop", c.captureFromDesktop);
  capture.Bool(L"Automatically recapture after lost", c.automaticallyRecaptureAfterLost);
  capture.Int(L"Search period", c.searchPeriod);
  capture.Bool(L"Show dialog on lost", c.showDialogOnLost);
  capture.Bool(L"Re-target on boot if capture from desktop", c.reTargetOnBootIfCaptureFromDesktop);
  // Written with "%d" like every integer, so large periods read back through the
  // same 32 bits.
  capture.Int(L"Period between each capture", static_cast<int32_t>(c.periodBetweenEachCapture));
}

}  // namespace lorik
