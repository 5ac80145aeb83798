#include "app/AboutDlg.h"

#include "core/Text.h"
#include "platform/System.h"

namespace lorik {

bool CAboutDlg::OnInitDialog() {
  // Without version information the template's placeholder stays.
  if (auto version = system_.FileVersion()) {
    const auto& v = *version;
    view().SetItemText(kVersionText, L"Lorik Version " + DecimalText(v[0]) + L"." +
                                         DecimalText(v[1]) + L"." + DecimalText(v[2]) + L" build " +
                                         DecimalText(v[3]));
  }
  return true;
}

}  // namespace lorik
