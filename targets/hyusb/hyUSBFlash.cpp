#include "targets/hyusb/hyUSBFlash.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "app/QuilletApp.h"
#include "platform/files/File.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ProgressCtrl.h"
#include "targets/hyusb/hyUSBFlashOptions.h"

namespace {

const BYTE kWriteRequest = 0x00;
const BYTE kWriteReply = 0x01;
const BYTE kVerifyRequest = 0x02;
const BYTE kVerifyReply = 0x03;
const BYTE kStatusDone = 0;
const BYTE kStatusJumper = 1;
const DWORD kRequestHeader = 3;
const DWORD kWriteReplyLength = 4;
const DWORD kVerifyReplyHeader = 2;
// The board keeps data of its own in the first bytes of its FLASH.
const DWORD kUncomparedAtZero = 7;
const DWORD kMaxFlashSize = 0x10000;
const DWORD kReportTimeoutMs = 5000;

const char kJumperWrong[] = "Error - raDedav-AD jumper ST13 incorrectly set.";

}  // namespace

CHyUSBFlash::CHyUSBFlash(BYTE id, CString name, CString description) : CTargetBase(id, name, description) {}

// --- Module ---

BOOL CHyUSBFlash::GetModuleName(CString& name, int block)
{
    if (block != 0)
        return FALSE;
    name = "ziDudav '.bin' File";
    return TRUE;
}

int CHyUSBFlash::GetModuleCount()
{
    return 1;
}

int CHyUSBFlash::SelectModuleForFile(const CString& path)
{
    return path.Find(".bin") >= 0 ? 0 : -1;
}

BOOL CHyUSBFlash::IsModuleLoaded(int block)
{
    return block == 0 ? m_bLoaded : FALSE;
}

BOOL CHyUSBFlash::CanProgram()
{
    return m_bLoaded;
}

void CHyUSBFlash::ClearModule(int block)
{
    if (block != 0 && block != -1)
        return;
    m_bLoaded = FALSE;
    m_pImage.reset();
}

BYTE* CHyUSBFlash::GetModuleImage(int block, DWORD* length)
{
    if (!length)
        return NULL;
    if (block != 0) {
        *length = 0;
        return NULL;
    }
    *length = m_pImage ? m_dwFlashSize : 0;
    return m_pImage.get();
}

BOOL CHyUSBFlash::GetFileFilter(CString& filter)
{
    filter = "bin Files (*.bin)|*.bin|";
    return FALSE;
}

// --- Files ---

