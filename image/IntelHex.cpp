#include "image/IntelHex.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/base/DebugOutput.h"
#include "platform/base/FailureDetail.h"
#include "platform/files/File.h"
#include "platform/os/ReleaseFreedMemory.h"
#include "platform/ui/UiServices.h"

namespace {

constexpr uint64_t kAddressSpace = uint64_t(1) << 32;

// Visits the module list from `head`, or every record of the store newest first when `head`
// is NULL, until `visit` returns false.
template <typename Visit>
void WalkRecords(HexRecord* head, HexRecord* newest, Visit visit)
{
    if (head) {
        for (HexRecord* record = head; record; record = record->m_pNext)
            if (!visit(record))
                return;
    } else {
        for (HexRecord* record = newest; record; record = record->m_pOlder)
            if (!visit(record))
                return;
    }
}

struct HexDigitTable {
    BYTE value[256];
    constexpr HexDigitTable() : value()
    {
        for (int i = 0; i < 256; ++i)
            value[i] = 0xFF;
        for (int i = 0; i < 10; ++i)
            value['0' + i] = (BYTE)i;
        for (int i = 0; i < 6; ++i) {
            value['A' + i] = (BYTE)(10 + i);
            value['a' + i] = (BYTE)(10 + i);
        }
    }
};
constexpr HexDigitTable kHexDigits;

const char kUpperHex[] = "0123456789ABCDEF";

char* PutHexByte(char* out, BYTE value)
{
    out[0] = kUpperHex[value >> 4];
    out[1] = kUpperHex[value & 0x0F];
    return out + 2;
}

// ":02000004" + upper + checksum + CRLF: always 17 characters.
constexpr UINT kAddressRecordLength = 17;

void FormatAddressRecord(char* out, DWORD upper)
{
    BYTE sum = (BYTE)(2 + 4 + (upper >> 8) + (upper & 0xFF));
    memcpy(out, ":02000004", 9);
    out = PutHexByte(out + 9, (BYTE)(upper >> 8));
    out = PutHexByte(out, (BYTE)upper);
    out = PutHexByte(out, (BYTE)(0x100 - sum));
    memcpy(out, "\r\n", 2);
}

// One data record of up to 16 bytes into `out` (at least 45 characters); returns its length.
UINT FormatDataLine(char* out, WORD address, const BYTE* bytes, BYTE count)
{
    char* start = out;
    BYTE sum = (BYTE)(count + (address >> 8) + (address & 0xFF));
    *out++ = ':';
    out = PutHexByte(out, count);
    out = PutHexByte(out, (BYTE)(address >> 8));
    out = PutHexByte(out, (BYTE)address);
    *out++ = '0';
    *out++ = '0';
    for (int i = 0; i < count; ++i) {
        out = PutHexByte(out, bytes[i]);
        sum = (BYTE)(sum + bytes[i]);
    }
    out = PutHexByte(out, (BYTE)(0x100 - sum));
    *out++ = '\r';
    *out++ = '\n';
    return (UINT)(out - start);
}

size_t RecordBlockBytes(const HexRecord* record)
{
    return sizeof(HexRecord) + record->m_nCount;
}

// Freed records are small blocks that the heap keeps for reuse; past this much (tens of
// thousands of records) they go back to the system. Below it the trim's walk of the heap would
// cost more than it returns.
void ReleaseAfterLargeFree(size_t freedBytes)
{
    const size_t kReleaseAfterBytes = 4u << 20;
    if (freedBytes >= kReleaseAfterBytes)
        ReleaseFreedMemory();
}

}  // namespace

CIntelHex::CIntelHex() : m_nChecksum(0), m_pNewest(NULL) {}

CIntelHex::~CIntelHex()
{
    HexRecord* record = m_pNewest;
    m_pNewest = NULL;
    while (record) {
        HexRecord* older = record->m_pOlder;
        CIntelHex::FreeRecordBlock(record);
        record = older;
    }
}

