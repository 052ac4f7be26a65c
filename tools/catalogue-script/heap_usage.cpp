// Live heap bytes from the sanitizer's allocator when it replaced malloc, else glibc's.
#include "tools/catalogue-script/heap_usage.h"

#include <QPixmapCache>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CATALOG_ASAN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CATALOG_ASAN_ALLOCATOR 1
#endif

#ifdef CATALOG_ASAN_ALLOCATOR
#include <cstddef>
// Part of the sanitizer runtime's allocator interface; GCC does not ship its header.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

qint64 LiveHeapBytes()
{
    QPixmapCache::clear();
#ifdef CATALOG_ASAN_ALLOCATOR
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    // Small chunks in the arenas plus the large ones glibc maps on their own.
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
#endif
}
