#include "platform/wnd/Application.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "platform/help/HelpService.h"
#include "platform/wnd/WinApp.h"
#include "platform/wnd/WindowBackend.h"

namespace {

CString s_programPath;

CString ReadProgramPath(const char* argv0)
{
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) {
        buffer[length] = '\0';
        return CString(buffer);
    }
    return CString(argv0 ? argv0 : "");
}

CString FileNameWithoutExtension(const CString& path)
{
    CString name = path.Mid(FolderOf(path).GetLength());
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

void Replace(char*& member, const CString& value)
{
    free(member);
    member = strdup(value.GetString());
}

}  // namespace

bool HasDisplay()
{
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    for (const char* name : names) {
        const char* value = getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

CString ProgramPath()
{
    if (s_programPath.IsEmpty())
        s_programPath = ReadProgramPath(NULL);
    return s_programPath;
}

CString DefaultHelpFilePath()
{
    // As the Windows start-up derives it: the program's path with its extension replaced.
    CString path = ProgramPath();
    return FolderOf(path) + FileNameWithoutExtension(path) + ".HLP";
}

CString FolderOf(const CString& path)
{
    return path.Left(path.ReverseFind('/') + 1);
}

int RunApplication(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (!app) {
        fprintf(stderr, "quillet: no application object\n");
        return 1;
    }
    s_programPath = ReadProgramPath(argc > 0 ? argv[0] : NULL);
    Replace(app->m_pszExeName, FileNameWithoutExtension(s_programPath));
    Replace(app->m_pszHelpFilePath, DefaultHelpFilePath());

    if (app->InitInstance())
        if (IWindowBackend* backend = WindowBackend())
            backend->RunEventLoop();
    int result = app->ExitInstance();
    Help().Quit();
    app->m_pMainWnd = NULL;
    return result;
}
