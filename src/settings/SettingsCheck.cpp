#include "settings/SettingsCheck.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <set>
#include <string>

#include "core/ImageType.h"
#include "core/Text.h"
#include "platform/PlatformValues.h"
#include "platform/System.h"
#include "settings/SaveFolder.h"

namespace lorik {
namespace {

bool Refuse(MessageBoxPort& messages, std::wstring_view text) {
  messages.Show(text, kSettingsCheckCaption, mb::kOk | mb::kIconError);
  return false;
}

// "%02d" of a 1-based profile number, spliced between the message's two halves.
std::wstring WithProfileNo(std::wstring_view head, size_t index, std::wstring_view tail) {
  std::wstring text(head);
  text += PaddedDecimal(static_cast<long long>(index) + 1, 2);
  text += tail;
  return text;
}

// The grab's picture is one bitmap, which the platform cannot make beyond 2 GiB.
constexpr uint64_t kLargestFrameBytes = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());

// Computed wide: a hand-edited file can put the edges anywhere in 32 bits.
int64_t AreaWidth(const Rect& area) {
  return int64_t{area.right} - area.left;
}
int64_t AreaHeight(const Rect& area) {
  return int64_t{area.bottom} - area.top;
}

// Bytes of one grabbed picture: rows of 24 or 32 bits, each padded to 4 bytes.
// Width and height are positive and below 2^32, so this cannot overflow.
uint64_t FrameBytes(int64_t width, int64_t height, int32_t bitDepth) {
  const int64_t bits = bitDepth == 32 ? 32 : 24;
  const uint64_t stride = static_cast<uint64_t>((width * bits + 31) / 32 * 4);
  return stride * static_cast<uint64_t>(height);
}

uint64_t MultiplySaturated(uint64_t a, uint64_t b) {
  if (a != 0 && b > std::numeric_limits<uint64_t>::max() / a)
    return std::numeric_limits<uint64_t>::max();
  return a * b;
}

constexpr uint64_t kMegabyte = uint64_t{1} << 20;

// Makes the fixed folder of one shot where it is missing; false when it is
// not there and cannot be made, with `path` naming it.
bool EnsureFolder(const FolderCheck& folders, const MultiShotProfile& shot, std::wstring& path) {
  const FixedFolder fixed =
      FixedSaveFolder(shot.folder, shot.format, folders.defaultFolder, folders.currentDirectory);
  path = fixed.path;
  if (fixed.status != FixedFolderStatus::Ok) return false;
  return folders.files.IsFolder(path) || folders.files.CreateFolder(path);
}

// "Main button setting": 0 takes single shots, 1 multi shots.
constexpr int32_t kButtonSingleShot = 0;
constexpr int32_t kButtonMultiShot = 1;

}  // namespace

