#pragma once
#include "platform/Filmstrip.h"

namespace lorik {

// A list view in icon view whose image list holds one thumbnail per picture
// received (a grey one stands in until then), and a static picture control
// showing a DIB section. The list view owns and destroys its image list; the
// strip owns the preview's bitmap and takes it back when it goes.
class FilmstripWin32 final : public FilmstripPort {
 public:
  std::unique_ptr<Filmstrip> Attach(WindowHandle window, int listId, int previewId,
                                    Size thumbnail) override;
};

}  // namespace lorik
