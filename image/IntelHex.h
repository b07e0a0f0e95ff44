// The record store of the whole program: every data record that a target has loaded lives
// here, hung on the target's module lists and on one store-wide list, newest first. Targets
// own only the head variables of their module lists; the store keeps them up to date through
// the records' owner links, so no target is ever left holding a deleted record.
//
// Addresses are 32-bit: a record covers base + offset to base + offset + count - 1. Wherever a
// range query takes a head value, NULL means every record of the store.
#pragma once

#include <cstdint>
#include <memory>

#include "image/HexRecord.h"
#include "platform/base/CString.h"

class CFile;
class CFileException;

class CIntelHex {
public:
    // Results of CheckOverlap.
    enum {
        statusOk = 0,
        statusNoData = 1,
        statusNoMemory = 2,
        statusBadRecord = 3,
        statusOverlaid = 4,
    };

    // Images and overlap maps above this size count as an allocation failure.
    static constexpr uint64_t kMaxImageBytes = 256u * 1024 * 1024;

    CIntelHex();
    // Frees every record without writing through the owner links: at exit the targets that
    // hold the heads may already be gone.
    virtual ~CIntelHex();
    CIntelHex(const CIntelHex&) = delete;
    CIntelHex& operator=(const CIntelHex&) = delete;

    // --- Records and lists ---

    // A record of `count` bytes (contents undefined) at the head of `list` (in no module list
    // when NULL) and at the newest end of the store. NULL when it cannot be allocated.
    HexRecord* NewRecord(HexRecord** list, BYTE count, WORD address, DWORD base);
    // Takes the record out of its module list; the store-wide links stay.
    void Unlink(HexRecord* record);
    // Moves the record to the head of `list`, or into no module list when `list` is NULL.
    void LinkAtHead(HexRecord** list, HexRecord* record);
    // FALSE for NULL; otherwise removes the record from both lists and frees it.
    BOOL DeleteRecord(HexRecord* record);
    // Deletes every record that is newer than `record` (every record when NULL): what was
    // added since m_pNewest was `record` goes, so an operation that fails can take back its
    // own records and nothing else.
    void DeleteRecordsNewerThan(HexRecord* record);
    // Deletes every record of `list`; with NULL every record of the store, which also sets
    // every module head of every target to NULL.
    void DeleteRecords(HexRecord** list);

    // --- Intel HEX reader ---

    // Adds the records of an Intel HEX file to `list`, each at `base` plus the file's
    // extended address. Returns the list's head, or NULL on failure: when the file cannot be
    // opened the user is told (with the path and the system's reason) and the list is left
    // alone; a file that is rejected takes back only the records it added, and its line and
    // what is wrong there are left in CFailureDetail for the caller's message. A NULL `list`
    // fails at once and changes nothing.
    HexRecord* ReadFile(const CString& path, HexRecord** list, DWORD base);
    // The parser behind ReadFile, reading one character at a time from an open file.
    HexRecord* ParseRecords(CFile& file, HexRecord** list, DWORD base);
    // Two hexadecimal characters as a byte, or four as a 16-bit value (first byte high); each
    // byte is added to m_nChecksum. -1 when the file ends first.
    int ReadHexByte(CFile& file, BOOL word);
    // 0-15 for a hexadecimal digit of either case, 0xFF for anything else.
    static BYTE HexDigitValue(char ch);

    // --- Range queries, image building and the overlap check ---

