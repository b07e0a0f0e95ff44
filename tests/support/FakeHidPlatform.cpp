#include "tests/support/FakeHidPlatform.h"

#include <gtest/gtest.h>

#include "CommsRes/HidComms/HidComms.h"
#include "platform/hid/HidPlatform.h"
#include "platform/time/Clock.h"

namespace {

// How long the kernel waits for a USB device to take an output report.
const DWORD kUsbTimeoutMs = 5000;

}  // namespace

class CFakeHidPlatform::CDevice : public IHidDevice {
public:
    CDevice(CFakeHidPlatform& platform, int index)
        : m_platform(platform), m_index(index), m_info(platform.m_entries[index].info)
    {
    }
    ~CDevice() override { m_platform.m_entries[m_index].open = FALSE; }

    const HidDeviceInfo& GetInfo() const override { return m_info; }

    int WriteReport(const BYTE* report, DWORD length, DWORD timeoutMs, DWORD* written) override
    {
        Entry& entry = m_platform.m_entries[m_index];
        *written = 0;
        if (!m_platform.IsAttached(entry))
            return hidTransferError;
        std::vector<BYTE> copy(report, report + length);
        if (entry.board && !entry.board->TakesOutputReport(copy)) {
            CurrentClock().SleepMilliseconds(timeoutMs < kUsbTimeoutMs ? timeoutMs : kUsbTimeoutMs);
            return hidTransferTimeout;
        }
        entry.written.push_back(copy);
        *written = length;
        if (entry.board)
            entry.board->OnOutputReport(copy);
        return hidTransferDone;
    }

    int ReadReport(BYTE* report, DWORD length, DWORD timeoutMs, DWORD* received) override
    {
        Entry& entry = m_platform.m_entries[m_index];
        *received = 0;
        if (!m_platform.IsAttached(entry))
            return hidTransferError;
        std::vector<BYTE> next;
        if (!entry.board || !entry.board->NextInputReport(next)) {
            if (timeoutMs == INFINITE) {
                ADD_FAILURE() << "a read without a time-out would wait for ever";
                return hidTransferError;
            }
            CurrentClock().SleepMilliseconds(timeoutMs);
            return hidTransferTimeout;
        }
        // As Windows gives it: the whole report length, zero-padded.
        next.resize(length, 0);
        std::copy(next.begin(), next.end(), report);
        *received = length;
        ++entry.reads;
        return hidTransferDone;
    }

private:
    CFakeHidPlatform& m_platform;
    int m_index;
    HidDeviceInfo m_info;
};

CFakeHidPlatform::CFakeHidPlatform() : m_pPrevious(InstallHidPlatform(this)) {}

CFakeHidPlatform::~CFakeHidPlatform()
{
    InstallHidPlatform(m_pPrevious);
}

int CFakeHidPlatform::Add(HidDeviceInfo info, IFakeHidBoard* board)
{
    info.path.Format("/dev/hidraw%d", (int)m_entries.size());
    Entry entry;
    entry.info = info;
    entry.board = board;
    m_entries.push_back(entry);
    return (int)m_entries.size() - 1;
}

int CFakeHidPlatform::AddBoard(const char* serial, IFakeHidBoard* board, WORD productId, DWORD inputLength,
                               DWORD outputLength)
{
    HidDeviceInfo info;
    info.vendorId = CHidComms::configuredVendorId;
    info.productId = productId;
    info.hasSerial = serial != NULL;
    info.serial = serial;
    info.inputReportLength = inputLength;
    info.outputReportLength = outputLength;
    return Add(info, board);
}

int CFakeHidPlatform::AddUnrelated(WORD vendorId, WORD productId, const char* serial)
{
    HidDeviceInfo info;
    info.vendorId = vendorId;
    info.productId = productId;
    info.hasSerial = serial && *serial;
    info.serial = serial;
    info.inputReportLength = 9;
    return Add(info);
}

int CFakeHidPlatform::OpenDevices() const
{
    int open = 0;
    for (const Entry& entry : m_entries)
        open += entry.open ? 1 : 0;
    return open;
}

std::vector<HidDeviceInfo> CFakeHidPlatform::Enumerate()
{
    ++m_nEnumerations;
    std::vector<HidDeviceInfo> present;
    for (const Entry& entry : m_entries)
        if (IsAttached(entry))
            present.push_back(entry.info);
    if (m_afterEnumerate)
        m_afterEnumerate();
    return present;
}

void CFakeHidPlatform::SetOpenable(int device, BOOL openable, const char* failure)
{
    Entry& entry = m_entries.at(device);
    entry.openable = openable;
    entry.openFailure = entry.info.path + ": " + failure;
}

std::unique_ptr<IHidDevice> CFakeHidPlatform::Open(const CString& path, CString* failure)
{
    for (size_t index = 0; index < m_entries.size(); ++index) {
        Entry& entry = m_entries[index];
        if (entry.info.path != path)
            continue;
        if (!entry.openable || entry.open || !IsAttached(entry)) {
            if (failure)
                *failure = !entry.openable
                               ? entry.openFailure
                               : path + (entry.open ? ": busy, in use by this program." : ": no such device.");
            return NULL;
        }
        entry.open = TRUE;
        ++entry.opens;
        return std::unique_ptr<IHidDevice>(new CDevice(*this, (int)index));
    }
    return NULL;
}
