#include "platform/HeapTuning.h"

#include <cstdlib> // defines __GLIBC__ on the C library that has the settings below

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tb {

void returnLargeBlocksPromptly()
{
#if defined(__GLIBC__)
    // A fixed threshold also turns off the C library's habit of raising it after the first large
    // block is freed, which would send later pictures back into the heap.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
}

void giveBackFreeHeap()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace tb
