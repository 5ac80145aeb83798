#pragma once
#include <memory>
#include <string>

#include "core/Geometry.h"
#include "core/WindowHandle.h"
#include "platform/Picture.h"

namespace lorik {

// A list view of thumbnails in a row and a picture control beside it, in a
// live window. Items are addressed by their position in the list.
class Filmstrip {
 public:
  virtual ~Filmstrip() = default;
  // False when the item could not be added.
  virtual bool Insert(int index, const std::wstring& label) = 0;
  virtual void Remove(int index) = 0;
  virtual void SetLabel(int index, const std::wstring& label) = 0;
  // `picture` is the thumbnail's size.
  virtual void SetThumbnail(int index, const Picture& picture) = 0;
  // Selects and focuses one item and scrolls it into view; -1 selects none.
  virtual void Select(int index) = 0;
  // -1 when none is selected.
  virtual int Selected() const = 0;
  // Shows a picture of the preview's size; null clears it.
  virtual void ShowPreview(const Picture* picture) = 0;
  virtual Size PreviewSize() const = 0;
};

class FilmstripPort {
 public:
  virtual ~FilmstripPort() = default;
  // Takes list view `listId` and picture control `previewId` of `window` for
  // thumbnails of `thumbnail` size; null when the window has no such controls.
  // The result must go before the window does.
  virtual std::unique_ptr<Filmstrip> Attach(WindowHandle window, int listId, int previewId,
                                            Size thumbnail) = 0;
};

}  // namespace lorik
