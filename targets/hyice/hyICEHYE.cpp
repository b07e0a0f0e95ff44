#include "targets/hyice/hyICEHYE.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include "coff/CoffImage.h"
#include "coff/PoolAlloc.h"
#include "platform/resources/Resources.h"
#include "platform/wnd/ProgressCtrl.h"

namespace {

const BYTE kFlagData = 0x01;
const BYTE kFlagNone = 0x00;
// The answer of a write block or fill that failed on the board.
const DWORD kBoardFailed = 1;

// The registers the board program starts with; what they hold is the program's business.
const BYTE kRegister22 = 22;
const BYTE kRegister23 = 23;
const BYTE kRegister24 = 24;
// Start values the board program gets when its optional header leaves them 0.
const DWORD kDefaultRegister22 = 0x40001000;
const DWORD kDefaultRegister23 = 0xC0000000;

const int kFileOk = 0;
const int kFileNoSection = -20;
const int kFileTransaction = -7;
const int kFileRead = -19;

// The name field need not be terminated: the compare stops at its end.
bool IsGlobalOffsetTable(const CoffSection& section)
{
    return strncmp(section.name, "_GOT_", sizeof section.name) == 0;
}

bool HasRawData(const CoffSection& section)
{
    return section.rawDataOffset != 0;
}

void StepProgress(CProgressCtrl* progress)
{
    if (progress)
        progress->StepIt();
}

// The section's data lie inside the first `available` bytes.
bool DataFit(const CoffSection& section, uint64_t available)
{
    return (uint64_t)section.rawDataOffset + section.size <= available;
}

}  // namespace

CHyICEHYE::CHyICEHYE(BYTE id, CString name, CString description) : CHyICETarget(id, name, description)
{
    m_bLoaded = FALSE;
    m_bFromResource = FALSE;
}

CHyICEHYE::~CHyICEHYE()
{
    FreeReaderMemory();
}

// --- Module ---

BOOL CHyICEHYE::GetModuleName(CString& name, int block)
{
    if (block != 0)
        return FALSE;
    name.Empty();
    name = "duvazOrudo .hye file";
    return TRUE;
}

int CHyICEHYE::GetModuleCount()
{
    return 1;
}

int CHyICEHYE::SelectModuleForFile(const CString& path)
{
    return path.Find(".hye") >= 0 ? 0 : -1;
}

BOOL CHyICEHYE::IsModuleLoaded(int block)
{
    return block == 0 ? m_bLoaded : FALSE;
}

BOOL CHyICEHYE::CanProgram()
{
    return m_bLoaded;
}

void CHyICEHYE::ClearModule(int block)
{
    if (block == 0 || block == -1)
        m_bLoaded = FALSE;
}

BOOL CHyICEHYE::LoadModule(int block, const CString& path)
{
    if (block != 0)
        return FALSE;
    // The reader state is emptied below, so an earlier load no longer stands whatever happens.
    m_bLoaded = FALSE;
    m_strPath = path;
    FreeReaderMemory();
    m_bFromResource = FALSE;
    m_pSections.reset();

    FILE* stream = fopen(path, "rb");
    if (!stream)
        return FALSE;
    BOOL sound = ReadCoffHeaders(stream) == kCoffOk && (theCoffHeader.sectionCount == 0 || theCoffSections != NULL);
    long length = -1;
    if (sound && fseek(stream, 0, SEEK_END) == 0)
        length = ftell(stream);
    sound = sound && length >= 0;
    // A file cut short is refused now rather than sent with its missing bytes.
    for (WORD i = 0; sound && i < theCoffHeader.sectionCount; ++i) {
        const CoffSection& section = theCoffSections[i];
        if (HasRawData(section) && !IsGlobalOffsetTable(section) && !DataFit(section, (uint64_t)length))
            sound = FALSE;
    }
    fclose(stream);
    if (!sound)
        return FALSE;
    m_dwEntry = theCoffOptHeader.entryAddress;
    m_bLoaded = TRUE;
    return TRUE;
}

BOOL CHyICEHYE::LockEmbeddedImage(const BYTE** image, DWORD* size) const
{
    HMODULE module = GetModuleHandle(NULL);
    HRSRC found = FindResource(module, MAKEINTRESOURCE(m_nResourceId), m_strResourceType);
    if (!found)
        return FALSE;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return FALSE;
    *image = (const BYTE*)LockResource(loaded);
    *size = SizeofResource(module, found);
    return *image != NULL;
}

