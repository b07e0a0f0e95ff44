// The QB7740 kit's USB programmer as the host sees it over HID: it reassembles requests from
// output reports (byte 0 report id 0, data after it; a request starts at the start of a
// report and the rest of its last report is filler), keeps a 64 KB FLASH, and answers each
// request with its reply cut into input reports of its input report length.
//   write  0x00 addr_hi addr_lo data[128]  -> 0x01 status 0 0
//   verify 0x02 addr_hi addr_lo            -> 0x03 status data[128]
// Faults are injected per request kind and block address.
#pragma once

#include <deque>
#include <vector>

#include "tests/support/IFakeHidBoard.h"

class CQB7740Simulator : public IFakeHidBoard {
public:
    static const DWORD flashSize = 0x10000;
    static const DWORD blockSize = 128;

    enum class Phase { Write, Verify };
    struct Fault {
        enum Kind {
            Status,           // the reply carries status `value`
            WrongCode,        // the reply carries reply code `value`
            NoReply,          // the request is taken but never answered
            Unplug,           // the board is pulled out on this request
            CorruptReadBack,  // byte `offset` of the verify reply's data is XORed with `value`
            Stall,            // the board stops taking output reports at this request
        } kind = Status;
        Phase phase = Phase::Write;
        DWORD address = 0;
        BYTE value = 0;
        DWORD offset = 0;
    };
    struct Request {
        BYTE code = 0;
        WORD address = 0;
        std::vector<BYTE> data;
    };

    explicit CQB7740Simulator(DWORD inputReportLength = 65, DWORD outputReportLength = 65);

    void Inject(const Fault& fault) { m_faults.push_back(fault); }
    void ClearFaults() { m_faults.clear(); }
    // Plugs a pulled board back in.
    void Replug() { m_bAttached = TRUE; }

    // Every complete request, in order.
    const std::vector<Request>& Requests() const { return m_requests; }
    int CountRequests(BYTE code) const;
    const std::vector<BYTE>& Flash() const { return m_flash; }
    // Reports the protocol does not allow: a report id other than 0, a report of another
    // length than the board's, a request with an unknown code.
    int MalformedReports() const { return m_nMalformed; }
    size_t PendingInputReports() const { return m_replies.size(); }

    BOOL TakesOutputReport(const std::vector<BYTE>& report) override;
    void OnOutputReport(const std::vector<BYTE>& report) override;
    BOOL NextInputReport(std::vector<BYTE>& report) override;
    BOOL IsAttached() const override { return m_bAttached; }

private:
    void Handle(const Request& request);
    const Fault* FindFault(Phase phase, DWORD address) const;
    void Reply(std::vector<BYTE> reply);

    DWORD m_nInputLength;
    DWORD m_nOutputLength;
    std::vector<BYTE> m_flash;
    std::vector<BYTE> m_pending;
    std::deque<std::vector<BYTE>> m_replies;
    std::vector<Request> m_requests;
    std::vector<Fault> m_faults;
    int m_nMalformed = 0;
    BOOL m_bAttached = TRUE;
};
