#include "settingsui/SettingCapture.h"

#include <array>
#include <string>

#include "core/AppName.h"
#include "core/Text.h"
#include "platform/MessageBox.h"
#include "platform/Trace.h"
#include "platform/WindowSystem.h"
#include "target/AreaRecognition.h"

namespace lorik {

CSettingCapture::CSettingCapture(const SettingPorts& ports)
    : Dialog(IDD_SETTING_CAPTURE), picker(ports.windows, ports.trace), ports_(ports) {}

ui::MessageMap CSettingCapture::GetMessageMap() const {
  static constexpr std::array kMap{
      ui::MapNotify<&CSettingCapture::OnDragDropped>(IDC_BUTTON_DRAG, ui::nm::kReleasedCapture),
      ui::MapMessage<&CSettingCapture::OnDestroy>(ui::wm::kDestroy),
      ui::MapCommand<&CSettingCapture::OnAutoRecognize>(IDC_BUTTON_AUTO_RECOGNIZE),
      ui::MapTimer<&CSettingCapture::OnTimer>(),
  };
  return kMap;
}

void CSettingCapture::ShowArea() {
  const Rect& area = capture.captureArea;
  view().SetItemText(IDC_EDIT_AREA_X, DecimalText(area.left));
  view().SetItemText(IDC_EDIT_AREA_Y, DecimalText(area.top));
  view().SetItemText(IDC_EDIT_AREA_WIDTH, DecimalText(area.Width()));
  view().SetItemText(IDC_EDIT_AREA_HEIGHT, DecimalText(area.Height()));
}

bool CSettingCapture::OnInitDialog() {
  picker.Attach(view(), IDC_BUTTON_DRAG);
  picker.notifyTarget = this;
  ShowArea();
  view().SetCheck(IDC_CHECK_DESKTOP, capture.captureFromDesktop);
  view().SetCheck(IDC_CHECK_RESEARCH, capture.automaticallyRecaptureAfterLost);
  view().SetCheck(IDC_CHECK_LOST_DIALOG, capture.showDialogOnLost);
  view().SetCheck(IDC_CHECK_RETARGET, capture.reTargetOnBootIfCaptureFromDesktop);
  // Shown as "%d" shows it.
  view().SetItemText(IDC_EDIT_PERIOD,
                     DecimalText(static_cast<int32_t>(capture.periodBetweenEachCapture)));
  view().SetItemText(IDC_EDIT_TITLE, capture.title);
  view().SetItemText(IDC_EDIT_STATUS,
                     capture.targetWindow ? L"ウィンドウロックオン済" : L"ウィンドウをロスト");
  // In desktop mode the record holds the desktop window; the page works on
  // the real target, so that recognition works before any drop.
  if (capture.captureFromDesktop) capture.targetWindow = capture.trackedWindow;
  picker.droppedWindow = capture.targetWindow;
  ShowPickerIcon();
  return true;
}

void CSettingCapture::ShowPickerIcon() {
  if (IsOpen()) view().SetButtonIcon(IDC_BUTTON_DRAG, IDI_ICON_PICKER);
}

// A drop on no window, or on one that is gone before it can be read, has
// nothing to describe: the page and its working copy stay as they were.
void CSettingCapture::OnDragDropped(const ui::NotifyHeader&, intptr_t& result) {
  result = 0;
  const WindowHandle window = picker.droppedWindow;
  WindowSystemPort& windows = ports_.windows;
  if (!window || !windows.IsWindow(window)) return;

  capture.className = windows.ClassName(window);

  ProcessTablePort::Result snapshot = ports_.processes.ReadSnapshot();
  if (snapshot.status != ProcessTablePort::Status::kOk) {
    ports_.trace.Write(snapshot.status == ProcessTablePort::Status::kSnapshotFailed
                           ? "Failed to take snapshot of process\n"
                           : "Failed to process process's snapshot\n");
    ports_.messages.Show(L"アプリケーション情報を取得できませんでした", kAppName, mb::kOk);
    return;
  }

  int controlId = windows.ControlId(window);
  if (controlId == 0) controlId = -1;
  const std::wstring title = windows.Title(window);
  const uint32_t processId = windows.ProcessId(window);
  for (const ProcessTablePort::Entry& entry : snapshot.entries) {
    if (entry.processId != processId) continue;
    capture.appName = entry.exeFile;
    ports_.trace.Write("appname:" + ToUtf8(capture.appName) +
                       " classname:" + ToUtf8(capture.className) + "\n");
    break;
  }

  const Rect client = windows.ClientRect(window);
  capture.targetWidth = client.right;
  capture.targetHeight = client.bottom;
  capture.targetWindow = window;
  capture.controlId = controlId;
  capture.title = title;

  view().SetItemText(IDC_EDIT_TITLE, title);
  view().SetItemText(IDC_EDIT_STATUS, title.empty() ? L"" : L"ウィンドウをロックオン");
  if (view().GetCheck(IDC_CHECK_DESKTOP)) {
    const Rect onScreen = windows.WindowRect(window);
    view().SetItemText(IDC_EDIT_AREA_X, DecimalText(onScreen.left));
    view().SetItemText(IDC_EDIT_AREA_Y, DecimalText(onScreen.top));
  }
}

void CSettingCapture::OnAutoRecognize() {
  capture.captureFromDesktop = view().GetCheck(IDC_CHECK_DESKTOP);
  if (!RecognizeCaptureArea(capture, ports_.windows, ports_.grab, ports_.messages)) return;
  if (capture.captureFromDesktop) {
    // The result is relative to the window the recognition grabbed, the
    // working copy's target, which is the picker's last drop too.
    const Rect onScreen = ports_.windows.WindowRect(capture.targetWindow);
    Rect& area = capture.captureArea;
    area = {area.left + onScreen.left, area.top + onScreen.top, area.right + onScreen.left,
            area.bottom + onScreen.top};
  }
  ShowArea();
}

void CSettingCapture::OnTimer(uintptr_t timerId) {
  picker.OnTimer(timerId);
}

void CSettingCapture::OnDestroy() {
  const int32_t x = DecimalValue(view().GetItemText(IDC_EDIT_AREA_X));
  const int32_t y = DecimalValue(view().GetItemText(IDC_EDIT_AREA_Y));
  const int32_t width = DecimalValue(view().GetItemText(IDC_EDIT_AREA_WIDTH));
  const int32_t height = DecimalValue(view().GetItemText(IDC_EDIT_AREA_HEIGHT));
  capture.captureArea = Rect::FromXywh(x, y, width, height);
  capture.captureFromDesktop = view().GetCheck(IDC_CHECK_DESKTOP);
  capture.automaticallyRecaptureAfterLost = view().GetCheck(IDC_CHECK_RESEARCH);
  capture.showDialogOnLost = view().GetCheck(IDC_CHECK_LOST_DIALOG);
  capture.reTargetOnBootIfCaptureFromDesktop = view().GetCheck(IDC_CHECK_RETARGET);
  capture.periodBetweenEachCapture =
      static_cast<uint32_t>(DecimalValue(view().GetItemText(IDC_EDIT_PERIOD)));
}

}  // namespace lorik
