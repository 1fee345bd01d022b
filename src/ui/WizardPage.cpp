#include "ui/WizardPage.h"

#include <commctrl.h>

#include "ui/OrloSheet.h"

CWizardPage::CWizardPage(COrloSheet& sheet, WizardPage kind, int templateId)
    : m_sheet(sheet), m_kind(kind), m_templateId(templateId)
{
}

HPROPSHEETPAGE CWizardPage::CreatePage(HINSTANCE instance, const std::wstring& title)
{
    m_title = title;
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_HIDEHEADER | PSP_USETITLE;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(m_templateId);
    page.pszTitle = m_title.c_str();
    page.pfnDlgProc = PageDialogProc;
    page.lParam = reinterpret_cast<LPARAM>(static_cast<CDialogBinding*>(this));
    return ::CreatePropertySheetPageW(&page);
}

void CWizardPage::Initialise()
{
    if (m_window != nullptr && m_sheet.Ready()) {
        OnInitDialog();
    }
}

void CWizardPage::Activate()
{
    if (m_window != nullptr && m_sheet.Ready()) {
        OnSetActive();
    }
}

INT_PTR CWizardPage::Result(LRESULT value)
{
    ::SetWindowLongPtrW(m_window, DWLP_MSGRESULT, value);
    return TRUE;
}

INT_PTR CWizardPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (message != WM_INITDIALOG && message != WM_NOTIFY && OnMessage(message, wParam, lParam, result)) {
        return Result(result);
    }
    switch (message) {
    case WM_INITDIALOG:
        Initialise();
        return TRUE;
    case WM_ERASEBKGND: {
        RECT client{};
        ::GetClientRect(m_window, &client);
        PaintBackground(reinterpret_cast<HDC>(wParam), client);
        return Result(1);
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(lParam), className, 16);
        if (::lstrcmpiW(className, WC_BUTTONW) == 0) {
            // Check boxes and radio buttons erase with the page colour.
            ::SetBkColor(dc, kWizardBackground);
            return reinterpret_cast<INT_PTR>(m_sheet.BackgroundBrush());
        }
        // Labels are drawn over the page's own background and images.
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    }
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        switch (header->code) {
        case PSN_SETACTIVE:
            m_sheet.OnPageActivated(*this);
            Activate();
            return Result(0);
        case PSN_WIZNEXT:
            return Result(m_sheet.Ready() ? OnWizardNext() : -1);
        case PSN_WIZBACK:
            return Result(m_sheet.Ready() ? OnWizardBack() : -1);
        case PSN_WIZFINISH:
            return Result(OnWizardFinish() ? 0 : 1);
        case PSN_QUERYCANCEL:
            return Result(TRUE);  // cancelling goes through the sheet's own question
        default:
            break;
        }
        return OnNotify(*header, result) ? Result(result) : FALSE;
    }
    default:
        return FALSE;
    }
}

void CWizardPage::PaintBackground(HDC dc, const RECT& client)
{
    // The sheet's header title lies over this page's header strip and paints itself.
    if (HWND title = m_sheet.HeaderTitle()) {
        RECT area{};
        ::GetWindowRect(title, &area);
        ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&area), 2);
        ::ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
    }
    ::FillRect(dc, &client, m_sheet.BackgroundBrush());
    m_sheet.TopImage().DrawStretched(dc, 0, 0, client.right - client.left, kHeaderHeight);
}

void CWizardPage::SetItemText(int id, const std::wstring& text, int mode)
{
    HWND control = Item(id);
    if (control == nullptr) {
        return;
    }
    SetFittedText(control, text, mode);
    RECT area{};
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(m_window, &area, TRUE);
}

void CWizardPage::SetItemFont(int id, HFONT font)
{
    if (HWND control = Item(id)) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void CWizardPage::ShowItem(int id, bool show)
{
    if (HWND control = Item(id)) {
        ::ShowWindow(control, show ? SW_SHOW : SW_HIDE);
    }
}

bool CWizardPage::IsChecked(int id) const { return ::IsDlgButtonChecked(m_window, id) == BST_CHECKED; }

void CWizardPage::SetChecked(int id, bool checked)
{
    ::CheckDlgButton(m_window, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void CWizardPage::Repaint()
{
    ::InvalidateRect(m_window, nullptr, TRUE);
    ::UpdateWindow(m_window);
}
