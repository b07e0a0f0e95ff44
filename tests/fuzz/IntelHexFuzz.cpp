// libFuzzer target for the Intel HEX reader: each input is read as a file into a module list,
// and whatever was loaded is then put through the range queries, the image builder, the
// overlap check and the writer, so that records of any shape reach every consumer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "image/IntelHex.h"
#include "platform/UiServices.h"

// The target runs without any user interface; the reader only asks for a message box when a
// file cannot be opened.
int AfxMessageBox(LPCSTR, UINT, UINT)
{
    return IDOK;
}

namespace {

// Images are built only for stores that end below this, to keep each run fast.
constexpr DWORD kLargestImage = 1u << 20;

std::string MemoryFilePath(const char* name)
{
    int fd = memfd_create(name, 0);
    return fd < 0 ? std::string() : "/proc/self/fd/" + std::to_string(fd);
}

void ExerciseRecords(CIntelHex& store, HexRecord*& list, HexRecord*& moved, const std::string& output)
{
    store.FindOverlap(list, 0xFFF0, 0x20);
    store.ExtractRange(&moved, 0xFFF8, 0x10);
    store.SetByte(0x10000, 0x5A);
    store.AddWordRecord(&list, 0xFFFE, 0, 0x1234);
    DWORD end = store.GetEndAddress(NULL);
    if (end == 0 || end > kLargestImage)
        return;
    store.CheckOverlap();
    if (BYTE* image = store.BuildImage(0x3F, 0xFF))
        store.WriteFile(output.c_str(), image, end, 0xFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string input = MemoryFilePath("input.hex");
    static const std::string output = MemoryFilePath("output.hex");
    if (input.empty() || output.empty())
        return 0;
    int fd = std::stoi(input.substr(input.rfind('/') + 1));
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != (ssize_t)size)
        return 0;

    CIntelHex store;
    HexRecord* list = NULL;
    HexRecord* moved = NULL;
    store.AddWordRecord(&list, 0, 0x8000, 0xBEEF);
    if (store.ReadFile(input.c_str(), &list, 0x100))
        ExerciseRecords(store, list, moved, output);
    store.DeleteRecords(&moved);
    store.DeleteRecords(NULL);
    return 0;
}
