#include "platform/qt/QtBackend.h"

#include "platform/qt/QtHelpService.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/WidgetHandle.h"

CQtBackend::CQtBackend()
{
    if (IsInteractiveGui()) {
        m_ui = std::make_unique<CQtUiServices>();
        m_help = std::make_unique<CQtHelpService>();
        m_previousUi = InstallUiServices(m_ui.get());
        m_previousHelp = InstallHelpService(m_help.get());
    }
}

CQtBackend::~CQtBackend()
{
    if (m_help) {
        // The help window belongs to this session; it closes with it.
        m_help->Quit();
        InstallHelpService(m_previousHelp);
    }
    if (m_ui)
        InstallUiServices(m_previousUi);
}
