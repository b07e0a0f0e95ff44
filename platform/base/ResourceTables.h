// The program's resource tables: its strings (the application's title among them), icons,
// dialog templates and embedded data blocks. The platform reads them only through this slot,
// which every program fills before anything reads a table; while it is empty there are no
// strings, icons, templates or blocks, and the title is "".
#pragma once

#include <vector>

#include "platform/base/ServiceSlot.h"
#include "platform/base/WinTypes.h"

struct DialogTemplate;    // platform/wnd/DialogTemplate.h
struct EmbeddedResource;  // platform/resources/EmbeddedResource.h

// Every member is set; each lookup answers NULL for an id it does not have. What they return
// lives as long as the program.
struct ResourceTables {
    LPCSTR (*findString)(UINT id);
    UINT appTitleId;                          // the string that is the application's title
    const char* const* (*findIcon)(UINT id);  // the lines of an XPM image
    const DialogTemplate* (*findDialogTemplate)(UINT id);
    const std::vector<EmbeddedResource>& (*embeddedResources)();
};

CServiceSlot<const ResourceTables*>& ResourceTablesSlot();
