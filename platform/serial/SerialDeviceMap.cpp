#include "platform/serial/SerialDeviceMap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

#include "platform/serial/SerialPortRegistry.h"

extern char** environ;

namespace {

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool IsCharacterDevice(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISCHR(info.st_mode);
}

// Serial-core ports say in "type" which UART answered; 0 is none. Other ttys have no such file.
bool HasUart(const std::string& ttyDir)
{
    std::ifstream type(ttyDir + "/type");
    if (!type)
        return true;
    long value = 0;
    type >> value;
    return !type.fail() && value != 0;
}

void AddOnce(std::vector<CString>& list, const CString& entry)
{
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(entry);
}

bool IsComVariable(const char* entry)
{
    const char* prefix = "QUILLET_COM";
    size_t length = strlen(prefix);
    if (strncmp(entry, prefix, length) != 0)
        return false;
    const char* p = entry + length;
    if (*p < '0' || *p > '9')
        return false;
    while (*p >= '0' && *p <= '9')
        ++p;
    return *p == '=';
}

}  // namespace

std::vector<CString> CSerialDeviceMap::HardwareTtys(const CString& ttyClassDir)
{
    std::vector<CString> ttys;
    DIR* dir = opendir(ttyClassDir);
    if (!dir)
        return ttys;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string ttyDir = ttyClassDir.str() + "/" + name;
        if (Exists(ttyDir + "/device") && HasUart(ttyDir))
            AddOnce(ttys, CString("/dev/" + name));
    }
    closedir(dir);
    return ttys;
}

std::vector<CString> CSerialDeviceMap::Devices()
{
    std::vector<CString> devices = HardwareTtys("/sys/class/tty");
    for (char** entry = environ; entry && *entry; ++entry) {
        if (!IsComVariable(*entry))
            continue;
        const char* path = strchr(*entry, '=') + 1;
        if (IsCharacterDevice(path))
            AddOnce(devices, CString(path));
    }
    for (const CString& name : CSerialPortRegistry::RegisteredNames())
        AddOnce(devices, name);
    return devices;
}
