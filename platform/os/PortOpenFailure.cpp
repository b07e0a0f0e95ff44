#include "platform/os/PortOpenFailure.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

thread_local CPortOpenFailure t_last;

// "QUILLET_COM1" for "COM1:", "QUILLET_LPT1" for the parallel port; empty when the serial
// port was named by its path.
std::string OverrideVariable(const CPortOpenFailure& failure)
{
    if (failure.m_nPort == CPortOpenFailure::portParallel)
        return "QUILLET_LPT1";
    std::string name = failure.m_strPortName.str();
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0)
        return std::string();
    if (name.back() == ':')
        name.pop_back();
    return "QUILLET_" + name;
}

std::string ResolvedPath(const CString& path)
{
    char resolved[PATH_MAX];
    return realpath(path.GetString(), resolved) ? std::string(resolved) : path.str();
}

std::string ProcessName(const std::string& pid)
{
    std::string name;
    if (FILE* file = fopen(("/proc/" + pid + "/comm").c_str(), "r")) {
        char buffer[64] = {};
        if (fgets(buffer, sizeof buffer, file))
            name = buffer;
        fclose(file);
    }
    while (!name.empty() && (name.back() == '\n' || name.back() == ' '))
        name.pop_back();
    return name.empty() ? std::string("a program") : name;
}

bool ProcessHasOpen(const std::string& pid, const std::string& target)
{
    std::string folder = "/proc/" + pid + "/fd";
    DIR* fds = opendir(folder.c_str());
    if (!fds)
        return false;
    bool found = false;
    while (dirent* entry = readdir(fds)) {
        char link[PATH_MAX];
        ssize_t length = readlink((folder + "/" + entry->d_name).c_str(), link, sizeof link - 1);
        if (length > 0 && target.compare(0, std::string::npos, link, (size_t)length) == 0) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

}  // namespace

CPortOpenFailure::CPortOpenFailure(Port port, Kind kind, const CString& device, int error)
    : m_nPort(port), m_nKind(kind), m_strDevice(device), m_nError(error)
{
}

CPortOpenFailure::Kind CPortOpenFailure::KindOfError(int error)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return kindNoDevice;
    case EACCES:
    case EPERM:
    case EROFS: return kindNoAccess;
    case EBUSY:
    case EWOULDBLOCK: return kindBusy;
    case ENOTTY:
    case ENOTDIR:
    case EISDIR: return kindWrongDevice;
    default: return kindOther;
    }
}

CPortOpenFailure CPortOpenFailure::FromError(Port port, const CString& device, int error, const char* holder)
{
    CPortOpenFailure failure(port, KindOfError(error), device, error);
    if (failure.m_nKind == kindBusy) {
        failure.m_strHolder = FindHolder(device);
        if (failure.m_strHolder.IsEmpty())
            failure.m_strHolder = holder && *holder ? holder : "another program";
    }
    if (failure.m_nKind == kindNoAccess) {
        failure.m_strNodeAccess = RootOnlyAccess(device);
        if (failure.m_strNodeAccess.IsEmpty())
            failure.m_strGroup = AccessGroup(device, port == portSerial ? "dialout" : "lp");
    }
    return failure;
}

CString CPortOpenFailure::Describe() const
{
    if (!IsSet())
        return CString();
    std::string device = m_strDevice.str();
    // An in-process device is named like a port ("COM4:"), which carries its own colon.
    std::string text = device + (!device.empty() && device.back() == ':' ? " " : ": ");
    std::string variable = OverrideVariable(*this);
    const char* what = m_nPort == portSerial ? "serial port" : "parallel port";
    switch (m_nKind) {
    case kindNoDevice:
        text += "no such device. Check that the port or its adapter is present and plugged in";
        if (!variable.empty())
            text += ", or set " + variable + " to the device to use";
        text += ".";
        break;
    case kindNoAccess: {
        std::string usual = m_nPort == portSerial ? "dialout" : "lp";
        if (!m_strNodeAccess.IsEmpty()) {
            text += "permission denied, and no group you could join may open it (" + m_strNodeAccess.str() +
                    "). The administrator must give access, for example with a udev rule that sets GROUP=\"" + usual +
                    "\" and MODE=\"0660\" for it, and add your user to that group.";
            break;
        }
        std::string group = m_strGroup.IsEmpty() ? usual : m_strGroup.str();
        text += "permission denied. Add your user to the '" + group + "' group (sudo usermod -aG " + group +
                " $USER), then log out and in again.";
        break;
    }
    case kindBusy:
        text += "busy, in use by " + (m_strHolder.IsEmpty() ? std::string("another program") : m_strHolder.str()) + ".";
        break;
    case kindWrongDevice:
        text += std::string("not a ") + what + ".";
        if (m_nPort == portParallel)
            text += " The programmer drives the parallel port through ppdev (/dev/parport0).";
        break;
    case kindNoUart:
        text += "there is no serial port hardware (UART) behind this device. Choose the port the board is "
                "connected to, or set " +
                (variable.empty() ? std::string("QUILLET_COMn") : variable) +
                " to the device to use, such as a USB adapter (/dev/ttyUSB0).";
        break;
    case kindSettingsRefused: text += std::string("the device does not accept the ") + what + " settings."; break;
    default: text += m_nError ? std::string(strerror(m_nError)) + "." : std::string("cannot be opened."); break;
    }
    return CString(text);
}

void CPortOpenFailure::SetLast(const CPortOpenFailure& failure)
{
    t_last = failure;
}

void CPortOpenFailure::ClearLast()
{
    t_last = CPortOpenFailure();
}

const CPortOpenFailure& CPortOpenFailure::GetLast()
{
    return t_last;
}

void CPortOpenFailure::SetLastPortName(const CString& name)
{
    if (t_last.IsSet())
        t_last.m_strPortName = name;
}

CString CPortOpenFailure::FindHolder(const CString& path)
{
    std::string target = ResolvedPath(path);
    std::string self = std::to_string(getpid());
    DIR* processes = opendir("/proc");
    if (!processes)
        return CString();
    std::string holder;
    while (dirent* entry = readdir(processes)) {
        std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        if (ProcessHasOpen(pid, target)) {
            holder = ProcessName(pid) + " (process " + pid + ")";
            break;
        }
    }
    closedir(processes);
    return CString(holder);
}

CString CPortOpenFailure::RootOnlyAccess(const CString& path)
{
    struct stat info;
    const mode_t readWrite = S_IRGRP | S_IWGRP;
    if (stat(path.GetString(), &info) != 0 || (info.st_gid != 0 && (info.st_mode & readWrite) == readWrite))
        return CString();
    const passwd* owner = getpwuid(info.st_uid);
    const group* entry = getgrgid(info.st_gid);
    char text[160];
    snprintf(text, sizeof text, "owner %s, group %s, mode %04o",
             owner ? owner->pw_name : std::to_string(info.st_uid).c_str(),
             entry ? entry->gr_name : std::to_string(info.st_gid).c_str(), (unsigned)(info.st_mode & 07777));
    return CString(text);
}

CString CPortOpenFailure::AccessGroup(const CString& path, const char* fallback)
{
    struct stat info;
    const mode_t readWrite = S_IRGRP | S_IWGRP;
    if (stat(path.GetString(), &info) == 0 && info.st_gid != 0 && (info.st_mode & readWrite) == readWrite) {
        if (const group* entry = getgrgid(info.st_gid))
            return CString(entry->gr_name);
    }
    return CString(fallback ? fallback : "");
}
