// The Qt side of the platform, installed for the life of the object once the QApplication
// exists: on a display a person sees, the Qt message boxes, file dialogs and help window;
// on a headless platform (offscreen, minimal) nothing, so the console services stay in force
// and nobody waits on a window no one can answer.
#pragma once

#include <memory>

class CQtUiServices;
class CQtHelpService;
class IUiServices;
class IHelpService;

class CQtBackend {
public:
    CQtBackend();
    ~CQtBackend();
    CQtBackend(const CQtBackend&) = delete;
    CQtBackend& operator=(const CQtBackend&) = delete;

private:
    std::unique_ptr<CQtUiServices> m_ui;
    std::unique_ptr<CQtHelpService> m_help;
    IUiServices* m_previousUi = nullptr;
    IHelpService* m_previousHelp = nullptr;
};
