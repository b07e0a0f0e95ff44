// Stands in for the main dialog while a target family is tested on its own: a real progress
// bar and progress text (so a target's calls have their usual effect), a log of the control
// levels asked for, and scripted answers for the file dialog. Installed as theApp's host for
// its lifetime; the previous host comes back when it is destroyed.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/Static.h"
#include "targets/ITargetHost.h"

class QWidget;

class CFakeTargetHost : public ITargetHost {
public:
    CFakeTargetHost();
    ~CFakeTargetHost() override;

    CProgressCtrl* GetProgressCtrl() override { return &m_progress; }
    CStatic* GetProgressText() override { return &m_text; }
    void SetControlState(BYTE level) override;
    BOOL BrowseForFile(CString* path, LPCSTR filter, int flags) override;

    // Answers for the next BrowseForFile calls, in order: a path is chosen; "" cancels.
    // Without an answer queued the dialog counts as cancelled.
    void QueueBrowseAnswer(const std::string& path) { m_browseAnswers.push_back(path); }

    std::string ProgressText() const;
    int Lower() const;
    int Upper() const;
    int Pos() const { return m_progress.GetPos(); }
    const std::vector<int>& ControlStates() const { return m_controlStates; }
    // Filters and flags of the BrowseForFile calls so far.
    const std::vector<std::string>& BrowseFilters() const { return m_browseFilters; }
    const std::vector<int>& BrowseFlags() const { return m_browseFlags; }

    CFakeTargetHost(const CFakeTargetHost&) = delete;
    CFakeTargetHost& operator=(const CFakeTargetHost&) = delete;

private:
    std::unique_ptr<QWidget> m_window;
    CProgressCtrl m_progress;
    CStatic m_text;
    ITargetHost* m_previous;
    std::vector<int> m_controlStates;
    std::deque<std::string> m_browseAnswers;
    std::vector<std::string> m_browseFilters;
    std::vector<int> m_browseFlags;
};
