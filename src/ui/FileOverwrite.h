#pragma once
// CFileOverwrite: asks whether an existing file may be overwritten during extraction. Five answers
// (Yes, Yes to All, No, No to All, Cancel), each an owner-drawn button in one centred row; the
// arrow keys and Tab move among them, Escape does nothing, the close box answers Cancel.
#include <windows.h>

#include "ui/DialogBinding.h"

#include <array>
#include <memory>
#include <string>

#include "ui/OrloButton.h"

class COrloSheet;

class CFileOverwrite : public CDialogBinding {
public:
    CFileOverwrite(COrloSheet& sheet, std::wstring fileName);
    ~CFileOverwrite();
    CFileOverwrite(const CFileOverwrite&) = delete;
    CFileOverwrite& operator=(const CFileOverwrite&) = delete;

    // The answer, 1000 (Yes) to 1004 (Cancel).
    int DoModal();

private:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnInitDialog();
    void CreateButtons();
    bool PreTranslateMessage(const MSG& message);
    void MoveFocus(bool backwards);
    void GiveFocus(size_t index);
    void Answer(int buttonId);

    COrloSheet& m_sheet;
    std::wstring m_fileName;
    int m_answer = 1004;
    bool m_done = false;
    bool m_inKey = false; // a key handler that moves the focus must not run again inside itself
    size_t m_focused = 0;
    std::array<std::unique_ptr<COrloButton>, 5> m_buttons; // Yes, Yes to All, No, No to All, Cancel
};
