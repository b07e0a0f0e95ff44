#include "app/QuilletApp.h"
#include "platform/qt/QtApplication.h"

int main(int argc, char** argv)
{
    // Naming the application object here pulls app/Globals.cpp, and with it every global object
    // in its construction order, out of the static library.
    if (AfxGetApp() != &theApp)
        return 1;
    return RunQtApplication(argc, argv);
}
