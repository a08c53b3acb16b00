#include "platform/allocator_tuning.h"

#include <malloc.h>

void KeepFreedMemoryForReuse() {
  // glibc returns the top of the heap to the system as soon as 128 KB lie free there, and
  // serves blocks from 128 KB up with fresh mappings; a proxy that rewrites 60 KB pages
  // then spends more time in page faults than in filtering. A few megabytes kept free
  // per arena cover a busy moment's pages; at 16 MB every arena kept what the busiest
  // moment had taken, and the program's resident memory stayed some 16 MB above its need.
  constexpr int kTrimThreshold = 2 * 1024 * 1024;
  constexpr int kMmapThreshold = 4 * 1024 * 1024;
  mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
  mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
  // Each connection thread would otherwise get an arena of its own (up to eight per core),
  // and each arena keeps what was freed in it: after a busy moment the memory of every
  // arena stays taken. Two arenas keep the two cores' threads apart and the memory shared.
  constexpr int kArenas = 2;
  mallopt(M_ARENA_MAX, kArenas);
}

void ReturnFreedMemory() { malloc_trim(0); }
