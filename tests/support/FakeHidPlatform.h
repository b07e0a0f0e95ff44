// The HID platform for tests: a list of interfaces, some of them boards that answer reports.
// Installs itself for its lifetime. Opens are exclusive as on the real system; a read with no
// report ready waits out its time-out on the current clock (a virtual one in tests), so
// multi-second time-outs cost nothing. Writes behave as hidraw's: never held back by reports
// the board has not answered, but a board that does not take a report holds the write until
// the host's time-out or the kernel's USB time-out ends it. Every output report taken is kept
// per interface.
#pragma once

#include <functional>
#include <vector>

#include "platform/hid/IHidPlatform.h"
#include "tests/support/IFakeHidBoard.h"

class CFakeHidPlatform : public IHidPlatform {
public:
    CFakeHidPlatform();
    ~CFakeHidPlatform() override;
    CFakeHidPlatform(const CFakeHidPlatform&) = delete;
    CFakeHidPlatform& operator=(const CFakeHidPlatform&) = delete;

    // Adds an interface at "/dev/hidraw<index>"; `info.path` is filled in. Returns its index.
    int Add(HidDeviceInfo info, IFakeHidBoard* board = NULL);
    // A board of the USB flash family: the configured vendor id, `productId`, the given report
    // lengths; `serial` NULL for a board without a serial-number string.
    int AddBoard(const char* serial, IFakeHidBoard* board, WORD productId = 256, DWORD inputLength = 65,
                 DWORD outputLength = 65);
    // Some other HID device (a keyboard, a mouse) that answers nothing.
    int AddUnrelated(WORD vendorId, WORD productId, const char* serial = "");

    // What the next Open of the interface reports (a reused node can change it).
    HidDeviceInfo& Info(int device) { return m_entries.at(device).info; }
    // FALSE: Open fails, as for a node held by another program or not accessible, with
    // "<path>: `failure`" as the reason.
    void SetOpenable(int device, BOOL openable, const char* failure = "busy, in use by another program.");

    int OpenCount(int device) const { return m_entries.at(device).opens; }
    BOOL IsOpen(int device) const { return m_entries.at(device).open; }
    // Interfaces open right now.
    int OpenDevices() const;
    int EnumerationCount() const { return m_nEnumerations; }
    // Output reports written to the interface, in order.
    const std::vector<std::vector<BYTE>>& Written(int device) const { return m_entries.at(device).written; }
    // Input reports the host has taken from the interface.
    int ReportsRead(int device) const { return m_entries.at(device).reads; }
    // Runs after every Enumerate, to change the devices between the search and the open.
    void AfterEnumerate(std::function<void()> hook) { m_afterEnumerate = std::move(hook); }

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<IHidDevice> Open(const CString& path, CString* failure) override;

private:
    class CDevice;
    struct Entry {
        HidDeviceInfo info;
        IFakeHidBoard* board = NULL;
        BOOL openable = TRUE;
        CString openFailure;
        BOOL open = FALSE;
        int opens = 0;
        int reads = 0;
        std::vector<std::vector<BYTE>> written;
    };

    BOOL IsAttached(const Entry& entry) const { return !entry.board || entry.board->IsAttached(); }

    std::vector<Entry> m_entries;
    int m_nEnumerations = 0;
    std::function<void()> m_afterEnumerate;
    IHidPlatform* m_pPrevious;
};
