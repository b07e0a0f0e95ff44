#include "coff/CoffAux.h"

#include <cstring>
#include <ctime>

#include "coff/PoolAlloc.h"
#include "coff/StabsQueries.h"
#include "coff/StabsTable.h"
#include "platform/base/ByteOrder.h"
#include "platform/files/File.h"
#include "platform/files/FileStatus.h"
#include "platform/settings/ProfileStrings.h"
#include "platform/settings/Registry.h"

DWORD theRangeTable[kRangeEntries][5];

namespace {

const char kRecentDirSection[] = "Recent Dir";
const char kRecentDirEntry[] = "Recent Dir";
constexpr DWORD kPrefixBytes = 260;
constexpr DWORD kMountNameChars = 261;
constexpr DWORD kNativeBytes = 261;
constexpr int kMostTargetRecords = 256;

// A text value that fits `capacity` bytes with its terminator; anything else is refused.
bool QueryBoundedString(HKEY key, LPCSTR name, char* buffer, DWORD capacity)
{
    DWORD type = 0, size = capacity;
    if (RegQueryValueEx(key, name, NULL, &type, (LPBYTE)buffer, &size) != ERROR_SUCCESS || type != REG_SZ ||
        size == 0 || size > capacity)
        return false;
    return memchr(buffer, 0, size) != NULL;
}

CString Backslashed(CString text)
{
    text.Replace('/', '\\');
    return text;
}

// A longer path goes to a new copy in the pool; a shorter one overwrites the old. Without
// memory for the copy the path stays as it was.
void StorePath(StabsFile* file, const CString& path)
{
    size_t length = (size_t)path.GetLength();
    if (!file->path || length > strlen(file->path)) {
        char* copy = static_cast<char*>(PoolAlloc(length + 1, 1));
        if (!copy)
            return;
        file->path = copy;
    }
    memcpy(file->path, path.GetString(), length + 1);
}

void ApplyMount(const CString& mountPoint, const CString& native)
{
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        if (!file->path || strncmp(file->path, mountPoint, mountPoint.GetLength()) != 0)
            continue;
        CString path = file->path;
        path.Replace(mountPoint, native);
        StorePath(file, path);
    }
}

// FALSE when the record is cut short by the end of the file or a read error.
BOOL ReadRecord(CFile& file, BYTE* record)
{
    try {
        return file.Read(record, kTargetRecordBytes) == (UINT)kTargetRecordBytes;
    } catch (const CFileException&) {
        return FALSE;
    }
}

}  // namespace

CString GetCygdrivePrefix()
{
    CString prefix = "/cygdrive";
    HKEY key = NULL;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kCygwinMountKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char buffer[kPrefixBytes];
        if (QueryBoundedString(key, "cygdrive prefix", buffer, sizeof buffer))
            prefix = buffer;
        RegCloseKey(key);
    }
    return prefix + "/";
}

void MapCygdrivePaths()
{
    CString prefix = Backslashed(GetCygdrivePrefix());
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        if (!file->path)
            continue;
        CString path = Backslashed(file->path);
        path.Replace(prefix, "");
        if (path.GetLength() > 1 && path[1] == '\\')
            path.Insert(1, ":");
        StorePath(file, path);
    }
}

LONG MapCygwinMounts()
{
    HKEY mounts = NULL;
    LONG error = RegOpenKeyEx(HKEY_CURRENT_USER, kCygwinMountKey, 0, KEY_READ, &mounts);
    if (error != ERROR_SUCCESS)
        return error;
    for (DWORD index = 0;; ++index) {
        char name[kMountNameChars];
        DWORD length = sizeof name;
        LONG result = RegEnumKeyEx(mounts, index, name, &length, NULL, NULL, NULL, NULL);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        if (strcmp(name, "/") == 0)
            continue;
        CString subkey;
        subkey.Format("%s\\%s", kCygwinMountKey, name);
        HKEY mount = NULL;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &mount) != ERROR_SUCCESS)
            continue;
        char native[kNativeBytes];
        if (QueryBoundedString(mount, "native", native, sizeof native))
            ApplyMount(Backslashed(name), Backslashed(native));
        RegCloseKey(mount);
    }
    return RegCloseKey(mounts);
}

void SaveRecentDir(CString path)
{
    IProfileStrings* profile = ProfileStringsSlot().Get();
    if (!profile)
        return;
    // Drive and folder: everything up to the last separator of either kind.
    int folderEnd = path.GetLength();
    while (folderEnd > 0 && path[folderEnd - 1] != '\\' && path[folderEnd - 1] != '/')
        --folderEnd;
    if (folderEnd == 0 && path.GetLength() >= 2 && path[1] == ':')
        folderEnd = 2;
    profile->WriteProfileString(kRecentDirSection, kRecentDirEntry, path.Left(folderEnd));
}

CString GetRecentDir()
{
    IProfileStrings* profile = ProfileStringsSlot().Get();
    return profile ? profile->GetProfileString(kRecentDirSection, kRecentDirEntry, "") : CString();
}

BOOL IsAnySourceNewer(CString path)
{
    CFileStatus target;
    if (!target.Query(path))
        return FALSE;
    for (StabsFile* file = theStabsFiles; file; file = file->next) {
        CFileStatus source;
        if (file->path && source.Query(file->path) && source.m_mtime > target.m_mtime)
            return TRUE;
    }
    return FALSE;
}

int ReadTargetRecord(const char* path, int id, BYTE record[kTargetRecordBytes])
{
    if (!path || !path[0])
        return kTargetRecordNoPath;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary))
        return kTargetRecordCannotOpen;
    BOOL matched = FALSE;
    for (int i = 0; i < kMostTargetRecords && !matched; ++i) {
        if (!ReadRecord(file, record)) {
            file.Abort();
            return kTargetRecordNotFound;
        }
        matched = record[1] == id;
    }
    file.Abort();
    if (!matched)
        return kTargetRecordNotFound;
    switch ((GetBigEndian32(record + 12) >> 12) & 7) {
    case 0: theStabsTaskBase = 0; break;
    case 1: theStabsTaskBase = 0x40000000; break;
    default: return kTargetRecordNotFound;
    }
    return kTargetRecordOk;
}

void MulU32x32(DWORD a, DWORD b, DWORD* high, DWORD* low)
{
    DWORD aLow = a & 0xFFFF, aHigh = a >> 16, bLow = b & 0xFFFF, bHigh = b >> 16;
    DWORD lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    DWORD highHigh = aHigh * bHigh;
    // The middle 16 bits collect three terms below 2^16 each, so they cannot overflow.
    DWORD middle = (lowLow >> 16) + (lowHigh & 0xFFFF) + (highLow & 0xFFFF);
    *low = (lowLow & 0xFFFF) | (middle << 16);
    *high = highHigh + (lowHigh >> 16) + (highLow >> 16) + (middle >> 16);
}

void GetTimeMicroseconds(DWORD* high, DWORD* low)
{
    MulU32x32((DWORD)time(NULL), 1000000, high, low);
}

void PutBigEndianPair(BYTE* dest, DWORD a, DWORD b)
{
    for (int i = 0; i < 4; ++i) {
        dest[i] = (BYTE)(a >> (24 - 8 * i));
        dest[4 + i] = (BYTE)(b >> (24 - 8 * i));
    }
}

void SetRangeEntry(int index, DWORD w0, DWORD w1, DWORD w2, DWORD w3)
{
    if (index < 0 || index >= kRangeEntries)
        return;
    DWORD* entry = theRangeTable[index];
    entry[0] = w0;
    entry[1] = w1;
    entry[2] = w2;
    entry[3] = w3;
}