CIntelHex::AllocationGate CIntelHex::s_pfnAllocationGate = NULL;

CIntelHex::AllocationGate CIntelHex::InstallAllocationGate(AllocationGate gate)
{
    AllocationGate previous = s_pfnAllocationGate;
    s_pfnAllocationGate = gate;
    return previous;
}

void* CIntelHex::AllocateRecordBlock(size_t bytes)
{
    if (s_pfnAllocationGate && !s_pfnAllocationGate(bytes))
        return NULL;
    return malloc(bytes);
}

void CIntelHex::FreeRecordBlock(void* block)
{
    free(block);
}

// ---------------------------------------------------------------------------------------------
// Records and lists

HexRecord* CIntelHex::NewRecord(HexRecord** list, BYTE count, WORD address, DWORD base)
{
    // One block for the record and its bytes: a large file holds a million small records.
    void* block = AllocateRecordBlock(sizeof(HexRecord) + count);
    if (!block)
        return NULL;
    HexRecord* record = new (block) HexRecord();
    record->m_nCount = count;
    record->m_wAddress = address;
    record->m_dwBase = base;
    record->m_pData = reinterpret_cast<BYTE*>(record + 1);
    if (list) {
        record->m_pNext = *list;
        if (*list)
            (*list)->m_pPrev = record;
        *list = record;
        record->m_ppOwner = list;
    }
    record->m_pOlder = m_pNewest;
    if (m_pNewest)
        m_pNewest->m_pNewer = record;
    m_pNewest = record;
    return record;
}

void CIntelHex::Unlink(HexRecord* record)
{
    if (!record)
        return;
    if (record->m_pPrev)
        record->m_pPrev->m_pNext = record->m_pNext;
    else if (record->m_ppOwner && *record->m_ppOwner == record)
        *record->m_ppOwner = record->m_pNext;
    if (record->m_pNext)
        record->m_pNext->m_pPrev = record->m_pPrev;
    record->m_pPrev = NULL;
    record->m_pNext = NULL;
    record->m_ppOwner = NULL;
}

void CIntelHex::LinkAtHead(HexRecord** list, HexRecord* record)
{
    if (!record)
        return;
    Unlink(record);
    if (!list)
        return;
    record->m_pNext = *list;
    if (*list)
        (*list)->m_pPrev = record;
    *list = record;
    record->m_ppOwner = list;
}

BOOL CIntelHex::DeleteRecord(HexRecord* record)
{
    if (!record)
        return FALSE;
    Unlink(record);
    if (record->m_pNewer)
        record->m_pNewer->m_pOlder = record->m_pOlder;
    else
        m_pNewest = record->m_pOlder;
    if (record->m_pOlder)
        record->m_pOlder->m_pNewer = record->m_pNewer;
    FreeRecordBlock(record);
    return TRUE;
}

void CIntelHex::DeleteRecords(HexRecord** list)
{
    HexRecord** head = list ? list : &m_pNewest;
    size_t freed = 0;
    while (*head) {
        freed += RecordBlockBytes(*head);
        DeleteRecord(*head);
    }
    ReleaseAfterLargeFree(freed);
}

// ---------------------------------------------------------------------------------------------
// Reader

HexRecord* CIntelHex::ReadFile(const CString& path, HexRecord** list, DWORD base)
{
    // Without a list a rejected file would delete every record of the store.
    if (!list)
        return NULL;
    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareExclusive | CFile::typeBinary, &error)) {
        CFailureDetail::Set(CFailureDetail::ForFile(path, DescribeOpenFailure(error)));
        AfxMessageBox(CFailureDetail::AddTo("Unable to open download file"), MB_OK);
        // Shown already: the caller's own text must not repeat it.
        CFailureDetail::Clear();
        DebugTrace("File could not be opened %d\n", error.m_cause);
        return NULL;
    }
    HexRecord* head = ParseRecords(file, list, base);
    file.Abort();
    return head;
}

