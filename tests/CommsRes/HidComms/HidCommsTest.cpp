// The USB HID resource against the fake HID platform: which board a search opens, how buffers
// are cut into reports, and how time-outs, errors and retries end a transfer.
#include <deque>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CommsRes/HidComms/HidComms.h"
#include "platform/base/FailureDetail.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/testing/VirtualClock.h"
#include "platform/wnd/Dialog.h"
#include "res/resource.h"
#include "tests/support/FakeHidPlatform.h"
#include "tests/support/ListEntries.h"
#include "tests/support/ScriptedUi.h"

namespace {

const WORD kVendor = CHidComms::configuredVendorId;
const WORD kProduct = 256;
const char kRetryPrompt[] = "Error occurred when communicating with the device, retry?";

// Answers with the input reports queued; can be pulled out after a number of output reports,
// or stall and take none.
class CScriptedBoard : public IFakeHidBoard {
public:
    BOOL TakesOutputReport(const std::vector<BYTE>&) override { return !m_stalled; }
    void OnOutputReport(const std::vector<BYTE>&) override
    {
        if (++m_writes == m_detachAfter)
            m_attached = FALSE;
    }
    BOOL NextInputReport(std::vector<BYTE>& report) override
    {
        if (m_inputs.empty())
            return FALSE;
        report = m_inputs.front();
        m_inputs.pop_front();
        return TRUE;
    }
    BOOL IsAttached() const override { return m_attached; }

    void Queue(std::vector<BYTE> report) { m_inputs.push_back(std::move(report)); }
    void DetachAfterWrites(int writes) { m_detachAfter = m_writes + writes; }

    std::deque<std::vector<BYTE>> m_inputs;
    int m_writes = 0;
    int m_detachAfter = -1;
    BOOL m_attached = TRUE;
    BOOL m_stalled = FALSE;
};

std::vector<BYTE> Counting(size_t length, BYTE first = 1)
{
    std::vector<BYTE> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = (BYTE)(first + i);
    return bytes;
}

}  // namespace

class HidCommsTest : public ::testing::Test {
protected:
    CVirtualClock clock;
    CScopedClock useClock{clock};
    CScriptedUi ui;
    CModalScript script;
    CFakeHidPlatform platform;
    CHidComms comms;
};

// --- Which board a search opens ---

