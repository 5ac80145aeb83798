#pragma once
#include "fakes/FakeDialogHost.h"
#include "resource.h"

namespace lorik {

// The review window's template as far as the window uses it.
inline void AddReviewTemplate(ui::FakeDialogHost& host) {
  host.OnCreate(IDD_BURST_REVIEW, [](ui::FakeDialogView& v) {
    v.clientRect = {0, 0, 700, 500};
    for (int id : {IDC_LIST_BURST, IDC_STATIC_BURST_PREVIEW, IDC_BUTTON_RECYCLE_UNMARKED,
                   IDC_STATIC_BURST_STATUS})
      v.AddControl(id);
  });
}

}  // namespace lorik
