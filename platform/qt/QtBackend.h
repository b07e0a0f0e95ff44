// The Qt side of the platform, installed for the life of the object once the QApplication
// exists: the windows (dialogs as widgets), the keyboard and mouse state and, on a display a
// person sees, the Qt message boxes, file dialogs and help window and the pump that keeps the
// windows alive during an operation. On a headless platform (offscreen, minimal) the
// console services stay in force, so nobody waits on a window no one can answer.
#pragma once

#include <optional>

#include "platform/help/HelpService.h"
#include "platform/qt/QtHelpService.h"
#include "platform/qt/QtInputState.h"
#include "platform/qt/QtKeepAlive.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/QtWindowBackend.h"
#include "platform/ui/InputState.h"
#include "platform/ui/UiServices.h"

class CQtBackend {
public:
    CQtBackend();
    ~CQtBackend();
    CQtBackend(const CQtBackend&) = delete;
    CQtBackend& operator=(const CQtBackend&) = delete;

private:
    // The services come first: the scopes that install them end before they go.
    CQtWindowBackend m_windows;
    CQtInputState m_input;
    std::optional<CQtUiServices> m_ui;
    std::optional<CQtHelpService> m_help;
    CQtKeepAlive m_keepAlive;
    CScopedService<IWindowBackend*> m_windowsScope{WindowBackendSlot(), &m_windows};
    CScopedService<IInputState*> m_inputScope{InputStateSlot(), &m_input};
    std::optional<CScopedService<IUiServices*>> m_uiScope;
    std::optional<CScopedService<IHelpService*>> m_helpScope;
    std::optional<CScopedService<IKeepAlive*>> m_keepAliveScope;
};