BOOL CHyICEHYE::LoadFromResource(int block, WORD id, CString type)
{
    if (block != 0)
        return FALSE;
    m_bFromResource = FALSE;
    m_pSections.reset();
    m_nResourceId = id;
    m_strResourceType = type;
    const BYTE* image = NULL;
    DWORD size = 0;
    if (!LockEmbeddedImage(&image, &size) || ParseImage(image, size) != 1)
        return FALSE;
    m_bFromResource = TRUE;
    return TRUE;
}

int CHyICEHYE::ParseImage(const BYTE* image, DWORD size)
{
    if (!ReadCoffImageHeaders(image, size, m_fileHeader, m_optHeader, m_pSections))
        return 0;
    m_dwEntry = m_optHeader.entryAddress;
    return 1;
}

// --- Frames ---

CHyMessagePtr CHyICEHYE::NewFrame(BYTE type, BYTE flags, DWORD address, DWORD length)
{
    CHyMessagePtr frame(CHyMessage::Create());
    frame->m_byType = type;
    frame->m_byFlags = flags;
    frame->m_dwAddress = address;
    frame->m_dwLength = length;
    if ((flags & kFlagData) && length > 0)
        frame->AllocateData(length);
    return frame;
}

BOOL CHyICEHYE::Exchange(CHyMessagePtr request, CHyMessagePtr* reply)
{
    CHyMessage* answer = NULL;
    BOOL ok = Transact(request.get(), &answer);
    CHyMessagePtr answered(answer);
    if (reply)
        *reply = std::move(answered);
    return ok;
}

BOOL CHyICEHYE::ExchangeAccepted(CHyMessagePtr request)
{
    CHyMessagePtr reply;
    return Exchange(std::move(request), &reply) && reply->m_dwAddress != kBoardFailed;
}

BOOL CHyICEHYE::ReceiveBoardRequest(CHyMessagePtr& request, BYTE* record)
{
    CHyMessage* received = NULL;
    BOOL acknowledged = ReceiveAndAck(&received);
    request.reset(received);
    return acknowledged && ReadBoardRequest(received, record);
}

BOOL CHyICEHYE::ReplyToRequest(DWORD address, const BYTE* record, DWORD result)
{
    CHyMessagePtr reply = NewFrame(typeRequestReply, kFlagData, address, kRequestRecordSize);
    BuildRequestReply(record, result, reply->m_pData.get());
    return Exchange(std::move(reply));
}

// --- Download ---

BOOL CHyICEHYE::DownloadAndRun(CString, CString* status, BOOL serve)
{
    CString ignored;
    if (!status)
        status = &ignored;
    *status = "Unable to program the device";
    BOOL result = FALSE;
    if (m_bFromResource) {
        *status = "Unable to open the hye resource";
        const BYTE* image = NULL;
        DWORD size = 0;
        if (LockEmbeddedImage(&image, &size))
            result = RunImage(image, size, m_fileHeader, m_optHeader, m_pSections.get(), status, serve);
    } else if (m_bLoaded && m_file.Open(m_strPath, CFile::modeRead | CFile::shareDenyWrite)) {
        result = RunImage(NULL, 0, theCoffHeader, theCoffOptHeader, theCoffSections, status, serve);
    } else {
        *status = "Unable to open the .hye file";
    }
    if (m_file.IsOpen())
        m_file.Abort();
    return result;
}

BOOL CHyICEHYE::RunImage(const BYTE* image, DWORD imageSize, const CoffFileHeader& header, const CoffOptHeader& opt,
                         CoffSection* sections, CString* status, BOOL serve)
{
    // The entry of the headers in use, whichever load came last.
    m_dwEntry = opt.entryAddress;
    uint64_t total = 0;
    for (WORD i = 0; sections && i < header.sectionCount; ++i)
        if (HasRawData(sections[i]))
            total += sections[i].size;

    SetProgressText("Loading .hye executable");
    *status = "Unable to program device";
    CProgressCtrl* progress = ProgressBar();
    if (progress) {
        progress->SetRange32(0, (int)std::min<uint64_t>(total / kBlockSize + 1, INT_MAX));
        progress->SetStep(1);
        progress->SetPos(0);
    }
    if (!DownloadSections(image, imageSize, header, sections) || !StartImage(opt))
        return FALSE;
    if (serve && !ServeStartRequests())
        return FALSE;
    StepProgress(progress);
    *status = "ziDudav programmed successfully";
    return TRUE;
}

