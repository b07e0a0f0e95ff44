// The FLASH target of the serial-link boards. The user loads one raw ".bin" image of exactly
// the FLASH size. Program opens the link, waits for the board's reset report, downloads and
// starts the board-side FLASH programmer (the .hye resource "HYE_PROG" 146), then hands the
// image out as the programmer asks for it, waits for its completion report and, with the
// verify option, reads the whole FLASH back and compares it.
//
// Board to host: 0x85 image request (record code 3; u32 board address at offset 12 and u32
// byte count at offset 16), 0x81 completion (length 0). Host to board: 0x03 image data (the
// requested address and count, the next image bytes in order), 0x1A reply (result = the count
// sent), 0x07 read back (flags 0x10, FLASH base + offset, at most 268 bytes; the answer carries
// the bytes read).
//
// Options, stored as "<name>_Options" (DWORD, low 16 bits) with the serial number in
// "<name>_Serial_No" (text of six characters):
//   bit 0  ask the user to select the FLASH segment with jumper ST13 before programming
//   bit 1  write the serial number into image bytes 1 to 6 (byte 7 becomes 0) before programming
//   bit 2  verify the FLASH after programming
#pragma once

#include <memory>

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/hyice/hyICEHYE.h"

class CProgressCtrl;

class CHyICEFlash : public CHyICEHYE {
public:
    enum : WORD {
        optionSegmentPrompt = 0x0001,
        optionSerialNumber = 0x0002,
        optionVerify = 0x0004,
    };
    enum : BYTE {
        typeImageData = 0x03,
        typeReadBack = 0x07,
        typeProgrammingDone = 0x81,
    };
    // The one board type defined: 64 KiB of FLASH read back from 0xE0000000, its programmer
    // in the program's resources (bit 31).
    static constexpr DWORD kBoardType64K = 0x80000001;
    static constexpr DWORD kProgrammerInResources = 0x80000000;
    static constexpr int kSerialLength = 6;

    CHyICEFlash(BYTE id, CString name, CString description);
    ~CHyICEFlash() override;

    // Module 0 only: "ziDudav '.bin' File".
    BOOL GetModuleName(CString& name, int block) override;
    int GetModuleCount() override;
    // 0 for a path containing ".bin" anywhere (case-sensitive), else -1.
    int SelectModuleForFile(const CString& path) override;
    BOOL IsModuleLoaded(int block) override;
    // Module 0: a file of exactly the FLASH size becomes the image. It is read into a new
    // buffer, which replaces the loaded image only once it is whole: any failure keeps what
    // was loaded before.
    BOOL LoadModule(int block, const CString& path) override;
    BOOL CanProgram() override;
    // 0 or -1 frees the image.
    void ClearModule(int block) override;
    // The whole run on the serial port `resource`; the link is closed on every path and
    // `*status` gets the outcome text for the user.
    BOOL Program(CString resource, CString* status) override;
    // Writes the image (FLASH size bytes) to `path`. The old file is replaced only by a whole
    // new one; without an image nothing is written and the result is FALSE.
    BOOL SaveBuffer(const CString& path) override;
    int HasOptions() override;
    // Runs the options dialog; 1 when confirmed.
    int ShowOptions() override;
    // Module 0: the image (owned by the target; NULL when none) and the FLASH size.
    BYTE* GetModuleImage(int block, DWORD* length) override;
    // "bin Files (*.bin)|*.bin|"; FALSE: one file at a time.
    BOOL GetFileFilter(CString& filter) override;

    // Sets the board's constants from its type and takes the defaults, then the stored
    // options and serial number where they are sound. TRUE for kBoardType64K; any other type
    // defines no FLASH (no file loads) and gives FALSE.
    virtual BOOL InitOptions(DWORD boardType, WORD defaultOptions, CString defaultSerial);
    // Keeps both and stores them; storing errors are not reported.
    virtual void SetOptions(WORD options, CString serial);
    // Copies the options and the serial number out; returns `options`.
    virtual WORD* GetOptions(WORD* options, CString* serial);

protected:
    // Serves the programmer's image requests until the whole image is out. Steps the bar once
    // for every whole 128 bytes handed out since the last step.
    BOOL TransferImage(CProgressCtrl* progress);
    // Reads the FLASH back in blocks of 268 bytes and compares each with the image; an answer
    // with fewer bytes than asked for is a difference.
    BOOL VerifyFlash(CProgressCtrl* progress);

    WORD m_wOptions = 0;
    DWORD m_dwBoardType = 0;
    BOOL m_bImageLoaded = FALSE;
    DWORD m_nImageSize = 0;
    std::unique_ptr<BYTE[]> m_pImage;
    DWORD m_dwFlashBase = 0;
    DWORD m_nSerialOffset = 0;
    CString m_strSerial;
    WORD m_nStubResourceId = 0;
    CString m_strStubPath;

private:
    BOOL RunProgrammer(const CString& resource, CString* status, CProgressCtrl* progress);
    BOOL LoadProgrammer();
    BOOL WaitForCompletion();
    void WriteSerialNumber();
    void ReadStoredOptions();
};
