#include "tests/support/RecordingTarget.h"

#include <string>

CRecordingTarget::CRecordingTarget(BYTE id, const char* description) : CTargetBase(id, "RECTEST", description)
{
    SetModules({"Module 0"});
}

void CRecordingTarget::SetModules(const std::vector<CString>& names)
{
    m_moduleNames = names;
    m_loaded.assign(names.size(), false);
}

// The calls that only record themselves and answer as set read best as a table.
// clang-format off
int CRecordingTarget::LoadOptions() { Record("LoadOptions"); return m_nLoadOptions; }
int CRecordingTarget::GetModuleCount() { Record("GetModuleCount"); return (int)m_moduleNames.size(); }
BOOL CRecordingTarget::IsModuleLoaded(int block) { Record("IsModuleLoaded(" + std::to_string(block) + ")"); return IsModule(block) && m_loaded[block]; }
BOOL CRecordingTarget::SaveBuffer(const CString& path) { Record("SaveBuffer(" + path.str() + ")"); return m_bSaveResult; }
int CRecordingTarget::HasOptions() { Record("HasOptions"); return m_nHasOptions; }
int CRecordingTarget::ShowOptions() { Record("ShowOptions"); return m_nShowOptions; }
// clang-format on

std::vector<std::string> CRecordingTarget::CallsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& call : m_calls)
        if (call.compare(0, prefix.size(), prefix) == 0)
            found.push_back(call);
    return found;
}

BOOL CRecordingTarget::GetModuleName(CString& name, int block)
{
    Record("GetModuleName(" + std::to_string(block) + ")");
    if (block == -1 && m_bWholeBuffer) {
        name = m_strWholeBufferName;
        return TRUE;
    }
    if (!IsModule(block))
        return FALSE;
    name = m_moduleNames[block];
    return TRUE;
}

int CRecordingTarget::SelectModuleForFile(const CString& path)
{
    Record("SelectModuleForFile(" + path.str() + ")");
    auto answer = m_selections.find(path.str());
    return answer == m_selections.end() ? m_nDefaultSelection : answer->second;
}

BOOL CRecordingTarget::LoadModule(int block, const CString& path)
{
    Record("LoadModule(" + std::to_string(block) + "," + path.str() + ")");
    auto answer = m_loadResults.find(path.str());
    BOOL ok = answer == m_loadResults.end() ? m_bDefaultLoadResult : answer->second;
    if (ok && IsModule(block))
        m_loaded[block] = true;
    return ok;
}

BOOL CRecordingTarget::CanProgram()
{
    Record("CanProgram");
    if (m_nCanProgram >= 0)
        return m_nCanProgram;
    for (bool loaded : m_loaded)
        if (loaded)
            return TRUE;
    return FALSE;
}

void CRecordingTarget::ClearModule(int block)
{
    Record("ClearModule(" + std::to_string(block) + ")");
    if (block == -1)
        m_loaded.assign(m_moduleNames.size(), false);
    else if (IsModule(block))
        m_loaded[block] = false;
}

BOOL CRecordingTarget::Program(CString resource, CString* message)
{
    Record("Program(" + resource.str() + ")");
    if (m_onProgram)
        m_onProgram();
    if (message)
        *message = m_strProgramMessage;
    return m_bProgramResult;
}

BYTE* CRecordingTarget::GetModuleImage(int block, DWORD* length)
{
    Record("GetModuleImage(" + std::to_string(block) + ")");
    auto image = m_images.find(block);
    if (image == m_images.end() || image->second.empty())
        return NULL;
    if (length)
        *length = (DWORD)image->second.size();
    return image->second.data();
}

BOOL CRecordingTarget::GetResourceName(int index, CString& name)
{
    if (index < 0 || index >= (int)m_resources.size())
        return FALSE;
    name = m_resources[index];
    return TRUE;
}

BOOL CRecordingTarget::GetFileFilter(CString& filter)
{
    Record("GetFileFilter");
    filter = m_strFilter;
    return m_bMultiSelect;
}

void CRecordingTarget::FixFileName(CString& path)
{
    Record("FixFileName(" + path.str() + ")");
    auto fix = m_fixes.find(path.str());
    if (fix != m_fixes.end())
        path = fix->second.c_str();
}
