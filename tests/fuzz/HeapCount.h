#pragma once
#include <cstddef>

namespace lorik::fuzz {

// Bytes taken with operator new in this program, now and at the highest point
// since the last ResetHeapPeak.
size_t HeapInUse();
size_t HeapPeak();
void ResetHeapPeak();

}  // namespace lorik::fuzz
