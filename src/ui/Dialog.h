#pragma once
#include <cstdint>
#include <memory>

#include "ui/DialogView.h"
#include "ui/Layout.h"
#include "ui/MessageMap.h"

namespace lorik::ui {

// Base of every window and page of the program. A subclass names its template,
// lists its handlers in a static message map and reaches its controls through
// the view the host attaches.
class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  int TemplateId() const { return templateId_; }

  // The host's entry for every message of the window. Returns true when the
  // dialog handled it; `result` is then the message's result.
  bool HandleMessage(const Message& message, intptr_t& result);

  void Attach(DialogView* view) { view_ = view; }
  void Detach() { view_ = nullptr; }
  DialogView* View() const { return view_; }
  bool IsOpen() const { return view_ != nullptr; }

  // Becomes expired when the object is destroyed, so that a host can tell
  // whether a handler ended the dialog's life.
  std::weak_ptr<const void> LifeToken() const { return life_; }

  void EndDialog(int result);

  virtual DynamicLayout GetDynamicLayout() const { return {}; }

 protected:
  virtual MessageMap GetMessageMap() const { return {}; }
  // WM_INITDIALOG; true lets the platform set the focus.
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(kIdOk); }
  virtual void OnCancel() { EndDialog(kIdCancel); }
  // WM_COMMAND: the message map first, then OK and Cancel.
  virtual bool OnCommand(uintptr_t wParam, intptr_t lParam);
  // Every message before anything else looks at it.
  virtual bool WindowProc(const Message& message, intptr_t& result);
  // The message map for messages other than WM_COMMAND.
  bool DispatchToMap(const Message& message, intptr_t& result);

  DialogView& view() const { return *view_; }

 private:
  int templateId_;
  DialogView* view_ = nullptr;
  std::shared_ptr<const void> life_ = std::make_shared<int>(0);
};

}  // namespace lorik::ui
