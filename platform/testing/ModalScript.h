// Answers modal dialogs without a user, for tests. While a script is installed, DoModal of a
// template id builds the dialog (widgets, data exchange, OnInitDialog) and then, instead of
// the event loop, calls the next handler queued for that id with the dialog; the handler
// drives the controls (see CDialogDriver) and ends the dialog. DoModal returns the dialog's
// result. A handler may itself run other dialogs (nested DoModal).
//
// The script reaches the dialogs through the modal-runner hook (platform/wnd/ModalRunner.h).
// Problems are reported through the failure hook (the test support turns them into test
// failures): a DoModal with no handler queued (it returns IDCANCEL at once), a handler that
// leaves the dialog open (DoModal then ends it with IDCANCEL), handlers never used (on
// VerifyAndClear or destruction).
#pragma once

#include <functional>
#include <map>
#include <deque>
#include <string>
#include <vector>

#include "platform/base/WinTypes.h"
#include "platform/wnd/ModalRunner.h"
#include "platform/wnd/PlatformFailure.h"

class CDialog;

class CModalScript : public IModalRunner {
public:
    typedef std::function<void(CDialog&)> Handler;

    // Installs itself for its lifetime (scripts nest: the newest one answers).
    CModalScript();
    ~CModalScript() override;
    CModalScript(const CModalScript&) = delete;
    CModalScript& operator=(const CModalScript&) = delete;

    // Queues a handler for the next DoModal of `templateId`; `times` > 1 queues it repeatedly.
    CModalScript& Expect(UINT templateId, Handler handler, int times = 1);
    // Reports handlers that were never used and forgets them.
    void VerifyAndClear();

    // How many times each template was run under this script; and in what order.
    int RunCount(UINT templateId) const;
    const std::vector<UINT>& RunOrder() const { return m_runOrder; }
    int PendingCount() const;

    // The installed script, or NULL.
    static CModalScript* Active();

    // Called by CDialog::DoModal with the built dialog. Returns FALSE when no handler was
    // queued (already reported).
    BOOL Run(CDialog& dialog) override;

private:
    std::map<UINT, std::deque<Handler>> m_handlers;
    std::map<UINT, int> m_runCounts;
    std::vector<UINT> m_runOrder;
    IModalRunner* m_pPrevious;
};
