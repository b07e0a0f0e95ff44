#include "targets/stub/QB2300FLASH.h"

#include <cstring>
#include <memory>

#include "app/ModuleSelect.h"
#include "app/QuilletApp.h"
#include "image/IntelHex.h"
#include "platform/base/FailureDetail.h"
#include "platform/time/Clock.h"
#include "platform/wnd/Dialog.h"
#include "platform/files/File.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/wnd/Static.h"
#include "platform/ui/UiServices.h"
#include "targets/ITargetHost.h"
#include "targets/stub/QB2300Options.h"

namespace {

const DWORD kPieceSize = 2048;
const DWORD kReplyLength = 10;
// The stored path is read into a buffer of this size, whatever the settings hold.
const DWORD kThinDefaultBufferSize = 1024;
const char kBootStubFile[] = "BOOT2300.HEX";

struct ErrorReply {
    const char* reply;
    const char* message;
};

const ErrorReply kErrorReplies[] = {
    {"RSET ERR\r\n", "Unable to reset FLASH memory for programming"},
    {"ERAS ERR\r\n", "Unable to erase FLASH memory"},
    {"PROG ERR\r\n", "Error programming FLASH memory"},
};

const char kRescueReply[] = "RESCUED!\r\n";

}  // namespace

CQB2300Flash::CQB2300Flash() : CQB2300Flash(1, "QB2300", "QB2300 Evaluation Board") {}

CQB2300Flash::CQB2300Flash(BYTE id, CString name, CString description) : CIntelHexTarget(id, name, description) {}

// --- Settings ---

int CQB2300Flash::LoadOptions()
{
    return LoadStubOptions("QB2300_ThinDefault", "QB2300_Options");
}

void CQB2300Flash::SaveOptions()
{
    SaveStubOptions("QB2300_ThinDefault", "QB2300_Options");
}

int CQB2300Flash::LoadStubOptions(LPCSTR thinValueName, LPCSTR optionsValueName)
{
    int result = 1;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return result;

    // Whatever is stored, the path is taken from a bounded buffer and ends at its first zero.
    char path[kThinDefaultBufferSize];
    DWORD size = sizeof path;
    DWORD type = 0;
    if (RegQueryValueEx(key, thinValueName, NULL, &type, (LPBYTE)path, &size) == ERROR_SUCCESS) {
        size_t length = size < sizeof path ? size : sizeof path;
        m_strThinDefault = CString(path, (int)strnlen(path, length));
        result = 2;
    }

    DWORD options = 0;
    size = sizeof options;
    if (RegQueryValueEx(key, optionsValueName, NULL, &type, (LPBYTE)&options, &size) != ERROR_SUCCESS ||
        size != sizeof options)
        options = 0;
    m_dwStubOptions = options;
    return result;
}

void CQB2300Flash::SaveStubOptions(LPCSTR thinValueName, LPCSTR optionsValueName)
{
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return;
    RegSetValueEx(key, thinValueName, 0, REG_SZ, (const BYTE*)m_strThinDefault.GetString(),
                  (DWORD)m_strThinDefault.GetLength() + 1);
    RegSetValueEx(key, optionsValueName, 0, REG_DWORD, (const BYTE*)&m_dwStubOptions, sizeof m_dwStubOptions);
}

int CQB2300Flash::GetBankedMode() const
{
    int mode = (int)(m_dwStubOptions & 3);
    return mode == 3 ? 1 : mode;
}

// --- Blocks ---

BOOL CQB2300Flash::GetModuleName(CString& name, int block)
{
    name.Empty();
    if (block == -1) {
        name = "View all FLASH banks";
        return TRUE;
    }
    if (block == blockFatStub) {
        name = "'Fat' stub download";
        return TRUE;
    }
    if (block == blockThinStub) {
        name = "'Thin' stub download";
        return TRUE;
    }
    if (IsModule(block)) {
        name.Format("FLASH bank %u download", (unsigned)(block - blockFirstBank));
        return TRUE;
    }
    return FALSE;
}

int CQB2300Flash::GetModuleCount()
{
    return blockCount;
}

