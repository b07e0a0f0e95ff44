// The family of boards whose FLASH is programmed over USB HID: one module, a raw image of the
// whole FLASH loaded from a file of exactly the FLASH size, written block by block with one
// acknowledged request per block and, when the verify option is set, read back and compared.
//
// Requests and replies (addresses are FLASH offsets, high byte first):
//   write  0x00 addr_hi addr_lo data[block]   -> 0x01 status x x
//   verify 0x02 addr_hi addr_lo               -> 0x03 status data[block]
// status 0 is done, 1 means jumper ST13 is set wrongly, anything else is a failure.
#pragma once

#include <memory>

#include "CommsRes/HidComms/HidComms.h"
#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"
#include "targets/TargetBase.h"

class CProgressCtrl;

class CHyUSBFlash : public CTargetBase {
public:
    enum { optionVerify = 1 };

    CHyUSBFlash(BYTE id, CString name, CString description);

    // Module 0 only, "ziDudav '.bin' File"; -1 (the whole buffer) is not offered.
    BOOL GetModuleName(CString& name, int block) override;
    int GetModuleCount() override;
    // 0 for a path containing ".bin" (case-sensitive), else -1. The main dialog does not ask
    // a one-module target, so any file chosen is judged by its length alone.
    int SelectModuleForFile(const CString& path) override;
    BOOL IsModuleLoaded(int block) override;
    // Reads a file of exactly the FLASH size into a new image. Anything short of a whole read
    // keeps the image and loaded state that were there before.
    BOOL LoadModule(int block, const CString& path) override;
    BOOL CanProgram() override;
    // Module 0 or -1 releases the image.
    void ClearModule(int block) override;
    // Prompts for the jumper and reset, opens the board (the user picks one if several are
    // plugged in), writes every block and, with the verify option, verifies every block. The
    // board is closed on every path; `*status` gets the outcome text. The resource name is not
    // used: the board is found by its USB ids.
    BOOL Program(CString resource, CString* status) override;
    // Writes the whole image, FLASH size bytes, as a raw file.
    BOOL SaveBuffer(const CString& path) override;
    int HasOptions() override;
    int ShowOptions() override;
    // Module 0: the image (owned by the target) and the FLASH size; NULL otherwise.
    BYTE* GetModuleImage(int block, DWORD* length) override;
    BOOL GetFileFilter(CString& filter) override;

    // Takes `defaultOptions`, then the stored "<name>_Options" when there is one. Always 1, so
    // the main dialog moves on after the target is selected.
    virtual int InitOptions(int defaultOptions);
    // Stores the options in memory and in the settings.
    virtual void SetOptions(int options);
    virtual int* GetOptions(int* options);

    // Every block, one progress step each; FALSE at the first failing block (the bar stays).
    BOOL ProgramAll(CProgressCtrl* bar);
    BOOL VerifyAll(CProgressCtrl* bar);
    // One request with its reply. An address whose block does not lie inside the FLASH is
    // refused before anything is sent.
    BOOL WriteBlock(WORD address);
    // At address 0 the first seven bytes are not compared: the board keeps its own data there.
    BOOL VerifyBlock(WORD address);

    DWORD GetFlashSize() const { return m_dwFlashSize; }
    DWORD GetBlockSize() const { return m_dwBlockSize; }
    const CHidComms& GetComms() const { return m_Comms; }

protected:
    DWORD m_dwOptions = 0;
    BOOL m_bLoaded = FALSE;
    DWORD m_dwFlashSize = 0;
    DWORD m_dwBlockSize = 0;
    std::unique_ptr<BYTE[]> m_pImage;
    DWORD m_dwProductId = 0;
    // The USB resource; hides the serial port object of the base, which this family never opens.
    CHidComms m_Comms;

private:
    // Addresses are 16 bits and blocks must fit the FLASH: a board whose sizes break this
    // (or a target without an image) programs nothing.
    BOOL CanTransferBlocks() const;
    BOOL IsBlockInFlash(WORD address) const;
    // Checks the reply code and status byte; status 1 tells the user about the jumper.
    BOOL CheckReply(const BYTE* reply, BYTE expectedCode);
    BOOL RunBlocks(CProgressCtrl* bar, BOOL (CHyUSBFlash::*each)(WORD));
};
