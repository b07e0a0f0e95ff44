// The Tessar DSP target that downloads PRAM, XRAM and DRAM to a 'thick' stub running on the
// board, over a serial port at 115200 baud with no handshake, as hexadecimal text in
// acknowledged pieces; afterwards it can tell the stub to jump to a stored word address.
#pragma once

#include "targets/dsp/TessarTarget.h"

class CProgressCtrl;
class CTessarThickOptions;

class CTessarThick : public CTessarTarget {
public:
    CTessarThick(BYTE id, CString name, CString description, WORD model);

    // Reads "<name> Jmp Addr" (a text of at most four characters) and "<name>_Options" (a
    // 4-byte jump flag) where present; 1 in every case.
    int LoadOptions() override;
    // Sends every loaded area in area order, then jumps when the jump flag is nonzero.
    // Outcome texts: "Unable to open specified communications resource", "Unable to program
    // device", "Programming complete\nBut unable to jump to specified address" (FALSE) or
    // "Programming complete". The port is closed on every path.
    BOOL Program(CString resource, CString* message) override;
    int HasOptions() override;
    // Runs the options dialog for this target; 1 when the user pressed OK.
    int ShowOptions() override;
    // Writes both settings; nothing when the settings key cannot be opened.
    void SaveOptions() override;

    // One area through the stub; `progress` (may be NULL) is stepped once per piece.
    BOOL DownloadArea(int area, CProgressCtrl* progress) override;
    // Tells the stub to jump to the stored address. The address always goes as four
    // characters: a shorter one is padded with '0' in front.
    BOOL Jump();

    CString GetJumpAddress() const { return m_strJumpAddress; }
    DWORD GetJumpOptions() const { return m_dwOptions; }

protected:
    CString m_strJumpAddress;
    DWORD m_dwOptions;

private:
    friend class CTessarThickOptions;

    BOOL SendCommand();
    BOOL Expect(BYTE wanted);
    BOOL SendText(const CString& text);
};
