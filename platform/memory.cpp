// ReleaseFreeMemory through the GNU C library's malloc_trim.
#include "platform/memory.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library
#ifdef __GLIBC__
#include <malloc.h>
#endif

void ReleaseFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