CString CIntelHex::DescribeOpenFailure(const CFileException& error)
{
    if (error.m_lOsError > 0)
        return CFailureDetail::SystemReason((int)error.m_lOsError);
    if (error.m_cause == CFileException::sharingViolation)
        return "in use by another program";
    return "cannot be opened";
}

HexRecord* CIntelHex::ParseRecords(CFile& file, HexRecord** list, DWORD base)
{
    if (!list)
        return NULL;
    enum State { start, count, address, type, body, checksum, skip, stopped };
    // A rejected file takes back only its own records: what earlier files loaded stays.
    HexRecord* const newestBefore = m_pNewest;
    m_nChecksum = 0;
    m_nLine = 1;
    m_bBadCharacter = FALSE;
    m_pszProblem = NULL;
    DWORD extended = 0;
    BOOL endSeen = FALSE;
    int recordCount = 0, recordAddress = 0, recordType = 0;
    State state = start;
    while (state != stopped) {
        switch (state) {
        case start: {
            // Only the very first character must be ':'; an empty file goes on to fail in
            // the count state, so that it is rejected like any other short file.
            int ch = file.ReadChar();
            state = (ch == ':' || ch < 0) ? count : stopped;
            if (state == stopped)
                m_pszProblem = "the file does not start with ':'";
            break;
        }
        case count:
            m_bBadCharacter = FALSE;
            recordCount = ReadHexByte(file, FALSE);
            state = recordCount < 0 ? stopped : address;
            break;
        case address:
            recordAddress = ReadHexByte(file, TRUE);
            state = recordAddress < 0 ? stopped : type;
            break;
        case type:
            recordType = ReadHexByte(file, FALSE);
            state = recordType < 0 ? stopped : body;
            break;
        case body:
            state = ReadRecordBody(file, list, base, (BYTE)recordCount, (WORD)recordAddress, (BYTE)recordType, extended,
                                   endSeen)
                        ? checksum
                        : stopped;
            break;
        case checksum:
            // The end record's checksum is read but never decides the outcome: the end flag
            // is already set.
            if (ReadHexByte(file, FALSE) < 0 || endSeen) {
                state = stopped;
            } else if (m_nChecksum != 0) {
                m_pszProblem = m_bBadCharacter ? "bad character" : "bad checksum";
                state = stopped;
            } else {
                state = skip;
            }
            break;
        case skip: {
            int ch = file.ReadChar();
            if (ch < 0)
                state = stopped;
            else if (ch == ':')
                state = count;
            else if (ch == '\n')
                ++m_nLine;
            break;
        }
        case stopped: break;
        }
    }
    if (endSeen)
        return *list;
    DescribeRejection(file);
    DeleteRecordsNewerThan(newestBefore);
    return NULL;
}

// Records the line and the reason of a rejected file as the second line of the message the
// caller shows.
void CIntelHex::DescribeRejection(CFile& file)
{
    CString text;
    if (m_pszProblem)
        text.Format("Line %d: %s", m_nLine, m_pszProblem);
    else if (file.ReadChar() < 0 && m_nChecksum == 0 && !m_bBadCharacter)
        text.Format("Line %d: no end record", m_nLine);
    else
        text.Format("Line %d: the record is cut short", m_nLine);
    CFailureDetail::Set(text);
}

void CIntelHex::DeleteRecordsNewerThan(HexRecord* record)
{
    size_t freed = 0;
    while (m_pNewest && m_pNewest != record) {
        freed += RecordBlockBytes(m_pNewest);
        DeleteRecord(m_pNewest);
    }
    ReleaseAfterLargeFree(freed);
}

