#include "platform/files/FileStatus.h"

#include <sys/stat.h>

#include "platform/files/FileFind.h"

BOOL CFileStatus::Query(LPCSTR path)
{
    if (!path || !path[0])
        return FALSE;
    struct stat info;
    if (stat(path, &info) != 0 && stat(ResolvePathNoCase(path), &info) != 0)
        return FALSE;
    m_mtime = (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
    m_size = (uint64_t)info.st_size;
    return TRUE;
}
