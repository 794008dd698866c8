#include "common/MemoryReuse.h"

#include <cstdlib>  // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // The limits the library would reach by itself after a large block, from the start: a
    // block of up to 32 MB comes from the heap, and up to 64 MB free at a heap's end stay.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
