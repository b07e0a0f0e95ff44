// The carrier sampler against lines whose drivers keep the transition count in step with the
// level, late, frozen or not at all, with changes landing before a sample and between its two
// requests.
#include <gtest/gtest.h>

#include <string>

#include "platform/serial/CarrierSampler.h"

namespace {

class CScriptedCarrier : public ICarrierLine {
public:
    enum Count { none, frozen, inStep, late };
    explicit CScriptedCarrier(Count kind) : m_kind(kind) {}

    void Toggle(int times)
    {
        for (int i = 0; i < times; ++i) {
            m_level = !m_level;
            if (m_kind == inStep)
                ++m_count;
            else if (m_kind == late)
                ++m_lateCount;
        }
    }
    // The next change lands after the level request and before the count request.
    void ToggleBetweenRequests() { m_toggleAfterLevel = true; }

    BOOL ReadCarrier(BOOL& on) override
    {
        on = m_level;
        if (m_toggleAfterLevel)
            Toggle(1);
        m_toggleAfterLevel = false;
        return TRUE;
    }
    BOOL ReadCarrierTransitions(DWORD& count) override
    {
        if (m_kind == none)
            return FALSE;
        count = m_count;
        // A late driver has counted by the next request.
        m_count += m_lateCount;
        m_lateCount = 0;
        return TRUE;
    }

private:
    Count m_kind;
    BOOL m_level = FALSE;
    DWORD m_count = 0xFFFFFFFE;  // about to wrap
    DWORD m_lateCount = 0;
    bool m_toggleAfterLevel = false;
};

}  // namespace

TEST(CarrierSampler, EachChangeIsReportedOnceWhateverTheDriverCounts)
{
    // Per sample: 'b' a change between the two requests, 'B' one before the sample, '2' two
    // before it (the level ends where it was), '.' none. Expected: '1' where a change is reported.
    const std::string script = "b..B.2.";
    struct Case {
        const char* name;
        CScriptedCarrier::Count kind;
        const char* reported;
    } cases[] = {
        {"count in step", CScriptedCarrier::inStep, "1001010"},
        // The level alone cannot see a change come and go between two samples.
        {"no count", CScriptedCarrier::none, "0101000"},
        {"count frozen", CScriptedCarrier::frozen, "0101000"},
        {"count late", CScriptedCarrier::late, "0101001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedCarrier line(c.kind);
        CCarrierSampler sampler;
        ASSERT_TRUE(sampler.Start(line));
        std::string reported;
        for (char step : script) {
            if (step == 'b')
                line.ToggleBetweenRequests();
            else if (step == 'B' || step == '2')
                line.Toggle(step == 'B' ? 1 : 2);
            BOOL changed = FALSE;
            ASSERT_TRUE(sampler.Sample(line, changed));
            reported += changed ? '1' : '0';
        }
        EXPECT_EQ(reported, c.reported);
    }
}
