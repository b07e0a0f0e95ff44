// Downloads the largest Tessar model's three areas (model 1: 24576 + 8192 + 6144 words) and the
// jump through the simulated 'thick' stub over a pseudo-terminal, in real time, and splits the
// run into the protocol's waits and what the host adds to them.
//
// The protocol has no pauses of its own: the host's waits are its reads of the stub's answers
// (the prompts, one acknowledgement per 64 characters, the echoes), which stand for the line
// and the board's work. The benchmark puts a timing layer between the port object and the pty
// and counts the time spent in those reads; everything else is the host's overhead: reading
// the area texts, building the pieces, the writes, stepping a real (offscreen) progress bar. The line time that the
// same bytes would take at 115200 baud is printed for comparison.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>

#include "platform/serial/LinuxSerialPort.h"
#include "platform/serial/SerialPortRegistry.h"
#include "tests/sim/TessarThickSimulator.h"
#include "tests/support/FakeTargetHost.h"
#include "tests/support/TempFolder.h"
#include "tests/targets/dsp/DspTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double ThreadCpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct Totals {
    double readMs = 0;
    double writeMs = 0;
    uint64_t sent = 0;
    uint64_t received = 0;
};

// Forwards to the pty and times the reads.
class CTimedPort : public ISerialPort {
public:
    CTimedPort(std::unique_ptr<ISerialPort> port, Totals& totals) : m_port(std::move(port)), m_totals(totals) {}
    BOOL GetState(SerialState& state) override { return m_port->GetState(state); }
    BOOL SetState(const SerialState& state) override { return m_port->SetState(state); }
    BOOL SetTimeouts(const SerialTimeouts& timeouts) override { return m_port->SetTimeouts(timeouts); }
    BOOL ClearError() override { return m_port->ClearError(); }
    BOOL SetBreak(BOOL on) override { return m_port->SetBreak(on); }
    BOOL Read(BYTE* buffer, DWORD count, DWORD& done) override
    {
        Clock::time_point start = Clock::now();
        BOOL ok = m_port->Read(buffer, count, done);
        m_totals.readMs += Ms(Clock::now() - start);
        m_totals.received += done;
        return ok;
    }
    BOOL Write(const BYTE* buffer, DWORD count, DWORD& done) override
    {
        Clock::time_point start = Clock::now();
        BOOL ok = m_port->Write(buffer, count, done);
        m_totals.writeMs += Ms(Clock::now() - start);
        m_totals.sent += done;
        return ok;
    }
    BOOL EscapeFunction(DWORD function) override { return m_port->EscapeFunction(function); }
    BOOL GetModemStatus(DWORD& status) override { return m_port->GetModemStatus(status); }
    BOOL WaitEvent(DWORD eventMask) override { return m_port->WaitEvent(eventMask); }

private:
    std::unique_ptr<ISerialPort> m_port;
    Totals& m_totals;
};

class CTimedDevice : public ISerialDevice {
public:
    CTimedDevice(std::string path, Totals& totals) : m_path(std::move(path)), m_totals(totals) {}
    std::unique_ptr<ISerialPort> Connect() override
    {
        std::unique_ptr<ISerialPort> port = CLinuxSerialPort::Open(m_path.c_str());
        if (!port)
            return NULL;
        return std::make_unique<CTimedPort>(std::move(port), m_totals);
    }

private:
    std::string m_path;
    Totals& m_totals;
};

}  // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : 3;
    if (runs < 1)
        runs = 1;
    // A real progress bar, stepped once per piece as under the main dialog.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    CFakeTargetHost host;

    CTempFolder folder;
    dsptest::CThickUnderTest target(1);
    const char* names[] = {"prog.p", "prog.x", "prog.d"};
    for (int area = 0; area < 3; ++area) {
        std::string text = dsptest::Listing(dsptest::Words(target.Words(area), (unsigned)area + 1));
        if (!target.LoadModule(area, folder.Write(names[area], text).c_str())) {
            fprintf(stderr, "loading %s failed\n", names[area]);
            return 1;
        }
    }

    CTessarThickSimulator stub;
    if (!stub.Start()) {
        fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    Totals totals;
    CTimedDevice device(stub.PortPath(), totals);
    CSerialPortRegistry::Register("COM9:", &device);

    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        stub.Reset();
        totals = Totals();
        CString message;
        double cpuStart = ThreadCpuMs();
        Clock::time_point start = Clock::now();
        BOOL ok = target.Program("COM9:", &message);
        double totalMs = Ms(Clock::now() - start);
        double cpuMs = ThreadCpuMs() - cpuStart;

        bool wireOk = ok && stub.AreasStored() == 3 && stub.Jumps().size() == 1 &&
                      stub.Received().size() == totals.sent && host.Pos() == 2432;
        if (!wireOk)
            ++failures;
        double lineMs = (totals.sent + totals.received) * 10 * 1000.0 / 115200;
        printf("run %d: %s (%s)\n", run + 1, message.GetString(), wireOk ? "wire checked" : "WIRE MISMATCH");
        printf("  bytes sent / received:      %8llu / %llu\n", (unsigned long long)totals.sent,
               (unsigned long long)totals.received);
        printf("  total Program:              %8.1f ms\n", totalMs);
        printf("  waiting for the stub:       %8.1f ms\n", totals.readMs);
        printf("  host overhead:              %8.1f ms (goal < 50 ms)\n", totalMs - totals.readMs);
        printf("    of which in writes:       %8.1f ms\n", totals.writeMs);
        printf("  host processor time:        %8.1f ms\n", cpuMs);
        printf("  the same bytes at 115200:   %8.1f ms of line time\n", lineMs);
    }
    CSerialPortRegistry::Unregister("COM9:", &device);
    return failures == 0 ? 0 : 1;
}
