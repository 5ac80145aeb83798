#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace lorik::fuzz {

// The inputs of one case come from a generator of their own, made from the
// run's seed and the case number, so that a failure names the two numbers that
// bring it back whatever the cases before it drew.
class Rng {
 public:
  Rng(uint64_t seed, uint64_t caseNo) : state_(seed ^ (caseNo * 0x9E3779B97F4A7C15ull)) { Next(); }

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [low, high], both included.
  int64_t Between(int64_t low, int64_t high) {
    const uint64_t span = static_cast<uint64_t>(high - low) + 1;
    return low + static_cast<int64_t>(span == 0 ? Next() : Next() % span);
  }
  bool OneIn(uint64_t n) { return Next() % n == 0; }
  template <class T>
  const T& Pick(const std::vector<T>& from) {
    return from[static_cast<size_t>(Between(0, static_cast<int64_t>(from.size()) - 1))];
  }

 private:
  uint64_t state_;
};

inline uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

// Runs `oneCase(rng)` for at most `cases` cases and about `seconds` seconds,
// whichever ends first, and stops at the first failing case. The run's seed is
// fixed, so every ring repeats the same cases; LORIK_FUZZ_SEED picks another,
// LORIK_FUZZ_CASES and LORIK_FUZZ_SECONDS change the bounds, and LORIK_FUZZ_CASE
// runs the one case a failure named. Returns the number of cases run.
template <class OneCase>
uint64_t Run(const char* name, uint64_t cases, double seconds, OneCase&& oneCase) {
  const uint64_t seed = EnvNumber("LORIK_FUZZ_SEED", 0x10F1C5EEDull);
  cases = EnvNumber("LORIK_FUZZ_CASES", cases);
  if (const char* text = std::getenv("LORIK_FUZZ_SECONDS"); text && *text)
    seconds = std::strtod(text, nullptr);
  uint64_t first = 0;
  if (const char* only = std::getenv("LORIK_FUZZ_CASE"); only && *only) {
    first = std::strtoull(only, nullptr, 0);
    cases = first + 1;
  }
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::duration<double>(seconds);
  uint64_t done = 0;
  for (uint64_t caseNo = first; caseNo < cases; ++caseNo) {
    // The clock is read every few cases only; a case is short.
    if (caseNo % 16 == 0 && caseNo != first && std::chrono::steady_clock::now() > deadline) break;
    Rng rng(seed, caseNo);
    oneCase(rng);
    ++done;
    if (testing::Test::HasFailure()) {
      ADD_FAILURE() << name << ": reproduce with LORIK_FUZZ_SEED=" << seed
                    << " LORIK_FUZZ_CASE=" << caseNo;
      break;
    }
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%s: %llu cases in %.2f s, seed %llu\n", name, static_cast<unsigned long long>(done),
              took.count(), static_cast<unsigned long long>(seed));
  return done;
}

// A kind of case the generator makes must have come up once the run was long
// enough to make it almost surely; otherwise the checks of that kind never ran.
inline void ExpectSeen(uint64_t done, uint64_t enough, uint64_t seen, const char* kind) {
  if (done >= enough) {
    EXPECT_GT(seen, 0u) << kind << ": none in " << done << " cases";
  }
}

}  // namespace lorik::fuzz
