// Win32-style access to the resources built into the program: FindResource, LoadResource and
// LockResource by integer id and type name. There is one module, the program itself; its
// handle is NULL or what GetModuleHandle(NULL) returns, and any other handle finds nothing.
//
// A locked resource is read-only and stays valid for the rest of the run; nothing is freed.
// SizeofResource tells its size, which callers use to bound every read of it.
#pragma once

#include <cstdint>

#include "platform/base/WinTypes.h"

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HRSRC__;
typedef HRSRC__* HRSRC;
typedef void* HGLOBAL;

// An integer resource id in place of a name.
#define MAKEINTRESOURCE(id) ((LPCSTR)(uintptr_t)(WORD)(id))
#define IS_INTRESOURCE(name) ((((uintptr_t)(name)) >> 16) == 0)

// The program's own module for NULL; NULL for any other name.
HMODULE GetModuleHandle(LPCSTR moduleName);

// The resource `name` (an id made by MAKEINTRESOURCE; names given as text are not used by
// the program and find nothing) of type `type` (a type name, case-insensitive); NULL when
// there is none.
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
// NULL for a NULL resource.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The first byte of the loaded resource; NULL for NULL.
LPVOID LockResource(HGLOBAL loaded);
// Bytes of the resource; 0 for NULL.
DWORD SizeofResource(HMODULE module, HRSRC resource);
