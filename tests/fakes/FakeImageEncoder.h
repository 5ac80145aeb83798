#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "platform/ImageEncoder.h"

namespace lorik {

// Encodes a picture as a few bytes: the type, then the picture's first pixel
// byte and its size, so that tests can tell which picture a file holds and in
// which type. Can take a fixed time per call and fail chosen pictures.
// Thread-safe.
class FakeImageEncoder final : public ImageEncoderPort {
 public:
  std::optional<EncodedImage> Encode(const Picture& picture, ImageType type) override {
    calls_.fetch_add(1);
    if (cost.count() > 0) {
      if (spin) {
        const auto until = std::chrono::steady_clock::now() + cost;
        while (std::chrono::steady_clock::now() < until) {
        }
      } else {
        std::this_thread::sleep_for(cost);
      }
    }
    std::function<bool(const Picture&)> fails;
    {
      std::lock_guard lock(mutex_);
      fails = failIf_;
    }
    if (fails && fails(picture)) {
      if (throwsOther.load()) throw 42;  // not derived from std::exception
      if (throws.load()) throw std::bad_alloc();
      return std::nullopt;
    }
    EncodedImage image;
    image.bytes = wholePicture ? Whole(picture, type) : Describe(picture, type);
    return image;
  }

  // The bytes Encode gives for a picture.
  static std::vector<uint8_t> Describe(const Picture& picture, ImageType type) {
    const uint8_t first = picture.Height() > 0 && picture.Pitch() > 0 ? picture.Bits()[0] : 0;
    return {static_cast<uint8_t>(type), first, static_cast<uint8_t>(picture.Width() & 0xFF),
            static_cast<uint8_t>(picture.Height() & 0xFF)};
  }

  // The bytes Encode gives for a picture with `wholePicture` set: the
  // description followed by every pixel byte.
  static std::vector<uint8_t> Whole(const Picture& picture, ImageType type) {
    std::vector<uint8_t> bytes = Describe(picture, type);
    const uint8_t* bits = picture.Bits();
    bytes.insert(bytes.end(), bits, bits + picture.Pitch() * picture.Height());
    return bytes;
  }

  // Fails every picture for which `predicate` is true.
  void SetFailIf(std::function<bool(const Picture&)> predicate) {
    std::lock_guard lock(mutex_);
    failIf_ = std::move(predicate);
  }
  int Calls() const { return calls_.load(); }

  std::chrono::microseconds cost{0};     // time each call takes; set before use
  bool spin = false;                     // take the time busy rather than asleep
  bool wholePicture = false;             // append every pixel byte; set before use
  std::atomic<bool> throws{false};       // a failing picture throws instead of failing
  std::atomic<bool> throwsOther{false};  // ... and throws something that is no std::exception

 private:
  std::mutex mutex_;
  std::function<bool(const Picture&)> failIf_;
  std::atomic<int> calls_{0};
};

}  // namespace lorik
