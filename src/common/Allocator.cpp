#include "common/Allocator.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keepLargeBlocksMapped() {
#if defined(__GLIBC__)
    // Fixed at 256 KiB: a column of a few thousand rows and more.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}
