// The bytes the program holds on its heap right now, as the allocator in use counts them.
#pragma once

#include <QtGlobal>

// Bytes handed out by malloc and not yet freed, after emptying Qt's pixmap cache. Unlike
// the resident size, this leaves out what the allocator keeps for itself: free chunks
// held for reuse and, under AddressSanitizer, the allocation stacks it records, which
// grow with every distinct stack its fast unwinder sees. The pixmap cache goes because
// the style fills it with pixmaps keyed by each new window's palette, some 2 kB a
// catalogue visit up to Qt's bound of 10 MB, which would read as growth; it refills on
// the next paint with nothing on screen changed.
qint64 LiveHeapBytes();
