#include "CommsRes/HidComms/HidComms.h"

#include <cstring>

#include "CommsRes/HidComms/HidSnDialog.h"
#include "platform/base/FailureDetail.h"
#include "platform/hid/HidPlatform.h"
#include "platform/ui/UiServices.h"
#include "platform/wnd/Wnd.h"

namespace {

const char kMissingSerial[] = "Missing S/N";
const char kErrorText[] = "Error occurred when communicating with the device";
const char kTimeoutText[] = "Time-out occurred when communicating with the device";
const char kRetryPrompt[] = "Error occurred when communicating with the device, retry?";
const int kMaxSerialLength = 127;

// At most `limit` bytes of `text`, not cutting a UTF-8 sequence in two.
CString Bounded(const CString& text, int limit)
{
    if (text.GetLength() <= limit)
        return text;
    int length = limit;
    while (length > 0 && ((BYTE)text[length] & 0xC0) == 0x80)
        --length;
    return text.Left(length);
}

}  // namespace

CHidComms::CHidComms()
{
    m_bRetryWrite = TRUE;
    m_bRetryRead = TRUE;
}

CHidComms::~CHidComms()
{
    Close();
}

BOOL CHidComms::Open(CWnd* parent)
{
    if (parent)
        m_pParent = parent;
    m_strSerial.Empty();
    return OpenDevice(m_wVendorId, m_wProductId, &m_strSerial, m_pParent);
}

void CHidComms::Close()
{
    m_bOpen = FALSE;
    m_pOutReport.reset();
    m_pInReport.reset();
    m_hDevice.reset();
}

// --- Finding and opening a board ---

BOOL CHidComms::OpenDevice(WORD vendorId, WORD productId, CString* serial, CWnd* parent)
{
    Close();
    if (parent)
        m_pParent = parent;
    if (!serial)
        return m_bOpen;

    // One snapshot serves the whole search and the final open, so the index chosen names
    // the interface that was examined, whatever is plugged in meanwhile.
    std::vector<HidDeviceInfo> deviceSet = HidPlatform().Enumerate();
    BOOL listMode = serial->IsEmpty();
    std::vector<Listed> listed;
    int chosen = -1;
    // Why the first board with the ids would not open. Other HID nodes (keyboards, mice)
    // belong to root on most systems, so only a board's reason says anything to the user.
    CString unopened;
    for (DWORD index = 0;; ++index) {
        std::unique_ptr<IHidDevice> device;
        CString failure;
        if (!OpenInterface(deviceSet, &device, index, &failure))
            break;
        if (!device) {
            const HidDeviceInfo& listedInfo = deviceSet[index];
            if (unopened.IsEmpty() && listedInfo.vendorId == vendorId && listedInfo.productId == productId)
                unopened = failure;
            continue;
        }
        const HidDeviceInfo& info = device->GetInfo();
        if (info.vendorId != vendorId || info.productId != productId)
            continue;
        CString number = GetSerialNumber(device.get());
        if (!listMode) {
            if (number == *serial) {
                chosen = (int)index;
                break;
            }
        } else if (number != kMissingSerial && (int)listed.size() < maxListedDevices) {
            listed.push_back({number, index});
        }
    }

    // With two or more boards offered, the user chose or cancelled in the picker.
    BOOL userChose = listMode && listed.size() >= 2;
    if (listMode)
        chosen = Choose(listed, serial);

    if (chosen >= 0) {
        CString failure;
        if (OpenInterface(deviceSet, &m_hDevice, (DWORD)chosen, &failure) && m_hDevice) {
            if (IsSameBoard(m_hDevice.get(), vendorId, productId, *serial) && InitReports()) {
                m_bOpen = TRUE;
                m_wVendorId = vendorId;
                m_wProductId = productId;
                m_strSerial = *serial;
            } else {
                Close();
            }
        } else {
            unopened = failure;  // taken by another program since the search
        }
    }
    if (!m_bOpen && !unopened.IsEmpty() && (chosen >= 0 || !userChose))
        CFailureDetail::Set(unopened);
    return m_bOpen;
}

int CHidComms::Choose(const std::vector<Listed>& listed, CString* serial)
{
    if (listed.empty())
        return -1;
    if (listed.size() == 1) {
        *serial = listed.front().serial;
        return (int)listed.front().index;
    }
    std::vector<CString> serials;
    for (const Listed& entry : listed)
        serials.push_back(entry.serial);
    CHidSnDialog picker(NULL);
    picker.SetList(serials.data(), (int)serials.size());
    if (picker.DoModal() != IDOK)
        return -1;
    int selection = picker.GetSelection();
    if (selection < 0 || selection >= (int)listed.size())
        return -1;
    *serial = listed[selection].serial;
    return (int)listed[selection].index;
}

BOOL CHidComms::IsSameBoard(IHidDevice* device, WORD vendorId, WORD productId, const CString& serial)
{
    const HidDeviceInfo& info = device->GetInfo();
    return info.vendorId == vendorId && info.productId == productId && GetSerialNumber(device) == serial;
}

BOOL CHidComms::OpenInterface(const std::vector<HidDeviceInfo>& deviceSet, std::unique_ptr<IHidDevice>* device,
                              DWORD index, CString* failure)
{
    device->reset();
    if (index >= deviceSet.size())
        return FALSE;
    m_strDevicePath = deviceSet[index].path;
    *device = HidPlatform().Open(m_strDevicePath, failure);
    return TRUE;
}

