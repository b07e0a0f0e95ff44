// Hands the heap's free pages back to the system. The C library keeps freed small blocks for
// reuse, so a process that freed a few hundred megabytes of small records (a refused or
// cleared load of a large file) would otherwise stay that large until it exits. The call walks
// the whole heap: make it after a large free, not after every block.
#pragma once

void ReleaseFreedMemory();
