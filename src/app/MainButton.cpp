#include "app/MainButton.h"

#include <array>
#include <cstddef>

#include "resource.h"

namespace lorik {
namespace {

struct Pictures {
  int normal;
  int pressed;
};

// Rows in the order of ButtonSet, columns in the order of kPictureDpis.
constexpr std::array<std::array<Pictures, 4>, 3> kPictures{{
    {{{IDB_SINGLE_NORMAL, IDB_SINGLE_PRESSED},
      {IDB_SINGLE_NORMAL_120, IDB_SINGLE_PRESSED_120},
      {IDB_SINGLE_NORMAL_144, IDB_SINGLE_PRESSED_144},
      {IDB_SINGLE_NORMAL_192, IDB_SINGLE_PRESSED_192}}},
    {{{IDB_MULTI_NORMAL, IDB_MULTI_PRESSED},
      {IDB_MULTI_NORMAL_120, IDB_MULTI_PRESSED_120},
      {IDB_MULTI_NORMAL_144, IDB_MULTI_PRESSED_144},
      {IDB_MULTI_NORMAL_192, IDB_MULTI_PRESSED_192}}},
    {{{IDB_FOLDER_NORMAL, IDB_FOLDER_PRESSED},
      {IDB_FOLDER_NORMAL_120, IDB_FOLDER_PRESSED_120},
      {IDB_FOLDER_NORMAL_144, IDB_FOLDER_PRESSED_144},
      {IDB_FOLDER_NORMAL_192, IDB_FOLDER_PRESSED_192}}},
}};

}  // namespace

int MainButtonPicture(ButtonSet set, bool pressed, int dpi) {
  size_t scale = 0;
  for (size_t i = 0; i < std::size(kPictureDpis); ++i) {
    if (kPictureDpis[i] <= dpi) scale = i;
  }
  const Pictures& pictures = kPictures[static_cast<size_t>(set)][scale];
  return pressed ? pictures.pressed : pictures.normal;
}

}  // namespace lorik
