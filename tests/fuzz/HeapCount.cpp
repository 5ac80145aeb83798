#include "fuzz/HeapCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The default operator new and delete replaced by ones that count, so that a
// test can tell how much memory a call held at its peak. They allocate with
// malloc, so the sanitizers still watch every block.
namespace {

std::atomic<size_t> inUse{0};
std::atomic<size_t> peak{0};
// Room for the block's size in front of it, kept at the strictest alignment.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Take(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  const size_t now = inUse.fetch_add(size) + size;
  size_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void Give(void* p) noexcept {
  if (!p) return;
  void* block = static_cast<char*>(p) - kHeader;
  inUse.fetch_sub(*static_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(size_t size) {
  return Take(size);
}
void* operator new[](size_t size) {
  return Take(size);
}
void operator delete(void* p) noexcept {
  Give(p);
}
void operator delete[](void* p) noexcept {
  Give(p);
}
void operator delete(void* p, size_t) noexcept {
  Give(p);
}
void operator delete[](void* p, size_t) noexcept {
  Give(p);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Take(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Give(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Give(p);
}

namespace lorik::fuzz {

size_t HeapInUse() {
  return inUse.load();
}
size_t HeapPeak() {
  return peak.load();
}
void ResetHeapPeak() {
  peak.store(inUse.load());
}

}  // namespace lorik::fuzz
