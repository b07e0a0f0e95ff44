#include "platform/os/ReleaseFreedMemory.h"

#include <malloc.h>

void ReleaseFreedMemory()
{
    // 0: keep no slack at the top of the heap; free pages inside it are released as well.
    malloc_trim(0);
}
