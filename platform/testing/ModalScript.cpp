#include "platform/testing/ModalScript.h"

#include "platform/wnd/Dialog.h"

CModalScript::CModalScript() : m_pPrevious(ModalRunnerSlot().Install(this)) {}

CModalScript::~CModalScript()
{
    VerifyAndClear();
    ModalRunnerSlot().Install(m_pPrevious);
}

CModalScript* CModalScript::Active()
{
    return dynamic_cast<CModalScript*>(ModalRunnerSlot().Get());
}

CModalScript& CModalScript::Expect(UINT templateId, Handler handler, int times)
{
    for (int i = 0; i < times; ++i)
        m_handlers[templateId].push_back(handler);
    return *this;
}

int CModalScript::PendingCount() const
{
    int count = 0;
    for (const auto& [id, queue] : m_handlers)
        count += (int)queue.size();
    return count;
}

void CModalScript::VerifyAndClear()
{
    for (const auto& [id, queue] : m_handlers)
        if (!queue.empty())
            ReportPlatformFailure("Dialog " + std::to_string(id) + " was expected " + std::to_string(queue.size()) +
                                  " more time(s) but did not run");
    m_handlers.clear();
}

int CModalScript::RunCount(UINT templateId) const
{
    auto it = m_runCounts.find(templateId);
    return it == m_runCounts.end() ? 0 : it->second;
}

BOOL CModalScript::Run(CDialog& dialog)
{
    UINT id = dialog.GetTemplateId();
    m_runOrder.push_back(id);
    auto it = m_handlers.find(id);
    if (it == m_handlers.end() || it->second.empty()) {
        ReportPlatformFailure("Unexpected dialog " + std::to_string(id) + " was opened");
        dialog.EndDialog(IDCANCEL);
        return FALSE;
    }
    Handler handler = std::move(it->second.front());
    it->second.pop_front();
    ++m_runCounts[id];
    handler(dialog);
    return TRUE;
}
