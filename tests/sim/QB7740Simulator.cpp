#include "tests/sim/QB7740Simulator.h"

namespace {

const BYTE kWrite = 0x00;
const BYTE kWriteReply = 0x01;
const BYTE kVerify = 0x02;
const BYTE kVerifyReply = 0x03;
// Status for a request the board cannot carry out (a block past the end of its FLASH).
const BYTE kRefused = 2;

}  // namespace

CQB7740Simulator::CQB7740Simulator(DWORD inputReportLength, DWORD outputReportLength)
    : m_nInputLength(inputReportLength), m_nOutputLength(outputReportLength), m_flash(flashSize, 0xFF)
{
}

int CQB7740Simulator::CountRequests(BYTE code) const
{
    int count = 0;
    for (const Request& request : m_requests)
        count += request.code == code ? 1 : 0;
    return count;
}

BOOL CQB7740Simulator::TakesOutputReport(const std::vector<BYTE>& report)
{
    // A request's code and address come in the first report of the request.
    if (!m_pending.empty() || report.size() < 4 || (report[1] != kWrite && report[1] != kVerify))
        return TRUE;
    Phase phase = report[1] == kWrite ? Phase::Write : Phase::Verify;
    const Fault* fault = FindFault(phase, (DWORD)(report[2] << 8 | report[3]));
    return !(fault && fault->kind == Fault::Stall);
}

void CQB7740Simulator::OnOutputReport(const std::vector<BYTE>& report)
{
    if (report.size() != m_nOutputLength || report.empty() || report[0] != 0) {
        ++m_nMalformed;
        return;
    }
    m_pending.insert(m_pending.end(), report.begin() + 1, report.end());
    DWORD needed = 0;
    if (m_pending[0] == kWrite)
        needed = 3 + blockSize;
    else if (m_pending[0] == kVerify)
        needed = 3;
    if (needed == 0) {
        ++m_nMalformed;
        m_pending.clear();
        return;
    }
    if (m_pending.size() < needed)
        return;
    Request request;
    request.code = m_pending[0];
    request.address = (WORD)(m_pending[1] << 8 | m_pending[2]);
    request.data.assign(m_pending.begin() + 3, m_pending.begin() + needed);
    // What follows the request in its last report is filler.
    m_pending.clear();
    m_requests.push_back(request);
    Handle(request);
}

const CQB7740Simulator::Fault* CQB7740Simulator::FindFault(Phase phase, DWORD address) const
{
    for (const Fault& fault : m_faults)
        if (fault.phase == phase && fault.address == address)
            return &fault;
    return NULL;
}

void CQB7740Simulator::Handle(const Request& request)
{
    Phase phase = request.code == kWrite ? Phase::Write : Phase::Verify;
    const Fault* fault = FindFault(phase, request.address);
    if (fault && fault->kind == Fault::Unplug) {
        m_bAttached = FALSE;
        m_replies.clear();
        return;
    }
    if (fault && fault->kind == Fault::NoReply)
        return;

    BYTE status = request.address + blockSize > flashSize ? kRefused : 0;
    std::vector<BYTE> reply;
    if (phase == Phase::Write) {
        if (status == 0 && !(fault && fault->kind == Fault::Status))
            std::copy(request.data.begin(), request.data.end(), m_flash.begin() + request.address);
        reply = {kWriteReply, status, 0, 0};
    } else {
        reply = {kVerifyReply, status};
        if (status == 0)
            reply.insert(reply.end(), m_flash.begin() + request.address, m_flash.begin() + request.address + blockSize);
        else
            reply.resize(2 + blockSize, 0);
    }
    if (fault && fault->kind == Fault::Status)
        reply[1] = fault->value;
    if (fault && fault->kind == Fault::WrongCode)
        reply[0] = fault->value;
    if (fault && fault->kind == Fault::CorruptReadBack && phase == Phase::Verify)
        reply[2 + fault->offset] ^= fault->value;
    Reply(reply);
}

void CQB7740Simulator::Reply(std::vector<BYTE> reply)
{
    DWORD payload = m_nInputLength - 1;
    for (size_t at = 0; at < reply.size(); at += payload) {
        std::vector<BYTE> report(m_nInputLength, 0);
        size_t count = reply.size() - at < payload ? reply.size() - at : payload;
        std::copy(reply.begin() + at, reply.begin() + at + count, report.begin() + 1);
        m_replies.push_back(report);
    }
}

BOOL CQB7740Simulator::NextInputReport(std::vector<BYTE>& report)
{
    if (m_replies.empty())
        return FALSE;
    report = m_replies.front();
    m_replies.pop_front();
    return TRUE;
}
