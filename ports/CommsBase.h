// The port object every target carries: one communications resource opened by type for the
// length of one operation. Serial byte streams, serial modem lines and parallel-port bits as
// programming lines; USB lends only its name here.
#pragma once

#include <memory>

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

class ISerialPort;

// Copy of the parallel port's control register as the line operations last wrote it; each
// operation changes its own bits and rewrites the whole register. Outlives the port.
extern BYTE theLptControl;

class CCommsBase {
public:
    enum : BYTE {
        typeSerial = 1,       // COM1:..COM4:, 19200 8N1, RTS/CTS handshake
        typeSerialLines = 2,  // COM1:..COM4:, 19200 8N1, modem lines as programming lines
        typeLptNone = 3,      // LPT1:, never opens
        typeLpt = 4,          // LPT1: through theParallel
        typeSerialFast = 5,   // COM1:..COM4:, 115200 8N1, RTS/CTS handshake
        typeUsb = 6,          // "USB", never opens (the HID resource does the I/O)
    };

    CCommsBase();
    // Runs no closing sequence (break, registers): every operation closes its port before it
    // returns. A serial port left open is only let go.
    ~CCommsBase();
    CCommsBase(const CCommsBase&) = delete;
    CCommsBase& operator=(const CCommsBase&) = delete;

    // The index-th resource name of `type`; FALSE past the last one (name unchanged).
    static BOOL GetResourceName(BYTE type, int index, CString& name);

    // Closes whatever is open, then opens `name` as `type`. A failed opening leaves the object
    // closed, except type 2 when the first line settings fail: it stays open until Close.
    // CPortOpenFailure::GetLast() holds the reason of a failed opening, when the platform
    // knows one, until the next opening.
    BOOL Open(BYTE type, CString name);
    // Releases what the open type holds; afterwards type 0 and no handle. Safe to repeat.
    void Close();

    BOOL OpenSerial(CString name, DWORD baud, BYTE parity, BYTE byteSize, BYTE stopBits, BOOL handshake,
                    DWORD readInterval, DWORD readTotalConstant, DWORD readTotalMultiplier, DWORD writeTotalMultiplier,
                    DWORD writeTotalConstant);
    // RTS/CTS handshake on an open serial port (types 1, 2, 5). A failure closes the port.
    BOOL SetHandshake(BOOL on);

    // Byte transfers, types 1 and 5 only. Read and Write replace `count` by the number moved
    // and report TRUE only when all of it was moved.
    BOOL ReadByte(BYTE* b);
    BOOL Read(BYTE* buffer, DWORD& count);
    BOOL WriteByte(BYTE b);
    BOOL Write(const BYTE* buffer, DWORD& count);
    // Blocks until the carrier-detect line changes; no time-out.
    BOOL WaitCarrier();

    // Programming lines, types 2 and 4; every other type returns 0 and touches nothing.
    BOOL SetData(BOOL level);
    BOOL GetData();
    BOOL SetClock(BOOL level);
    BOOL SetPgm(BOOL level);

    // The parallel-port halves of the line operations.
    static BOOL LptSetData(BOOL level);
    static BOOL LptGetData();
    static BOOL LptSetClock(BOOL level);
    static BOOL LptSetPgm(BOOL level);

    BYTE GetType() const { return m_nType; }
    BOOL HasHandle() const { return m_hPort != nullptr; }

private:
    BOOL IsSerialType() const;
    BOOL IsStreamType() const;
    BOOL OpenParallel();
    // Records that the device opened but refused the serial settings; FALSE.
    static BOOL RefuseSettings(const CString& name);
    void CloseSerialHandle();

    BYTE m_nType;
    // The open serial port; empty is the one "no handle" value.
    std::unique_ptr<ISerialPort> m_hPort;
};
