#include "platform/hid/HidReportDescriptor.h"

#include <cstdint>
#include <map>
#include <vector>

namespace {

enum ItemType { typeMain = 0, typeGlobal = 1, typeLocal = 2 };

enum MainTag { tagInput = 0x8, tagOutput = 0x9, tagFeature = 0xB };

enum GlobalTag { tagReportSize = 0x7, tagReportId = 0x8, tagReportCount = 0x9, tagPush = 0xA, tagPop = 0xB };

const BYTE kLongItemPrefix = 0xFE;
// The kernel keeps four levels; Windows more. Enough for any real device, small enough that a
// hostile descriptor cannot grow the stack.
const size_t kMaxPushDepth = 16;

struct Globals {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

// Bits declared so far per report id, for one kind of report.
typedef std::map<uint32_t, uint64_t> ReportBits;

DWORD LongestWithId(const ReportBits& reports)
{
    uint64_t longest = 0;
    for (const auto& report : reports)
        longest = report.second > longest ? report.second : longest;
    return reports.empty() ? 0 : (DWORD)((longest + 7) / 8 + 1);
}

}  // namespace

void CHidReportDescriptor::Reset()
{
    m_dwInput = m_dwOutput = m_dwFeature = 0;
    m_bNumbered = FALSE;
}

BOOL CHidReportDescriptor::Parse(const BYTE* data, size_t length)
{
    Reset();
    if (!data && length > 0)
        return FALSE;

    Globals globals;
    std::vector<Globals> stack;
    ReportBits input, output, feature;
    BOOL numbered = FALSE;
    const uint64_t maxBits = (uint64_t)maxReportBytes * 8;

    size_t at = 0;
    while (at < length) {
        BYTE prefix = data[at];
        if (prefix == kLongItemPrefix) {
            // Long items carry their own size and have no meaning for report lengths.
            if (length - at < 3 || length - at - 3 < data[at + 1])
                return FALSE;
            at += 3 + data[at + 1];
            continue;
        }
        static const size_t kSizes[] = {0, 1, 2, 4};
        size_t size = kSizes[prefix & 3];
        if (length - at - 1 < size)
            return FALSE;
        uint32_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= (uint32_t)data[at + 1 + i] << (8 * i);
        int type = (prefix >> 2) & 3;
        int tag = prefix >> 4;
        at += 1 + size;

        if (type == typeGlobal) {
            switch (tag) {
            case tagReportSize: globals.reportSize = value; break;
            case tagReportCount: globals.reportCount = value; break;
            case tagReportId:
                if (value == 0 || value > 0xFF)
                    return FALSE;
                globals.reportId = value;
                numbered = TRUE;
                break;
            case tagPush:
                if (stack.size() >= kMaxPushDepth)
                    return FALSE;
                stack.push_back(globals);
                break;
            case tagPop:
                if (stack.empty())
                    return FALSE;
                globals = stack.back();
                stack.pop_back();
                break;
            default: break;
            }
        } else if (type == typeMain && (tag == tagInput || tag == tagOutput || tag == tagFeature)) {
            ReportBits& reports = tag == tagInput ? input : tag == tagOutput ? output : feature;
            // Both factors are at most 32 bits wide, so the product fits; the sum is checked
            // against the limit at every step.
            uint64_t& bits = reports[globals.reportId];
            bits += (uint64_t)globals.reportSize * globals.reportCount;
            if (bits > maxBits)
                return FALSE;
        }
    }

    m_dwInput = LongestWithId(input);
    m_dwOutput = LongestWithId(output);
    m_dwFeature = LongestWithId(feature);
    m_bNumbered = numbered;
    return TRUE;
}
