// The test's end of a device the preload library answers for: names the device and a fresh
// record to the library for the life of the object, and reads and changes the record as the
// device at the far end of the lines.
#pragma once

#include <dlfcn.h>

#include <string>

#include "tests/preload/PreloadRecord.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

class CPreloadedDevice {
public:
    // `variable` is kPreloadTtyVariable with the path of a pseudo-terminal, or
    // kPreloadParportVariable with no path: the device is then a regular file made here.
    explicit CPreloadedDevice(const char* variable, const std::string& path = "")
        : m_path(path.empty() ? m_folder.Write("parport") : path), m_recordPath(m_folder / "record"),
          m_device(variable, m_path.c_str()), m_record(kPreloadRecordVariable, m_recordPath.c_str())
    {
    }

    // Whether the library is loaded into this process (by LD_PRELOAD).
    static bool IsLoaded() { return dlsym(RTLD_DEFAULT, "quillet_preload_loaded") != NULL; }

    const std::string& Path() const { return m_path; }

    PreloadRecord Get() const
    {
        PreloadRecord copy;
        UpdatePreloadRecord(m_recordPath.c_str(), [&](PreloadRecord& r) {
            copy = r;
            return false;
        });
        return copy;
    }

    template <class Change>
    void Set(Change change)
    {
        UpdatePreloadRecord(m_recordPath.c_str(), [&](PreloadRecord& r) {
            change(r);
            return true;
        });
    }

private:
    CTempFolder m_folder;
    std::string m_path;
    std::string m_recordPath;
    CScopedEnvironment m_device;
    CScopedEnvironment m_record;
};
