#include "platform/resources/Resources.h"

#include <strings.h>

#include "platform/base/ResourceTables.h"
#include "platform/resources/EmbeddedResource.h"

namespace {

class CBuiltInResources : public IResourceSource {
public:
    const EmbeddedResource* Find(LPCSTR type, WORD id) override
    {
        const ResourceTables* tables = ResourceTablesSlot().Get();
        if (!tables)
            return NULL;
        for (const EmbeddedResource& resource : tables->embeddedResources())
            if (resource.id == id && strcasecmp(resource.type, type) == 0)
                return &resource;
        return NULL;
    }
};

CBuiltInResources s_builtIn;
IResourceSource* s_pSource = &s_builtIn;

// The program's one module. Only its address matters.
char s_module;

bool IsProgramModule(HMODULE module)
{
    return module == NULL || module == (HMODULE)&s_module;
}

const EmbeddedResource* FromHandle(HRSRC resource)
{
    return (const EmbeddedResource*)resource;
}

}  // namespace

IResourceSource* InstallResourceSource(IResourceSource* source)
{
    IResourceSource* previous = s_pSource == &s_builtIn ? NULL : s_pSource;
    s_pSource = source ? source : &s_builtIn;
    return previous;
}

HMODULE GetModuleHandle(LPCSTR moduleName)
{
    return moduleName == NULL ? (HMODULE)&s_module : NULL;
}

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (!IsProgramModule(module) || !IS_INTRESOURCE(name) || type == NULL || IS_INTRESOURCE(type))
        return NULL;
    return (HRSRC)s_pSource->Find(type, (WORD)(uintptr_t)name);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    if (!IsProgramModule(module) || !resource)
        return NULL;
    return (HGLOBAL)FromHandle(resource);
}

LPVOID LockResource(HGLOBAL loaded)
{
    if (!loaded)
        return NULL;
    return (LPVOID)((const EmbeddedResource*)loaded)->data;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    if (!IsProgramModule(module) || !resource)
        return 0;
    return FromHandle(resource)->size;
}