BOOL CHyUSBFlash::LoadModule(int block, const CString& path)
{
    if (block != 0 || m_dwFlashSize == 0)
        return FALSE;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    try {
        if (file.GetLength() != m_dwFlashSize)
            return FALSE;
        // Read aside: the loaded image is replaced only by a whole new one.
        std::unique_ptr<BYTE[]> image(new (std::nothrow) BYTE[m_dwFlashSize]);
        if (!image || file.Read(image.get(), m_dwFlashSize) != m_dwFlashSize)
            return FALSE;
        m_pImage = std::move(image);
        m_bLoaded = TRUE;
        return TRUE;
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
}

BOOL CHyUSBFlash::SaveBuffer(const CString& path)
{
    if (!m_pImage || m_dwFlashSize == 0)
        return FALSE;
    // Replaced only once the whole image is written, so a failed save keeps the old file.
    CFile file;
    if (!file.Open(path, CFile::modeReplaceAtomically | CFile::modeWrite))
        return FALSE;
    try {
        file.Write(m_pImage.get(), m_dwFlashSize);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
    return TRUE;
}

// --- Options ---

int CHyUSBFlash::HasOptions()
{
    return 1;
}

int CHyUSBFlash::ShowOptions()
{
    CHyUSBFlashOptions dialog(this, NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

int CHyUSBFlash::InitOptions(int defaultOptions)
{
    m_dwOptions = (DWORD)defaultOptions;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return 1;
    CString valueName = GetName() + "_Options";
    DWORD stored = 0;
    DWORD size = sizeof stored;
    DWORD type = 0;
    if (RegQueryValueEx(key, valueName, NULL, &type, (LPBYTE)&stored, &size) == ERROR_SUCCESS && size == sizeof stored)
        m_dwOptions = stored;
    return 1;
}

void CHyUSBFlash::SetOptions(int options)
{
    m_dwOptions = (DWORD)options;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return;
    CString valueName = GetName() + "_Options";
    RegSetValueEx(key, valueName, 0, REG_DWORD, (const BYTE*)&m_dwOptions, sizeof m_dwOptions);
}

int* CHyUSBFlash::GetOptions(int* options)
{
    if (options)
        *options = (int)m_dwOptions;
    return options;
}

// --- Programming ---

BOOL CHyUSBFlash::Program(CString, CString* status)
{
    CString ignored;
    if (!status)
        status = &ignored;
    *status = "Unable to program the device";
    // The main dialog offers Program only with an image, but nothing below may read without one.
    if (!m_bLoaded || !m_pImage) {
        *status = "Error - No Flash image loaded";
        return FALSE;
    }

    CWaitCursor wait;
    CProgressCtrl* bar = ProgressBar();
    AfxMessageBox("Please set raDedav-AD jumper ST13 to 5-6 and press reset button S1", MB_OK);

    m_Comms.SetTimeout(kReportTimeoutMs);
    m_Comms.SetTimeoutIsError(TRUE);
    m_Comms.SetWriteRetry(FALSE);
    m_Comms.SetReadRetry(FALSE);

    BOOL ok = FALSE;
    CString serial;
    if (!m_Comms.OpenDevice(CHidComms::configuredVendorId, (WORD)m_dwProductId, &serial, NULL)) {
        *status = "Unable to establish communication with the raDedav-AD";
    } else {
        AfxMessageBox("Please set raDedav-AD jumper ST13 to 1-2", MB_OK);
        *status = "Error - Unable to program the Flash memory";
        SetProgressText("Programming the Flash memory");
        if (ProgramAll(bar)) {
            BOOL verified = TRUE;
            if (m_dwOptions & optionVerify) {
                *status = "Error - Unable to verify the Flash memory";
                SetProgressText("Verifying the Flash memory");
                verified = VerifyAll(bar);
            }
            if (verified) {
                *status = "raDedav-AD Flash programmed successfully";
                ok = TRUE;
            }
        }
    }
    m_Comms.Close();
    return ok;
}

BOOL CHyUSBFlash::CanTransferBlocks() const
{
    return m_pImage && m_dwBlockSize > 0 && m_dwBlockSize <= m_dwFlashSize && m_dwFlashSize <= kMaxFlashSize;
}

BOOL CHyUSBFlash::IsBlockInFlash(WORD address) const
{
    return CanTransferBlocks() && address <= m_dwFlashSize - m_dwBlockSize;
}

BOOL CHyUSBFlash::RunBlocks(CProgressCtrl* bar, BOOL (CHyUSBFlash::*each)(WORD))
{
    if (!CanTransferBlocks())
        return FALSE;
    if (bar) {
        bar->SetRange32(0, (int)(m_dwFlashSize / m_dwBlockSize));
        bar->SetStep(1);
        bar->SetPos(0);
    }
    // DWORD: a WORD counter would wrap at 0x10000 and never end the loop.
    for (DWORD address = 0; address < m_dwFlashSize; address += m_dwBlockSize) {
        if (!(this->*each)((WORD)address))
            return FALSE;
        if (bar)
            bar->StepIt();
    }
    return TRUE;
}

BOOL CHyUSBFlash::ProgramAll(CProgressCtrl* bar)
{
    return RunBlocks(bar, &CHyUSBFlash::WriteBlock);
}

BOOL CHyUSBFlash::VerifyAll(CProgressCtrl* bar)
{
    return RunBlocks(bar, &CHyUSBFlash::VerifyBlock);
}

BOOL CHyUSBFlash::CheckReply(const BYTE* reply, BYTE expectedCode)
{
    if (reply[0] != expectedCode)
        return FALSE;
    if (reply[1] == kStatusJumper) {
        AfxMessageBox(kJumperWrong, MB_OK);
        return FALSE;
    }
    return reply[1] == kStatusDone;
}

BOOL CHyUSBFlash::WriteBlock(WORD address)
{
    if (!IsBlockInFlash(address))
        return FALSE;
    std::vector<BYTE> request(kRequestHeader + m_dwBlockSize);
    request[0] = kWriteRequest;
    request[1] = (BYTE)(address >> 8);
    request[2] = (BYTE)address;
    memcpy(&request[kRequestHeader], m_pImage.get() + address, m_dwBlockSize);
    if (!m_Comms.Write(request.data(), (DWORD)request.size(), NULL))
        return FALSE;
    BYTE reply[kWriteReplyLength] = {};
    if (!m_Comms.Read(reply, kWriteReplyLength, NULL))
        return FALSE;
    return CheckReply(reply, kWriteReply);
}

BOOL CHyUSBFlash::VerifyBlock(WORD address)
{
    if (!IsBlockInFlash(address))
        return FALSE;
    BYTE request[kRequestHeader] = {kVerifyRequest, (BYTE)(address >> 8), (BYTE)address};
    if (!m_Comms.Write(request, kRequestHeader, NULL))
        return FALSE;
    std::vector<BYTE> reply(kVerifyReplyHeader + m_dwBlockSize);
    if (!m_Comms.Read(reply.data(), (DWORD)reply.size(), NULL))
        return FALSE;
    if (!CheckReply(reply.data(), kVerifyReply))
        return FALSE;
    DWORD first = address == 0 ? (kUncomparedAtZero < m_dwBlockSize ? kUncomparedAtZero : m_dwBlockSize) : 0;
    return memcmp(&reply[kVerifyReplyHeader + first], m_pImage.get() + address + first, m_dwBlockSize - first) == 0;
}
