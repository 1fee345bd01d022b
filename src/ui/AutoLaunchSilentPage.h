#pragma once
// CAutoLaunchSilentPage: shown while the extracted setups run (the package asks for this page and
// for waiting). The launch step runs on the worker; the page moves to the finish page when it has
// returned. A confirmed cancel lets the running setup finish and starts no further one.
#include <atomic>

#include "ui/WizardPage.h"

class CAutoLaunchSilentPage : public CWizardPage {
public:
    explicit CAutoLaunchSilentPage(COrloSheet& sheet);

    void SetStatus(int messageId);
    void OnLaunchSetupFinish();

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static unsigned __stdcall LaunchSetupThread(void* worker);
    bool m_completed = false;
    std::atomic<bool> m_launchReturned{false};  // set by the worker when the launch step is over
};
