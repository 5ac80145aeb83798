#pragma once
#include "platform/Recycle.h"

namespace lorik {

// Sends files to the Recycle Bin through the shell's IFileOperation, with
// FOFX_RECYCLEONDELETE and FOF_ALLOWUNDO. Where the shell cannot delete
// through IFileOperation (Wine 8 answers E_NOTIMPL), SHFileOperationW with
// FOF_ALLOWUNDO does the same. Both ask before a file would be deleted outright
// (FOF_WANTNUKEWARNING), so no file is lost without the user's word. A file's
// outcome is read from the disk afterwards: gone means recycled. Runs on the
// user-interface thread.
class RecycleWin32 final : public RecyclePort {
 public:
  enum class Method { None, FileOperation, ShFileOperation };

  std::vector<RecycleOutcome> Recycle(const std::vector<std::wstring>& paths) override;
  // How the last call moved its files, for the tests.
  Method LastMethod() const { return lastMethod_; }

 private:
  Method lastMethod_ = Method::None;
};

}  // namespace lorik
