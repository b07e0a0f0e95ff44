#include "targets/TargetBase.h"

#include <memory>
#include <utility>

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
    std::unique_ptr<BYTE[]> image = theIntelHex.BuildImage(0xFF, 0xFF);
    if (!image)
        return FALSE;
    return theIntelHex.WriteFile(path, std::move(image), theIntelHex.GetEndAddress(NULL), 0xFF);
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

namespace {

// The loop that the calibration measures and every wait spins: n x factor iterations, the
// product wrapping like the 32-bit value it stands for. The counter is volatile so that the
// loop really runs.
void SpinCounted(DWORD n, DWORD factor)
{
    DWORD limit = n * factor;
    volatile DWORD i = 0;
    while (i < limit)
        i = i + 1;
}

}  // namespace

void CTargetBase::Delay(DWORD n)
{
    const DWORD factor = s_nDelayFactor;
    if (factor == 0 || n == 0)
        return;
    IClock& clock = CurrentClock();
    const uint64_t start = clock.NowNanoseconds();
    SpinCounted(n, factor);
    // A device's timings are minimums, and a factor counted under load or at another processor
    // speed comes out short: the monotonic clock has the last word, whatever the factor says.
    clock.SpinUntilNanoseconds(start + (uint64_t)n * 10000);
}

void CTargetBase::CalibrateDelay()
{
    if (s_nDelayFactor != 0)
        return;
    s_nDelayFactor = 1;

    // Neither measurement may straddle the wrap of the 32-bit tick counter. Both time the
    // counted loop alone: the floor of Delay would measure the clock instead.
    DWORD start = GetTickCount();
    if (start >= 0xFFFFF448u) {
        Sleep(3000);
        start = GetTickCount();
    }
    DWORD calls = 0;
    while (GetTickCount() < start + 1000) {
        SpinCounted(1, s_nDelayFactor);
        ++calls;
    }
    // A first estimate of 0 makes the timed run return at once, ending at the factor 1 below.
    DWORD estimate = calls / 10000;
    s_nDelayFactor = estimate;

    DWORD t1 = GetTickCount();
    SpinCounted(100000, estimate);
    DWORD t2 = GetTickCount();

    // A timed run that ends within one tick would give an unbounded quotient: it is counted
    // as one tick, which bounds the factor at 1000 times the first estimate. The run spins ten
    // times as often as the counted second called the one-unit loop, so it ends within a tick
    // only if reading the tick costs some ten thousand iterations or the tick stands still.
    DWORD elapsed = t2 - t1;
    if (estimate != 0 && elapsed == 0)
        elapsed = 1;
    double seconds = elapsed / 1000.0;
    double secondsPerIteration = seconds / (estimate * 100000.0);
    double perTenMicroseconds = estimate == 0 ? 0.0 : 0.00001 / secondsPerIteration;
    if (perTenMicroseconds >= 4294967295.0)
        s_nDelayFactor = 0xFFFFFFFFu;
    else if (perTenMicroseconds >= 1.0)
        s_nDelayFactor = (DWORD)perTenMicroseconds;
    else
        s_nDelayFactor = 1;
}