BOOL CQB2300Flash::CanProgram()
{
    return m_bLoaded[blockFatStub] && m_bLoaded[blockFirstBank];
}

DWORD CQB2300Flash::BlockBase(int block)
{
    if (block == blockFatStub)
        return fatStubBase;
    if (block == blockThinStub)
        return thinStubBase;
    return (DWORD)(block - blockFirstBank) << 16;
}

int CQB2300Flash::ParseBankSuffix(const CString& path)
{
    int at = path.Find(".H");
    if (at < 0 || at + 3 >= path.GetLength())
        return -1;
    char tens = path[at + 2];
    char units = path[at + 3];
    if (tens < '0' || tens > '9' || units < '0' || units > '9')
        return -1;
    int bank = (tens - '0') * 10 + (units - '0');
    // The board has eight banks: a higher number names none of them.
    return bank < bankCount ? bank : -1;
}

int CQB2300Flash::SelectModuleForFile(const CString& path)
{
    int bank = ParseBankSuffix(path);
    int preselected = bank >= 0 ? bank + blockFirstBank : -1;
    if (bank >= 0 && GetBankedMode() == 2)
        return preselected;

    CModuleSelect dialog(this, path, preselected, NULL);
    if (dialog.DoModal() != IDOK)
        return -1;
    int block = dialog.GetSelection();
    return IsModule(block) ? block : -1;
}

BOOL CQB2300Flash::LoadModule(int block, const CString& path)
{
    if (!IsModule(block))
        return FALSE;
    // A refused file takes back only what it added, so the blocks loaded before it keep their
    // records and their flags.
    return LoadHexFile(block, BlockBase(block), path);
}

LPCSTR CQB2300Flash::SplitFile(int block)
{
    if (block != blockFatStub && block != blockThinStub) {
        SpreadBankFile();
        return NULL;
    }
    // Unsigned on purpose: a stub that ends below its base wraps to a huge size and is refused.
    DWORD size = theIntelHex.GetEndAddress(m_pModules[block]) - BlockBase(block);
    if (block == blockFatStub)
        return size > fatStubLimit ? "Too many bytes in 'fat' stub download" : NULL;
    return size > thinStubLimit ? "Too many bytes in 'thin' stub download" : NULL;
}

void CQB2300Flash::AcceptFile(int block)
{
    if (block == blockFatStub || block == blockThinStub)
        m_bLoaded[block] = TRUE;
}

void CQB2300Flash::SpreadBankFile()
{
    // One file may feed every block: each window takes the records that have bytes in it, and
    // whatever lies outside all windows stays where the file was read.
    m_bLoaded[blockFatStub] = theIntelHex.ExtractRange(&m_pModules[blockFatStub], fatStubBase, fatStubLimit);
    m_bLoaded[blockThinStub] = theIntelHex.ExtractRange(&m_pModules[blockThinStub], thinStubBase, thinStubLimit);
    for (int bank = 0; bank < bankCount; ++bank) {
        int block = bank + blockFirstBank;
        m_bLoaded[block] = theIntelHex.ExtractRange(&m_pModules[block], BlockBase(block), bankSize);
    }
}

void CQB2300Flash::ClearModule(int block)
{
    CIntelHexTarget::ClearModule(block);
    if (block != -1 || m_strThinDefault.IsEmpty())
        return;
    CFailureDetail::Clear();
    if (LoadModule(blockThinStub, m_strThinDefault)) {
        SetHostControlState(2);
        return;
    }
    // The reader reports a file it cannot open but not one it rejects: without a word here
    // the default would be dropped silently.
    if (CFailureDetail::IsSet()) {
        CString text;
        text.Format("Unable to load specified file \u00AB%s\u00BB", m_strThinDefault.GetString());
        AfxMessageBox(CFailureDetail::AddTo(text), MB_OK);
        CFailureDetail::Clear();
    }
    // Forgotten in memory only: the stored value stays until the options are saved again.
    m_strThinDefault.Empty();
}

