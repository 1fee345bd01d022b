#pragma once
// CExtractPassword: asks for the package's extraction password. OK is enabled only while the edit
// holds text; a wrong password shows an error and empties the edit; Cancel asks whether to cancel
// the whole wizard.
#include <windows.h>

#include "ui/DialogBinding.h"

class COrloSheet;

class CExtractPassword : public CDialogBinding {
public:
    explicit CExtractPassword(COrloSheet& sheet);
    // IDOK when the right password was typed; 0 when the user cancelled the wizard.
    INT_PTR DoModal();

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog();
    void OnBnClickedOk();
    void OnCancel();

    COrloSheet& m_sheet;
};
