#include "targets/hyice/hyICEFlash.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "app/QuilletApp.h"
#include "platform/base/ByteOrder.h"
#include "platform/files/File.h"
#include "platform/settings/RegKeyGuard.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ProgressCtrl.h"
#include "res/resource.h"
#include "targets/hyice/hyICEFlashOptions.h"

namespace {

const BYTE kFlagData = 0x01;
const BYTE kFlagReadRequest = 0x10;
const WORD kImageRequest = 3;
// Image bytes handed out per step of the progress bar.
const DWORD kBytesPerStep = 128;
const DWORD kFlashSize64K = 0x10000;
const DWORD kFlashReadBase = 0xE0000000;
const DWORD kSerialImageOffset = 1;
// A stored serial number: six characters and the terminating NUL.
const DWORD kStoredSerialBytes = 7;

void StepProgress(CProgressCtrl* progress, DWORD steps = 1)
{
    if (progress)
        for (DWORD i = 0; i < steps; ++i)
            progress->StepIt();
}

void StartProgress(CProgressCtrl* progress, int upper)
{
    if (!progress)
        return;
    progress->SetRange32(0, upper);
    progress->SetStep(1);
    progress->SetPos(0);
}

}  // namespace

CHyICEFlash::CHyICEFlash(BYTE id, CString name, CString description) : CHyICEHYE(id, name, description)
{
    m_bImageLoaded = FALSE;
    m_nImageSize = 0;
    m_wOptions = 0;
    m_strSerial = "000000";
}

CHyICEFlash::~CHyICEFlash() = default;

// --- Module ---

BOOL CHyICEFlash::GetModuleName(CString& name, int block)
{
    if (block != 0)
        return FALSE;
    name.Empty();
    name = "ziDudav '.bin' File";
    return TRUE;
}

int CHyICEFlash::GetModuleCount()
{
    return 1;
}

int CHyICEFlash::SelectModuleForFile(const CString& path)
{
    return path.Find(".bin") >= 0 ? 0 : -1;
}

BOOL CHyICEFlash::IsModuleLoaded(int block)
{
    return block == 0 ? m_bImageLoaded : FALSE;
}

BOOL CHyICEFlash::CanProgram()
{
    return m_bImageLoaded;
}

void CHyICEFlash::ClearModule(int block)
{
    if (block != 0 && block != -1)
        return;
    m_bImageLoaded = FALSE;
    m_pImage.reset();
}

BYTE* CHyICEFlash::GetModuleImage(int block, DWORD* length)
{
    if (!length)
        return NULL;
    if (block != 0) {
        *length = 0;
        return NULL;
    }
    *length = m_nImageSize;
    return m_pImage.get();
}

BOOL CHyICEFlash::GetFileFilter(CString& filter)
{
    filter = "bin Files (*.bin)|*.bin|";
    return FALSE;
}

// --- Files ---

BOOL CHyICEFlash::LoadModule(int block, const CString& path)
{
    if (block != 0)
        return FALSE;
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite))
        return FALSE;
    try {
        if (m_nImageSize == 0 || file.GetLength() != m_nImageSize)
            return FALSE;
        std::unique_ptr<BYTE[]> image(new (std::nothrow) BYTE[m_nImageSize]);
        if (!image || file.Read(image.get(), m_nImageSize) != m_nImageSize)
            return FALSE;
        m_pImage = std::move(image);
        m_bImageLoaded = TRUE;
        return TRUE;
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
}

