// The abstract base of every board or kit the programmer can drive, and the global list that
// every registered target joins while the program's global objects are constructed.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "ports/CommsBase.h"

class CProgressCtrl;
class ITargetHost;

class CTargetBase {
public:
    // Links the new target at the head of theTargetList before the derived constructor runs.
    // Touches neither the settings nor a port: it runs during static construction.
    CTargetBase(BYTE id, CString name, CString description);

    // Unlinks the target from theTargetList, so a target that does not live for the whole run
    // leaves no dangling list entry. Does not close the port.
    virtual ~CTargetBase();

    // Reads the target's stored settings; called each time it becomes current. 0 keeps the
    // main dialog at control level 0, 1 or more gives level 1. Never negative.
    virtual int LoadOptions();
    // Assigns the display name of module `block` and returns exactly TRUE while `block` is a
    // module; -1 asks for the optional whole-buffer area. FALSE leaves `name` untouched.
    virtual BOOL GetModuleName(CString& name, int block);
    virtual int GetModuleCount();
    // Module for the file at `path`; -1 skips the file and the rest of its matches. Asked only
    // when there are two or more modules.
    virtual int SelectModuleForFile(const CString& path);
    virtual BOOL IsModuleLoaded(int block);
    virtual BOOL LoadModule(int block, const CString& path);
    virtual BOOL CanProgram();
    // Discards module `block`, or every module for -1.
    virtual void ClearModule(int block);
    // Programs the device on `resource` (such as "COM1:") and puts the outcome text for the
    // user into `*message`.
    virtual BOOL Program(CString resource, CString* message);
    virtual BOOL SaveBuffer(const CString& path);
    // Exactly 1: the target has its own options dialog (ShowOptions).
    virtual int HasOptions();
    // Runs the target's options dialog; 1 when confirmed.
    virtual int ShowOptions();
    // Flat image of module `block` (-1: whole buffer) and its length. The target keeps the
    // buffer; it stays valid until the next call, a clear or the target's destruction.
    virtual BYTE* GetModuleImage(int block, DWORD* length);
    // Target-specific file-open dialog; `flags` are added to the dialog's flags. 1 when a path
    // was chosen and stored in `path`.
    virtual int BrowseFile(CString& path, int flags);
    // Names communication resource `index`; the first FALSE ends the list.
    virtual BOOL GetResourceName(int index, CString& name);
    virtual void SaveOptions();
    // Load File filter ("desc|pattern|...||"); TRUE allows several files at once.
    virtual BOOL GetFileFilter(CString& filter) = 0;
    // Adjusts a chosen path before the file search; may turn it into a wildcard pattern.
    virtual void FixFileName(CString& path);

    BYTE GetId() const { return m_nId; }
    CString GetName() const { return m_strName; }
    CString GetDescription() const { return m_strDescription; }
    // The target after this one in theTargetList; NULL for the last.
    CTargetBase* GetNext() const { return m_pNext; }

    // First target in list order whose id equals the low byte of `id`; NULL for none.
    static CTargetBase* FindById(DWORD id);
    // First target whose display name equals `description` exactly (case-sensitive).
    static CTargetBase* FindByDescription(CString description);

    // Busy-loop iterations per 10 microseconds; 0 until calibrated.
    static DWORD s_nDelayFactor;
    // Measures s_nDelayFactor once per run against the tick counter; later calls return at once.
    // Takes a little over a second of real time. It waits for the tick to move, so a test that
    // installs a clock which only moves when slept on must give s_nDelayFactor a value first.
    static void CalibrateDelay();
    // Spins the calibrated loop for n units of 10 microseconds, then on the current clock
    // (platform/time/Clock.h) until at least n x 10 microseconds have passed since the call.
    // Never sleeps and never lets the window pump; returns at once while uncalibrated.
    static void Delay(DWORD n);

    CTargetBase(const CTargetBase&) = delete;
    CTargetBase& operator=(const CTargetBase&) = delete;

protected:
    // What the running main dialog offers a target; all are safe without one (no progress, no
    // control change, no file chosen).
    static ITargetHost* Host();
    static CProgressCtrl* ProgressBar();
    static void SetProgressText(LPCSTR text);
    static void SetHostControlState(BYTE level);
    // The host's file dialog with this target's filter; a chosen path is passed through
    // FixFileName. 1 when a path was chosen.
    int BrowseWithHost(CString& path, int flags);

    // The record store's overlap check as the Intel HEX targets show it: TRUE when the image
    // is clean, or overlaid and the user chose to go on; the other states are refused.
    static BOOL CheckStoreImage();
    // Save Buffer of the Intel HEX targets: the checked image of every record in the store,
    // gaps filled with 0xFF, written as Intel HEX to `path` (the old file is kept on failure).
    static BOOL SaveStoreAsHex(const CString& path);

    CCommsBase m_Comms;
    BYTE m_nId = 0;
    CString m_strName;
    CString m_strDescription;
    CTargetBase* m_pNext = NULL;
};

// Head of the list of all targets, newest first. Constant-initialised, so it is NULL before
// the first target's constructor runs whatever the order of static construction.
extern CTargetBase* theTargetList;
