// libFuzzer target for the Intel HEX reader. Each input is parsed straight from memory (no file
// round trip per input) into a module list that already holds a record, which a rejected file
// must leave there alone. Whatever was loaded then goes through the range queries, the
// image builder and the overlap check, and its flat image is written and read back, which must
// give the same bytes. A broken promise aborts, so libFuzzer reports it like a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "image/IntelHex.h"
#include "platform/files/File.h"
#include "platform/ui/UiServices.h"

namespace {

// The target runs without any user interface; the store only asks for a message box when a
// file cannot be opened or written, and those are answered without a word.
class CSilentUi : public IUiServices {
public:
    CSilentUi() { InstallUiServices(this); }
    int MessageBox(const CString&, const CString&, UINT) override { return IDOK; }
    BOOL FileDialog(const FileDialogRequest&, std::vector<CString>&) override { return FALSE; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
};

CSilentUi s_silentUi;

// Images are built only for stores that end below this, to keep each run fast; it is large
// enough for the writer's extended address records.
constexpr DWORD kLargestImage = 0x20000;

void Require(bool condition)
{
    if (!condition)
        abort();
}

// Both links of every list must agree, and every owned record must be on its head's list.
void CheckLinks(const CIntelHex& store, HexRecord* const* heads, int headCount)
{
    int total = 0, owned = 0;
    HexRecord* newer = NULL;
    for (HexRecord* record = store.m_pNewest; record; newer = record, record = record->m_pOlder) {
        Require(record->m_pNewer == newer);
        ++total;
    }
    for (int i = 0; i < headCount; ++i) {
        HexRecord* previous = NULL;
        for (HexRecord* record = heads[i]; record; previous = record, record = record->m_pNext) {
            Require(record->m_ppOwner == &heads[i] && record->m_pPrev == previous);
            ++owned;
        }
    }
    for (HexRecord* record = store.m_pNewest; record; record = record->m_pOlder)
        owned += record->m_ppOwner == NULL;
    Require(owned == total);
}

// The writer's file is kept in memory for the whole run and rewritten from its start each
// time; the reader stops at the end record, so what is left of a longer earlier file is
// never read.
CFile* ScratchFile()
{
    static CFile* file = [] {
        int fd = memfd_create("fuzz_intelhex", 0);
        if (fd < 0)
            return (CFile*)NULL;
        auto* opened = new CFile;
        std::string path = "/proc/self/fd/" + std::to_string(fd);
        if (!opened->Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite)) {
            delete opened;
            opened = NULL;
        }
        close(fd);
        return opened;
    }();
    return file;
}

// Lines of fill are left out of the file, so the image read back may end early; every byte
// past its end must then be fill.
void CheckRoundTrip(CIntelHex& store, DWORD length)
{
    CFile* file = ScratchFile();
    std::unique_ptr<BYTE[]> expected(store.BuildImage(0xFF, 0xFF));
    if (!file || !expected)
        return;
    file->Seek(0, CFile::begin);
    Require(store.WriteRecords(*file, expected.get(), length, 0xFF));
    file->Seek(0, CFile::begin);

    CIntelHex readBack;
    HexRecord* list = NULL;
    readBack.ParseRecords(*file, &list, 0);
    DWORD end = readBack.GetEndAddress(NULL);
    Require(end <= length);
    std::unique_ptr<BYTE[]> actual(readBack.BuildImage(0xFF, 0xFF));
    Require(end == 0 || memcmp(actual.get(), expected.get(), end) == 0);
    for (DWORD i = end; i < length; ++i)
        Require(expected[i] == 0xFF);
}

void ExerciseRecords(CIntelHex& store, HexRecord** heads)
{
    store.FindOverlap(heads[0], 0xFFF0, 0x20);
    store.ExtractRange(&heads[1], 0xFFF8, 0x10);
    store.SetByte(0x10000, 0x5A);
    CheckLinks(store, heads, 2);
    DWORD end = store.GetEndAddress(NULL);
    if (end == 0 || end > kLargestImage)
        return;
    store.CheckOverlap();
    CheckRoundTrip(store, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CIntelHex store;
    HexRecord* heads[2] = {NULL, NULL};
    store.AddWordRecord(&heads[0], 0x20, 0, 0xBEEF);
    CFile input;
    input.OpenMemory(data, size);
    HexRecord* head = store.ParseRecords(input, &heads[0], 0x100);
    if (head) {
        Require(head == heads[0]);
        ExerciseRecords(store, heads);
    } else {
        Require(heads[0] && heads[0]->m_pNext == NULL && store.m_pNewest == heads[0] && heads[0]->m_pOlder == NULL);
    }
    store.DeleteRecords(NULL);
    Require(heads[0] == NULL && heads[1] == NULL);
    return 0;
}
