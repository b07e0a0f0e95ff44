// What the file system tells about one file, in the manner of the class library's CFileStatus.
#pragma once

#include <cstdint>

#include "platform/base/WinTypes.h"

class CFileStatus {
public:
    // Fills the fields for `path`, found as CFile::Open finds it (a name that does not exist
    // as given is also looked up regardless of case). FALSE, with the fields unchanged, when
    // the path has no status (missing, or a folder on the way cannot be searched).
    BOOL Query(LPCSTR path);

    int64_t m_mtime = 0;  // last modification, nanoseconds since 1970
    uint64_t m_size = 0;  // bytes
};
