#include "tests/support/RecordingHelpService.h"

CRecordingHelpService::CRecordingHelpService() : m_pPrevious(InstallHelpService(this)) {}

CRecordingHelpService::~CRecordingHelpService()
{
    InstallHelpService(m_pPrevious);
}

// The calls read best as a table, one per line.
// clang-format off
void CRecordingHelpService::ShowTopic(const CString& helpFile, DWORD contextId) { m_calls.push_back({Topic, helpFile, contextId, {0, 0}}); m_open = TRUE; }
void CRecordingHelpService::ShowPopup(const CString& helpFile, DWORD contextId, POINT position) { m_calls.push_back({Popup, helpFile, contextId, position}); }
void CRecordingHelpService::ShowIndex(const CString& helpFile) { m_calls.push_back({Index, helpFile, 0, {0, 0}}); m_open = TRUE; }
void CRecordingHelpService::Quit() { m_calls.push_back({Quit_, CString(), 0, {0, 0}}); m_open = FALSE; }
// clang-format on
