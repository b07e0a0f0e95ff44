#include "targets/TargetBase.h"

#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/time/Clock.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Static.h"
#include "targets/ITargetHost.h"

// constinit: the list head must be NULL before any target's constructor runs, whichever
// translation unit's static objects are constructed first.
constinit CTargetBase* theTargetList = NULL;
constinit DWORD CTargetBase::s_nDelayFactor = 0;

CTargetBase::CTargetBase(BYTE id, CString name, CString description) : m_pNext(theTargetList)
{
    theTargetList = this;
    m_nId = id;
    m_strName = name;
    m_strDescription = description;
}

CTargetBase::~CTargetBase()
{
    for (CTargetBase** link = &theTargetList; *link; link = &(*link)->m_pNext) {
        if (*link == this) {
            *link = m_pNext;
            break;
        }
    }
}

int CTargetBase::LoadOptions()
{
    return 0;
}

BOOL CTargetBase::GetModuleName(CString&, int)
{
    return FALSE;
}

int CTargetBase::GetModuleCount()
{
    return 0;
}

int CTargetBase::SelectModuleForFile(const CString&)
{
    return -1;
}

BOOL CTargetBase::IsModuleLoaded(int)
{
    return FALSE;
}

BOOL CTargetBase::LoadModule(int, const CString&)
{
    return FALSE;
}

BOOL CTargetBase::CanProgram()
{
    return FALSE;
}

void CTargetBase::ClearModule(int) {}

BOOL CTargetBase::Program(CString, CString*)
{
    return FALSE;
}

BOOL CTargetBase::SaveBuffer(const CString&)
{
    return FALSE;
}

int CTargetBase::HasOptions()
{
    return 0;
}

int CTargetBase::ShowOptions()
{
    return 0;
}

BYTE* CTargetBase::GetModuleImage(int, DWORD*)
{
    return NULL;
}

int CTargetBase::BrowseFile(CString&, int)
{
    return 0;
}

BOOL CTargetBase::GetResourceName(int, CString&)
{
    return FALSE;
}

void CTargetBase::SaveOptions() {}

void CTargetBase::FixFileName(CString&) {}

ITargetHost* CTargetBase::Host()
{
    return theApp.m_pMainDialog;
}

CProgressCtrl* CTargetBase::ProgressBar()
{
    return Host() ? Host()->GetProgressCtrl() : NULL;
}

void CTargetBase::SetProgressText(LPCSTR text)
{
    CStatic* label = Host() ? Host()->GetProgressText() : NULL;
    if (label)
        label->SetWindowText(text);
}

void CTargetBase::SetHostControlState(BYTE level)
{
    if (Host())
        Host()->SetControlState(level);
}

int CTargetBase::BrowseWithHost(CString& path, int flags)
{
    CString filter;
    GetFileFilter(filter);
    if (!Host())
        return 0;
    int result = Host()->BrowseForFile(&path, filter, flags);
    if (result == 1)
        FixFileName(path);
    return result;
}

BOOL CTargetBase::CheckStoreImage()
{
    int status = theIntelHex.CheckOverlap();
    LPCSTR text = CIntelHex::GetStatusText(status);
    if (!text)
        return TRUE;
    int answer = AfxMessageBox(text, CIntelHex::GetStatusMessageType(status));
    return status == CIntelHex::statusOverlaid && answer == IDYES;
}

BOOL CTargetBase::SaveStoreAsHex(const CString& path)
{
    if (!CheckStoreImage())
        return FALSE;
    BYTE* image = theIntelHex.BuildImage(0xFF, 0xFF);
    if (!image)
        return FALSE;
    return theIntelHex.WriteFile(path, image, theIntelHex.GetEndAddress(NULL), 0xFF);
}

CTargetBase* CTargetBase::FindById(DWORD id)
{
    BYTE wanted = (BYTE)(id & 0xFF);
    for (CTargetBase* target = theTargetList; target; target = target->m_pNext)
        if (target->m_nId == wanted)
            return target;
    return NULL;
}

CTargetBase* CTargetBase::FindByDescription(CString description)
{
    for (CTargetBase* target = theTargetList; target; target = target->m_pNext)
        if (target->m_strDescription == description)
            return target;
    return NULL;
}

void CTargetBase::Delay(DWORD n)
{
    DWORD factor = s_nDelayFactor;
    if (factor == 0)
        return;
    // Wraps like the 32-bit product it stands for. The counter is volatile so that the loop
    // really runs: the calibration measures exactly this loop.
    DWORD limit = n * factor;
    volatile DWORD i = 0;
    while (i < limit)
        i = i + 1;
}

namespace {
constexpr double kDelayHeadroom = 1.05;
} // namespace

void CTargetBase::CalibrateDelay()
{
    if (s_nDelayFactor != 0)
        return;
    s_nDelayFactor = 1;

    // Neither measurement may straddle the wrap of the 32-bit tick counter.
    DWORD start = GetTickCount();
    if (start >= 0xFFFFF448u) {
        Sleep(3000);
        start = GetTickCount();
    }
    DWORD calls = 0;
    while (GetTickCount() < start + 1000) {
        Delay(1);
        ++calls;
    }
    // A first estimate of 0 makes the timed run return at once, ending at the factor 1 below.
    DWORD estimate = calls / 10000;
    s_nDelayFactor = estimate;

    DWORD t1 = GetTickCount();
    Delay(100000);
    DWORD t2 = GetTickCount();

    // A timed run that ends within one tick would give an unbounded quotient: it is counted
    // as one tick, which bounds the factor at 1000 times the first estimate. That is the
    // smallest factor such a run allows, so waits may come out short; but the run spins ten
    // times as often as the counted second called Delay (1), so it ends within a tick only
    // if reading the tick costs some ten thousand loop iterations or the tick stands still.
    DWORD elapsed = t2 - t1;
    if (estimate != 0 && elapsed == 0)
        elapsed = 1;
    double seconds = elapsed / 1000.0;
    double secondsPerIteration = seconds / (estimate * 100000.0);
    // The devices' timings are minimums: 5 % headroom keeps a wait from coming out short
    // through the millisecond resolution of the measurement or a change of clock speed.
    double perTenMicroseconds = estimate == 0 ? 0.0 : 0.00001 / secondsPerIteration * kDelayHeadroom;
    if (perTenMicroseconds >= 4294967295.0)
        s_nDelayFactor = 0xFFFFFFFFu;
    else if (perTenMicroseconds >= 1.0)
        s_nDelayFactor = (DWORD)perTenMicroseconds;
    else
        s_nDelayFactor = 1;
}
