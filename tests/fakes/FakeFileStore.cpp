#include "fakes/FakeFileStore.h"

#include <utility>

namespace lorik {

namespace {
std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
}  // namespace

class FakeFileStore::OpenFile final : public WritableFile {
 public:
  OpenFile(FakeFileStore& store, std::wstring path) : store_(store), path_(std::move(path)) {}
  ~OpenFile() override { Close(); }
  bool WriteAll(std::span<const uint8_t> bytes) override {
    std::function<void(const std::wstring&)> hook;
    bool fail;
    {
      std::lock_guard lock(store_.mutex_);
      hook = store_.onWrite_;
      auto failing = store_.failWrite_.find(ParentOf(path_));
      fail = failing != store_.failWrite_.end() && failing->second-- <= 0;
    }
    if (hook) hook(path_);
    if (fail) {
      store_.Store(path_, bytes.first(bytes.size() / 2), false);
      return false;
    }
    store_.Store(path_, bytes, false);
    return true;
  }
  bool Flush() override {
    store_.Store(path_, {}, true);
    std::lock_guard lock(store_.mutex_);
    store_.events_.push_back(L"flush " + path_);
    return !store_.failFlush_.contains(ParentOf(path_));
  }
  bool Close() override {
    std::lock_guard lock(store_.mutex_);
    if (closed_) return true;
    closed_ = true;
    store_.events_.push_back(L"close " + path_);
    auto it = store_.files_.find(path_);
    if (it != store_.files_.end()) it->second.open = false;
    return !store_.failClose_.contains(ParentOf(path_));
  }

 private:
  FakeFileStore& store_;
  std::wstring path_;
  bool closed_ = false;
};

bool FakeFileStore::Exists(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  return folders_.contains(path) || files_.contains(path);
}

bool FakeFileStore::IsFolder(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  return folders_.contains(path);
}

bool FakeFileStore::CreateFolder(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  ++folderCreations_;
  if (path.empty() || failFolder_.contains(path) || files_.contains(path)) return false;
  for (std::wstring folder = path; !folder.empty(); folder = ParentOf(folder)) {
    if (files_.contains(folder)) return false;
    folders_.insert(folder);
  }
  return true;
}

std::unique_ptr<WritableFile> FakeFileStore::CreateNew(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  const std::wstring parent = ParentOf(path);
  if (failCreate_.contains(path) || folders_.contains(path) || files_.contains(path) ||
      !folders_.contains(parent)) {
    return nullptr;
  }
  File& file = files_[path];
  ++file.creations;
  file.open = true;
  return std::make_unique<OpenFile>(*this, path);
}

bool FakeFileStore::Rename(const std::wstring& from, const std::wstring& to) {
  std::function<void(const std::wstring&)> hook;
  {
    std::lock_guard lock(mutex_);
    hook = onRename_;
  }
  if (hook) hook(to);
  std::lock_guard lock(mutex_);
  auto it = files_.find(from);
  if (it == files_.end() || it->second.open || failCreate_.contains(to) || files_.contains(to) ||
      folders_.contains(to) || ParentOf(from) != ParentOf(to)) {
    return false;
  }
  files_[to] = it->second;
  files_.erase(from);
  events_.push_back(L"rename " + from + L" " + to);
  return true;
}

bool FakeFileStore::Remove(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  return files_.erase(path) > 0;
}

void FakeFileStore::Store(const std::wstring& path, std::span<const uint8_t> bytes, bool flush) {
  std::lock_guard lock(mutex_);
  File& file = files_[path];
  file.bytes.insert(file.bytes.end(), bytes.begin(), bytes.end());
  if (flush) ++file.flushes;
}

void FakeFileStore::AddFolder(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  for (std::wstring folder = path; !folder.empty(); folder = ParentOf(folder)) {
    folders_.insert(folder);
  }
}

bool FakeFileStore::HasFolder(const std::wstring& path) const {
  std::lock_guard lock(mutex_);
  return folders_.contains(path);
}

std::optional<FakeFileStore::File> FakeFileStore::FileAt(const std::wstring& path) const {
  std::lock_guard lock(mutex_);
  auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second;
}

std::map<std::wstring, FakeFileStore::File> FakeFileStore::Files() const {
  std::lock_guard lock(mutex_);
  return files_;
}

int FakeFileStore::FolderCreations() const {
  std::lock_guard lock(mutex_);
  return folderCreations_;
}

void FakeFileStore::FailFolder(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  failFolder_.insert(path);
}

void FakeFileStore::FailCreate(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  failCreate_.insert(path);
}

void FakeFileStore::SetOnRename(std::function<void(const std::wstring&)> hook) {
  std::lock_guard lock(mutex_);
  onRename_ = std::move(hook);
}

void FakeFileStore::FailWritesIn(const std::wstring& folder, int writesFirst) {
  std::lock_guard lock(mutex_);
  failWrite_[folder] = writesFirst;
}

std::vector<std::wstring> FakeFileStore::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

void FakeFileStore::FailFlushesIn(const std::wstring& folder) {
  std::lock_guard lock(mutex_);
  failFlush_.insert(folder);
}

void FakeFileStore::FailClosesIn(const std::wstring& folder) {
  std::lock_guard lock(mutex_);
  failClose_.insert(folder);
}

void FakeFileStore::SetOnWrite(std::function<void(const std::wstring&)> hook) {
  std::lock_guard lock(mutex_);
  onWrite_ = std::move(hook);
}

}  // namespace lorik
