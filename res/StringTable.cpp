#include "res/StringTable.h"

#include "res/resource.h"

LPCSTR FindStringResource(UINT id)
{
    switch (id) {
    case IDS_ABOUTBOX: return "&About Brenlow FLASH Programmer";
    case IDS_HELPINDEX: return "Brenlow FLASH Programmer Help Index";
    case AFX_IDS_APP_TITLE: return "Brenlow FLASH Programmer";
    default: return NULL;
    }
}
