#pragma once
#include "resource.h"
#include "ui/Dialog.h"

namespace lorik {

class SystemPort;

// The version dialog: the program's icon and the version of its executable.
class CAboutDlg : public ui::Dialog {
 public:
  static constexpr int kTemplate = IDD_ABOUTBOX;
  static constexpr int kVersionText = IDC_STATIC_VERSION;

  explicit CAboutDlg(SystemPort& system) : Dialog(kTemplate), system_(system) {}

 protected:
  bool OnInitDialog() override;

 private:
  SystemPort& system_;
};

}  // namespace lorik
