// The USB HID communications resource: finds a board by vendor id, product id and serial-number
// string, lets the user choose when several such boards are plugged in, opens the chosen one
// for this program alone and moves byte buffers as a series of whole reports.
//
// On the wire every output report starts with report id 0 followed by up to the output report
// length - 1 data bytes; every input report's first byte (the id) is skipped and the bytes
// after it are data. Each report travels at the full length the device declares.
#pragma once

#include <memory>
#include <vector>

#include "CommsRes/HidComms/CommsRes.h"
#include "platform/base/CString.h"
#include "platform/hid/IHidPlatform.h"

// The capabilities the transfers use: whole-report lengths, the report id byte included.
struct HIDP_CAPS {
    DWORD InputReportByteLength = 0;
    DWORD OutputReportByteLength = 0;
};

class CHidComms : public CCommsRes {
public:
    // The USB vendor id of the boards this resource looks for. Every board of the family
    // reports it; only the product id tells the boards apart.
    static const WORD configuredVendorId = 0x4B37;
    // The picker shows at most this many boards; further ones are not offered.
    static const int maxListedDevices = 30;

    CHidComms();
    ~CHidComms() override;

    // OpenDevice with the stored ids and an emptied serial-number string, so the search
    // starts afresh.
    BOOL Open(CWnd* parent) override;
    // Closes the device and releases the report buffers; the ids and the serial number stay,
    // so that a later OpenDevice(.., &serial) finds the same board again.
    void Close() override;
    // Sends the whole buffer as output reports. Opens the stored board first when none is
    // open. A failed report closes the device; with the retry flag the user may retry, which
    // reopens the same board (by its serial number) and sends the whole buffer again.
    // `*sent` gets the data bytes of the reports that went, never more than `length`.
    BOOL Write(const BYTE* data, DWORD length, DWORD* sent) override;
    // Fills the buffer from input reports, in the same manner.
    BOOL Read(BYTE* data, DWORD length, DWORD* received) override;

    // Closes whatever is open, then searches. With `*serial` empty every matching board that
    // has a serial number is listed: one is opened at once, two or more are offered in the
    // picker; with `*serial` set only the board with exactly that string (case-sensitive) is
    // opened. On success `*serial` and the stored ids and serial name the open board. A NULL
    // `serial` only closes. Returns whether a board is open. When no board opens because one
    // with the ids would not (no access, held by another program), the failure detail
    // (CFailureDetail) names its node and why; a cancelled picker records nothing.
    BOOL OpenDevice(WORD vendorId, WORD productId, CString* serial, CWnd* parent);

    const CString& GetSerial() const { return m_strSerial; }
    const CString& GetDevicePath() const { return m_strDevicePath; }
    const HIDP_CAPS& GetCaps() const { return m_Caps; }

protected:
    // Opens interface `index` of the set taken by the search into `*device` (NULL when it
    // cannot be opened, and `*failure` then says why). Returns whether the set has an
    // interface at that index.
    BOOL OpenInterface(const std::vector<HidDeviceInfo>& deviceSet, std::unique_ptr<IHidDevice>* device, DWORD index,
                       CString* failure = NULL);
    // Capabilities and report buffers of the device just opened. FALSE for a device whose
    // input or output report carries no data byte.
    BOOL InitReports();
    // The device's serial-number string, at most 127 characters; "Missing S/N" when it has none.
    CString GetSerialNumber(IHidDevice* device);
    // One report each: 1 done, 0 time-out, -1 error. `*sent` / `*received` get the report's
    // bytes less the id byte (-1 when nothing moved).
    int WriteReport(const BYTE* data, DWORD length, int* sent);
    int ReadReport(BYTE* data, DWORD length, int* received);
    void ShowError(LPCSTR text);
    int MsgBox(LPCSTR text, UINT type);

    CString m_strDevicePath;
    HIDP_CAPS m_Caps;
    std::unique_ptr<IHidDevice> m_hDevice;
    std::unique_ptr<BYTE[]> m_pOutReport;
    std::unique_ptr<BYTE[]> m_pInReport;
    WORD m_wVendorId = configuredVendorId;
    WORD m_wProductId = 1;
    CString m_strSerial;

private:
    struct Listed {
        CString serial;
        DWORD index;
    };

    // The transfer loop that Write and Read share; `report` moves one report.
    template <typename ReportFn>
    BOOL Transfer(DWORD length, DWORD* moved, BOOL retry, ReportFn report);
    // Asks the user when several boards are listed; the index chosen, or -1.
    int Choose(const std::vector<Listed>& listed, CString* serial);
    // The board opened last is still the one that was listed (a node number freed by an
    // unplugged board may go to another device meanwhile).
    BOOL IsSameBoard(IHidDevice* device, WORD vendorId, WORD productId, const CString& serial);
};