TEST_F(HidCommsTest, SearchOpensTheBoardTheUserMeans)
{
    enum Kind { Unrelated, OtherProduct, Board, NoSerial, Busy };
    enum Picker { None, Choose, DoubleClick, Cancel };
    struct Device {
        Kind kind;
        const char* serial;
    };
    struct Case {
        const char* name;
        std::vector<Device> devices;
        const char* serial;  // the search string: "" lists
        Picker picker;
        int pick;  // the picker entry chosen
        std::vector<std::string> listed;
        int opened;  // device index, -1 for none
        const char* serialAfter;
        const char* detail = "";  // the failure's second line
    } cases[] = {
        {"one board after other interfaces",
         {{Unrelated, "K1"}, {OtherProduct, "X"}, {Board, "A1"}},
         "",
         None,
         0,
         {},
         2,
         "A1"},
        {"picker lists boards with serials",
         {{Unrelated, ""}, {Board, "A1"}, {NoSerial, ""}, {Board, "B2"}},
         "",
         Choose,
         1,
         {"A1", "B2"},
         3,
         "B2"},
        {"double click confirms", {{Board, "A1"}, {Board, "B2"}}, "", DoubleClick, 0, {"A1", "B2"}, 0, "A1"},
        {"picker cancelled", {{Board, "A1"}, {Busy, "C3"}, {Board, "B2"}}, "", Cancel, 0, {"A1", "B2"}, -1, ""},
        {"match mode", {{Unrelated, "B2"}, {Board, "A1"}, {Board, "B2"}}, "B2", None, 0, {}, 2, "B2"},
        {"match mode is case-sensitive", {{Board, "A1"}, {Board, "B2"}}, "b2", None, 0, {}, -1, "b2"},
        {"busy interface skipped", {{Busy, "A1"}, {Board, "B2"}}, "", None, 0, {}, 1, "B2"},
        {"only a board without serial", {{NoSerial, ""}}, "", None, 0, {}, -1, ""},
        {"the only board busy",
         {{Unrelated, "K1"}, {Busy, "A1"}},
         "",
         None,
         0,
         {},
         -1,
         "",
         "/dev/hidraw1: busy, in use by another program."},
        {"the board sought busy",
         {{Busy, "B2"}},
         "B2",
         None,
         0,
         {},
         -1,
         "B2",
         "/dev/hidraw0: busy, in use by another program."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFakeHidPlatform devices;
        for (const Device& d : c.devices) {
            if (d.kind == Unrelated)
                devices.AddUnrelated(0x046D, 0xC52B, d.serial);
            else if (d.kind == OtherProduct)
                devices.AddUnrelated(kVendor, kProduct + 1, d.serial);
            else
                devices.AddBoard(d.kind == NoSerial ? NULL : d.serial, NULL);
        }
        // Other HID nodes belong to root, as on a desktop without a rule for them.
        for (size_t i = 0; i < c.devices.size(); ++i) {
            if (c.devices[i].kind == Busy)
                devices.SetOpenable((int)i, FALSE);
            else if (c.devices[i].kind == Unrelated)
                devices.SetOpenable((int)i, FALSE, "permission denied.");
        }
        std::vector<std::string> listed;
        if (c.picker != None) {
            script.Expect(IDD_HIDSN, [&](CDialog& dialog) {
                listed = ListEntries(dialog, IDC_HIDSN_LIST);
                EXPECT_EQ(((CListBox*)dialog.GetDlgItem(IDC_HIDSN_LIST))->GetCurSel(), 0);
                CDialogDriver driver(dialog);
                if (c.picker == Cancel) {
                    driver.Click(IDCANCEL);
                } else if (c.picker == DoubleClick) {
                    driver.DoubleClickListItem(IDC_HIDSN_LIST, c.pick);
                } else {
                    driver.SelectListItem(IDC_HIDSN_LIST, c.pick);
                    driver.Click(IDOK);
                }
            });
        }
        CHidComms resource;
        CString serial = c.serial;
        CFailureDetail::Clear();
        BOOL opened = resource.OpenDevice(kVendor, kProduct, &serial, NULL);
        script.VerifyAndClear();
        EXPECT_EQ(CFailureDetail::Get(), c.detail);
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(opened, c.opened >= 0);
        EXPECT_EQ(resource.IsOpen(), c.opened >= 0);
        EXPECT_EQ(devices.OpenDevices(), c.opened >= 0 ? 1 : 0);
        if (c.opened >= 0) {
            EXPECT_TRUE(devices.IsOpen(c.opened));
            EXPECT_EQ(resource.GetSerial(), c.serialAfter);
            EXPECT_EQ(resource.GetDevicePath(), devices.Info(c.opened).path);
        }
        EXPECT_EQ(serial, c.serialAfter);
        resource.Close();
        EXPECT_EQ(devices.OpenDevices(), 0);
    }
}

TEST_F(HidCommsTest, ANullSerialOnlyClosesAndTheDestructorCloses)
{
    platform.AddBoard("A1", NULL);
    CString serial;
    ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    int searches = platform.EnumerationCount();
    EXPECT_FALSE(comms.OpenDevice(kVendor, kProduct, NULL, NULL));
    EXPECT_EQ(platform.EnumerationCount(), searches);
    EXPECT_EQ(platform.OpenDevices(), 0);
    {
        CHidComms scoped;
        ASSERT_TRUE(scoped.OpenDevice(kVendor, kProduct, &serial, NULL));
        EXPECT_EQ(platform.OpenDevices(), 1);
    }
    EXPECT_EQ(platform.OpenDevices(), 0);
}

TEST_F(HidCommsTest, ThePickerShowsThirtyBoardsAndOpensTheOneItShowed)
{
    for (int i = 0; i < 32; ++i)
        platform.AddBoard(("SN" + std::to_string(i)).c_str(), NULL);
    size_t shown = 0;
    script.Expect(IDD_HIDSN, [&](CDialog& dialog) {
        shown = ListEntries(dialog, IDC_HIDSN_LIST).size();
        CDialogDriver(dialog).SelectListItem(IDC_HIDSN_LIST, 29);
        CDialogDriver(dialog).Click(IDOK);
    });
    // Meanwhile board 29's node goes to another board: the picker's choice must not open it.
    script.Expect(IDD_HIDSN, [&](CDialog& dialog) {
        platform.Info(29).serial = "INTRUDER";
        CDialogDriver(dialog).SelectListItem(IDC_HIDSN_LIST, 29);
        CDialogDriver(dialog).Click(IDOK);
    });
    CString serial;
    EXPECT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    EXPECT_EQ(shown, (size_t)CHidComms::maxListedDevices);
    EXPECT_EQ(serial, "SN29");
    EXPECT_TRUE(platform.IsOpen(29));

    serial.Empty();
    EXPECT_FALSE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    EXPECT_EQ(platform.OpenDevices(), 0);
}

TEST_F(HidCommsTest, ADeviceWithoutRoomForDataIsNotOpened)
{
    struct Case {
        DWORD input, output;
        BOOL opens;
    } cases[] = {{65, 65, TRUE}, {2, 2, TRUE}, {1, 65, FALSE}, {65, 1, FALSE}, {0, 65, FALSE}, {65, 0, FALSE}};
    for (const Case& c : cases) {
        CFakeHidPlatform devices;
        devices.AddBoard("A1", NULL, kProduct, c.input, c.output);
        CString serial;
        EXPECT_EQ(comms.OpenDevice(kVendor, kProduct, &serial, NULL), c.opens) << c.input << "/" << c.output;
        EXPECT_EQ(devices.OpenDevices(), c.opens ? 1 : 0);
        comms.Close();
    }
}

// --- Reports ---

TEST_F(HidCommsTest, BuffersTravelAsWholeReportsLedByReportIdZero)
{
    struct Case {
        DWORD reportLength;
        size_t reports;
    } cases[] = {{65, 3}, {200, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reportLength);
        CFakeHidPlatform devices;
        CScriptedBoard board;
        devices.AddBoard("A1", &board, kProduct, c.reportLength, c.reportLength);
        CString serial;
        ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
        std::vector<BYTE> request = Counting(131);
        DWORD sent = 0;
        EXPECT_TRUE(comms.Write(request.data(), 131, &sent));
        EXPECT_EQ(sent, 131u);
        const auto& written = devices.Written(0);
        ASSERT_EQ(written.size(), c.reports);
        std::vector<BYTE> data;
        for (const auto& report : written) {
            EXPECT_EQ(report.size(), c.reportLength);
            EXPECT_EQ(report[0], 0);
            data.insert(data.end(), report.begin() + 1, report.end());
        }
        EXPECT_TRUE(std::equal(request.begin(), request.end(), data.begin()));
        // The filler after the last data byte is zeros, not what the previous report held.
        EXPECT_TRUE(std::all_of(data.begin() + 131, data.end(), [](BYTE b) { return b == 0; }));
        comms.Close();
    }
}

TEST_F(HidCommsTest, AReadTakesOnlyTheReportsItNeeds)
{
    CScriptedBoard board;
    platform.AddBoard("A1", &board);
    for (BYTE first : {0x10, 0x50, 0x90, 0xD0})
        board.Queue([&] {
            std::vector<BYTE> report = Counting(65, first);
            report[0] = 0;
            return report;
        }());
    CString serial;
    ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    std::vector<BYTE> reply(130, 0xEE);
    DWORD received = 0;
    EXPECT_TRUE(comms.Read(reply.data(), 130, &received));
    EXPECT_EQ(received, 130u);
    EXPECT_EQ(platform.ReportsRead(0), 3);
    EXPECT_EQ(board.m_inputs.size(), 1u);
    EXPECT_EQ(reply[0], 0x11);
    EXPECT_EQ(reply[64], 0x51);
    EXPECT_EQ(reply[128], 0x91);
    EXPECT_EQ(reply[129], 0x92);
}

// --- Time-outs, errors, retries ---

TEST_F(HidCommsTest, ATimeOutFailsUnlessItCountsAsSuccess)
{
    // Takes no report and has none to give.
    CScriptedBoard board;
    board.m_stalled = TRUE;
    platform.AddBoard("A1", &board);
    comms.SetWriteRetry(FALSE);
    comms.SetReadRetry(FALSE);
    comms.SetTimeout(5000);
    for (BOOL write : {FALSE, TRUE}) {
        for (BOOL isError : {TRUE, FALSE}) {
            SCOPED_TRACE(testing::Message() << (write ? "write" : "read") << " isError " << isError);
            CString serial;
            ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
            comms.SetTimeoutIsError(isError);
            BYTE buffer[131] = {};
            uint64_t before = clock.NowMilliseconds();
            DWORD moved = 99;
            EXPECT_EQ(write ? comms.Write(buffer, 131, &moved) : comms.Read(buffer, 4, &moved), !isError);
            EXPECT_EQ(clock.NowMilliseconds() - before, 5000u);
            EXPECT_EQ(moved, 0u);
            EXPECT_EQ(comms.IsOpen(), !isError);
        }
    }
    EXPECT_TRUE(platform.Written(0).empty());
}

TEST_F(HidCommsTest, AFailedReportIsNotCountedAndClosesWithoutAWord)
{
    CScriptedBoard board;
    platform.AddBoard("A1", &board);
    comms.SetWriteRetry(FALSE);
    CString serial;
    ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    board.DetachAfterWrites(1);
    std::vector<BYTE> request = Counting(131);
    DWORD sent = 0;
    EXPECT_FALSE(comms.Write(request.data(), 131, &sent));
    EXPECT_EQ(sent, 64u);
    EXPECT_FALSE(comms.IsOpen());
    EXPECT_EQ(platform.OpenDevices(), 0);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(HidCommsTest, RetryReopensTheSameBoardAndSendsTheWholeBufferAgain)
{
    CScriptedBoard first, second;
    platform.AddBoard("A1", &first);
    platform.AddBoard("B2", &second);
    CString serial = "B2";
    ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    second.DetachAfterWrites(2);
    // The board comes back while the prompt is up; the second attempt goes through.
    ui.ExpectMessage(kRetryPrompt, MB_RETRYCANCEL | MB_ICONHAND, IDRETRY, [&] { second.m_attached = TRUE; });
    std::vector<BYTE> request = Counting(131);
    DWORD sent = 0;
    EXPECT_TRUE(comms.Write(request.data(), 131, &sent));
    ui.VerifyAndClear();
    EXPECT_EQ(sent, 131u);
    EXPECT_TRUE(platform.Written(0).empty());
    ASSERT_EQ(platform.Written(1).size(), 5u);
    EXPECT_EQ(platform.Written(1)[2], platform.Written(1)[0]);
    EXPECT_TRUE(platform.IsOpen(1));

    // Cancelled: the read fails and the board stays closed.
    ui.ExpectMessage(kRetryPrompt, MB_RETRYCANCEL | MB_ICONHAND, IDCANCEL);
    BYTE reply[4];
    comms.SetTimeout(100);
    EXPECT_FALSE(comms.Read(reply, 4, NULL));
    EXPECT_FALSE(comms.IsOpen());
    EXPECT_EQ(platform.OpenDevices(), 0);
}

TEST_F(HidCommsTest, ATransferReopensTheStoredBoardWhileOpenSearchesAfresh)
{
    CScriptedBoard first, second;
    platform.AddBoard("A1", &first);
    platform.AddBoard("B2", &second);
    CString serial = "B2";
    ASSERT_TRUE(comms.OpenDevice(kVendor, kProduct, &serial, NULL));
    comms.Close();
    BYTE byte = 7;
    EXPECT_TRUE(comms.Write(&byte, 1, NULL));
    EXPECT_EQ(platform.Written(1).size(), 1u);
    EXPECT_TRUE(platform.Written(0).empty());

    comms.Close();
    script.Expect(IDD_HIDSN, [](CDialog& dialog) { CDialogDriver(dialog).Click(IDCANCEL); });
    EXPECT_FALSE(comms.Open(NULL));
    EXPECT_EQ(comms.GetSerial(), "");
}
