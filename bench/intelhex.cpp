// Reads a 16 MiB image as Intel HEX (about a million records), builds its flat image, checks
// it for overlaid data and writes it back, and times srec_cat copying the same file for
// comparison. Prints each figure and the peak memory against the file's size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

#include "image/IntelHex.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr DWORD kImageBytes = 16u * 1024 * 1024;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long FileSize(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (long)info.st_size : -1;
}

// Writes the input file with our own writer from random bytes (no line is all fill).
bool CreateInput(const std::string& path)
{
    std::unique_ptr<BYTE[]> image(new BYTE[kImageBytes]);
    std::mt19937 random(12345);
    for (DWORD i = 0; i < kImageBytes; i += 4) {
        uint32_t value = random();
        memcpy(image.get() + i, &value, 4);
    }
    return CIntelHex().WriteFile(path.c_str(), std::move(image), kImageBytes, -1);
}

struct RoundTrip {
    double readSeconds = 0, buildSeconds = 0, checkSeconds = 0, writeSeconds = 0;
    int records = 0;
    BYTE status = 0;
    bool ok = false;
};

RoundTrip TimeOurRoundTrip(const std::string& input, const std::string& output)
{
    RoundTrip result;
    CIntelHex store;
    HexRecord* list = NULL;
    Clock::time_point start = Clock::now();
    HexRecord* head = store.ReadFile(input.c_str(), &list, 0);
    result.readSeconds = SecondsSince(start);

    start = Clock::now();
    std::unique_ptr<BYTE[]> image(store.BuildImage(0xFF, 0xFF));
    result.buildSeconds = SecondsSince(start);

    start = Clock::now();
    result.status = store.CheckOverlap();
    result.checkSeconds = SecondsSince(start);

    start = Clock::now();
    BOOL written = image && store.WriteFile(output.c_str(), std::move(image), store.GetEndAddress(NULL), 0xFF);
    result.writeSeconds = SecondsSince(start);

    for (HexRecord* record = store.m_pNewest; record; record = record->m_pOlder)
        ++result.records;
    result.ok = head && written;
    return result;
}

// Seconds for srec_cat to copy the file, or -1 when it is not installed or fails.
double TimeSrecCat(const std::string& input, const std::string& output)
{
    if (system("command -v srec_cat >/dev/null 2>&1") != 0)
        return -1;
    Clock::time_point start = Clock::now();
    if (system(("srec_cat " + input + " -intel -o " + output + " -intel").c_str()) != 0)
        return -1;
    return SecondsSince(start);
}

double PeakMemoryBytes()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024.0;
}

}  // namespace

int main()
{
    CTempFolder folder;
    std::string input = folder / "in.hex";
    std::string ours = folder / "ours.hex";
    if (folder.Path().empty() || !CreateInput(input)) {
        fprintf(stderr, "cannot write %s\n", input.c_str());
        return 1;
    }
    long fileBytes = FileSize(input);
    RoundTrip trip = TimeOurRoundTrip(input, ours);
    double peakBytes = PeakMemoryBytes();
    bool sameFile = CTempFolder::Read(input) == CTempFolder::Read(ours);
    double peerSeconds = TimeSrecCat(input, folder / "srec.hex");

    double ourSeconds = trip.readSeconds + trip.writeSeconds;
    printf("file            %ld bytes, %d records, status %d, %s\n", fileBytes, trip.records, trip.status,
           trip.ok ? "read and written" : "FAILED");
    printf("read            %8.3f s\n", trip.readSeconds);
    printf("BuildImage      %8.3f s\n", trip.buildSeconds);
    printf("CheckOverlap    %8.3f s\n", trip.checkSeconds);
    printf("write           %8.3f s\n", trip.writeSeconds);
    printf("read + write    %8.3f s\n", ourSeconds);
    if (peerSeconds >= 0)
        printf("srec_cat copy   %8.3f s  (read + write is %.1fx faster)\n", peerSeconds, peerSeconds / ourSeconds);
    else
        printf("srec_cat copy   not available\n");
    printf("peak memory     %.1f MiB = %.2f x the file size (goal: under 4)\n", peakBytes / (1024 * 1024),
           peakBytes / fileBytes);
    printf("round trip      %s\n", sameFile ? "identical file" : "DIFFERENT FILE");
    return trip.ok && sameFile ? 0 : 1;
}
