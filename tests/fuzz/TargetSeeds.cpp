// Writes the seed corpora of the Tessar listing target (the word count as the first byte, then
// a listing) and of the board-stream targets (bytes as a board sends them) with the test
// generators: listings of the Tessar tests, and the frames of the simulated board answering a
// whole FLASH run, with a few broken streams. Run: target_fuzz_seeds LISTING_FOLDER BOARD_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "tests/sim/HyBoardSimulator.h"
#include "tests/support/FakeSerialDevice.h"
#include "tests/targets/dsp/DspTestSupport.h"

namespace {

using Frame = CHyBoardSimulator::Frame;
using Bytes = std::vector<BYTE>;

bool Save(const std::string& folder, const char* name, const std::string& bytes)
{
    FILE* out = fopen((folder + "/" + name).c_str(), "wb");
    bool written = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return out && fclose(out) == 0 && written;
}

std::string Listing(size_t words, size_t perLine, unsigned seed)
{
    return std::string(1, (char)words) + dsptest::Listing(dsptest::Words(words, seed), perLine);
}

bool WriteListings(const std::string& folder)
{
    std::string crlf;
    for (char ch : Listing(64, 16, 2))
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    bool ok = Save(folder, "sixteen.lst", Listing(16, 8, 1));
    ok &= Save(folder, "crlf.lst", crlf);
    ok &= Save(folder, "comment.lst", Listing(200, 8, 3) + "/ end of data\n0100: FFFF\n");
    ok &= Save(folder, "one_per_line.lst", Listing(255, 1, 4));
    std::string fewer = Listing(32, 8, 5);
    fewer[0] = 33;
    ok &= Save(folder, "one_word_short.lst", fewer);
    return ok;
}

void Append(Bytes& stream, const std::vector<Frame>& frames)
{
    for (const Frame& frame : frames) {
        Bytes wire = frame.Wire();
        stream.insert(stream.end(), wire.begin(), wire.end());
    }
}

Frame HostFrame(BYTE type, BYTE flags, DWORD address, DWORD length, Bytes data = {})
{
    return Frame{flags, type, address, length, std::move(data), {}};
}

// The board's side of a .hye download: its reset report, its answers to one block, one fill,
// a register and the start, its start report and the program's two start-up requests. With
// `flash`, the FLASH programmer's image requests and completion report follow, and the answer
// to one block read back.
Bytes BoardStream(bool flash)
{
    CFakeSerialDevice device("COM9:");
    CHyBoardSimulator board(device, NULL);
    CHyBoardSimulator::Behaviour behaviour;
    behaviour.program.startupRequests = true;
    behaviour.program.flashProgrammer = flash;
    behaviour.program.flashSize = 0x300;
    board.SetBehaviour(behaviour);

    Bytes stream;
    Append(stream, {behaviour.resetReport});
    const std::vector<Frame> host = {
        HostFrame(0x18, 0x01, 0x8000, 4, {1, 2, 3, 4}),
        HostFrame(0x06, 0x00, 0x9000, 0x40),
        HostFrame(0x04, 0x01, 0x8000, 8, {0, 0, 0, 22, 0x40, 0x00, 0x10, 0x00}),
        HostFrame(0x0C, 0x00, 0x8000, 0),
        HostFrame(0x0D, 0x00, 0x8000, 1),
        HostFrame(0x0D, 0x00, 0x8000, 0),
        HostFrame(0x1A, 0x01, 0x9A00, 12, Bytes(12)),
        HostFrame(0x1A, 0x01, 0x9A00, 12, Bytes(12)),
    };
    for (const Frame& frame : host)
        Append(stream, board.DefaultAnswer(frame));
    if (!flash)
        return stream;
    for (DWORD sent = 0; sent < behaviour.program.flashSize; sent += 268) {
        Append(stream, board.DefaultAnswer(HostFrame(0x03, 0x01, 0xE0000000 + sent, 4, {5, 6, 7, 8})));
        Append(stream, board.DefaultAnswer(HostFrame(0x1A, 0x01, 0x9A00, 12, Bytes(12))));
    }
    Append(stream, board.DefaultAnswer(HostFrame(0x07, 0x10, 0xE0000000, 268)));
    return stream;
}

bool WriteBoardStreams(const std::string& folder)
{
    const Bytes download = BoardStream(false);
    const Bytes flash = BoardStream(true);
    bool ok = Save(folder, "download.bin", std::string(download.begin(), download.end()));
    ok &= Save(folder, "flash_run.bin", std::string(flash.begin(), flash.end()));

    Bytes faults;
    Append(faults, {Frame{0x01, 0x85, 0x9A00, 4, {0, 10, 0, 1}, {}}});
    Append(faults, {Frame{0x00, 0x87, 0x8000, 0x10, {}, {}}});
    Bytes badSync = Frame{0x00, 0x81, 0, 0, {}, {}}.Wire();
    badSync[1] = 0x55;
    faults.insert(faults.end(), badSync.begin(), badSync.end());
    Append(faults, {Frame{0x01, 0x85, 0, 269, {}, {}}});
    ok &= Save(folder, "faults.bin", std::string(faults.begin(), faults.end()));
    Bytes cut = Frame{0x01, 0x85, 0x9A00, 268, Bytes(268, 0x33), {}}.Wire();
    cut.resize(100);
    ok &= Save(folder, "cut_short.bin", std::string(cut.begin(), cut.end()));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s LISTING_FOLDER BOARD_FOLDER\n", argv[0]);
        return 2;
    }
    bool ok = WriteListings(argv[1]);
    ok &= WriteBoardStreams(argv[2]);
    return ok ? 0 : 1;
}
