#include "tests/support/FakeTargetHost.h"

#include <QLabel>
#include <QWidget>

#include "app/QuilletApp.h"
#include "platform/qt/ProgressBarWidget.h"
#include "platform/qt/WidgetHandle.h"

CFakeTargetHost::CFakeTargetHost() : m_window(std::make_unique<QWidget>()), m_previous(theApp.m_pMainDialog)
{
    m_progress.Attach(HandleOf(new CProgressBarWidget(m_window.get())));
    m_text.Attach(HandleOf(new QLabel(m_window.get())));
    theApp.m_pMainDialog = this;
}

CFakeTargetHost::~CFakeTargetHost()
{
    theApp.m_pMainDialog = m_previous;
    m_progress.Detach();
    m_text.Detach();
}

void CFakeTargetHost::SetControlState(BYTE level)
{
    m_controlStates.push_back(level);
}

BOOL CFakeTargetHost::BrowseForFile(CString* path, LPCSTR filter, int flags)
{
    m_browseFilters.push_back(filter ? filter : "");
    m_browseFlags.push_back(flags);
    if (!path || !filter || !*filter || m_browseAnswers.empty())
        return FALSE;
    std::string answer = m_browseAnswers.front();
    m_browseAnswers.pop_front();
    if (answer.empty())
        return FALSE;
    *path = answer.c_str();
    return TRUE;
}

std::string CFakeTargetHost::ProgressText() const
{
    CString text;
    m_text.GetWindowText(text);
    return (LPCSTR)text;
}

int CFakeTargetHost::Lower() const
{
    int lower = 0, upper = 0;
    m_progress.GetRange(lower, upper);
    return lower;
}

int CFakeTargetHost::Upper() const
{
    int lower = 0, upper = 0;
    m_progress.GetRange(lower, upper);
    return upper;
}
