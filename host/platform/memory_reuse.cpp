#include "memory_reuse.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace kyrel::platform {

void KeepFreedMemoryForReuse() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
  constexpr int kHeapBlocksUpTo = 64 << 20;
  constexpr int kFreedHeapKept = 256 << 20;
  // Fixed settings also end glibc's own adjustment of the threshold, which
  // would otherwise move it with the sizes freed so far.
  mallopt(M_MMAP_THRESHOLD, kHeapBlocksUpTo);
  mallopt(M_TRIM_THRESHOLD, kFreedHeapKept);
#endif
}

} // namespace kyrel::platform
