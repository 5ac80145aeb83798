#include "pipeline/SaveReports.h"

#include <algorithm>

#include "core/AppName.h"
#include "core/Text.h"
#include "platform/MessageBox.h"
#include "settings/SaveFolder.h"

namespace lorik {
namespace {

std::wstring CauseLine(SaveFailure cause, const std::wstring& named) {
  switch (cause) {
    case SaveFailure::Folder:
      return L"フォルダの作成に失敗しました：" + named;
    case SaveFailure::File:
      return L"ファイルの保存に失敗しました：" + named;
    case SaveFailure::TooLong:
      return L"保存先のパスが長すぎます：" + named;
  }
  return named;
}

std::wstring Count(uint32_t n) {
  return DecimalText(static_cast<long long>(n));
}

}  // namespace

void SaveReports::Add(SaveFailure cause, const std::wstring& named, const std::wstring& folder,
                      const std::wstring& savedTo) {
  std::lock_guard lock(lock_);
  auto entry = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
    return e.cause == cause && SameFolder(e.folder, folder);
  });
  if (entry == entries_.end()) {
    entries_.push_back({cause, named, folder, savedTo});
    entry = entries_.end() - 1;
  }
  if (savedTo.empty()) {
    ++entry->lost;
  } else {
    ++entry->saved;
    entry->savedTo = savedTo;
  }
}

std::optional<std::wstring> SaveReports::Take() {
  std::lock_guard lock(lock_);
  // A cause told in full is forgotten, so that its next failure opens a
  // message of its own rather than following one closed long ago.
  std::erase_if(entries_, [](const Entry& e) { return e.told && e.saved == 0 && e.lost == 0; });
  if (entries_.empty()) return std::nullopt;
  Entry& e = entries_.front();
  std::wstring text = CauseLine(e.cause, e.named);
  if (!e.told) {
    if (e.saved > 0)
      text += L"\n画像" + Count(e.saved) + L"枚を既定の保存先に保存しました：" + e.savedTo;
    if (e.lost > 0) text += L"\n画像" + Count(e.lost) + L"枚は保存できませんでした";
  } else {
    if (e.saved > 0)
      text += L"\nさらに画像" + Count(e.saved) + L"枚を" + e.savedTo + L"に保存しました";
    if (e.lost > 0) text += L"\nさらに画像" + Count(e.lost) + L"枚は保存できませんでした";
  }
  e.told = true;
  e.saved = 0;
  e.lost = 0;
  // Behind the causes that wait, so that one busy cause does not hold back the others.
  std::rotate(entries_.begin(), entries_.begin() + 1, entries_.end());
  return text;
}

SaveReports::Counts SaveReports::Untold() const {
  std::lock_guard lock(lock_);
  Counts counts;
  for (const Entry& e : entries_) {
    counts.lost += e.lost;
    counts.savedElsewhere += e.saved;
  }
  return counts;
}

void SaveReports::ShowPending(MessageBoxPort& messages) {
  if (showing_) return;
  showing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{showing_};
  while (std::optional<std::wstring> text = Take()) messages.Show(*text, kAppName, mb::kIconError);
}

}  // namespace lorik