BOOL CIntelHex::ReadRecordBody(CFile& file, HexRecord** list, DWORD base, BYTE count, WORD address, BYTE type,
                               DWORD& extended, BOOL& endSeen)
{
    switch (type) {
    case 0x00: {
        DWORD recordBase = base + extended;
        if (!IsRecordInRange(recordBase, address, count)) {
            m_pszProblem = "the record reaches past the 32-bit address range";
            return FALSE;
        }
        HexRecord* record = NewRecord(list, count, address, recordBase);
        if (!record) {
            m_pszProblem = "not enough memory for the record";
            return FALSE;
        }
        for (int i = 0; i < count; ++i) {
            int value = ReadHexByte(file, FALSE);
            if (value < 0)
                return FALSE;
            record->m_pData[i] = (BYTE)value;
        }
        return TRUE;
    }
    case 0x01: endSeen = TRUE; return TRUE;
    case 0x02:
    case 0x04: {
        // One 16-bit value whatever the count says; it replaces the previous extension.
        int value = ReadHexByte(file, TRUE);
        if (value < 0)
            return FALSE;
        extended = type == 0x02 ? (DWORD)value << 4 : (DWORD)value << 16;
        return TRUE;
    }
    default:
        m_pszProblem = type == 0x03 || type == 0x05 ? "start address records (type 03 and 05) are not read"
                                                    : "unknown record type";
        return FALSE;
    }
}

int CIntelHex::ReadHexByte(CFile& file, BOOL word)
{
    int value = 0;
    for (int i = word ? 2 : 1; i > 0; --i) {
        int high = file.ReadChar();
        if (high < 0)
            return -1;
        int low = file.ReadChar();
        if (low < 0)
            return -1;
        if (kHexDigits.value[high] == 0xFF || kHexDigits.value[low] == 0xFF)
            m_bBadCharacter = TRUE;
        BYTE byte = (BYTE)((kHexDigits.value[high] << 4) | kHexDigits.value[low]);
        m_nChecksum = (BYTE)(m_nChecksum + byte);
        value = (value << 8) | byte;
    }
    return value;
}

BYTE CIntelHex::HexDigitValue(char ch)
{
    return kHexDigits.value[(unsigned char)ch];
}

// A record whose last byte would lie above 0xFFFFFFFF cannot be placed in a 32-bit image.
BOOL CIntelHex::IsRecordInRange(uint64_t base, WORD address, BYTE count) const
{
    return base + address + count <= kAddressSpace;
}

// ---------------------------------------------------------------------------------------------
// Range queries, image building and the overlap check

uint64_t CIntelHex::FirstAddress(const HexRecord* record)
{
    return (uint64_t)record->m_dwBase + record->m_wAddress;
}

uint64_t CIntelHex::EndAddress(const HexRecord* record)
{
    return FirstAddress(record) + record->m_nCount;
}

uint64_t CIntelHex::GetEndAddress64(HexRecord* head)
{
    uint64_t end = 0;
    WalkRecords(head, m_pNewest, [&](HexRecord* record) {
        if (EndAddress(record) > end)
            end = EndAddress(record);
        return true;
    });
    return end;
}

DWORD CIntelHex::GetEndAddress(HexRecord* head)
{
    uint64_t end = GetEndAddress64(head);
    return end > 0xFFFFFFFFu ? 0xFFFFFFFFu : (DWORD)end;
}

BOOL CIntelHex::FindOverlap(HexRecord* head, DWORD start, DWORD length)
{
    if (length == 0)
        return FALSE;
    uint64_t last = (uint64_t)start + length - 1;
    BOOL found = FALSE;
    WalkRecords(head, m_pNewest, [&](HexRecord* record) {
        if (record->m_nCount && FirstAddress(record) <= last && EndAddress(record) - 1 >= start)
            found = TRUE;
        return !found;
    });
    return found;
}

