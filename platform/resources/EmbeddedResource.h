// One block of data built into the program, found by its type name and integer id. The
// program hands its own table of them to the platform (platform/base/ResourceTables.h).
#pragma once

#include "platform/base/WinTypes.h"

struct EmbeddedResource {
    LPCSTR type = "";  // type name, such as "HYE_PROG"
    WORD id = 0;
    const BYTE* data = NULL;  // lives as long as the program
    DWORD size = 0;           // bytes at `data`
};

// Where FindResource looks. The program's own resources unless a test installed others.
class IResourceSource {
public:
    virtual ~IResourceSource() = default;
    // The resource of type `type` (compared without regard to case) and id `id`; NULL when
    // there is none.
    virtual const EmbeddedResource* Find(LPCSTR type, WORD id) = 0;
};

// Installs `source` (NULL restores the program's own resources) and returns the previous one.
IResourceSource* InstallResourceSource(IResourceSource* source);