BOOL CHyICEHYE::DownloadSections(const BYTE* image, DWORD imageSize, const CoffFileHeader& header,
                                 CoffSection* sections)
{
    if (header.sectionCount != 0 && !sections)
        return FALSE;
    CProgressCtrl* progress = ProgressBar();
    for (WORD i = 0; i < header.sectionCount; ++i) {
        BOOL ok = image ? DownloadSectionFromImage(image, imageSize, &sections[i], progress) == 1
                        : DownloadSectionFromFile(&sections[i], progress) == kFileOk;
        if (!ok)
            return FALSE;
    }
    return TRUE;
}

BOOL CHyICEHYE::StartImage(const CoffOptHeader& opt)
{
    if (!SetRegister(kRegister22, opt.register22Start ? opt.register22Start : kDefaultRegister22, m_dwEntry) ||
        !SetRegister(kRegister23, opt.register23Start ? opt.register23Start : kDefaultRegister23, m_dwEntry) ||
        !SetRegister(kRegister24, opt.register24Start, m_dwEntry))
        return FALSE;
    if (!Exchange(NewFrame(typeStart, kFlagNone, m_dwEntry, 0)))
        return FALSE;
    CHyMessage* received = NULL;
    BOOL acknowledged = ReceiveAndAck(&received);
    CHyMessagePtr report(received);
    if (!acknowledged || !report || report->m_byType != typeResetReport || report->m_dwAddress != m_dwEntry)
        return FALSE;
    return Exchange(NewFrame(typeRun, kFlagNone, m_dwEntry, 1)) && Exchange(NewFrame(typeRun, kFlagNone, m_dwEntry, 0));
}

template <typename NextBlock>
int CHyICEHYE::WriteBlocks(DWORD address, DWORD size, CProgressCtrl* progress, NextBlock next)
{
    for (DWORD remaining = size; remaining > 0;) {
        DWORD n = std::min(kBlockSize, remaining);
        CHyMessagePtr block = NewFrame(typeWriteBlock, kFlagData, address, n);
        if (!next(block->m_pData.get(), n))
            return kFileRead;
        if (!ExchangeAccepted(std::move(block)))
            return kFileTransaction;
        address += n;
        if (n == kBlockSize)
            StepProgress(progress);
        remaining -= n;
    }
    return kFileOk;
}

BOOL CHyICEHYE::FillSection(const CoffSection& section, CProgressCtrl* progress)
{
    if (!ExchangeAccepted(NewFrame(typeFill, kFlagNone, section.physicalAddress, section.size)))
        return FALSE;
    StepProgress(progress);
    return TRUE;
}

int CHyICEHYE::DownloadSectionFromImage(const BYTE* image, DWORD size, CoffSection* section, CProgressCtrl* progress)
{
    if (!section)
        return 0;
    if (IsGlobalOffsetTable(*section))
        return 1;
    if (section->size == 0)
        return 0;
    if (!HasRawData(*section))
        return FillSection(*section, progress) ? 1 : 0;
    if (!DataFit(*section, size))
        return 0;
    const BYTE* from = image + section->rawDataOffset;
    int result = WriteBlocks(section->physicalAddress, section->size, progress, [&from](BYTE* to, DWORD n) {
        memcpy(to, from, n);
        from += n;
        return true;
    });
    return result == kFileOk ? 1 : 0;
}

int CHyICEHYE::DownloadSectionFromFile(CoffSection* section, CProgressCtrl* progress)
{
    if (!section)
        return kFileNoSection;
    if (IsGlobalOffsetTable(*section))
        return kFileOk;
    if (section->size == 0)
        return kFileNoSection;
    if (!HasRawData(*section))
        return FillSection(*section, progress) ? kFileOk : kFileTransaction;
    try {
        m_file.Seek(section->rawDataOffset, CFile::begin);
        // A short read means the file changed or was cut since it was loaded: the section is
        // not sent with made-up bytes.
        return WriteBlocks(section->physicalAddress, section->size, progress,
                           [this](BYTE* to, DWORD n) { return m_file.Read(to, n) == n; });
    } catch (const CFileException&) {
        return kFileRead;
    }
}

BOOL CHyICEHYE::ServeStartRequests()
{
    BYTE record[kRequestBufferSize];
    CHyMessagePtr request;
    if (!ReceiveBoardRequest(request, record) || !IsStartRequest(record, 0))
        return FALSE;
    if (!ReplyToRequest(request->m_dwAddress, record, 0))
        return FALSE;
    if (!ReceiveBoardRequest(request, record) || !IsStartRequest(record, 1))
        return FALSE;
    return ReplyToRequest(request->m_dwAddress, record, 0);
}