std::unique_ptr<BYTE[]> CIntelHex::BuildImage(BYTE oddFill, BYTE evenFill)
{
    uint64_t size = GetEndAddress64(NULL);
    if (size == 0 || size > kMaxImageBytes)
        return NULL;
    std::unique_ptr<BYTE[]> image(new (std::nothrow) BYTE[size]);
    if (!image)
        return NULL;
    memset(image.get(), evenFill, size);
    if (oddFill != evenFill)
        for (uint64_t i = 1; i < size; i += 2)
            image[i] = oddFill;
    // Oldest last, so that where two records give the same byte the one loaded first wins.
    for (HexRecord* record = m_pNewest; record; record = record->m_pOlder) {
        if (record->m_nCount == 0)
            continue;
        if (!record->m_pData)
            return NULL;
        memcpy(image.get() + FirstAddress(record), record->m_pData, record->m_nCount);
    }
    return image;
}

BYTE CIntelHex::CheckOverlap()
{
    uint64_t size = GetEndAddress64(NULL);
    if (size == 0)
        return statusNoData;
    if (size > kMaxImageBytes)
        return statusNoMemory;
    // calloc: the pages of a sparse store's gaps are never touched.
    std::unique_ptr<BYTE, decltype(&free)> map(static_cast<BYTE*>(calloc(size, 1)), &free);
    if (!map)
        return statusNoMemory;
    for (HexRecord* record = m_pNewest; record; record = record->m_pOlder) {
        if (record->m_nCount == 0)
            continue;
        if (!record->m_pData)
            return statusBadRecord;
        BYTE* covered = map.get() + FirstAddress(record);
        for (int i = 0; i < record->m_nCount; ++i) {
            if (covered[i])
                return statusOverlaid;
            covered[i] = 1;
        }
    }
    return statusOk;
}

HexRecord* CIntelHex::AddWordRecord(HexRecord** list, WORD offset, DWORD base, WORD value)
{
    HexRecord* record = NewRecord(list, 2, offset, base);
    if (!record)
        return NULL;
    record->m_pData[0] = (BYTE)(value >> 8);
    record->m_pData[1] = (BYTE)(value & 0xFF);
    return record;
}

HexRecord* CIntelHex::SplitRecord(HexRecord* record, BYTE at)
{
    if (!record || at == 0 || at >= record->m_nCount || !record->m_pData)
        return NULL;
    DWORD offset = (DWORD)record->m_wAddress + at;
    HexRecord* tail = NewRecord(NULL, (BYTE)(record->m_nCount - at), (WORD)(offset & 0xFFFF),
                                record->m_dwBase + (offset & 0xFFFF0000));
    if (!tail)
        return NULL;
    memcpy(tail->m_pData, record->m_pData + at, tail->m_nCount);
    record->m_nCount = at;
    return tail;
}

BOOL CIntelHex::ExtractRange(HexRecord** to, DWORD start, DWORD length)
{
    if (!to)
        return FALSE;
    if (length) {
        uint64_t last = (uint64_t)start + length - 1;
        // Pieces cut off during the walk are newer than where it started, so it never
        // visits them.
        HexRecord* record = m_pNewest;
        while (record) {
            HexRecord* older = record->m_pOlder;
            if (!MoveIntoRange(to, record, start, last))
                return FALSE;
            record = older;
        }
    }
    return *to != NULL;
}

BOOL CIntelHex::MoveIntoRange(HexRecord** to, HexRecord* record, uint64_t first, uint64_t last)
{
    if (record->m_nCount == 0)
        return TRUE;
    uint64_t begin = FirstAddress(record);
    uint64_t end = EndAddress(record);
    if (begin > last || end <= first)
        return TRUE;
    HexRecord** home = record->m_ppOwner;
    HexRecord* inside = record;
    if (begin < first) {
        inside = SplitRecord(record, (BYTE)(first - begin));
        if (!inside)
            return FALSE;
        // Until it has been moved, the piece belongs to its block like the rest of the
        // record, so a failure of the next cut leaves no record outside every block.
        LinkAtHead(home, inside);
        begin = first;
    }
    if (end - 1 > last) {
        HexRecord* after = SplitRecord(inside, (BYTE)(last + 1 - begin));
        if (!after)
            return FALSE;
        LinkAtHead(home, after);
    }
    if (inside->m_ppOwner != to)
        LinkAtHead(to, inside);
    return TRUE;
}

