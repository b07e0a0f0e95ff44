#include "platform/ui/UiServices.h"

#include "platform/ui/ConsoleUiServices.h"
#include "platform/wnd/WinApp.h"
#include "platform/qt/QtUiServices.h"
#include "platform/qt/WidgetHandle.h"

namespace {

IUiServices* s_pInstalled = NULL;

IUiServices& DefaultServices()
{
    if (IsInteractiveGui()) {
        static CQtUiServices qt;
        return qt;
    }
    static CConsoleUiServices console;
    return console;
}

} // namespace

IUiServices& Ui()
{
    return s_pInstalled ? *s_pInstalled : DefaultServices();
}

IUiServices* InstallUiServices(IUiServices* services)
{
    IUiServices* previous = s_pInstalled;
    s_pInstalled = services;
    return previous;
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    return Ui().MessageBox(CString(text), CString(AfxGetAppName()), type);
}