int CQB2300Flash::LastBankOfRun() const
{
    if (!m_bLoaded[blockFirstBank])
        return 0;
    int last = blockFirstBank;
    while (last + 1 < blockCount && m_bLoaded[last + 1])
        ++last;
    return last;
}

BYTE* CQB2300Flash::GetModuleImage(int block, DWORD* length)
{
    DWORD unused = 0;
    if (!length)
        length = &unused;
    *length = 0;
    BYTE* image = BuildStoreImage(block, 0xFF, 0xFF);
    if (!image)
        return NULL;

    DWORD start = 0;
    DWORD end = 0;
    if (block == -1) {
        int last = LastBankOfRun();
        if (last == 0) {
            FreeImage();
            return NULL;
        }
        end = theIntelHex.GetEndAddress(m_pModules[last]);
    } else {
        start = BlockBase(block);
        end = theIntelHex.GetEndAddress(m_pModules[block]);
    }
    // A block whose data ends at or below its window start has nothing to show.
    if (end <= start)
        return NULL;
    *length = end - start;
    return image + start;
}

// --- Files ---

int CQB2300Flash::ShowOptions()
{
    CQB2300Options dialog(NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

int CQB2300Flash::BrowseFile(CString& path, int flags)
{
    // The chosen path as it is, never rewritten by FixFileName: upper-cased it may open
    // another file that differs only in case, and as a bank pattern it opens nothing.
    CString filter;
    GetFileFilter(filter);
    return Host() ? Host()->BrowseForFile(&path, filter, flags) : 0;
}

BOOL CQB2300Flash::GetResourceName(int index, CString& name)
{
    return CCommsBase::GetResourceName(CCommsBase::typeSerial, index, name);
}

BOOL CQB2300Flash::GetFileFilter(CString& filter)
{
    filter = "Intel Hex Files (*.hex)|*.hex|Keil Banked Hex Files (*.h*)|*.h*|All Files (*.*)|*.*||";
    return TRUE;
}

void CQB2300Flash::FixFileName(CString& path)
{
    if (GetBankedMode() == 0)
        return;
    // Only the file name is folded: the folders are the ones the user chose, as they are on
    // disk, and upper-cased they could lead the search into another folder whose name
    // differs only by case.
    int nameStart = path.ReverseFind('/') + 1;
    CString name = path.Mid(nameStart);
    name.MakeUpper();
    name.Replace(".H00", ".H*");
    path = path.Left(nameStart) + name;
}

// --- Programming ---

BOOL CQB2300Flash::CheckImage()
{
    return CheckStoreImage();
}

BOOL CQB2300Flash::Program(CString resource, CString* status)
{
    CString ignored;
    if (!status)
        status = &ignored;

    // The main dialog offers Program only then, but nothing below may read outside the image.
    if (!CanProgram() || !m_pModules[blockFatStub] || !m_pModules[blockFirstBank]) {
        *status = "Invalid Binary Image";
        return FALSE;
    }
    if (!CheckImage()) {
        *status = "Invalid Binary Image";
        return FALSE;
    }

    DWORD stubEnd = theIntelHex.GetEndAddress(m_pModules[blockFatStub]);
    HexRecord* trailer = theIntelHex.AddWordRecord(&m_pModules[blockFatStub], 0, stubEnd,
                                                   (WORD)((stubEnd + 0x102) & 0xFFFF));
    if (!trailer) {
        *status = "Error creating 'fat' stub download block";
        return FALSE;
    }

    BOOL ok = FALSE;
    if (OfferThinStub(status)) {
        std::unique_ptr<BYTE[]> image = theIntelHex.BuildImage(0xFF, 0xFF);
        if (!image) {
            *status = "Error Creating Binary Image";
        } else {
            DWORD imageLength = theIntelHex.GetEndAddress(NULL);
            CopyThinStub(image.get(), imageLength);
            ok = RunStages(resource, image.get(), imageLength, status);
        }
    }
    m_Comms.Close();

    // The trailer belongs to this run only: kept, a retry would send a different stream and
    // Save Buffer would write it into the user's file.
    theIntelHex.DeleteRecord(trailer);
    return ok;
}

BOOL CQB2300Flash::OfferThinStub(CString* status)
{
    if (m_bLoaded[blockThinStub] || theIntelHex.FindOverlap(NULL, thinStubTarget, thinStubLimit))
        return TRUE;
    if (AfxMessageBox("Automaticaly include 'thin' stub code in bank 1", MB_YESNO) != IDYES)
        return TRUE;
    CString text;
    text.Format("Unable to load specified file \u00AB%s\u00BB", kBootStubFile);
    HexRecord* const newestBefore = theIntelHex.m_pNewest;
    // Relative to the current directory, which the file dialogs move unless told not to.
    if (theIntelHex.ReadFile(kBootStubFile, &m_pModules[blockThinStub], thinStubBase)) {
        // This path has no size limit, and the copy to bank 1 takes the gaps between the
        // file's records with it: whatever the whole copy would land on must be free.
        DWORD end = theIntelHex.GetEndAddress(m_pModules[blockThinStub]);
        DWORD covered = 0;
        if (end > thinStubBase && FindLoadedData(thinStubTarget, end - thinStubBase, covered)) {
            theIntelHex.DeleteRecordsNewerThan(newestBefore);
            CString reason;
            reason.Format("copied to bank 1 it would overwrite loaded data at 0x%05lX", (unsigned long)covered);
            CFailureDetail::Set(CFailureDetail::ForFile(kBootStubFile, reason));
            *status = text;
            return FALSE;
        }
        m_bLoaded[blockThinStub] = TRUE;
        return TRUE;
    }
    // A missing file has been reported by the reader; one that opens but did not load has not.
    CFile probe;
    if (probe.Open(kBootStubFile, CFile::modeRead | CFile::shareDenyNone)) {
        probe.Abort();
        AfxMessageBox(CFailureDetail::AddTo(text), MB_OK);
    }
    // Programming goes on without the stub: a later failure must not carry this cause.
    CFailureDetail::Clear();
    return TRUE;
}

BOOL CQB2300Flash::FindLoadedData(DWORD start, DWORD length, DWORD& first) const
{
    BOOL found = FALSE;
    DWORD last = start + length - 1;
    for (HexRecord* record = theIntelHex.m_pNewest; record; record = record->m_pOlder) {
        if (record->m_ppOwner == &m_pModules[blockThinStub] || record->m_nCount == 0)
            continue;
        DWORD from = record->m_dwBase + record->m_wAddress;
        DWORD to = from + record->m_nCount - 1;
        if (from > last || to < start)
            continue;
        DWORD at = from > start ? from : start;
        if (!found || at < first)
            first = at;
        found = TRUE;
    }
    return found;
}

void CQB2300Flash::CopyThinStub(BYTE* image, DWORD imageLength)
{
    if (!m_bLoaded[blockThinStub])
        return;
    DWORD end = theIntelHex.GetEndAddress(m_pModules[blockThinStub]);
    if (end <= thinStubBase || end > imageLength)
        return;
    // The source may run past the destination's start when a large file came in unchecked.
    memmove(image + thinStubTarget, image + thinStubBase, end - thinStubBase);
}

BOOL CQB2300Flash::RunStages(const CString& resource, BYTE* image, DWORD imageLength, CString* status)
{
    if (!m_Comms.Open(CCommsBase::typeSerial, resource)) {
        *status = "Unable to open specified communications port";
        return FALSE;
    }

    SetProgressText("Program Stage 1: Download 'fat' stub and erase FLASH");
    // The stub with its trailer; the 20 waits of 500 ms give the board 10 s to erase.
    DWORD stubEnd = theIntelHex.GetEndAddress(m_pModules[blockFatStub]);
    if (stubEnd < fatStubBase || stubEnd > imageLength ||
        !SendImage("FAT STUB\r\n", 20, image + fatStubBase, stubEnd - fatStubBase, FALSE)) {
        *status = "Error downloading 'fat' stub";
        return FALSE;
    }

    SetProgressText("Program Stage 2: Download program data to FLASH");
    DWORD length = theIntelHex.GetEndAddress(m_pModules[LastBankOfRun()]);
    if (length > imageLength || !SendImage("FLASH OK\r\n", 0, image, length, TRUE)) {
        *status = "Error downloading Binary Image";
        return FALSE;
    }
    *status = "Download complete";
    return TRUE;
}

BOOL CQB2300Flash::SendImage(CString expected, BYTE waits, const BYTE* data, DWORD length, BOOL sendLength)
{
    CProgressCtrl* bar = ProgressBar();
    if (bar) {
        bar->SetRange32(0, (int)(length / kPieceSize + 2 + waits));
        bar->SetStep(1);
        bar->StepIt();
    }
    BOOL ok = SendData(data, length, sendLength, bar) && AwaitReply(expected, waits, bar);
    if (bar)
        bar->SetPos(0);
    return ok;
}

BOOL CQB2300Flash::SendData(const BYTE* data, DWORD length, BOOL sendLength, CProgressCtrl* bar)
{
    if (sendLength) {
        BYTE prefix[4] = {(BYTE)length, (BYTE)(length >> 8), (BYTE)(length >> 16), (BYTE)(length >> 24)};
        DWORD count = sizeof prefix;
        if (!m_Comms.Write(prefix, count)) {
            AfxMessageBox("Error sending binary image length", MB_OK);
            return FALSE;
        }
    }
    DWORD sent = 0;
    // Whole pieces, then the rest; the last piece may be empty but still counts as a step.
    while (length - sent >= kPieceSize) {
        if (!WritePiece(data + sent, kPieceSize, bar))
            return FALSE;
        sent += kPieceSize;
    }
    return WritePiece(data + sent, length - sent, bar);
}

BOOL CQB2300Flash::WritePiece(const BYTE* data, DWORD length, CProgressCtrl* bar)
{
    DWORD count = length;
    if (length > 0 && !m_Comms.Write(data, count)) {
        AfxMessageBox("Error sending binary image", MB_OK);
        return FALSE;
    }
    if (bar)
        bar->StepIt();
    return TRUE;
}

BOOL CQB2300Flash::AwaitReply(const CString& expected, BYTE waits, CProgressCtrl* bar)
{
    Sleep(100);
    for (;;) {
        for (BYTE wait = 0; wait < waits; ++wait) {
            Sleep(500);
            if (bar)
                bar->StepIt();
        }
        BOOL rescue = FALSE;
        if (!ReadReply(expected, rescue))
            return FALSE;
        if (!rescue)
            return TRUE;
        AfxMessageBox("Rescue mode detected, change FLASH memory and press OK to continue", MB_OK);
        if (!m_Comms.WriteByte('X')) {
            AfxMessageBox("Error sending rescue mode erase command", MB_OK);
            return FALSE;
        }
        if (bar) {
            bar->SetRange32(0, waits);
            bar->SetPos(0);
        }
    }
}

BOOL CQB2300Flash::ReadReply(const CString& expected, BOOL& rescue)
{
    rescue = FALSE;
    BYTE reply[kReplyLength] = {};
    DWORD wanted = (DWORD)expected.GetLength() < kReplyLength ? (DWORD)expected.GetLength() : kReplyLength;
    DWORD count = wanted;
    if (!m_Comms.Read(reply, count) || count != wanted) {
        AfxMessageBox("Missing response from 'fat' stub", MB_OK);
        return FALSE;
    }
    if (memcmp(reply, expected.GetString(), wanted) == 0)
        return TRUE;
    if (wanted == kReplyLength && memcmp(reply, kRescueReply, kReplyLength) == 0) {
        rescue = TRUE;
        return TRUE;
    }
    for (const ErrorReply& error : kErrorReplies) {
        if (wanted == kReplyLength && memcmp(reply, error.reply, kReplyLength) == 0) {
            AfxMessageBox(error.message, MB_OK);
            return FALSE;
        }
    }
    AfxMessageBox("Incorrect response from 'fat' stub", MB_OK);
    return FALSE;
}
