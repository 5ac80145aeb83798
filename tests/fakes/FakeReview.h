#pragma once
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "fakes/FakeFileStore.h"
#include "platform/Filmstrip.h"
#include "platform/PictureDecoder.h"
#include "platform/PixelPicture.h"
#include "platform/Recycle.h"

namespace lorik {

// A Recycle Bin over a FakeFileStore: a recycled file leaves the store for
// `bin`. Paths in `refusing` stay where they are.
class FakeRecycle final : public RecyclePort {
 public:
  explicit FakeRecycle(FakeFileStore& store) : store_(store) {}
  std::vector<RecycleOutcome> Recycle(const std::vector<std::wstring>& paths) override {
    calls.push_back(paths);
    std::vector<RecycleOutcome> outcomes;
    for (const std::wstring& path : paths) {
      if (!store_.Exists(path)) {
        outcomes.push_back(RecycleOutcome::Missing);
      } else if (refusing.count(path) != 0) {
        outcomes.push_back(RecycleOutcome::Failed);
      } else {
        bin.insert(path);
        store_.Remove(path);
        outcomes.push_back(RecycleOutcome::Recycled);
      }
    }
    return outcomes;
  }

  std::vector<std::vector<std::wstring>> calls;  // every call's paths
  std::set<std::wstring> bin;
  std::set<std::wstring> refusing;

 private:
  FakeFileStore& store_;
};

// The strip as a list of labels, thumbnails and a selection; the window it
// belongs to is not looked at.
class FakeFilmstrip final : public Filmstrip {
 public:
  struct Item {
    std::wstring label;
    int thumbnailWidth = 0;  // 0 until a thumbnail is set
  };
  bool Insert(int index, const std::wstring& label) override {
    if (index < 0 || static_cast<size_t>(index) > items.size()) return false;
    items.insert(items.begin() + index, {label, 0});
    if (selected >= index) ++selected;
    return true;
  }
  void Remove(int index) override {
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return;
    items.erase(items.begin() + index);
    if (selected == index) {
      selected = -1;
    } else if (selected > index) {
      --selected;
    }
  }
  void SetLabel(int index, const std::wstring& label) override { At(index).label = label; }
  void SetThumbnail(int index, const Picture& picture) override {
    At(index).thumbnailWidth = picture.Width();
  }
  void Select(int index) override { selected = index; }
  int Selected() const override { return selected; }
  void ShowPreview(const Picture* picture) override {
    previewWidth = picture != nullptr ? picture->Width() : 0;
    ++previewsShown;
  }
  Size PreviewSize() const override { return {640, 360}; }

  std::vector<std::wstring> Labels() const {
    std::vector<std::wstring> labels;
    for (const Item& item : items) labels.push_back(item.label);
    return labels;
  }

  std::vector<Item> items;
  int selected = -1;
  int previewWidth = 0;  // of the picture shown, 0 for none
  int previewsShown = 0;

 private:
  Item& At(int index) { return items.at(static_cast<size_t>(index)); }
};

// Hands out one FakeFilmstrip that the test keeps looking at.
class FakeFilmstripPort final : public FilmstripPort {
 public:
  std::unique_ptr<Filmstrip> Attach(WindowHandle, int, int, Size) override {
    ++attached;
    if (fail) return nullptr;
    auto strip = std::make_unique<Forward>(*this);
    return strip;
  }
  FakeFilmstrip strip;
  int attached = 0;
  int detached = 0;
  bool fail = false;

 private:
  // The window owns its strip; this one forwards to the test's.
  struct Forward final : Filmstrip {
    explicit Forward(FakeFilmstripPort& port) : port(port) {}
    ~Forward() override { ++port.detached; }
    bool Insert(int i, const std::wstring& l) override { return port.strip.Insert(i, l); }
    void Remove(int i) override { port.strip.Remove(i); }
    void SetLabel(int i, const std::wstring& l) override { port.strip.SetLabel(i, l); }
    void SetThumbnail(int i, const Picture& p) override { port.strip.SetThumbnail(i, p); }
    void Select(int i) override { port.strip.Select(i); }
    int Selected() const override { return port.strip.Selected(); }
    void ShowPreview(const Picture* p) override { port.strip.ShowPreview(p); }
    Size PreviewSize() const override { return port.strip.PreviewSize(); }
    FakeFilmstripPort& port;
  };
};

// Decodes any path not in `undecodable` to a grey picture of the box; records
// the order of the calls. While `held` is set, each call waits until it is
// released, so a test can close the window in the middle of a decode.
class FakePictureDecoder final : public PictureDecoderPort {
 public:
  std::shared_ptr<const Picture> DecodeToFit(const std::wstring& path, Size box) override {
    std::unique_lock lock(mutex_);
    decoded.push_back(path);
    ++started;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !held; });
    if (undecodable.count(path) != 0) return nullptr;
    return PixelPicture::Filled(box.width, box.height, 24, 0x80);
  }
  void Hold() {
    std::lock_guard lock(mutex_);
    held = true;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    held = false;
    changed_.notify_all();
  }
  // Waits until `count` decodes have started.
  void WaitStarted(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return started >= count; });
  }
  std::vector<std::wstring> Decoded() {
    std::lock_guard lock(mutex_);
    return decoded;
  }

  std::set<std::wstring> undecodable;  // set before the window opens

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held = false;
  int started = 0;
  std::vector<std::wstring> decoded;
};

}  // namespace lorik