BOOL CIntelHex::SetByte(DWORD address, BYTE value)
{
    for (HexRecord* record = m_pNewest; record; record = record->m_pOlder) {
        if (record->m_nCount && record->m_pData && FirstAddress(record) <= address && address < EndAddress(record)) {
            record->m_pData[address - FirstAddress(record)] = value;
            return TRUE;
        }
    }
    return FALSE;
}

LPCSTR CIntelHex::GetStatusText(int status)
{
    switch (status) {
    case statusOk: return NULL;
    case statusNoData: return "No data present to program";
    case statusNoMemory: return "Internal memory error";
    case statusBadRecord: return "Invalid Intel HEX file record";
    case statusOverlaid: return "Overlaid data has been detected, continue";
    default: return "Internal error building binary image";
    }
}

UINT CIntelHex::GetStatusMessageType(int status)
{
    return status == statusOverlaid ? MB_YESNO : MB_OK;
}

// ---------------------------------------------------------------------------------------------
// Writer

BOOL CIntelHex::WriteFile(const CString& path, std::unique_ptr<BYTE[]> image, DWORD length, int fill)
{
    if (!image && length)
        return FALSE;
    CFile file;
    CFileException error;
    // The user's old file stays whole until the new one is complete on disk: a full disk or a
    // refused write part-way loses nothing.
    if (!file.Open(path, CFile::modeReplaceAtomically | CFile::modeReadWrite | CFile::typeBinary, &error)) {
        ReportWriteFailure(error);
        return FALSE;
    }
    try {
        BOOL written = WriteRecords(file, image.get(), length, fill);
        file.Close();
        return written;
    } catch (const CFileException& failure) {
        file.Abort();
        ReportWriteFailure(failure);
        return FALSE;
    }
}

// A write that fails is reported like a file that cannot be created: the user sees one text.
void CIntelHex::ReportWriteFailure(const CFileException& error)
{
    CFailureDetail::Set(CFailureDetail::ForFile(error.m_strFileName, DescribeOpenFailure(error)));
    AfxMessageBox(CFailureDetail::AddTo("Unable to create buffer file"), MB_OK);
    CFailureDetail::Clear();
    DebugTrace("File could not be created %d\n", error.m_cause);
}

BOOL CIntelHex::WriteRecords(CFile& file, const BYTE* image, DWORD length, int fill)
{
    if (!image && length)
        return FALSE;
    // An address record waits until a line of its segment is written, so a segment whose
    // lines are all left out gets none.
    char addressRecord[kAddressRecordLength];
    BOOL addressPending = FALSE;
    DWORD upper = 0;
    char line[64];
    uint64_t position = 0;
    while (position < length) {
        if ((position >> 16) != upper) {
            upper = (DWORD)(position >> 16);
            FormatAddressRecord(addressRecord, upper);
            addressPending = TRUE;
        }
        BYTE count = (BYTE)(length - position < 16 ? length - position : 16);
        const BYTE* bytes = image + position;
        if (!IsLineNeeded(bytes, count, fill)) {
            position += 16;
            continue;
        }
        if (addressPending) {
            file.Write(addressRecord, kAddressRecordLength);
            addressPending = FALSE;
        }
        file.Write(line, FormatDataLine(line, (WORD)(position & 0xFFFF), bytes, count));
        position += count;
    }
    file.Write(":00000001FF\r\n", 13);
    return TRUE;
}

BOOL CIntelHex::IsLineNeeded(const BYTE* bytes, BYTE count, int fill)
{
    if (fill == -1)
        return TRUE;
    for (int i = 0; i < count; ++i)
        if (bytes[i] != fill)
            return TRUE;
    return FALSE;
}
