#include "app/MainButton.h"

#include "resource.h"

namespace lorik {

int MainButtonPicture(ButtonSet set, bool pressed, int) {
  switch (set) {
    case ButtonSet::SingleShot:
      return pressed ? IDB_SINGLE_PRESSED : IDB_SINGLE_NORMAL;
    case ButtonSet::MultiShot:
      return pressed ? IDB_MULTI_PRESSED : IDB_MULTI_NORMAL;
    case ButtonSet::Folder:
      break;
  }
  return pressed ? IDB_FOLDER_PRESSED : IDB_FOLDER_NORMAL;
}

}  // namespace lorik
