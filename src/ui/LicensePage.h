#pragma once
// CLicensePage: the license and security documents of the current language, each to be accepted.
// The list on the left names the documents (a tick image once accepted), the rich edit shows the
// selected one, and Next is usable only while every listed document's box is ticked.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/WizardPage.h"
#include "util/Handles.h"

class CLicensePage : public CWizardPage {
public:
    explicit CLicensePage(COrloSheet& sheet);
    ~CLicensePage() override;

protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

private:
    bool IsStartPage() const;
    void BuildList();
    void FillList();
    int InsertItem(int index, int messageId, bool accepted);
    void SetItemImage(int index, bool accepted);
    void OnItemSelected(int index);
    void OnBoxClicked(int boxId);
    void ReevaluateNext();
    void ClearView();
    void LoadDocument(const std::wstring& path);
    std::wstring ItemText(int messageId) const;

    UniqueModule m_richEdit; // the view's window class lives in this library
    HIMAGELIST m_images = nullptr;
    std::wstring m_licenseFile;
    std::wstring m_securityFile;
    std::wstring m_shownFile;
    int m_licenseItem = -1;
    int m_securityItem = -1;
    bool m_filling = false; // selection changes while the list is refilled are not the user's
};

// The item text that a language file gives for `messageId`: the first line whose first three
// characters are the id, without the id, the "=" and the line end. Empty when no line has it.
std::wstring FindIdLine(const std::vector<std::wstring>& lines, int messageId);
