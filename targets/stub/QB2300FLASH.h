// The QB2300 evaluation board: FLASH programmed in two stages over a serial port, first a
// 'fat' stub that the board runs and that erases the FLASH, then the FLASH data for that stub.
// Ten blocks are loadable: the 'fat' stub, the 'thin' stub and eight 64 KB FLASH banks, each
// kept as a module list of records in theIntelHex.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/IntelHexTarget.h"

struct HexRecord;
class CProgressCtrl;
class CQB2300Options;

class CQB2300Flash : public CIntelHexTarget<10> {
public:
    enum {
        blockFatStub = 0,
        blockThinStub = 1,
        blockFirstBank = 2,
        blockCount = 10,
        bankCount = 8,
    };
    static_assert(blockCount == kListCount, "one module list per block");
    // Store addresses of the blocks: the banks from 0, the stubs above the eight banks.
    static const DWORD fatStubBase = 0x80000;
    static const DWORD fatStubLimit = 0x1F80;  // 8064 bytes: less than the 8 KB up to the 'thin' stub
    static const DWORD thinStubBase = 0x82000;
    static const DWORD thinStubLimit = 0x100;
    static const DWORD bankSize = 0x10000;
    // Where the programming sequence places the 'thin' stub: the start of FLASH bank 1.
    static const DWORD thinStubTarget = 0x10000;

    // The board: type id 1, "QB2300", "QB2300 Evaluation Board".
    CQB2300Flash();

    // Reads "<name>_ThinDefault" and "<name>_Options"; 2 when a default 'thin' stub path was
    // read, else 1 (also without a settings key).
    int LoadOptions() override;
    BOOL GetModuleName(CString& name, int block) override;
    int GetModuleCount() override;
    // A file with a bank suffix goes straight to its bank in mode 2; any other file is put to
    // the user with the bank (if any) preselected. -1: do not load it.
    int SelectModuleForFile(const CString& path) override;
    // Reads an Intel HEX file into a block. Stub files are size-checked; a bank file is spread
    // over every block that its data reaches. FALSE leaves every block as it was.
    BOOL LoadModule(int block, const CString& path) override;
    // The 'fat' stub and FLASH bank 0 are both loaded.
    BOOL CanProgram() override;
    // Block 0-9, or -1 for all blocks, after which the default 'thin' stub is loaded again.
    void ClearModule(int block) override;
    // Stage 1 sends the 'fat' stub and waits out the erase; stage 2 sends the FLASH banks from
    // bank 0 up to the last of the unbroken run of loaded banks. The port is closed on every
    // path; `*status` gets the outcome text.
    BOOL Program(CString resource, CString* status) override;
    int ShowOptions() override;
    // Flat image of one block from its window start, or of banks 0..k for -1. Owned by the
    // target; NULL when there is nothing to show.
    BYTE* GetModuleImage(int block, DWORD* length) override;
    int BrowseFile(CString& path, int flags) override;
    BOOL GetResourceName(int index, CString& name) override;
    void SaveOptions() override;
    BOOL GetFileFilter(CString& filter) override;
    // Outside mode 0: upper-cases the file name part of the path and turns ".H00" in it into
    // ".H*", so that the file search finds the whole set of bank files; folders stay as given.
    void FixFileName(CString& path) override;

    // Runs the overlap check and shows its text; TRUE when the image may be used.
    BOOL CheckImage();
    // One stage of the download: optional 4-byte length (least significant byte first), the
    // data in 2048-byte pieces, a 100 ms pause, `waits` pauses of 500 ms, then the 10-byte
    // reply. Every failure shows its own message first.
    BOOL SendImage(CString expected, BYTE waits, const BYTE* data, DWORD length, BOOL sendLength);

    // The bank named by a ".Hnn" suffix (first upper-case ".H" of the path only); -1 when
    // there is none or it names no bank of this board (only .H00 to .H07 do).
    static int ParseBankSuffix(const CString& path);
    // The banked hex file mode in force: 0, 1 or 2 (a stored 3 acts as 1).
    int GetBankedMode() const;

    CString GetThinDefault() const { return m_strThinDefault; }
    DWORD GetStubOptions() const { return m_dwStubOptions; }

protected:
    // For kits that are this board under another identity.
    CQB2300Flash(BYTE id, CString name, CString description);

    int LoadStubOptions(LPCSTR thinValueName, LPCSTR optionsValueName);
    void SaveStubOptions(LPCSTR thinValueName, LPCSTR optionsValueName);

    DWORD m_dwStubOptions = 0;
    CString m_strThinDefault;

private:
    friend class CQB2300Options;

    static DWORD BlockBase(int block);
    // A stub file is refused when its data ends more than its limit above its base; a bank
    // file is spread over every block that its data reaches.
    LPCSTR SplitFile(int block) override;
    // Marks a stub block loaded.
    void AcceptFile(int block) override;
    void SpreadBankFile();
    // Index of the last bank block of the unbroken run of loaded banks from bank 0; 0 when bank 0
    // is not loaded.
    int LastBankOfRun() const;
    // Asks to add BOOT2300.HEX as the 'thin' stub when none is loaded. FALSE, with `*status`
    // set and the cause in CFailureDetail, when the file would overwrite loaded data once
    // copied to bank 1; the file is then taken back.
    BOOL OfferThinStub(CString* status);
    // TRUE, with the lowest such address in `first`, when a record outside the 'thin' stub's
    // block has a byte in start to start + length - 1.
    BOOL FindLoadedData(DWORD start, DWORD length, DWORD& first) const;
    void CopyThinStub(BYTE* image, DWORD imageLength);
    BOOL RunStages(const CString& resource, BYTE* image, DWORD imageLength, CString* status);
    BOOL SendData(const BYTE* data, DWORD length, BOOL sendLength, CProgressCtrl* bar);
    BOOL WritePiece(const BYTE* data, DWORD length, CProgressCtrl* bar);
    // The pause, the waits and the reply, repeated after every rescue request.
    BOOL AwaitReply(const CString& expected, BYTE waits, CProgressCtrl* bar);
    // Reads the 10-byte reply; FALSE after its message box when the stage has failed, TRUE
    // with `rescue` set when the board asked for rescue mode.
    BOOL ReadReply(const CString& expected, BOOL& rescue);
};

// The board's one global object, defined with the other globals in their construction order.
extern CQB2300Flash theQB2300Flash;
