// The Tessar DSP target that writes PRAM and XRAM into the board's EEPROM through the board's
// loader, over a serial port at 115200 baud with the RTS/CTS handshake on. Each area goes as
// '#', its letter, the board's size answer and 128-byte binary blocks, each acknowledged.
#pragma once

#include "targets/dsp/TessarTarget.h"

class CProgressCtrl;

class CTessarEeprom : public CTessarTarget {
public:
    CTessarEeprom(BYTE id, CString name, CString description, WORD model);

    // "PRAM: 0x%X - 0x%X" and "XRAM: 0x%X - 0x%X"; DRAM has no name here, although a file
    // with ".d" in its name still loads into it.
    BOOL GetModuleName(CString& name, int area) override;
    int GetModuleCount() override;
    // Sends every loaded area in area order; the first failure ends the run with "Unable to
    // program device". "Programming complete" when all went through. The port is closed on
    // every path.
    BOOL Program(CString resource, CString* message) override;
    BOOL GetFileFilter(CString& filter) override;

    // One area through the loader; TRUE when every block was acknowledged. Only PRAM and
    // XRAM have a letter: any other area fails after the '#' has gone out. `progress` (may
    // be NULL) is stepped once per block.
    BOOL DownloadArea(int area, CProgressCtrl* progress) override;
    // The hexadecimal digits of `text` (either case) as a number in `*value`; FALSE for an
    // empty text or at the first other character, with the digits before it in `*value`.
    static BOOL ParseHex(CString text, DWORD* value);
};
