#include "targets/dsp/TessarTarget.h"

#include <cstdint>
#include <vector>

#include "image/AsmListing.h"
#include "platform/base/DebugOutput.h"
#include "platform/base/FailureDetail.h"
#include "platform/files/File.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/ProgressCtrl.h"

namespace {

struct AreaTable {
    DWORD words;
    DWORD first;
    DWORD last;
};

// Word counts and word addresses per model, indexed by area. Every count is a multiple of
// 16 words, and the PRAM and XRAM counts of 64: the downloads send whole pieces only.
const AreaTable kModel1[CTessarTarget::areaCount] = {
    {0x6000, 0x4000, 0x9FFF},
    {0x2000, 0x2000, 0x3FFF},
    {0x1800, 0x0000, 0x17FF},
};
const AreaTable kModel2[CTessarTarget::areaCount] = {
    {0x4000, 0x4000, 0x7FFF},
    {0x1000, 0x3000, 0x3FFF},
    {0x07F0, 0x0010, 0x07FF},
};

const char* const kAreaNameFormats[CTessarTarget::areaCount] = {
    "PRAM: 0x%04X - 0x%04X",
    "XRAM: 0x%04X - 0x%04X",
    "DRAM: 0x%04X - 0x%04X",
};

// The box of a listing that cannot be opened or read, with the path and the system's reason
// as its second line; the debug output gets the class library's cause code.
void ReportUnreadable(const CString& path, const CFileException& error)
{
    CString reason = error.m_cause == CFileException::sharingViolation ? CString("in use by another program")
                     : error.m_lOsError > 0 ? CFailureDetail::SystemReason((int)error.m_lOsError)
                                            : CString("cannot be read");
    CFailureDetail::Set(CFailureDetail::ForFile(path, reason));
    AfxMessageBox(CFailureDetail::AddTo("Unable to open download file"), MB_OK);
    // Shown already: the main dialog's own text must not repeat it.
    CFailureDetail::Clear();
    DebugTrace("File could not be opened %d\n", error.m_cause);
}

}  // namespace

CTessarTarget::CTessarTarget(BYTE id, CString name, CString description, WORD model)
    : CTargetBase(id, name, description), m_nTargetId(id), m_nModel(model), m_strModelName(name),
      m_strDescription(description)
{
    const AreaTable* table = model == 1 ? kModel1 : model == 2 ? kModel2 : NULL;
    for (int area = 0; area < areaCount; ++area) {
        m_nAreaWords[area] = table ? table[area].words : 0;
        m_nAreaFirst[area] = table ? table[area].first : 0;
        m_nAreaLast[area] = table ? table[area].last : 0;
        m_bAreaLoaded[area] = FALSE;
    }
}

int CTessarTarget::LoadOptions()
{
    return 1;
}

BOOL CTessarTarget::GetModuleName(CString& name, int area)
{
    name.Empty();
    if (!IsArea(area))
        return FALSE;
    name.Format(kAreaNameFormats[area], (unsigned)m_nAreaFirst[area], (unsigned)m_nAreaLast[area]);
    return TRUE;
}

int CTessarTarget::GetModuleCount()
{
    return areaCount;
}

int CTessarTarget::SelectModuleForFile(const CString& path)
{
    if (path.Find(".x") >= 0)
        return areaXram;
    if (path.Find(".p") >= 0)
        return areaPram;
    if (path.Find(".d") >= 0)
        return areaDram;
    return -1;
}

BOOL CTessarTarget::IsModuleLoaded(int area)
{
    return IsArea(area) ? m_bAreaLoaded[area] : FALSE;
}

BOOL CTessarTarget::LoadModule(int area, const CString& path)
{
    if (!IsArea(area) || !IsKnownModel())
        return FALSE;

    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary, &error)) {
        ReportUnreadable(path, error);
        return FALSE;
    }

    BOOL parsed = FALSE;
    try {
        uint64_t length = file.GetLength();
        // Refused unread: no listing of any area comes near this size.
        if (length <= kListingBufferSize) {
            std::vector<char> text((size_t)length);
            UINT read = length ? file.Read(text.data(), (UINT)length) : 0;
            parsed = ParseAsmFile(text.data(), (int)read, area);
        }
    } catch (const CFileException& failure) {
        file.Abort();
        ReportUnreadable(path, failure);
        return FALSE;
    }
    file.Abort();
    // A file that does not parse leaves the area as it was, text and flag.
    if (parsed)
        m_bAreaLoaded[area] = TRUE;
    return parsed;
}

BOOL CTessarTarget::ParseAsmFile(const char* text, int length, int area)
{
    if (!IsArea(area))
        return FALSE;
    return ParseAsmListing(text, length, m_nAreaWords[area], m_strAreaData[area]);
}

BOOL CTessarTarget::CanProgram()
{
    return m_bAreaLoaded[areaPram] || m_bAreaLoaded[areaXram] || m_bAreaLoaded[areaDram];
}

void CTessarTarget::ClearModule(int area)
{
    if (area == -1) {
        for (int each = 0; each < areaCount; ++each)
            m_bAreaLoaded[each] = FALSE;
    } else if (IsArea(area)) {
        m_bAreaLoaded[area] = FALSE;
    }
}

BOOL CTessarTarget::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeSerialFast, index, name);
}

BOOL CTessarTarget::GetFileFilter(CString& filter)
{
    filter = "PRAM, XRAM & DRAM Files (*.p; *.x; *.d)|*.p;*.x;*.d|tessasm PRAM Files (*.p)|*.p|"
             "tessasm XRAM Files (*.x)|*.x|tessasm DRAM Files (*.d)|*.d|";
    return TRUE;
}

BOOL CTessarTarget::DownloadLoadedAreas(DWORD wordsPerStep)
{
    CProgressCtrl* bar = ProgressBar();
    if (bar) {
        bar->SetStep(1);
        bar->SetPos(0);
        bar->SetRange(0, (short)CountLoadedSteps(wordsPerStep));
    }
    for (int area = 0; area < areaCount; ++area)
        if (m_bAreaLoaded[area] && !DownloadArea(area, bar))
            return FALSE;
    return TRUE;
}

BOOL CTessarTarget::DownloadArea(int, CProgressCtrl*)
{
    return FALSE;
}

WORD CTessarTarget::CountLoadedSteps(DWORD wordsPerStep) const
{
    DWORD steps = 0;
    for (int area = 0; area < areaCount; ++area)
        if (m_bAreaLoaded[area])
            steps += m_nAreaWords[area] / wordsPerStep;
    return (WORD)steps;
}