bool CheckSetting(const CaptureSettings& capture, const MultiShotProfile& singleShot,
                  const std::vector<MultiShotProfile>& multiShots, const SaveSettings& save,
                  const GeneralSettings& general, int32_t profileCount, MessageBoxPort& messages,
                  SystemPort& system, const FolderCheck* folders, CheckFocus* focus) {
  const size_t count =
      profileCount > 0 ? std::min(static_cast<size_t>(profileCount), multiShots.size()) : 0;

  // A lost target is fine while the program will search for it again.
  if (!capture.targetWindow && !capture.automaticallyRecaptureAfterLost)
    return Refuse(messages, L"キャプチャ対象ウィンドウが設定されていません");
  if (capture.periodBetweenEachCapture < 10u)
    return Refuse(messages, L"キャプチャ設定の取込周期は10ms以上としてください");

  const int64_t areaWidth = AreaWidth(capture.captureArea);
  const int64_t areaHeight = AreaHeight(capture.captureArea);
  // A width or height of 0 takes the target's client size when the settings
  // are applied; without a target there is nothing to take it from.
  const bool sizedByTarget = capture.targetWindow && (areaWidth == 0 || areaHeight == 0);
  if (areaWidth < 0 || areaHeight < 0 || ((areaWidth == 0 || areaHeight == 0) && !sizedByTarget))
    return Refuse(messages, L"キャプチャ設定の領域の幅と高さは1以上としてください");
  const uint64_t frameBytes =
      sizedByTarget ? 0 : FrameBytes(areaWidth, areaHeight, save.imageBitDepth);
  if (frameBytes > kLargestFrameBytes)
    return Refuse(messages, L"キャプチャ設定の領域が大きすぎます（幅" + DecimalText(areaWidth) +
                                L"、高さ" + DecimalText(areaHeight) + L"）");

  if (singleShot.virtualKey != 0 && singleShot.format.empty())
    return Refuse(messages, L"シングルショット撮影時のファイル名フォーマットを設定してください");
  if (singleShot.virtualKey == vk::kF12 && singleShot.modifier == 0)
    return Refuse(messages, L"ショートカットキーにF12を割り当てることはできません");

  // Keys alone collide, whatever their modifiers. The single-shot key is taken
  // even when it is 0; profiles without a key never reach the lookup.
  std::set<uint16_t> keys{singleShot.virtualKey};
  for (size_t j = 0; j < count; ++j) {
    const MultiShotProfile& profile = multiShots[j];
    if (profile.virtualKey == 0) continue;
    if (profile.format.empty())
      return Refuse(messages, L"マルチショット撮影時のファイル名フォーマットをを設定してください");
    if (profile.virtualKey == vk::kF12 && profile.modifier == 0)
      return Refuse(messages, L"ショートカットキーにF12を割り当てることはできません");
    if (!keys.insert(profile.virtualKey).second)
      return Refuse(messages, WithProfileNo(L"マルチショット", j,
                                            L"のショートカットキーが他と重複しています"));
  }

  // Profiles without a hotkey still fill their histories, so they count here.
  int32_t largestBefore = 0;
  for (size_t j = 0; j < count; ++j)
    largestBefore = std::max(largestBefore, multiShots[j].numberOfSavedImageBeforeHotkey);

  if (save.conversionBuffSize < largestBefore)
    return Refuse(messages, L"保存設定の変換バッファ枚数は押下前の保存枚数以上にしてください");
  if (save.conversionBuffSize < 1)
    return Refuse(messages, L"保存設定の変換バッファ枚数は1以上に設定してください");
  if (save.saveBuffSize < largestBefore)
    return Refuse(messages, L"保存設定の保存バッファ枚数は押下前の保存枚数以上にしてください");
  if (save.saveBuffSize < 1)
    return Refuse(messages, L"保存設定の保存バッファ枚数は1以上に設定してください");
  if (save.conversionThreadNumber < 1)
    return Refuse(messages, L"保存設定のスレッド数は1以上としてください");

  // A hotkey profile must save at least one frame. Negative counts (a hand-edited
  // file) save nothing either, so they are refused like zeros.
  for (size_t j = 0; j < count; ++j) {
    const MultiShotProfile& profile = multiShots[j];
    if (profile.virtualKey == 0) continue;
    if (profile.numberOfSavedImageBeforeHotkey < 1 && profile.numberOfSavedImageAfterHotkey < 1)
      return Refuse(
          messages,
          WithProfileNo(L"マルチショット設定", j,
                        L"の押下前保存枚数、押下後保存枚数のいずれかは1以上にしてください"));
  }

  // Types the encoder cannot produce (emf, exif, wmf or any stray number) would
  // drop every frame at conversion, so they are refused like no type at all.
  if (!IsEncodableImageType(save.imageType))
    return Refuse(messages, L"保存設定の画像タイプを再設定してください");
  if (save.imageBitDepth != 24 && save.imageBitDepth != 32)
    return Refuse(messages, L"保存設定のビット深度を再設定してください");

  // Every profile's history and both buffers can fill up at once; a set that
  // cannot be held would fail in the middle of a multi shot instead.
  if (const std::optional<uint64_t> available = system.AvailableMemory()) {
    uint64_t frames =
        static_cast<uint64_t>(save.conversionBuffSize) + static_cast<uint64_t>(save.saveBuffSize);
    for (size_t j = 0; j < count; ++j)
      frames += static_cast<uint64_t>(std::max(multiShots[j].numberOfSavedImageBeforeHotkey, 0));
    const uint64_t needed = MultiplySaturated(frames, frameBytes);
    if (needed > *available) {
      const uint64_t neededMb = needed / kMegabyte + (needed % kMegabyte != 0 ? 1 : 0);
      return Refuse(messages, L"保存設定のバッファに必要なメモリ（" +
                                  DecimalText(static_cast<long long>(neededMb)) +
                                  L"MB）が空きメモリ（" +
                                  DecimalText(static_cast<long long>(*available / kMegabyte)) +
                                  L"MB）を超えています。バッファ枚数か押下前の保存枚数を"
                                  L"減らしてください");
    }
  }

  if (folders != nullptr) {
    std::wstring path;
    if ((singleShot.virtualKey != 0 || general.shotButtonType == kButtonSingleShot) &&
        !EnsureFolder(*folders, singleShot, path)) {
      if (focus != nullptr) *focus = {kPageHotkey, -1};
      return Refuse(messages, L"シングルショットの保存先フォルダを作成できません：" + path);
    }
    for (size_t j = 0; j < count; ++j) {
      const bool buttons = general.shotButtonType == kButtonMultiShot &&
                           general.mainButtonMultiShotNo == static_cast<int32_t>(j);
      if ((multiShots[j].virtualKey != 0 || buttons) &&
          !EnsureFolder(*folders, multiShots[j], path)) {
        if (focus != nullptr) *focus = {kPageHotkey, static_cast<int>(j)};
        return Refuse(
            messages,
            WithProfileNo(L"マルチショット", j, L"の保存先フォルダを作成できません：") + path);
      }
    }
  }
  return true;
}

bool CaptureAreaGrabbable(const Rect& area, int32_t bitDepth) {
  const int64_t width = AreaWidth(area);
  const int64_t height = AreaHeight(area);
  return width > 0 && height > 0 && FrameBytes(width, height, bitDepth) <= kLargestFrameBytes;
}

bool CheckSetting(const SettingsRecords& records, MessageBoxPort& messages, SystemPort& system,
                  const FolderCheck* folders, CheckFocus* focus) {
  return CheckSetting(records.capture, records.shot.singleShot, records.shot.multiShots,
                      records.save, records.general, records.general.maximumMultiShotNo, messages,
                      system, folders, focus);
}

}  // namespace lorik
