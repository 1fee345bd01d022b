#include "ui/ExtractPassword.h"

#include <string>

#include "ui/MessageBox.h"
#include "log/BuildLogFile.h"
#include "resources/ResourceIds.h"
#include "settings/Messages.h"
#include "ui/OrloSheet.h"
#include "util/ProcessContext.h"
#include "util/StringUtil.h"

namespace {
constexpr int kPasswordTemplate = 156;
constexpr int kPromptText = 1055;
constexpr int kPasswordEdit = 1054;
constexpr int kMaximumLength = 50;

std::wstring EditText(HWND edit)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Overwrites the typed password in our copy before the memory is given back.
void Wipe(std::wstring& text)
{
    ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
}
}  // namespace

CExtractPassword::CExtractPassword(COrloSheet& sheet) : m_sheet(sheet) {}

INT_PTR CExtractPassword::DoModal()
{
    return ::DialogBoxParamW(m_sheet.Context().instance, MAKEINTRESOURCEW(kPasswordTemplate), m_sheet.Window(),
                             CDialogBinding::DialogProc, reinterpret_cast<LPARAM>(static_cast<CDialogBinding*>(this)));
}

INT_PTR CExtractPassword::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE;  // the focus is set
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            ::SetFocus(::GetDlgItem(m_window, kPasswordEdit));
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kPasswordEdit:
            if (HIWORD(wParam) == EN_CHANGE) {
                const bool hasText = ::GetWindowTextLengthW(::GetDlgItem(m_window, kPasswordEdit)) > 0;
                ::EnableWindow(::GetDlgItem(m_window, IDOK), hasText ? TRUE : FALSE);
            }
            return TRUE;
        case IDOK:
            OnBnClickedOk();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void CExtractPassword::OnInitDialog()
{
    HICON icon = ::LoadIconW(m_sheet.Context().instance, MAKEINTRESOURCEW(IDI_TARVEX));
    ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    ::SetWindowTextW(m_window, m_sheet.Context().displayName.c_str());
    ::SetDlgItemTextW(m_window, kPromptText, GetMessage(419).c_str());
    ::SetDlgItemTextW(m_window, IDOK, GetMessage(405).c_str());
    ::SetDlgItemTextW(m_window, IDCANCEL, GetMessage(406).c_str());
    HWND edit = ::GetDlgItem(m_window, kPasswordEdit);
    ::SendMessageW(edit, EM_LIMITTEXT, kMaximumLength, 0);
    ::EnableWindow(::GetDlgItem(m_window, IDOK), FALSE);
    ::SetFocus(edit);
}

void CExtractPassword::OnBnClickedOk()
{
    HWND edit = ::GetDlgItem(m_window, kPasswordEdit);
    std::wstring typed = EditText(edit);
    const bool correct = typed == m_sheet.Context().decodedPassword;
    Wipe(typed);
    if (!correct) {
        DoMessageBox(ReplaceFirst(GetMessage(420), L"\\n", L"\n"), MB_OK | MB_ICONHAND);
        ::SetWindowTextW(edit, L"");
        ::SetFocus(edit);
        Log().WriteLine(kLogError, L"OnBnClickedOk", L"Password provided by user is invalid");
        return;
    }
    Log().WriteLine(kLogInfo, L"OnBnClickedOk", L"Password provided by user is correct");
    ::EndDialog(m_window, IDOK);
}

void CExtractPassword::OnCancel()
{
    if (m_sheet.ConfirmCancel() == kCancelConfirmed) {
        m_sheet.ActivatePage(WizardPage::Finish);
        ::EndDialog(m_window, 0);
        return;
    }
    // Declined: the user goes on typing (the dialog manager would give the focus back to Cancel).
    ::SetFocus(::GetDlgItem(m_window, kPasswordEdit));
}
