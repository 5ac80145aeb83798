#include "settings/SettingsCheck.h"

#include <algorithm>
#include <set>
#include <string>

#include "core/ImageType.h"
#include "core/Text.h"
#include "platform/PlatformValues.h"

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

}  // namespace

bool CheckSetting(const CaptureSettings& capture, const MultiShotProfile& singleShot,
                  const std::vector<MultiShotProfile>& multiShots, const SaveSettings& save,
                  const GeneralSettings& /*general*/, int32_t profileCount,
                  MessageBoxPort& messages) {
  const size_t count =
      profileCount > 0 ? std::min(static_cast<size_t>(profileCount), multiShots.size()) : 0;

  // A lost target is fine while the program will search for it again.
  if (!capture.targetWindow && !capture.automaticallyRecaptureAfterLost)
    return Refuse(messages, L"キャプチャ対象ウィンドウが設定されていません");
  if (capture.periodBetweenEachCapture < 10u)
    return Refuse(messages, L"キャプチャ設定の取込周期は10ms以上としてください");

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
  return true;
}

bool CheckSetting(const SettingsRecords& records, MessageBoxPort& messages) {
  return CheckSetting(records.capture, records.shot.singleShot, records.shot.multiShots,
                      records.save, records.general, records.general.maximumMultiShotNo, messages);
}

}  // namespace lorik
