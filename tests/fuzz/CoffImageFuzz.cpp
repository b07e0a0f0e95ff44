// libFuzzer target for the reader of .hye headers held in memory. The reader of .hye files
// is its oracle: given the same bytes, both must accept the same inputs and read the same file
// header, optional header and section table. A refused image leaves the caller's headers and
// table as they were. A broken promise aborts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "coff/CoffImage.h"
#include "coff/CoffReader.h"
#include "coff/PoolAlloc.h"
#include "tests/fuzz/FuzzStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that AddressSanitizer sees any read past the image.
    std::vector<BYTE> image(data, data + size);
    CoffFileHeader header;
    CoffOptHeader opt;
    memset(&header, 0x5A, sizeof header);
    memset(&opt, 0x5A, sizeof opt);
    const CoffFileHeader headerBefore = header;
    const CoffOptHeader optBefore = opt;
    std::unique_ptr<CoffSection[]> sections(new CoffSection[1]);
    const CoffSection* sectionsBefore = sections.get();

    BOOL read = ReadCoffImageHeaders(image.data(), (DWORD)image.size(), header, opt, sections);
    FreeReaderMemory();
    bool fileRead = ReadCoffHeaders(FuzzStream(data, size)) == kCoffOk;
    Require((read != FALSE) == fileRead);
    if (!read) {
        Require(sections.get() == sectionsBefore && memcmp(&header, &headerBefore, sizeof header) == 0 &&
                memcmp(&opt, &optBefore, sizeof opt) == 0);
    } else {
        Require(memcmp(&header, &theCoffHeader, sizeof header) == 0 &&
                memcmp(&opt, &theCoffOptHeader, sizeof opt) == 0);
        Require((sections != NULL) == (header.sectionCount > 0));
        if (header.sectionCount > 0)
            Require(memcmp(sections.get(), theCoffSections, header.sectionCount * sizeof(CoffSection)) == 0);
    }
    FreeReaderMemory();
    return 0;
}
