#include "settingsui/SettingSave.h"

#include <array>

#include "core/AppName.h"
#include "core/ImageType.h"
#include "core/Text.h"
#include "platform/MessageBox.h"

namespace lorik {
namespace {

constexpr std::array<const wchar_t*, 5> kImageTypes{L"bmp", L"gif", L"jpg", L"png", L"tif"};
constexpr int kPngEntry = 3;

constexpr wchar_t kBugCaption[] = L"バグ";

}  // namespace

ui::MessageMap CSettingSave::GetMessageMap() const {
  static constexpr ui::MapEntry kMap[] = {
      ui::MapCommand<&CSettingSave::OnCbnSelChangeComboImagetype>(IDC_COMBO_IMAGETYPE,
                                                                  ui::kCbnSelChange),
      ui::MapCommand<&CSettingSave::OnCbnSelChangeComboBitdepth>(IDC_COMBO_BITDEPTH,
                                                                 ui::kCbnSelChange),
      ui::MapCommand<&CSettingSave::OnEnChangeEditConvBuff>(IDC_EDIT_CONV_BUFF, ui::kEnChange),
      ui::MapCommand<&CSettingSave::OnEnChangeEditSaveBuff>(IDC_EDIT_SAVE_BUFF, ui::kEnChange),
      ui::MapMessage<&CSettingSave::OnDestroy>(ui::wm::kDestroy),
  };
  return kMap;
}

bool CSettingSave::OnInitDialog() {
  for (const wchar_t* type : kImageTypes) view().AddComboString(IDC_COMBO_IMAGETYPE, type);
  view().AddComboString(IDC_COMBO_BITDEPTH, L"24");
  view().AddComboString(IDC_COMBO_BITDEPTH, L"32");

  // The list offers the five encodable types only. Any other stored type (0, or emf,
  // exif and wmf, which cannot be encoded) shows png, and png is what the working
  // copy holds from here on, before the buffer fields below ask for estimates.
  if (save.imageType >= 1 && save.imageType <= static_cast<int32_t>(kImageTypes.size())) {
    view().SetComboSelection(IDC_COMBO_IMAGETYPE, save.imageType - 1);
  } else {
    view().SetComboSelection(IDC_COMBO_IMAGETYPE, kPngEntry);
    save.imageType = static_cast<int32_t>(ImageType::Png);
  }

  if (save.imageBitDepth == 24) {
    view().SetComboSelection(IDC_COMBO_BITDEPTH, 0);
  } else if (save.imageBitDepth == 32) {
    view().SetComboSelection(IDC_COMBO_BITDEPTH, 1);
  } else {
    ports_.messages.Show(L"ビット深度として不正な値が渡されました", kAppName,
                         mb::kOk | mb::kIconError);
  }

  // Each of the first two writes runs its field's change handler.
  view().SetItemText(IDC_EDIT_CONV_BUFF, DecimalText(save.conversionBuffSize));
  view().SetItemText(IDC_EDIT_SAVE_BUFF, DecimalText(save.saveBuffSize));
  view().SetItemText(IDC_EDIT_THREAD_NUMBER, DecimalText(save.conversionThreadNumber));
  view().SetCheck(IDC_CHECK_PREVIEW, save.previewImage);
  view().SetCheck(IDC_CHECK_DISK_CACHE, save.useDiskCache);
  OnCbnSelChangeComboImagetype();
  return true;
}

void CSettingSave::OnCbnSelChangeComboImagetype() {
  const std::wstring text =
      view().GetComboItemText(IDC_COMBO_IMAGETYPE, view().GetComboSelection(IDC_COMBO_IMAGETYPE));
  const ImageType type = ImageTypeFromText(text);
  save.imageType = static_cast<int32_t>(type);
  if (type == ImageType::None) {
    ports_.messages.Show(L"不明なタイプがOnCbnSelChangeComboImagetypeで指定されました", kBugCaption,
                         mb::kOk | mb::kIconError);
    return;
  }
  // gif and jpg have no depth to choose; the depth stays selected and stored.
  view().EnableItem(IDC_COMBO_BITDEPTH,
                    type == ImageType::Bmp || type == ImageType::Png || type == ImageType::Tif);
  UpdateMemInfo();
}

void CSettingSave::OnCbnSelChangeComboBitdepth() {
  save.imageBitDepth = DecimalValue(
      view().GetComboItemText(IDC_COMBO_BITDEPTH, view().GetComboSelection(IDC_COMBO_BITDEPTH)));
  UpdateMemInfo();
}

void CSettingSave::OnEnChangeEditConvBuff() {
  save.conversionBuffSize = DecimalValue(view().GetItemText(IDC_EDIT_CONV_BUFF));
  UpdateMemInfo();
}

void CSettingSave::OnEnChangeEditSaveBuff() {
  save.saveBuffSize = DecimalValue(view().GetItemText(IDC_EDIT_SAVE_BUFF));
  UpdateMemInfo();
}

// Single precision throughout, so that the estimates come out as the users know them
// (10 bmp frames at 32 bits give 32, not 33).
void CSettingSave::UpdateMemInfo() {
  float typeFactor = 0.0f;
  switch (static_cast<ImageType>(save.imageType)) {
    case ImageType::Bmp:
      typeFactor = 2.47f;
      break;
    case ImageType::Gif:
      typeFactor = 0.43f;
      break;
    case ImageType::Jpg:
      typeFactor = 0.2f;
      break;
    case ImageType::Png:
    case ImageType::Tif:
      typeFactor = 1.2f;
      break;
    default:
      ports_.messages.Show(L"不明なタイプがCSettingSave::UpdateMemInfoに渡されました", kBugCaption,
                           mb::kOk | mb::kIconError);
      return;
  }
  float depthFactor = 0.0f;
  if (save.imageBitDepth == 24) depthFactor = 1.0f;
  if (save.imageBitDepth == 32) depthFactor = 4.0f / 3.0f;
  const float perFrame = typeFactor * depthFactor;
  const auto estimate = [perFrame](int32_t frames) {
    return DecimalText(static_cast<long long>(static_cast<float>(frames) * perFrame));
  };
  view().SetItemText(IDC_EDIT_CONV_MEMORY, estimate(save.conversionBuffSize));
  view().SetItemText(IDC_EDIT_SAVE_MEMORY, estimate(save.saveBuffSize));
}

void CSettingSave::OnDestroy() {
  save.previewImage = view().GetCheck(IDC_CHECK_PREVIEW);
  save.useDiskCache = view().GetCheck(IDC_CHECK_DISK_CACHE);
  save.conversionThreadNumber = DecimalValue(view().GetItemText(IDC_EDIT_THREAD_NUMBER));
}

}  // namespace lorik