BOOL CHyICEFlash::SaveBuffer(const CString& path)
{
    // Nothing to write: an existing file is not replaced by an empty one.
    if (!m_pImage || m_nImageSize == 0)
        return FALSE;
    CFile file;
    if (!file.Open(path, CFile::modeReplaceAtomically | CFile::modeWrite))
        return FALSE;
    try {
        file.Write(m_pImage.get(), m_nImageSize);
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
    return TRUE;
}

// --- Options ---

int CHyICEFlash::HasOptions()
{
    return 1;
}

int CHyICEFlash::ShowOptions()
{
    CHyICEFlashOptions dialog(this, NULL);
    return dialog.DoModal() == IDOK ? 1 : 0;
}

BOOL CHyICEFlash::InitOptions(DWORD boardType, WORD defaultOptions, CString defaultSerial)
{
    m_dwBoardType = boardType;
    if (boardType != kBoardType64K) {
        m_nImageSize = 0;
        m_nSerialOffset = 0;
        return FALSE;
    }
    m_nImageSize = kFlashSize64K;
    m_nSerialOffset = kSerialImageOffset;
    m_dwFlashBase = kFlashReadBase;
    m_nStubResourceId = IDR_HYE_PROG;
    m_strSerial = defaultSerial;
    m_wOptions = defaultOptions;
    ReadStoredOptions();
    return TRUE;
}

void CHyICEFlash::ReadStoredOptions()
{
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return;
    // Taken only as a terminated text that fits six characters; anything else keeps the default.
    char serial[kStoredSerialBytes] = {};
    DWORD size = sizeof serial;
    DWORD type = REG_NONE;
    if (RegQueryValueEx(key, GetName() + "_Serial_No", NULL, &type, (LPBYTE)serial, &size) == ERROR_SUCCESS &&
        type == REG_SZ && size > 0 && size <= sizeof serial && memchr(serial, '\0', size) != NULL)
        m_strSerial = serial;

    DWORD stored = 0;
    size = sizeof stored;
    if (RegQueryValueEx(key, GetName() + "_Options", NULL, &type, (LPBYTE)&stored, &size) == ERROR_SUCCESS &&
        size == sizeof stored)
        m_wOptions = (WORD)stored;
}

void CHyICEFlash::SetOptions(WORD options, CString serial)
{
    m_strSerial = serial;
    m_wOptions = options;
    CRegKeyGuard key(theApp.OpenSettingsKey());
    if (!key)
        return;
    RegSetValueEx(key, GetName() + "_Serial_No", 0, REG_SZ, (const BYTE*)(LPCSTR)m_strSerial,
                  (DWORD)m_strSerial.GetLength() + 1);
    DWORD stored = m_wOptions;
    RegSetValueEx(key, GetName() + "_Options", 0, REG_DWORD, (const BYTE*)&stored, sizeof stored);
}

WORD* CHyICEFlash::GetOptions(WORD* options, CString* serial)
{
    if (options)
        *options = m_wOptions;
    if (serial)
        *serial = m_strSerial;
    return options;
}

// --- Programming ---

BOOL CHyICEFlash::Program(CString resource, CString* status)
{
    CString ignored;
    if (!status)
        status = &ignored;
    CWaitCursor wait;
    *status = "Unable to program the device";
    // The main dialog offers Program only with an image; nothing below may run without one.
    if (!m_bImageLoaded || !m_pImage || m_nImageSize == 0)
        return FALSE;
    CProgressCtrl* progress = ProgressBar();
    BOOL result = FALSE;
    if (!OpenComms(resource))
        *status = "Unable to open the specified communications resource";
    else
        result = RunProgrammer(resource, status, progress);
    CloseComms();
    return result;
}

BOOL CHyICEFlash::RunProgrammer(const CString& resource, CString* status, CProgressCtrl* progress)
{
    if (!WaitForReset()) {
        *status = "Unable to initialise communications with the ziDudav";
        return FALSE;
    }
    if (m_wOptions & optionSegmentPrompt)
        AfxMessageBox("Please select the flash segment to program via the ziDudav jumper ST13", MB_OK);
    if (!LoadProgrammer() || !DownloadAndRun(resource, status, TRUE))
        return FALSE;

    *status = "Error - Unable to write all Flash Data to the ziDudav memory";
    SetProgressText("Programming the Flash memory");
    StartProgress(progress, (int)(m_nImageSize / kBytesPerStep + 1));
    if (m_wOptions & optionSerialNumber)
        WriteSerialNumber();
    if (!TransferImage(progress))
        return FALSE;

    *status = "Error - No Response received from the ziDudav";
    if (!WaitForCompletion())
        return FALSE;
    StepProgress(progress);

    if (m_wOptions & optionVerify) {
        *status = "Error - Unable to verify the Flash memory";
        SetProgressText("Verifying the Flash memory");
        if (!VerifyFlash(progress))
            return FALSE;
    }
    *status = "ziDudav Flash programmed successfully";
    return TRUE;
}

BOOL CHyICEFlash::LoadProgrammer()
{
    if (m_dwBoardType & kProgrammerInResources)
        return LoadFromResource(0, m_nStubResourceId, "HYE_PROG");
    return CHyICEHYE::LoadModule(0, m_strStubPath);
}

BOOL CHyICEFlash::WaitForCompletion()
{
    CHyMessage* received = NULL;
    BOOL acknowledged = ReceiveAndAck(&received);
    CHyMessagePtr done(received);
    return acknowledged && done && done->m_byType == typeProgrammingDone && done->m_dwLength == 0;
}

void CHyICEFlash::WriteSerialNumber()
{
    // Six characters and a terminating 0; a shorter serial number is padded with 0.
    if (!m_pImage || (uint64_t)m_nSerialOffset + kSerialLength + 1 > m_nImageSize)
        return;
    BYTE* at = m_pImage.get() + m_nSerialOffset;
    memset(at, 0, kSerialLength + 1);
    memcpy(at, (LPCSTR)m_strSerial, std::min(m_strSerial.GetLength(), kSerialLength));
}

BOOL CHyICEFlash::TransferImage(CProgressCtrl* progress)
{
    if (!m_pImage)
        return FALSE;
    DWORD sent = 0;
    DWORD mark = 0;
    BYTE record[kRequestBufferSize];
    do {
        CHyMessagePtr request;
        if (!ReceiveBoardRequest(request, record))
            return FALSE;
        if (GetBigEndian16(record) != kImageRequest || GetBigEndian16(record + 2) != 0)
            return FALSE;
        DWORD address = GetBigEndian32(record + 12);
        DWORD wanted = GetBigEndian32(record + 16);
        // Within one frame and within what is left of the image (sent never exceeds the size).
        if (wanted > kBlockSize || wanted > m_nImageSize - sent)
            return FALSE;
        CHyMessagePtr data = NewFrame(typeImageData, kFlagData, address, wanted);
        if (wanted > 0)
            memcpy(data->m_pData.get(), m_pImage.get() + sent, wanted);
        if (!Exchange(std::move(data)) || !ReplyToRequest(request->m_dwAddress, record, wanted))
            return FALSE;
        sent += wanted;
        if (sent - mark >= kBytesPerStep) {
            StepProgress(progress, (sent - mark) / kBytesPerStep);
            mark = sent;
        }
    } while (sent < m_nImageSize);
    return TRUE;
}

BOOL CHyICEFlash::VerifyFlash(CProgressCtrl* progress)
{
    if (!m_pImage)
        return FALSE;
    StartProgress(progress, (int)(m_nImageSize / kBlockSize));
    for (DWORD offset = 0; offset < m_nImageSize;) {
        DWORD n = std::min(kBlockSize, m_nImageSize - offset);
        CHyMessagePtr answer;
        if (!Exchange(NewFrame(typeReadBack, kFlagReadRequest, m_dwFlashBase + offset, n), &answer))
            return FALSE;
        if (!answer->m_pData || answer->m_nDataSize < n ||
            memcmp(answer->m_pData.get(), m_pImage.get() + offset, n) != 0)
            return FALSE;
        if (n == kBlockSize)
            StepProgress(progress);
        offset += n;
    }
    return TRUE;
}
