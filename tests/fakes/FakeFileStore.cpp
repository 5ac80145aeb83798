#include "fakes/FakeFileStore.h"

#include <utility>

namespace lorik {

class FakeFileStore::OpenFile final : public WritableFile {
 public:
  OpenFile(FakeFileStore& store, std::wstring path) : store_(store), path_(std::move(path)) {}
  bool WriteAll(std::span<const uint8_t> bytes) override {
    std::function<void(const std::wstring&)> hook;
    bool fail;
    {
      std::lock_guard lock(store_.mutex_);
      hook = store_.onWrite_;
      fail = store_.failWrite_.contains(path_);
    }
    if (hook) hook(path_);
    if (fail) {
      store_.Store(path_, bytes.first(bytes.size() / 2), false);
      return false;
    }
    store_.Store(path_, bytes, false);
    return true;
  }
  bool Commit() override {
    store_.Store(path_, {}, true);
    return true;
  }

 private:
  FakeFileStore& store_;
  std::wstring path_;
};

namespace {
std::wstring ParentOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}
}  // namespace

bool FakeFileStore::Exists(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  return folders_.contains(path) || files_.contains(path);
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

std::unique_ptr<WritableFile> FakeFileStore::Create(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  const std::wstring parent = ParentOf(path);
  if (failCreate_.contains(path) || folders_.contains(path) || !folders_.contains(parent)) {
    return nullptr;
  }
  File& file = files_[path];
  file.bytes.clear();
  ++file.creations;
  return std::make_unique<OpenFile>(*this, path);
}

void FakeFileStore::Store(const std::wstring& path, std::span<const uint8_t> bytes, bool commit) {
  std::lock_guard lock(mutex_);
  File& file = files_[path];
  file.bytes.insert(file.bytes.end(), bytes.begin(), bytes.end());
  if (commit) ++file.commits;
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

void FakeFileStore::FailWriteHalfway(const std::wstring& path) {
  std::lock_guard lock(mutex_);
  failWrite_.insert(path);
}

void FakeFileStore::SetOnWrite(std::function<void(const std::wstring&)> hook) {
  std::lock_guard lock(mutex_);
  onWrite_ = std::move(hook);
}

}  // namespace lorik
