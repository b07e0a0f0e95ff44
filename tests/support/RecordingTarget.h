// A target for tests of the shell: every answer is configurable and every call is recorded in
// order, so a test can assert both what the dialogs showed and what they asked of the target.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "targets/TargetBase.h"

class CRecordingTarget : public CTargetBase {
public:
    // Joins theTargetList at its head (so FindById finds it before a registered target with
    // the same id) and leaves it again when destroyed. Starts with one module "Module 0".
    CRecordingTarget(BYTE id, const char* description = "Recording Test Target");

    // Replaces the module list; every module starts unloaded.
    void SetModules(const std::vector<CString>& names);
    // Calls recorded so far, e.g. "LoadOptions", "ClearModule(-1)", "LoadModule(0,/tmp/a.hex)".
    const std::vector<std::string>& Calls() const { return m_calls; }
    // Only the calls whose text starts with `prefix`, in order.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    void ClearCalls() { m_calls.clear(); }

    int LoadOptions() override;
    BOOL GetModuleName(CString& name, int block) override;
    int GetModuleCount() override;
    int SelectModuleForFile(const CString& path) override;
    BOOL IsModuleLoaded(int block) override;
    BOOL LoadModule(int block, const CString& path) override;
    BOOL CanProgram() override;
    void ClearModule(int block) override;
    BOOL Program(CString resource, CString* message) override;
    BOOL SaveBuffer(const CString& path) override;
    int HasOptions() override;
    int ShowOptions() override;
    BYTE* GetModuleImage(int block, DWORD* length) override;
    BOOL GetResourceName(int index, CString& name) override;
    BOOL GetFileFilter(CString& filter) override;
    void FixFileName(CString& path) override;

    // --- configuration (public so tests read as plain set-up) ---
    std::vector<CString> m_moduleNames;
    std::vector<bool> m_loaded;   // one flag per module
    BOOL m_bWholeBuffer = FALSE;  // offer the -1 area
    CString m_strWholeBufferName = "Whole Buffer";
    int m_nLoadOptions = 1;
    // -1: CanProgram answers TRUE exactly when some module is loaded; else the fixed answer.
    int m_nCanProgram = -1;
    BOOL m_bDefaultLoadResult = TRUE;
    std::map<std::string, BOOL> m_loadResults;  // LoadModule answer per full path
    int m_nDefaultSelection = 0;
    std::map<std::string, int> m_selections;  // SelectModuleForFile answer per full path
    // GetModuleImage data per block (absent or empty: NULL); must not change while in use.
    std::map<int, std::vector<BYTE>> m_images;
    std::vector<CString> m_resources{"COM2:", "COM1:"};
    CString m_strFilter = "Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
    BOOL m_bMultiSelect = TRUE;
    std::map<std::string, std::string> m_fixes;  // FixFileName rewrites
    BOOL m_bProgramResult = TRUE;
    CString m_strProgramMessage = "Programming complete";
    std::function<void()> m_onProgram;  // runs inside Program (progress checks)
    BOOL m_bSaveResult = TRUE;
    int m_nHasOptions = 0;
    int m_nShowOptions = 1;

private:
    void Record(const std::string& call) { m_calls.push_back(call); }
    bool IsModule(int block) const { return block >= 0 && block < (int)m_moduleNames.size(); }

    std::vector<std::string> m_calls;
};
