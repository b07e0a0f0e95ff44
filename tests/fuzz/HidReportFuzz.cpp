// libFuzzer target for the HID report-descriptor parser, which sizes every report buffer from
// what a device sends. Whatever the bytes, parsing stays inside them, a refused descriptor
// leaves every length 0, and an accepted one never sizes a report beyond the kernel's limit
// (plus its id byte). A broken promise aborts, so libFuzzer reports it like a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/hid/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that AddressSanitizer sees any read past the descriptor.
    std::vector<BYTE> descriptor(data, data + size);
    CHidReportDescriptor parsed;
    BOOL ok = parsed.Parse(descriptor.data(), descriptor.size());
    DWORD lengths[] = {parsed.GetInputReportLength(), parsed.GetOutputReportLength(), parsed.GetFeatureReportLength()};
    for (DWORD length : lengths) {
        if (!ok && length != 0)
            abort();
        if (length > CHidReportDescriptor::maxReportBytes + 1)
            abort();
    }
    return 0;
}
