#include "tests/support/StrictUiListener.h"

#include <gtest/gtest.h>
#include <memory>

#include "platform/testing/ModalScript.h"
#include "tests/support/ScriptedUi.h"

namespace {

class CStrictUiListener : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override
    {
        m_ui = std::make_unique<CScriptedUi>();
        m_previousHook = SetPlatformFailureHook([](const std::string& message) { ADD_FAILURE() << message; });
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        SetPlatformFailureHook(m_previousHook);
        m_ui.reset();
    }

private:
    std::unique_ptr<CScriptedUi> m_ui;
    PlatformFailureHook m_previousHook;
};

bool s_installed = false;

}  // namespace

void InstallStrictUiListener()
{
    if (s_installed)
        return;
    s_installed = true;
    ::testing::UnitTest::GetInstance()->listeners().Append(new CStrictUiListener);
}
