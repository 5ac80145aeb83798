#include "win32/FilmstripWin32.h"

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <cstring>

#include "platform/PixelPicture.h"
#include "win32/CommonControls.h"

namespace lorik {
namespace {

// A DIB section holding a copy of the picture's pixels; null when it cannot be made.
HBITMAP BitmapOf(const Picture& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = picture.Width();
  info.bmiHeader.biHeight = picture.Height();  // bottom-up, as the picture is
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(picture.BitsPerPixel());
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return nullptr;
  std::memcpy(bits, picture.Bits(),
              static_cast<size_t>(picture.Pitch()) * static_cast<size_t>(picture.Height()));
  return bitmap;
}

class StripWin32 final : public Filmstrip {
 public:
  StripWin32(HWND list, HWND preview, Size thumbnail)
      : list_(list), preview_(preview), thumbnail_(thumbnail) {
    HIMAGELIST images = win32::CommonControls().imageListCreate(thumbnail.width, thumbnail.height,
                                                                ILC_COLOR24, 16, 16);
    if (images != nullptr) {
      // Image 0 stands in for every thumbnail not decoded yet.
      if (auto grey = PixelPicture::Filled(thumbnail.width, thumbnail.height, 24, 0xC0)) {
        AddImage(images, *grey);
      }
      ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    }
    ::SendMessageW(list_, LVM_SETICONSPACING, 0,
                   MAKELPARAM(thumbnail.width + 12, thumbnail.height + 30));
  }
  ~StripWin32() override {
    HGDIOBJ previous =
        reinterpret_cast<HGDIOBJ>(::SendMessageW(preview_, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (previous != nullptr && previous != preview_bitmap_) ::DeleteObject(previous);
    if (preview_bitmap_ != nullptr) ::DeleteObject(preview_bitmap_);
  }
  StripWin32(const StripWin32&) = delete;
  StripWin32& operator=(const StripWin32&) = delete;

  bool Insert(int index, const std::wstring& label) override {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(label.c_str());
    item.iImage = 0;
    return ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0;
  }
  void Remove(int index) override { ::SendMessageW(list_, LVM_DELETEITEM, index, 0); }
  void SetLabel(int index, const std::wstring& label) override {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = const_cast<wchar_t*>(label.c_str());
    ::SendMessageW(list_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
  }
  void SetThumbnail(int index, const Picture& picture) override {
    auto images =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(list_, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    if (images == nullptr) return;
    const int image = AddImage(images, picture);
    if (image < 0) return;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    item.iImage = image;
    ::SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  void Select(int index) override {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&clear));
    if (index < 0) return;
    LVITEMW set{};
    set.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    set.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&set));
    ::SendMessageW(list_, LVM_ENSUREVISIBLE, index, FALSE);
  }
  int Selected() const override {
    return static_cast<int>(
        ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  void ShowPreview(const Picture* picture) override {
    HBITMAP bitmap = picture != nullptr ? BitmapOf(*picture) : nullptr;
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        ::SendMessageW(preview_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    // The control may have drawn from a copy of its own; both are ours to free.
    if (previous != nullptr && previous != preview_bitmap_) ::DeleteObject(previous);
    if (preview_bitmap_ != nullptr) ::DeleteObject(preview_bitmap_);
    preview_bitmap_ = bitmap;
    ::InvalidateRect(preview_, nullptr, TRUE);
  }
  Size PreviewSize() const override {
    RECT client{};
    ::GetClientRect(preview_, &client);
    return {client.right - client.left, client.bottom - client.top};
  }

 private:
  // The new image's index, -1 when it could not be added.
  static int AddImage(HIMAGELIST images, const Picture& picture) {
    HBITMAP bitmap = BitmapOf(picture);
    if (bitmap == nullptr) return -1;
    const int image = win32::CommonControls().imageListAdd(images, bitmap, nullptr);
    ::DeleteObject(bitmap);  // the image list keeps a copy
    return image;
  }

  HWND list_;
  HWND preview_;
  Size thumbnail_;
  HBITMAP preview_bitmap_ = nullptr;
};

}  // namespace

std::unique_ptr<Filmstrip> FilmstripWin32::Attach(WindowHandle window, int listId, int previewId,
                                                  Size thumbnail) {
  HWND dialog = reinterpret_cast<HWND>(window.value);
  HWND list = ::GetDlgItem(dialog, listId);
  HWND preview = ::GetDlgItem(dialog, previewId);
  if (list == nullptr || preview == nullptr) return nullptr;
  return std::make_unique<StripWin32>(list, preview, thumbnail);
}

}  // namespace lorik
