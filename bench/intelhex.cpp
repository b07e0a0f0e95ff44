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
#include <unistd.h>

#include "image/IntelHex.h"

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
    BYTE* image = new BYTE[kImageBytes];
    std::mt19937 random(12345);
    for (DWORD i = 0; i < kImageBytes; i += 4) {
        uint32_t value = random();
        memcpy(image + i, &value, 4);
    }
    return CIntelHex().WriteFile(path.c_str(), image, kImageBytes, -1);
}

} // namespace

int main()
{
    char folder[] = "/tmp/quillet-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("mkdtemp");
        return 1;
    }
    std::string input = std::string(folder) + "/in.hex";
    std::string ours = std::string(folder) + "/ours.hex";
    std::string peer = std::string(folder) + "/srec.hex";
    if (!CreateInput(input)) {
        fprintf(stderr, "cannot write %s\n", input.c_str());
        return 1;
    }
    long fileBytes = FileSize(input);

    CIntelHex store;
    HexRecord* list = NULL;
    Clock::time_point start = Clock::now();
    HexRecord* head = store.ReadFile(input.c_str(), &list, 0);
    double readSeconds = SecondsSince(start);

    start = Clock::now();
    BYTE* image = store.BuildImage(0xFF, 0xFF);
    double buildSeconds = SecondsSince(start);

    start = Clock::now();
    BYTE status = store.CheckOverlap();
    double checkSeconds = SecondsSince(start);

    DWORD length = store.GetEndAddress(NULL);
    start = Clock::now();
    BOOL written = image && store.WriteFile(ours.c_str(), image, length, 0xFF);
    double writeSeconds = SecondsSince(start);

    int records = 0;
    for (HexRecord* record = store.m_pNewest; record; record = record->m_pOlder)
        ++records;
    store.DeleteRecords(NULL);

    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    double peakBytes = usage.ru_maxrss * 1024.0;

    bool sameFile = system(("cmp -s " + input + " " + ours).c_str()) == 0;

    double peerSeconds = -1;
    if (system("command -v srec_cat >/dev/null 2>&1") == 0) {
        start = Clock::now();
        if (system(("srec_cat " + input + " -intel -o " + peer + " -intel").c_str()) == 0)
            peerSeconds = SecondsSince(start);
    }

    printf("file            %ld bytes, %d records, status %d, %s\n", fileBytes, records, status,
           head && written ? "read and written" : "FAILED");
    printf("read            %8.3f s\n", readSeconds);
    printf("BuildImage      %8.3f s\n", buildSeconds);
    printf("CheckOverlap    %8.3f s\n", checkSeconds);
    printf("write           %8.3f s\n", writeSeconds);
    printf("read + write    %8.3f s\n", readSeconds + writeSeconds);
    if (peerSeconds >= 0)
        printf("srec_cat copy   %8.3f s  (read + write is %.1fx faster)\n", peerSeconds,
               peerSeconds / (readSeconds + writeSeconds));
    else
        printf("srec_cat copy   not available\n");
    printf("peak memory     %.1f MiB = %.2f x the file size (goal: under 4)\n",
           peakBytes / (1024 * 1024), peakBytes / fileBytes);
    printf("round trip      %s\n", sameFile ? "identical file" : "DIFFERENT FILE");

    if (system((std::string("rm -rf '") + folder + "'").c_str()) != 0) {
    }
    return head && written && sameFile ? 0 : 1;
}
