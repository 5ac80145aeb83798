#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "core/Geometry.h"
#include "core/ShotFile.h"
#include "platform/PlatformValues.h"
#include "resource.h"
#include "review/BurstModel.h"
#include "review/DecodeWorker.h"
#include "review/ReviewKeys.h"
#include "ui/Dialog.h"

namespace lorik {

class MessageBoxPort;
class FileStorePort;
class ShellPort;
class RecyclePort;
class FilmstripPort;
class Filmstrip;
class ClockPort;
class TracePort;
class PictureDecoderPort;
class MessagePosterPort;

// The services of the review window. The decoder and the poster are shared
// with its decode thread, which may outlive the window.
struct ReviewPorts {
  MessageBoxPort& messages;
  FileStorePort& files;  // where the shots were written
  ShellPort& shell;
  RecyclePort& recycle;
  FilmstripPort& filmstrip;
  ClockPort& clock;
  TracePort& trace;
  std::shared_ptr<PictureDecoderPort> decoder;
  std::shared_ptr<MessagePosterPort> poster;
};

// The review of the last shot: its frames in capture order as thumbnails, each
// labelled with its offset from the press, and the selected one large. Space
// marks the frames to keep; the others go to the Recycle Bin on one button.
// A modeless window owned by the main window.
class CBurstReview : public ui::Dialog, private ui::ControlHandler {
 public:
  static constexpr int kTemplate = IDD_BURST_REVIEW;
  static constexpr int kList = IDC_LIST_BURST;
  static constexpr int kPreview = IDC_STATIC_BURST_PREVIEW;
  static constexpr int kRecycleButton = IDC_BUTTON_RECYCLE_UNMARKED;
  static constexpr int kStatus = IDC_STATIC_BURST_STATUS;
  // Posted by the decode thread when pictures wait.
  static constexpr uint32_t kDecodedMessage = wm::kApp + 4;
  static constexpr Size kThumbnailSize{128, 72};

  // `serial` names the shot, so that the owner can tell whether later files
  // belong to it.
  CBurstReview(ReviewPorts ports, uint64_t serial, const SystemTime& startTime,
               std::vector<ShotFile> files);
  ~CBurstReview() override;

  uint64_t Serial() const { return serial_; }
  const BurstModel& Model() const { return model_; }
  // Files of the same shot written after the window opened.
  void AddFiles(std::vector<ShotFile> files);
  // Thumbnails received, decoded or not.
  size_t ThumbnailsDone() const { return thumbnailsDone_.size(); }

 protected:
  ui::MessageMap GetMessageMap() const override;
  bool OnInitDialog() override;
  // Enter opens the selected file; Esc and the close box close the window.
  void OnOK() override;
  void OnCancel() override;

 private:
  bool OnControlMessage(WindowHandle control, const ui::Message& message,
                        intptr_t& result) override;
  void OnDecoded();
  void OnListItemChanged(const ui::NotifyHeader& header, intptr_t& result);
  void OnRecycleUnmarked();
  void OnDestroy();

  void Act(ReviewAction action);
  void Select(size_t index);
  void ToggleMark();
  void RecycleSelected();
  void OpenSelected();
  // Sends the frames to the Recycle Bin, takes those gone off the strip and
  // says once what could not be moved and what was gone already.
  void Recycle(const std::vector<uint32_t>& ids);
  // Takes frames off the strip and the model.
  void RemoveFrames(const std::vector<uint32_t>& ids);
  // Drops frames whose files are gone and says so once.
  void DropVanished(const std::vector<uint32_t>& ids);
  void RequestPreview();
  void QueueThumbnails();
  void RefreshLabels();
  void UpdateStatus();
  std::optional<size_t> SelectedIndex() const;

  ReviewPorts ports_;
  uint64_t serial_;
  BurstModel model_;
  std::unique_ptr<Filmstrip> strip_;
  std::unique_ptr<DecodeWorker> worker_;
  uint32_t selectedId_ = 0;
  std::set<uint32_t> thumbnailsDone_;
  Size previewSize_;
  uint64_t openedTick_ = 0;
  bool firstTraced_ = false;
  bool allTraced_ = false;
};

}  // namespace lorik
