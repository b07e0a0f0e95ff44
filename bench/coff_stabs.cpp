// Loads the STABS tables of a generated 20 MB .hye file with 200,000 symbols and asks 100,000
// address queries of each kind. The file is written first; the load then runs in a fresh
// copy of this program, so that its peak memory is not the generator's.
//
// Usage: bench_coff_stabs              (writes the file, then measures)
//        bench_coff_stabs --load FILE  (measures an existing file)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "coff/CoffReader.h"
#include "coff/PoolAlloc.h"
#include "coff/StabsQueries.h"
#include "coff/StabsTable.h"
#include "tests/support/HyeWriter.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kFunctionsPerFile = 10;
constexpr int kSymbolsPerFile = 200;
constexpr int kLinesPerFunction = 24;
constexpr uint32_t kCodeStart = 0x8000;
constexpr uint32_t kFileBytes = 0x2F00;
constexpr int kQueries = 100000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The process's peak resident size (VmHWM), which, unlike ru_maxrss, starts afresh at exec.
long PeakKilobytes()
{
    FILE* status = fopen("/proc/self/status", "r");
    long kilobytes = -1;
    char line[256];
    while (status && fgets(line, sizeof line, status))
        if (sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1)
            break;
    if (status)
        fclose(status);
    return kilobytes;
}

// Per file: its source stab, 10 functions each with locals and a block of locals, globals and
// task code symbols, 200 entries in all; 24 line entries per function.
void AddFile(CHyeWriter& writer, int code, int index)
{
    uint32_t start = kCodeStart + index * kFileBytes;
    uint32_t functionBytes = kFileBytes / kFunctionsPerFile;
    int entries = 1;
    writer.SourceFile("/home/dev/project/src/module_" + std::to_string(index) + ".c", start);
    for (int f = 0; f < kFunctionsPerFile; ++f) {
        uint32_t entry = start + f * functionBytes;
        std::string name = "function_" + std::to_string(index) + "_" + std::to_string(f);
        writer.Function(name + ":F1", entry);
        for (int l = 0; l < 5; ++l)
            writer.Local("local_" + std::to_string(l) + ":1", entry + 4 * l);
        writer.BlockStart(entry + 0x10);
        for (int l = 0; l < 4; ++l)
            writer.Local("inner_" + std::to_string(l) + ":1", entry + 0x10 + 4 * l);
        writer.BlockEnd(entry + 0x80);
        entries += 12;
        for (int l = 0; l < kLinesPerFunction; ++l)
            writer.AddLine(code, entry + 8 * l, (uint16_t)(f * 40 + l + 1));
    }
    for (int t = 0; t < 10; ++t, ++entries)
        writer.CodeSymbol("task_" + std::to_string(index) + "_" + std::to_string(t), start + 0x100 * t + 2);
    for (; entries < kSymbolsPerFile; ++entries)
        writer.Global("global_variable_" + std::to_string(index) + "_" + std::to_string(entries) + ":G1",
                      0x40000000 + index * 0x1000 + entries * 4);
}

bool WriteInput(const std::string& path)
{
    CHyeWriter writer;
    int code = writer.AddSection("code", kCodeStart, kFiles * kFileBytes);
    for (int i = 0; i < kFiles; ++i)
        AddFile(writer, code, i);
    std::string bytes = writer.Build();
    FILE* out = fopen(path.c_str(), "wb");
    bool written = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return out && fclose(out) == 0 && written;
}

size_t PoolBytes()
{
    size_t bytes = 0;
    for (PoolBlock* block = thePoolFirst; block; block = block->next)
        bytes += sizeof(PoolBlock) + block->capacity;
    return bytes;
}

template <typename Query>
double MicrosecondsPerQuery(const std::vector<DWORD>& addresses, Query query)
{
    Clock::time_point start = Clock::now();
    for (DWORD address : addresses)
        query(address);
    return SecondsSince(start) * 1e6 / addresses.size();
}

int Measure(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return 1;
    long baseline = PeakKilobytes();
    Clock::time_point start = Clock::now();
    FILE* stream = fopen(path, "rb");
    if (!stream || ReadCoffHeaders(stream) != kCoffOk)
        return 1;
    int loaded = LoadStabs(stream);
    for (WORD i = 0; i < theCoffHeader.sectionCount; ++i)
        ReadLineNumbers(stream, &theCoffSections[i]);
    fclose(stream);
    double loadSeconds = SecondsSince(start);
    long peak = PeakKilobytes() - baseline;

    start = Clock::now();
    NameForAddress(NULL, 0, kCodeStart);  // the first query builds the lookups
    double indexSeconds = SecondsSince(start);

    std::mt19937 random(4711);
    std::vector<DWORD> addresses(kQueries);
    for (DWORD& address : addresses)
        address = kCodeStart + random() % (kFiles * kFileBytes);
    unsigned sink = 0;
    char text[300];
    double lineQuery = MicrosecondsPerQuery(addresses,
                                            [&](DWORD a) { sink += FileAndLineForAddress(a, text, sizeof text); });
    double nameQuery = MicrosecondsPerQuery(addresses,
                                            [&](DWORD a) { sink += NameForAddress(text, sizeof text, a) != NULL; });
    double scopeQuery = MicrosecondsPerQuery(addresses, [&](DWORD a) {
        StabsFile* file = NULL;
        sink += FindSymbol("inner_2", a, &file) != NULL;
    });

    long peakWithIndexes = PeakKilobytes() - baseline;
    printf("file               %ld bytes, %u symbols, LoadStabs %d, %d tasks\n", (long)info.st_size,
           theCoffHeader.symbolCount, loaded, GetTaskCount());
    printf("load               %8.3f s\n", loadSeconds);
    printf("first query        %8.3f s (builds the lookups)\n", indexSeconds);
    printf("peak memory        %8.1f MB added by the load (%.2f x the file), pool %.1f MB\n", peak / 1024.0,
           peak * 1024.0 / info.st_size, PoolBytes() / 1048576.0);
    printf("                   %8.1f MB with the query indexes (%.2f x the file)\n", peakWithIndexes / 1024.0,
           peakWithIndexes * 1024.0 / info.st_size);
    printf("FileAndLine query  %8.2f us\n", lineQuery);
    printf("NameForAddress     %8.2f us\n", nameQuery);
    printf("FindSymbol (scope) %8.2f us\n", scopeQuery);
    if (sink == 0xFFFFFFFF)
        printf("\n");  // keeps the queries from being optimised away
    return loaded == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--load") == 0)
        return Measure(argv[2]);
    CTempFolder folder;
    std::string input = folder / "bench.hye";
    Clock::time_point start = Clock::now();
    if (folder.Path().empty() || !WriteInput(input)) {
        fprintf(stderr, "cannot write %s\n", input.c_str());
        return 1;
    }
    printf("generated in       %8.3f s\n", SecondsSince(start));
    fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        execl("/proc/self/exe", argv[0], "--load", input.c_str(), (char*)NULL);
        _exit(127);
    }
    int status = 1;
    if (child < 0 || waitpid(child, &status, 0) < 0)
        return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
