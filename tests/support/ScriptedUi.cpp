#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include "platform/ui/ConsoleUiServices.h"

namespace {

std::string Describe(UINT type)
{
    char text[32];
    snprintf(text, sizeof text, "0x%X", type);
    return text;
}

}  // namespace

CScriptedUi::CScriptedUi() : m_pPrevious(InstallUiServices(this)) {}

CScriptedUi::~CScriptedUi()
{
    VerifyAndClear();
    InstallUiServices(m_pPrevious);
}

CScriptedUi& CScriptedUi::ExpectMessage(const CString& text, UINT type, int answer)
{
    return ExpectMessage(text, type, answer, nullptr);
}

CScriptedUi& CScriptedUi::ExpectMessage(const CString& text, UINT type, int answer, std::function<void()> whileShown)
{
    m_expected.push_back({Expectation::Message, text, type, answer, {}, std::move(whileShown)});
    return *this;
}

CScriptedUi& CScriptedUi::ExpectOpenFile(const CString& filter, DWORD flags, std::vector<CString> paths)
{
    m_expected.push_back({Expectation::OpenFile, filter, flags, 0, std::move(paths), nullptr});
    return *this;
}

CScriptedUi& CScriptedUi::ExpectSaveFile(const CString& filter, DWORD flags, const CString& path)
{
    std::vector<CString> paths;
    if (!path.IsEmpty())
        paths.push_back(path);
    m_expected.push_back({Expectation::SaveFile, filter, flags, 0, paths, nullptr});
    return *this;
}

void CScriptedUi::VerifyAndClear()
{
    for (const Expectation& expected : m_expected) {
        if (expected.kind == Expectation::Message)
            ADD_FAILURE() << "Expected message box was not shown: \"" << expected.text.GetString() << "\" type "
                          << Describe(expected.type);
        else
            ADD_FAILURE() << "Expected " << (expected.kind == Expectation::OpenFile ? "open" : "save")
                          << " file dialog was not shown (filter \"" << expected.text.GetString() << "\")";
    }
    m_expected.clear();
}

int CScriptedUi::MessageBox(const CString& text, const CString& caption, UINT type)
{
    m_shown.push_back({text, caption, type});
    if (m_expected.empty() || m_expected.front().kind != Expectation::Message) {
        ADD_FAILURE() << "Unexpected message box: \"" << text.GetString() << "\" type " << Describe(type);
        return CConsoleUiServices::SafeAnswer(type);
    }
    Expectation expected = m_expected.front();
    m_expected.pop_front();
    if (expected.text != text || expected.type != type) {
        ADD_FAILURE() << "Message box differs.\n  expected: \"" << expected.text.GetString() << "\" type "
                      << Describe(expected.type) << "\n  shown:    \"" << text.GetString() << "\" type "
                      << Describe(type);
        return CConsoleUiServices::SafeAnswer(type);
    }
    if (expected.whileShown)
        expected.whileShown();
    return expected.answer;
}

BOOL CScriptedUi::FileDialog(const FileDialogRequest& request, std::vector<CString>& paths)
{
    paths.clear();
    m_lastRequest = request;
    Expectation::Kind kind = request.bOpen ? Expectation::OpenFile : Expectation::SaveFile;
    if (m_expected.empty() || m_expected.front().kind != kind) {
        ADD_FAILURE() << "Unexpected " << (request.bOpen ? "open" : "save") << " file dialog (filter \""
                      << request.filter.GetString() << "\", flags " << Describe(request.flags) << ")";
        return FALSE;
    }
    Expectation expected = m_expected.front();
    m_expected.pop_front();
    if (expected.text != request.filter || expected.type != request.flags) {
        ADD_FAILURE() << "File dialog differs.\n  expected: filter \"" << expected.text.GetString() << "\" flags "
                      << Describe(expected.type) << "\n  shown:    filter \"" << request.filter.GetString()
                      << "\" flags " << Describe(request.flags);
        return FALSE;
    }
    paths = expected.paths;
    return !paths.empty();
}

void CScriptedUi::BeginWaitCursor()
{
    ++m_waitCount;
    ++m_waitDepth;
    m_maxWaitDepth = std::max(m_maxWaitDepth, m_waitDepth);
}

void CScriptedUi::EndWaitCursor()
{
    if (m_waitDepth == 0) {
        ADD_FAILURE() << "Wait cursor ended more often than it began";
        return;
    }
    --m_waitDepth;
}
