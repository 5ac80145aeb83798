#include "review/BurstReview.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "core/AppName.h"
#include "platform/Clock.h"
#include "platform/FileStore.h"
#include "platform/Filmstrip.h"
#include "platform/MessageBox.h"
#include "platform/Recycle.h"
#include "platform/Shell.h"
#include "platform/Trace.h"

namespace lorik {
namespace {

// A message about files: the first path, and how many more there were.
std::wstring AboutFiles(const std::wstring& head, const std::vector<std::wstring>& paths) {
  std::wstring text = head + paths.front();
  if (paths.size() > 1) text += L"\n(ほか" + std::to_wstring(paths.size() - 1) + L"枚)";
  return text;
}

}  // namespace

CBurstReview::CBurstReview(ReviewPorts ports, uint64_t serial, const SystemTime& startTime,
                           std::vector<ShotFile> files)
    : Dialog(kTemplate),
      ports_(std::move(ports)),
      serial_(serial),
      model_(startTime, std::move(files)),
      openedTick_(ports_.clock.TickCount()) {}

// The strip holds the window's controls, so it goes at WM_DESTROY; the thread
// is stopped there too and is only waited for (briefly) here.
CBurstReview::~CBurstReview() = default;

ui::MessageMap CBurstReview::GetMessageMap() const {
  using Self = CBurstReview;
  static constexpr std::array kMap{
      ui::MapMessage<&Self::OnDecoded>(kDecodedMessage),
      ui::MapNotify<&Self::OnListItemChanged>(kList, nm::kListItemChanged),
      ui::MapCommand<&Self::OnRecycleUnmarked>(kRecycleButton),
      ui::MapMessage<&Self::OnDestroy>(ui::wm::kDestroy),
  };
  return kMap;
}

bool CBurstReview::OnInitDialog() {
  strip_ = ports_.filmstrip.Attach(view().Handle(), kList, kPreview, kThumbnailSize);
  if (!strip_) {
    ports_.trace.Write("Review: the window has no strip.\n");
    return true;
  }
  view().SubclassItem(kList, *this);
  previewSize_ = strip_->PreviewSize();

  std::vector<uint32_t> vanished;
  for (size_t i = 0; i < model_.Size(); ++i) {
    if (!ports_.files.Exists(model_.At(i).file.path)) vanished.push_back(model_.At(i).id);
  }
  const size_t press = model_.PressIndex();
  for (size_t i = 0; i < model_.Size(); ++i) strip_->Insert(static_cast<int>(i), model_.Label(i));
  worker_ = std::make_unique<DecodeWorker>(ports_.decoder, ports_.poster, view().Handle(),
                                           kDecodedMessage);
  if (!model_.Empty()) Select(press);
  DropVanished(vanished);
  QueueThumbnails();
  UpdateStatus();
  return true;
}

void CBurstReview::AddFiles(std::vector<ShotFile> files) {
  if (!strip_) return;
  const std::vector<size_t> added = model_.Merge(std::move(files));
  if (added.empty()) return;
  for (size_t position : added) strip_->Insert(static_cast<int>(position), model_.Label(position));
  RefreshLabels();
  // The selection stays on its frame, wherever the new ones landed.
  if (auto index = model_.IndexOf(selectedId_)) strip_->Select(static_cast<int>(*index));
  QueueThumbnails();
  UpdateStatus();
}

std::optional<size_t> CBurstReview::SelectedIndex() const {
  return model_.IndexOf(selectedId_);
}

void CBurstReview::Select(size_t index) {
  if (index >= model_.Size()) return;
  selectedId_ = model_.At(index).id;
  strip_->Select(static_cast<int>(index));
  RequestPreview();
}

void CBurstReview::RequestPreview() {
  const std::optional<size_t> index = SelectedIndex();
  if (!index || !worker_) {
    strip_->ShowPreview(nullptr);
    return;
  }
  worker_->SetPreview({selectedId_, model_.At(*index).file.path, previewSize_, true});
}

void CBurstReview::QueueThumbnails() {
  if (!worker_) return;
  std::vector<DecodeJob> jobs;
  const size_t centre = SelectedIndex().value_or(model_.PressIndex());
  for (size_t i : NearestFirst(centre, model_.Size())) {
    const BurstFrame& frame = model_.At(i);
    if (thumbnailsDone_.count(frame.id) == 0)
      jobs.push_back({frame.id, frame.file.path, kThumbnailSize, false});
  }
  worker_->SetThumbnails(std::move(jobs));
}

void CBurstReview::OnDecoded() {
  if (!worker_ || !strip_) return;
  std::vector<uint32_t> undecodable;
  for (DecodedPicture& result : worker_->Take()) {
    const std::optional<size_t> index = model_.IndexOf(result.id);
    if (!index) continue;  // its file went meanwhile
    if (result.preview) {
      if (result.id == selectedId_) strip_->ShowPreview(result.picture.get());
      continue;
    }
    thumbnailsDone_.insert(result.id);
    if (result.picture) {
      strip_->SetThumbnail(static_cast<int>(*index), *result.picture);
    } else {
      undecodable.push_back(result.id);
    }
  }
  // A file that cannot be decoded may simply be gone: the strip follows the disk.
  std::vector<uint32_t> vanished;
  for (uint32_t id : undecodable) {
    if (auto index = model_.IndexOf(id); index && !ports_.files.Exists(model_.At(*index).file.path))
      vanished.push_back(id);
  }
  DropVanished(vanished);

  const uint64_t elapsed = ports_.clock.TickCount() - openedTick_;
  if (!firstTraced_ && !thumbnailsDone_.empty()) {
    firstTraced_ = true;
    ports_.trace.Write("Review: first thumbnail after " + std::to_string(elapsed) + " ms.\n");
  }
  if (!allTraced_ && thumbnailsDone_.size() >= model_.Size() && !model_.Empty()) {
    allTraced_ = true;
    ports_.trace.Write("Review: " + std::to_string(model_.Size()) + " thumbnails after " +
                       std::to_string(elapsed) + " ms.\n");
  }
  UpdateStatus();
}

void CBurstReview::OnListItemChanged(const ui::NotifyHeader&, intptr_t&) {
  // Clicks move the selection too; the preview follows it.
  if (!strip_) return;
  const int selected = strip_->Selected();
  if (selected < 0 || static_cast<size_t>(selected) >= model_.Size()) return;
  if (model_.At(static_cast<size_t>(selected)).id == selectedId_) return;
  selectedId_ = model_.At(static_cast<size_t>(selected)).id;
  RequestPreview();
}

bool CBurstReview::OnControlMessage(WindowHandle, const ui::Message& message, intptr_t& result) {
  if (message.msg == ui::wm::kChar && message.wParam == L' ') {
    result = 0;  // Space marks; the list's type-ahead search must not take it
    return true;
  }
  if (message.msg != ui::wm::kKeyDown) return false;
  const std::optional<ReviewAction> action =
      ReviewKeyAction(ui::LowWord(static_cast<uintptr_t>(message.wParam)));
  // Enter and Esc reach the dialog as OK and Cancel.
  if (!action || *action == ReviewAction::Open || *action == ReviewAction::Close) return false;
  Act(*action);
  result = 0;
  return true;
}

void CBurstReview::OnOK() {
  Act(ReviewAction::Open);
}

void CBurstReview::OnCancel() {
  Act(ReviewAction::Close);
}

void CBurstReview::Act(ReviewAction action) {
  if (action == ReviewAction::Close) {
    EndDialog(ui::kIdCancel);
    return;
  }
  if (!strip_) return;
  const std::optional<size_t> index = SelectedIndex();
  switch (action) {
    case ReviewAction::Previous:
      if (index && *index > 0) Select(*index - 1);
      break;
    case ReviewAction::Next:
      if (index && *index + 1 < model_.Size()) Select(*index + 1);
      break;
    case ReviewAction::ToggleMark:
      ToggleMark();
      break;
    case ReviewAction::RecycleSelected:
      RecycleSelected();
      break;
    case ReviewAction::Open:
      OpenSelected();
      break;
    case ReviewAction::Close:
      break;
  }
}

void CBurstReview::ToggleMark() {
  const std::optional<size_t> index = SelectedIndex();
  if (!index) return;
  model_.ToggleMark(*index);
  strip_->SetLabel(static_cast<int>(*index), model_.Label(*index));
  UpdateStatus();
}

void CBurstReview::RecycleSelected() {
  if (SelectedIndex()) Recycle({selectedId_});
}

void CBurstReview::OpenSelected() {
  const std::optional<size_t> index = SelectedIndex();
  if (!index) return;
  const std::wstring path = model_.At(*index).file.path;
  if (!ports_.files.Exists(path)) {
    DropVanished({selectedId_});
    return;
  }
  if (!ports_.shell.Open(view().Handle(), path)) {
    ports_.messages.Show(L"ファイルを開けませんでした：" + path, kAppName, mb::kIconError);
  }
}

void CBurstReview::OnRecycleUnmarked() {
  const std::vector<uint32_t> unmarked = model_.Unmarked();
  if (unmarked.empty()) {
    ports_.messages.Show(L"未選択の画像はありません", kAppName, mb::kOk);
    return;
  }
  const std::wstring question =
      L"未選択の画像" + std::to_wstring(unmarked.size()) + L"枚をごみ箱へ移動しますか?";
  if (ports_.messages.Show(question, kAppName, mb::kOkCancel | mb::kIconQuestion) != mb::kIdOk)
    return;
  Recycle(unmarked);
}

void CBurstReview::Recycle(const std::vector<uint32_t>& ids) {
  std::vector<std::wstring> paths;
  for (uint32_t id : ids) paths.push_back(model_.At(*model_.IndexOf(id)).file.path);
  std::vector<RecycleOutcome> outcomes = ports_.recycle.Recycle(paths);
  // A port that answered for fewer files moved nothing it did not name.
  outcomes.resize(paths.size(), RecycleOutcome::Failed);

  std::vector<uint32_t> gone;
  std::vector<uint32_t> missing;
  std::vector<std::wstring> failed;
  for (size_t i = 0; i < ids.size(); ++i) {
    switch (outcomes[i]) {
      case RecycleOutcome::Recycled:
        gone.push_back(ids[i]);
        break;
      case RecycleOutcome::Missing:
        missing.push_back(ids[i]);
        break;
      case RecycleOutcome::Failed:
        failed.push_back(paths[i]);
        break;
    }
  }
  RemoveFrames(gone);
  DropVanished(missing);
  if (!failed.empty()) {
    ports_.messages.Show(AboutFiles(L"ごみ箱へ移動できませんでした：", failed), kAppName,
                         mb::kIconError);
  }
}

void CBurstReview::DropVanished(const std::vector<uint32_t>& ids) {
  if (ids.empty()) return;
  std::vector<std::wstring> paths;
  for (uint32_t id : ids) {
    if (auto index = model_.IndexOf(id)) paths.push_back(model_.At(*index).file.path);
  }
  RemoveFrames(ids);
  if (paths.empty()) return;
  ports_.messages.Show(AboutFiles(L"ファイルが見つからないため一覧から外しました：", paths),
                       kAppName, mb::kIconExclamation);
}

void CBurstReview::RemoveFrames(const std::vector<uint32_t>& ids) {
  if (ids.empty()) return;
  const size_t selectedBefore = SelectedIndex().value_or(0);
  bool selectedGone = false;
  for (uint32_t id : ids) {
    const std::optional<size_t> index = model_.IndexOf(id);
    if (!index) continue;
    if (id == selectedId_) selectedGone = true;
    strip_->Remove(static_cast<int>(*index));
    model_.Remove(id);
    thumbnailsDone_.erase(id);
  }
  RefreshLabels();
  if (model_.Empty()) {
    selectedId_ = 0;
    strip_->Select(-1);
    strip_->ShowPreview(nullptr);
  } else if (selectedGone) {
    // The frame that took the selected one's place, or the new last one.
    Select(std::min(selectedBefore, model_.Size() - 1));
  } else {
    strip_->Select(static_cast<int>(*SelectedIndex()));
  }
  UpdateStatus();
}

void CBurstReview::RefreshLabels() {
  for (size_t i = 0; i < model_.Size(); ++i) strip_->SetLabel(static_cast<int>(i), model_.Label(i));
}

void CBurstReview::UpdateStatus() {
  std::wstring text = std::to_wstring(model_.Size()) + L"枚中 " +
                      std::to_wstring(model_.MarkedCount()) + L"枚を残す";
  if (thumbnailsDone_.size() < model_.Size()) {
    text += L"　読み込み中 " + std::to_wstring(thumbnailsDone_.size()) + L"/" +
            std::to_wstring(model_.Size());
  }
  view().SetItemText(kStatus, text);
}

void CBurstReview::OnDestroy() {
  // No picture is posted to a window that is going; the thread ends by itself.
  worker_.reset();
  strip_.reset();
}

}  // namespace lorik
