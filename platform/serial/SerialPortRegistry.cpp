#include "platform/serial/SerialPortRegistry.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/os/PortOpenFailure.h"
#include "platform/serial/LinuxSerialPort.h"

namespace {

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, ISerialDevice*>& Devices()
{
    static std::map<std::string, ISerialDevice*> devices;
    return devices;
}

std::map<std::string, std::string>& Paths()
{
    static std::map<std::string, std::string> paths;
    return paths;
}

// Port number of a "COMn:" / "COMn" name, or 0 when `name` is not one.
unsigned ComPortNumber(const std::string& name)
{
    if (name.size() < 4 || std::toupper((unsigned char)name[0]) != 'C' || std::toupper((unsigned char)name[1]) != 'O' ||
        std::toupper((unsigned char)name[2]) != 'M')
        return 0;
    size_t end = name.size();
    if (name[end - 1] == ':')
        --end;
    if (end == 3 || end - 3 > 6)
        return 0;
    unsigned number = 0;
    for (size_t i = 3; i < end; ++i) {
        if (!std::isdigit((unsigned char)name[i]))
            return 0;
        number = number * 10 + (unsigned)(name[i] - '0');
    }
    return number;
}

void SetFailure(CPortOpenFailure::Kind kind, const CString& name, int error)
{
    CPortOpenFailure failure(CPortOpenFailure::portSerial, kind, name, error);
    if (kind == CPortOpenFailure::kindBusy)
        failure.m_strHolder = "another program";
    CPortOpenFailure::SetLast(failure);
}

}  // namespace

CString CSerialPortRegistry::Key(const CString& name)
{
    unsigned number = ComPortNumber(name.str());
    if (number != 0)
        return CString("COM" + std::to_string(number) + ":");
    CString key = name;
    if (key.GetLength() > 0 && key[0] != '/')
        key.MakeUpper();
    return key;
}

CString CSerialPortRegistry::DevicePath(const CString& name)
{
    const std::string& text = name.str();
    if (!text.empty() && text[0] == '/')
        return name;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        auto mapped = Paths().find(Key(name).str());
        if (mapped != Paths().end())
            return CString(mapped->second);
    }
    unsigned number = ComPortNumber(text);
    if (number == 0)
        return CString();
    std::string variable = "QUILLET_COM" + std::to_string(number);
    const char* overridePath = std::getenv(variable.c_str());
    if (overridePath && *overridePath)
        return CString(overridePath);
    return CString("/dev/ttyS" + std::to_string(number - 1));
}

void CSerialPortRegistry::Register(const CString& name, ISerialDevice* device)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Devices()[Key(name).str()] = device;
}

void CSerialPortRegistry::Unregister(const CString& name, ISerialDevice* device)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto found = Devices().find(Key(name).str());
    if (found != Devices().end() && found->second == device)
        Devices().erase(found);
}

std::vector<CString> CSerialPortRegistry::RegisteredNames()
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    std::vector<CString> names;
    for (const auto& entry : Devices())
        names.push_back(CString(entry.first));
    return names;
}

void CSerialPortRegistry::MapPath(const CString& name, const CString& path)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    if (path.IsEmpty())
        Paths().erase(Key(name).str());
    else
        Paths()[Key(name).str()] = path.str();
}

ISerialDevice* CSerialPortRegistry::Find(const CString& name)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto found = Devices().find(Key(name).str());
    return found == Devices().end() ? NULL : found->second;
}

std::unique_ptr<ISerialPort> CSerialPortRegistry::Open(const CString& name)
{
    std::unique_ptr<ISerialPort> port;
    if (ISerialDevice* device = Find(name)) {
        port = device->Connect();
        if (!port)
            SetFailure(CPortOpenFailure::kindBusy, name, EBUSY);
    } else {
        CString path = DevicePath(name);
        if (path.IsEmpty())
            SetFailure(CPortOpenFailure::kindNoDevice, name, ENOENT);
        else
            port = CLinuxSerialPort::Open(path);
    }
    if (!port && ComPortNumber(name.str()) != 0)
        CPortOpenFailure::SetLastPortName(Key(name));
    return port;
}
