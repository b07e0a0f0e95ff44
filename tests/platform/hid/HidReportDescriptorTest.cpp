// Report lengths as the Windows HID stack states them, from captured and hand-made descriptors.
#include <gtest/gtest.h>

#include "platform/hid/HidReportDescriptor.h"
#include "tests/platform/hid/DescriptorFile.h"

TEST(HidReportDescriptorTest, LengthsCountTheReportIdByteAndBrokenDescriptorsGiveNone)
{
    struct Case {
        const char* file;
        BOOL parses;
        DWORD input, output, feature;
        BOOL numbered;
    } cases[] = {
        {"unnumbered_64_64", TRUE, 65, 65, 0, FALSE}, {"numbered_several", TRUE, 33, 17, 5, TRUE},
        {"input_only_mouse", TRUE, 5, 0, 0, FALSE},   {"push_pop_long", TRUE, 25, 17, 0, FALSE},
        {"truncated", FALSE, 0, 0, 0, FALSE},         {"pop_without_push", FALSE, 0, 0, 0, FALSE},
        {"oversized_report", FALSE, 0, 0, 0, FALSE},  {"report_id_zero", FALSE, 0, 0, 0, FALSE},
    };
    const std::vector<BYTE> good = LoadDescriptor("unnumbered_64_64");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<BYTE> bytes = LoadDescriptor(c.file);
        ASSERT_FALSE(bytes.empty());
        CHidReportDescriptor descriptor;
        // A parser that got the last descriptor's lengths would pass a broken one unnoticed.
        descriptor.Parse(good.data(), good.size());
        EXPECT_EQ(descriptor.Parse(bytes.data(), bytes.size()), c.parses);
        EXPECT_EQ(descriptor.GetInputReportLength(), c.input);
        EXPECT_EQ(descriptor.GetOutputReportLength(), c.output);
        EXPECT_EQ(descriptor.GetFeatureReportLength(), c.feature);
        EXPECT_EQ(descriptor.HasReportIds(), c.numbered);
    }
}

TEST(HidReportDescriptorTest, EveryTruncationOfAGoodDescriptorStaysInsideTheBuffer)
{
    // Run under the sanitizers: each prefix is a fresh allocation of exactly its length.
    for (const char* file : {"numbered_several", "push_pop_long", "input_only_mouse"}) {
        std::vector<BYTE> bytes = LoadDescriptor(file);
        for (size_t length = 0; length <= bytes.size(); ++length) {
            std::vector<BYTE> prefix(bytes.begin(), bytes.begin() + length);
            CHidReportDescriptor descriptor;
            if (!descriptor.Parse(prefix.data(), prefix.size())) {
                EXPECT_EQ(descriptor.GetInputReportLength(), 0u);
            }
        }
    }
}
