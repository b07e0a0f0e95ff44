#include "platform/qt/QtBackend.h"

#include "platform/qt/WidgetHandle.h"

CQtBackend::CQtBackend()
{
    if (!IsInteractiveGui())
        return;
    m_ui.emplace();
    m_help.emplace();
    m_uiScope.emplace(UiServicesSlot(), &*m_ui);
    m_helpScope.emplace(HelpServiceSlot(), &*m_help);
    m_keepAliveScope.emplace(KeepAliveSlot(), &m_keepAlive);
}

CQtBackend::~CQtBackend()
{
    // The help window belongs to this session; it closes with it.
    if (m_help)
        m_help->Quit();
    m_keepAliveScope.reset();
    m_helpScope.reset();
    m_uiScope.reset();
}