BOOL CHidComms::InitReports()
{
    const HidDeviceInfo& info = m_hDevice->GetInfo();
    m_Caps.InputReportByteLength = info.inputReportLength;
    m_Caps.OutputReportByteLength = info.outputReportLength;
    // A report with no room for data would move nothing, and the transfer loop would never end.
    if (m_Caps.InputReportByteLength < 2 || m_Caps.OutputReportByteLength < 2)
        return FALSE;
    m_pOutReport.reset(new BYTE[m_Caps.OutputReportByteLength]());
    m_pInReport.reset(new BYTE[m_Caps.InputReportByteLength]());
    return TRUE;
}

CString CHidComms::GetSerialNumber(IHidDevice* device)
{
    if (!device || !device->GetInfo().hasSerial)
        return kMissingSerial;
    return Bounded(device->GetInfo().serial, kMaxSerialLength);
}

// --- Reports ---

int CHidComms::WriteReport(const BYTE* data, DWORD length, int* sent)
{
    int ignored = 0;
    if (!sent)
        sent = &ignored;
    if (!m_bOpen || !m_hDevice) {
        *sent = -1;
        return hidTransferError;
    }
    DWORD reportLength = m_Caps.OutputReportByteLength;
    DWORD count = length < reportLength - 1 ? length : reportLength - 1;
    m_pOutReport[0] = 0;
    memcpy(&m_pOutReport[1], data, count);
    // The tail of a short last report goes out as zeros, not as the previous report's data.
    memset(&m_pOutReport[1 + count], 0, reportLength - 1 - count);
    DWORD written = 0;
    int result = m_hDevice->WriteReport(m_pOutReport.get(), reportLength, m_dwTimeout, &written);
    if (result == hidTransferDone && written != reportLength)
        result = hidTransferError;
    *sent = (int)written - 1;
    return result;
}

int CHidComms::ReadReport(BYTE* data, DWORD length, int* received)
{
    int ignored = 0;
    if (!received)
        received = &ignored;
    if (!m_bOpen || !m_hDevice) {
        *received = -1;
        return hidTransferError;
    }
    DWORD reportLength = m_Caps.InputReportByteLength;
    DWORD got = 0;
    int result = m_hDevice->ReadReport(m_pInReport.get(), reportLength, m_dwTimeout, &got);
    if (result == hidTransferDone && got != reportLength)
        result = hidTransferError;
    if (got > 1) {
        DWORD count = length < reportLength - 1 ? length : reportLength - 1;
        memcpy(data, &m_pInReport[1], count);
    }
    *received = (int)got - 1;
    return result;
}

// --- Buffers ---

template <typename ReportFn>
BOOL CHidComms::Transfer(DWORD length, DWORD* moved, BOOL retry, ReportFn report)
{
    const char* error = kErrorText;
    BOOL done = FALSE;
    if (!m_bOpen)
        OpenDevice(m_wVendorId, m_wProductId, &m_strSerial, NULL);

    DWORD offset = 0;
    for (;;) {
        offset = 0;
        int result = m_bOpen ? hidTransferDone : hidTransferError;
        while (offset < length && result == hidTransferDone) {
            int count = 0;
            result = report(offset, length - offset, &count);
            if (result != hidTransferDone)
                break;
            if (count <= 0) {
                result = hidTransferError;  // a report that moved no data would loop for ever
                break;
            }
            // A full-length last report carries padding: count only what the buffer holds.
            DWORD left = length - offset;
            offset += (DWORD)count < left ? (DWORD)count : left;
        }
        if (result == hidTransferDone) {
            done = TRUE;
            break;
        }
        if (result == hidTransferTimeout) {
            error = kTimeoutText;
            if (m_bTimeoutIsSuccess) {
                done = TRUE;
                break;
            }
        }
        Close();
        if (!retry || MsgBox(kRetryPrompt, MB_RETRYCANCEL | MB_ICONHAND) != IDRETRY)
            break;
        OpenDevice(m_wVendorId, m_wProductId, &m_strSerial, NULL);
    }
    if (!done)
        ShowError(error);
    if (moved)
        *moved = offset;
    return done;
}

BOOL CHidComms::Write(const BYTE* data, DWORD length, DWORD* sent)
{
    if (!data && length > 0)
        return FALSE;
    return Transfer(length, sent, m_bRetryWrite,
                    [&](DWORD offset, DWORD left, int* count) { return WriteReport(data + offset, left, count); });
}

BOOL CHidComms::Read(BYTE* data, DWORD length, DWORD* received)
{
    if (!data && length > 0)
        return FALSE;
    return Transfer(length, received, m_bRetryRead,
                    [&](DWORD offset, DWORD left, int* count) { return ReadReport(data + offset, left, count); });
}

// --- Messages ---

void CHidComms::ShowError(LPCSTR text)
{
    if (m_bShowErrors)
        MsgBox(text, MB_OK);
}

int CHidComms::MsgBox(LPCSTR text, UINT type)
{
    if (m_pParent)
        return m_pParent->MessageBox(text, NULL, type);
    return AfxMessageBox(text, type);
}
