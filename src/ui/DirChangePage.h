#pragma once
// CDirChangePage: the folder the package is extracted to, and what happens after extracting: the
// path edit with its Browse button, overwrite without prompting, extract only, delete on exit. Next
// validates the folder and the free space before the progress page starts.
#include <windows.h>

#include <memory>
#include <string>

#include "ui/OrloButton.h"
#include "ui/WizardPage.h"

class CDirChangePage : public CWizardPage {
public:
    explicit CDirChangePage(COrloSheet& sheet);
    bool PreTranslateKey(const MSG& message) override;

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    LRESULT OnWizardNext() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool IsStartPage() const;
    void CreateBrowseButton();
    void SetUpControls();
    void OnExtractOnlyClicked();
    void OnDeleteOnExitClicked();
    void Browse();
    void SetNextDefault();
    std::wstring EditText() const;
    static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) noexcept;

    std::unique_ptr<COrloButton> m_browse;
    std::wstring m_chosenPath; // lives for the run: coming back shows it again
};

// Whether the delete-on-exit box may be offered: the launch must be waited for ([Orlo] KamBundle
// not "0", or WaitForAutolaunchFinish) and no framework setup takes over ([Orlo] Rahmensetup not "1").
bool OffersDeleteOnExit(const std::wstring& kamBundle, int waitForAutolaunchFinish, const std::wstring& rahmenSetup);

// The folder `path` really is: when the path or a folder on its way is a link (a reparse point),
// the place it leads to, with the part that does not exist yet appended. Otherwise `path` unchanged.
std::wstring ResolveFolderLinks(const std::wstring& path);
