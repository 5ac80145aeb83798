#include "ui/Dialog.h"

namespace lorik::ui {

bool DispatchMap(MessageMap map, Dialog& dialog, const Message& message, intptr_t& result) {
  for (const MapEntry& entry : map) {
    if (entry.msg != message.msg) continue;
    if (message.msg == wm::kCommand) {
      const int id = LowWord(message.wParam);
      if (id < entry.id || id > entry.lastId) continue;
      if (entry.code != kAnyCode && entry.code != HighWord(message.wParam)) continue;
    } else if (message.msg == wm::kNotify) {
      const auto* header = reinterpret_cast<const NotifyHeader*>(message.lParam);
      if (header == nullptr) continue;
      if (entry.id != kAnyId && (header->idFrom < static_cast<uintptr_t>(entry.id) ||
                                 header->idFrom > static_cast<uintptr_t>(entry.lastId)))
        continue;
      if (entry.code != kAnyCode && static_cast<uint32_t>(entry.code) != header->code) continue;
    }
    if (entry.thunk(dialog, message, result)) return true;
  }
  return false;
}

bool Dialog::HandleMessage(const Message& message, intptr_t& result) {
  result = 0;
  return WindowProc(message, result);
}

bool Dialog::WindowProc(const Message& message, intptr_t& result) {
  switch (message.msg) {
    case wm::kInitDialog:
      result = OnInitDialog() ? 1 : 0;
      return true;
    case wm::kCommand:
      return OnCommand(message.wParam, message.lParam);
    default:
      return DispatchToMap(message, result);
  }
}

bool Dialog::DispatchToMap(const Message& message, intptr_t& result) {
  return DispatchMap(GetMessageMap(), *this, message, result);
}

bool Dialog::OnCommand(uintptr_t wParam, intptr_t lParam) {
  intptr_t ignored = 0;
  if (DispatchMap(GetMessageMap(), *this, {wm::kCommand, wParam, lParam}, ignored)) return true;
  const int id = LowWord(wParam);
  const int code = HighWord(wParam);
  if (code != 0 && code != 1) return false;
  if (id == kIdOk) {
    OnOK();
    return true;
  }
  if (id == kIdCancel) {
    OnCancel();
    return true;
  }
  return false;
}

void Dialog::EndDialog(int result) {
  if (view_ != nullptr) view_->EndDialog(result);
}

}  // namespace lorik::ui