    // One past the highest address covered (0 when there are no records). An end beyond
    // 0xFFFFFFFF is reported as 0xFFFFFFFF.
    DWORD GetEndAddress(HexRecord* head);
    // TRUE when some record shares a byte with start to start + length - 1; FALSE for length 0.
    BOOL FindOverlap(HexRecord* head, DWORD start, DWORD length);
    // Flat image of the whole store from address 0 to GetEndAddress(NULL): even offsets filled
    // with evenFill, odd ones with oddFill, then every record copied in; where records overlap
    // the oldest wins. The caller owns the result. NULL when the store is empty, the image is
    // too large or cannot be allocated, or a record has no data.
    std::unique_ptr<BYTE[]> BuildImage(BYTE oddFill, BYTE evenFill);
    // One of the status values above.
    BYTE CheckOverlap();
    // A 2-byte record in `list` holding `value` high byte first; NULL when it cannot be
    // allocated.
    HexRecord* AddWordRecord(HexRecord** list, WORD offset, DWORD base, WORD value);
    // Cuts the bytes from index `at` onwards off into a new record (newest of the store, in no
    // module list) at the same absolute address. NULL, and nothing changes, when `record` is
    // NULL, `at` is 0 or not below the count, or allocation fails.
    HexRecord* SplitRecord(HexRecord* record, BYTE at);
    // Moves the bytes of start to start + length - 1 into `to`, cutting records at the window
    // edges; the cut-off pieces stay in their former module lists. TRUE when `to` holds records
    // afterwards. FALSE for a NULL `to`, or when a cut cannot be allocated (what was moved so
    // far stays moved).
    BOOL ExtractRange(HexRecord** to, DWORD start, DWORD length);
    // Changes the byte at `address` in the newest record that covers it; FALSE when none does.
    BOOL SetByte(DWORD address, BYTE value);

    // The text a target shows for a CheckOverlap status (NULL for statusOk, which shows
    // nothing), and the buttons of that message box: MB_YESNO for statusOverlaid, where Yes
    // lets the operation go on, MB_OK for every other status, which fails it.
    static LPCSTR GetStatusText(int status);
    static UINT GetStatusMessageType(int status);

    // --- Intel HEX writer ---

    // Writes image bytes 0 to length - 1 as Intel HEX, 16 bytes a line, leaving out lines that
    // hold only `fill` (-1 writes every line). The image is gone when WriteFile returns,
    // whatever the outcome. An existing file is replaced only once the new one is written
    // whole; a file that cannot be created or written is reported to the user, leaves the old
    // one as it was, and gives FALSE.
    BOOL WriteFile(const CString& path, std::unique_ptr<BYTE[]> image, DWORD length, int fill);
    // The line writer behind WriteFile; the image stays the caller's. Throws CFileException
    // when a write fails.
    BOOL WriteRecords(CFile& file, const BYTE* image, DWORD length, int fill);
    // TRUE when fill is -1 or some of the `count` bytes differs from it.
    static BOOL IsLineNeeded(const BYTE* bytes, BYTE count, int fill);

    BYTE m_nChecksum;
    HexRecord* m_pNewest;

    // Asked before every record allocation of every store; FALSE makes that allocation fail.
    // NULL (the default) allows all. Tests install one to fail the global store's allocations;
    // the gate that was installed before is returned.
    using AllocationGate = BOOL (*)(size_t bytes);
    static AllocationGate InstallAllocationGate(AllocationGate gate);

protected:
    // Memory for one record together with its data bytes; tests replace these to make an
    // allocation fail.
    virtual void* AllocateRecordBlock(size_t bytes);
    virtual void FreeRecordBlock(void* block);

private:
    static uint64_t FirstAddress(const HexRecord* record);
    static uint64_t EndAddress(const HexRecord* record);
    uint64_t GetEndAddress64(HexRecord* head);
    BOOL IsRecordInRange(uint64_t base, WORD address, BYTE count) const;
    BOOL MoveIntoRange(HexRecord** to, HexRecord* record, uint64_t first, uint64_t last);
    BOOL ReadRecordBody(CFile& file, HexRecord** list, DWORD base, BYTE count, WORD address, BYTE type, DWORD& extended,
                        BOOL& endSeen);
    static void ReportWriteFailure(const CFileException& error);
    static CString DescribeOpenFailure(const CFileException& error);
    void DescribeRejection(CFile& file);

    // Where the reader stands and what it found wrong, for the message of a rejected file.
    int m_nLine = 1;
    BOOL m_bBadCharacter = FALSE;
    const char* m_pszProblem = NULL;

    static AllocationGate s_pfnAllocationGate;
};

extern CIntelHex theIntelHex;
