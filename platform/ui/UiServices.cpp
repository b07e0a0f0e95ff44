#include "platform/ui/UiServices.h"

#include "platform/ui/ConsoleUiServices.h"
#include "platform/base/AppName.h"

namespace {

// What is in force until the GUI installs its own: the program without a window, and tests.
IUiServices& DefaultServices()
{
    static CConsoleUiServices console;
    return console;
}

}  // namespace

CServiceSlot<IUiServices*>& UiServicesSlot()
{
    static CServiceSlot<IUiServices*> slot;
    return slot;
}

IUiServices& Ui()
{
    IUiServices* installed = UiServicesSlot().Get();
    return installed ? *installed : DefaultServices();
}

IUiServices* InstallUiServices(IUiServices* services)
{
    return UiServicesSlot().Install(services);
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    return Ui().MessageBox(CString(text), CString(AfxGetAppName()), type);
}
