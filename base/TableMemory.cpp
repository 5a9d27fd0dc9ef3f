#include "base/TableMemory.h"

#include <malloc.h>

namespace kalvenor {

void KeepTableMemoryBetweenLoads() {
    constexpr int kTrimThreshold = 1 << 30;
    constexpr int kMmapThreshold = 32 << 20;  // the largest the C library accepts
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
}

}  // namespace kalvenor
