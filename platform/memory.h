// Giving memory back to the system after a large passing use of it.
#pragma once

// Hands the heap's free pages back to the system. After reading a large result into
// memory and keeping a small part of it, the rest is free but, scattered between what is
// kept, stays counted against the program until this is called. Does nothing where the C
// library offers no such call.
void ReleaseFreeMemory();
